#!/usr/bin/env bash
# The installed game as a new player meets it: installed into a temporary
# DESTDIR, started from an empty folder with per-user folders of its own. It
# shows the attract screen, keeps its window whole under a window manager,
# takes what it can from a broken settings file, quits on SIGINT with status
# 0 and writes only the per-user score; every failure a player can meet says
# what failed and ends with its own status.
#   installed_game_test.sh BUILD_DIR          install the build into a DESTDIR first
#   installed_game_test.sh --installed CHOMPO  the game as installed (the package)
set -uo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
[ -n "${KEEP:-}" ] && trap 'echo "kept $work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if [ "$1" = --installed ]; then
  chompo="$2"
  share="$(cd "$(dirname "$chompo")/../share/chompo" && pwd)"
  version=""
else
  build="$(cd "$1" && pwd)"
  DESTDIR="$work/root" cmake --install "$build" >"$work/install.log" 2>&1 || {
    cat "$work/install.log"
    exit 1
  }
  chompo="$(find "$work/root" -type f -name chompo -perm -u+x | head -1)"
  [ -n "$chompo" ] || { echo "FAIL: no chompo installed"; exit 1; }
  share="$(find "$work/root" -type d -path '*/share/chompo' | head -1)"
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
fi
touch "$work/installed"
mkdir -p "$work/empty" "$work/home"
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
unset CHOMPO_DATA CHOMPO_WINDOWED
cd "$work/empty"

# expect STATUS MESSAGE-PATTERN COMMAND...: the exit status and one line of
# what it printed.
expect() {
  local status="$1" pattern="$2"
  shift 2
  local output got
  output="$("$@" 2>&1)"
  got=$?
  [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $output"
  grep -qE -- "$pattern" <<<"$output" || fail "$* did not say /$pattern/: $output"
}
expect 0 "^Usage: chompo " env -u DISPLAY "$chompo" --help
expect 0 "^chompo ${version:-[0-9.]+}\$" env -u DISPLAY "$chompo" --version
expect 64 "unknown option --frobnicate" "$chompo" --frobnicate
expect 66 "no data folder found \(looked in: $work/nowhere\)" "$chompo" --data "$work/nowhere"
cp -r "$share" "$work/partial"
rm "$work/partial/Title5.bmp"
expect 66 "lacks 1 file\(s\): Title5.bmp \(missing\)" "$chompo" --data "$work/partial"
expect 69 "no display" env -u DISPLAY -u WAYLAND_DISPLAY "$chompo" --windowed

# A broken settings file only warns: its good lines hold (scale 2), the
# command line wins over the rest (--windowed), and nothing rewrites it.
mkdir -p "$XDG_CONFIG_HOME/chompo"
printf '[display]\nfullscreen = true\nscale = 2\n[audio]\nvolume = eleven\n' >"$XDG_CONFIG_HOME/chompo/chompo.ini"
cp "$XDG_CONFIG_HOME/chompo/chompo.ini" "$work/settings.ini"

# The real window, under a small window manager.
cat >"$work/session.sh" <<SESSION
# Job control: a job started in the background of a script would otherwise
# begin with SIGINT ignored, which the game rightly keeps ignoring; env
# gives SIGINT back even when this test itself was started with it ignored.
set -m
openbox >/dev/null 2>&1 &
sleep 1
env --default-signal=INT "$chompo" --windowed >"$work/out.log" 2>&1 &
game=\$!
for _ in \$(seq 50); do
  window=\$(xdotool search --name "Chompo Ver 1.0" 2>/dev/null | head -1)
  [ -n "\$window" ] && break
  sleep 0.1
done
sleep 2
xwininfo -id "\$window" | sed -n 's/^ *\(Width\|Height\): //p' | tr '\n' ' ' >"$work/first-size.txt"
import -window "\$window" "$work/attract.png"
xdotool windowsize "\$window" 200 150
sleep 1
xwininfo -id "\$window" | sed -n 's/^ *\(Width\|Height\): //p' | tr '\n' ' ' >"$work/size.txt"
import -window "\$window" "$work/small.png"
kill -INT \$game
wait \$game
echo \$? >"$work/status.txt"
SESSION
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh"

# Pixels of the picture: the white title text and the red of the first ghost
# the attract screen shows.
count() { convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean*w*h]' info: 2>/dev/null; }
for shot in attract small; do
  [ -f "$work/$shot.png" ] || { fail "no picture of the $shot window"; continue; }
  white=$(count "$work/$shot.png" '#FFFFFF')
  red=$(count "$work/$shot.png" '#FF0000')
  [ "${white%.*}" -gt 100 ] 2>/dev/null || fail "the $shot window shows no attract text ($white white pixels)"
  [ "${red%.*}" -gt 50 ] 2>/dev/null || fail "the $shot window shows no red ghost ($red red pixels)"
done
read -r width height <"$work/first-size.txt" || true
[ "${width:-0}x${height:-0}" = 640x480 ] || fail "the window opened at ${width}x${height}, not at the settings' scale 2"
grep -q "chompo.ini:5: volume = eleven: not a whole number" "$work/out.log" || fail "no warning named the broken setting"
cmp -s "$work/settings.ini" "$XDG_CONFIG_HOME/chompo/chompo.ini" || fail "the settings file was rewritten"
read -r width height <"$work/size.txt" || true
{ [ "${width:-0}" -ge 320 ] && [ "${height:-0}" -ge 240 ]; } || fail "the window shrank to ${width}x${height}"
[ "$(cat "$work/status.txt" 2>/dev/null)" = 0 ] || fail "SIGINT ended the game with $(cat "$work/status.txt" 2>/dev/null)"
[ -f "$XDG_DATA_HOME/chompo/HighScore.sco" ] || fail "no best score in $XDG_DATA_HOME/chompo"
[ -z "$(ls -A "$work/empty")" ] || fail "the game wrote into the folder it started in: $(ls -A "$work/empty")"
written="$(find "$share" "$chompo" -newer "$work/installed" -print)"
[ -z "$written" ] || fail "the game wrote into its installed files: $written"
if [ "$failures" -ne 0 ]; then
  echo "--- what the game printed:"
  cat "$work/out.log"
  exit 1
fi
echo "installed game: all checks passed"
