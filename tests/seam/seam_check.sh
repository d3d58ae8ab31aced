#!/usr/bin/env bash
# The game reaches the system only through src/platform: its folders include
# no system, SDL or back-end header and call no file, process, clock or
# console function of the C and C++ libraries directly. A new back end (a
# browser, another OS) then needs no change in game code. And the folders of
# src/ depend one way: app -> screens -> game/actors -> engine (sprite,
# display, text, sound) -> platform -> formats.
#   seam_check.sh [SOURCE_ROOT]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/../.." && pwd)}"
cd "$root"
game_folders=(src/app src/game src/actors src/sprite src/display src/text src/sound src/screens)

# Standard headers the game may use: containers, algorithms and number
# formatting, nothing that touches the system.
allowed_system='algorithm|array|bit|cstddef|cstdint|cstdio|cstring|cmath|climits|iterator|limits|memory|new|optional|span|string|string_view|type_traits|utility|vector'
# Project headers outside the game folders that the game may use: the
# platform calls it is written against and the shared file formats.
allowed_project='platform/(win32|ddraw|dsound|mmio|score_file)\.h|formats/[a-z_0-9]+\.h'
# Calls that belong to the platform layer, as words followed by "(" and not
# reached through an object (".", "->") or a class scope.
forbidden_calls='fopen|freopen|fdopen|fread|fwrite|fseek|fseeko|ftell|fclose|fflush|fgetc|fgets|fputc|fputs|fprintf|printf|puts|perror|remove|rename|tmpfile|tmpnam|mkstemp|mkdtemp|open|openat|creat|close|read|write|lseek|pread|pwrite|fsync|fdatasync|unlink|rmdir|mkdir|stat|fstat|lstat|access|chdir|getcwd|getenv|setenv|system|popen|exit|_Exit|abort|signal|raise|sleep|usleep|nanosleep|time|clock|gettimeofday|clock_gettime|rand|srand|flock|dup|pipe|fork'
forbidden_names='std::filesystem|std::[io]?fstream|std::cout|std::cerr|std::clog|std::chrono|std::this_thread|std::thread|std::random_device|SDL_[A-Za-z]'

failures=0
report() {
  echo "$1"
  failures=$((failures + 1))
}

while IFS= read -r -d '' file; do
  while IFS= read -r hit; do
    report "$file:$hit: system header (only the platform layer includes these)"
  done < <(grep -nE '^\s*#\s*include\s*<' "$file" | grep -vE "<($allowed_system)>" || true)
  while IFS= read -r hit; do
    report "$file:$hit: header of the platform's own side or of another program"
  done < <(grep -nE '^\s*#\s*include\s*"(platform|sim|main|support|tools)/' "$file" |
    grep -vE "\"($allowed_project)\"" || true)
  # Comments and string literals are not calls.
  while IFS= read -r hit; do
    report "$file:$hit: direct system call (go through src/platform)"
  done < <(sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$file" | grep -nE \
    "(^|[^A-Za-z0-9_.>:])(std::|::)?($forbidden_calls)\s*\(|$forbidden_names" || true)
done < <(find "${game_folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

# Which folders each folder of src/ may include from (main and sim, the
# programs, may include anything).
engine='sprite|display|text|sound'
declare -A may_include=(
  [formats]='formats'
  [platform]='platform|formats'
  [sprite]="$engine|platform|formats"
  [display]="$engine|platform|formats"
  [text]="$engine|platform|formats"
  [sound]="$engine|platform|formats"
  [game]="game|actors|$engine|platform|formats"
  [actors]="game|actors|$engine|platform|formats"
  [screens]="screens|game|actors|$engine|platform|formats"
  [app]="app|screens|game|actors|$engine|platform|formats"
)
for folder in "${!may_include[@]}"; do
  [ -d "src/$folder" ] || continue
  while IFS= read -r hit; do
    report "$hit: $folder may include only from ${may_include[$folder]//|/, }"
  done < <(grep -rnE '^\s*#\s*include\s*"[a-z_]+/' "src/$folder" |
    grep -vE "#\s*include\s*\"(${may_include[$folder]})/" || true)
done

if [ "$failures" -ne 0 ]; then
  echo "seam check: $failures place(s) where game code reaches past the platform layer" >&2
  exit 1
fi
echo "seam check: game code reaches the system only through src/platform"
