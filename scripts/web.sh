#!/usr/bin/env bash
# Builds the browser version into build-web/web: index.html and the files
# it loads, the data files packed in.
#   web.sh                build only
#   web.sh --serve [PORT] build, then serve build-web/web on 127.0.0.1:PORT (default 8000)
#   web.sh --test         build, then play it in headless Chromium (tests/web)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode=build
port=8000
case "${1:-}" in
  "") ;;
  --serve)
    mode=serve
    port="${2:-8000}"
    ;;
  --test) mode=test ;;
  *)
    echo "usage: $0 [--serve [PORT] | --test]" >&2
    exit 64
    ;;
esac
"$root/scripts/deps.sh" web

out="$root/build-web"
# The data tools run here: a native build makes the data folder first.
cmake -S "$root" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCHOMPO_BUILD_TESTS=OFF \
  -DCHOMPO_BUILD_BENCH=OFF >/dev/null
host_targets=(chompo_data)
[ "$mode" = test ] && host_targets+=(chompo-sim)
cmake --build "$out/host" -j2 --target "${host_targets[@]}"

# Emscripten's JavaScript optimizer finds acorn through NODE_PATH, where
# Debian's node-acorn puts it.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S "$root" -B "$out/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCHOMPO_WEB_DATA="$out/host/data" -DCHOMPO_WEB_OUTPUT="$out/web" >/dev/null
cmake --build "$out/wasm" -j2
echo "The browser version is in $out/web ($(du -cb "$out"/web/* | tail -1 | cut -f1) bytes)"

case "$mode" in
  serve)
    echo "Serving it at http://127.0.0.1:$port/ (Ctrl+C stops)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/web"
    ;;
  test)
    # What the native game shows, for the test to compare with: the attract
    # screen once all four ghosts are in, and the stage start after Space.
    reference="$out/reference"
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    cp -r "$out/host/data" "$work/data"
    printf '100 press SPACE\n140 release SPACE\n' >"$work/space.txt"
    rm -rf "$reference"
    mkdir -p "$reference"
    # Runs that --until ends exit with 2; the best score goes to a folder of their own.
    sim() { (cd "$work" && XDG_DATA_HOME="$work/state" HOME="$work" "$out/host/chompo-sim" "$@") || [ $? -eq 2 ]; }
    sim --data "$work/data" --until 12500 --frames "$work/attract" --frame-at 12000
    sim --data "$work/data" --script "$work/space.txt" --until 1500 --frames "$work/start" --frame-at 1000
    cp "$work/attract/frame-00012000.png" "$reference/attract.png"
    cp "$work/start/frame-00001000.png" "$reference/start.png"
    cd "$root/tests/web"
    # puppeteer-core is pinned in package.json; no lock file is kept.
    npm install --no-package-lock --no-audit --no-fund --loglevel=error
    node browser_test.js "$out/web" "$reference" "$out/screenshots"
    ;;
esac
