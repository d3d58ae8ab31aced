#!/usr/bin/env bash
# The house style and the static checks: every C++ file as .clang-format
# lays it out, and clang-tidy's small check set (.clang-tidy) over the
# program, its tools and the shared support code. Needs the compile commands
# of a configured build (default build-test, which scripts/test.sh makes).
#   scripts/lint.sh [BUILD_DIR]      check
#   scripts/lint.sh --fix            format every file in place
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/deps.sh" test
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
build="${1:-$root/build-test}"
if git grep -nE '^(<<<<<<<|>>>>>>>) ' -- .; then
  echo "merge conflict markers above" >&2
  exit 1
fi
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files as the house style lays them out"
[ -f "$build/compile_commands.json" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
# The data-file list is generated at configure time; nothing else needs building.
# clang does not know GCC's link-time optimisation flags of optimised builds.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -extra-arg=-Wno-ignored-optimization-argument \
  "$root/(src|tools|support)/" >"$build/clang-tidy.log" 2>&1 || {
  grep -E "(warning|error):" "$build/clang-tidy.log" | sort -u
  echo "clang-tidy: findings above (full log in $build/clang-tidy.log)" >&2
  exit 1
}
echo "clang-tidy: no findings"
