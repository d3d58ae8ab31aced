#!/usr/bin/env bash
# Builds everything and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (its own build folder).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" test

build="$root/build-test"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHOMPO_WERROR=ON)
if [ "${1:-}" = --sanitize ]; then
  build="$root/build-asan"
  options=(-DCMAKE_BUILD_TYPE=Debug -DCHOMPO_WERROR=ON -DCHOMPO_SANITIZE=ON -DCHOMPO_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build"
if [ "${1:-}" = --sanitize ]; then
  # The game itself runs too (the installed-game test): the desktop bus
  # connection SDL opens is never given back, and Mesa's OpenGL leaks from
  # libraries it unloads again, where no suppression can name them, so it
  # draws without OpenGL, as the sanitized window tests do.
  printf 'leak:libdbus-1.so\n' >"$build/lsan.supp"
  export LSAN_OPTIONS="suppressions=$build/lsan.supp" CHOMPO_SOFTWARE=1
fi

# No sound card here: the game runs silently, as designed. The real-window
# test gets its own X server.
export SDL_AUDIODRIVER=dummy
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2
