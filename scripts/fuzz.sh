#!/usr/bin/env bash
# Fuzzes every file reader of the game with libFuzzer, one target after the
# other (or N at once with --jobs N), for SECONDS each (default 60), or until
# each has run RUNS inputs (--runs RUNS; with SECONDS too, whichever comes
# first):
#   scripts/fuzz.sh [--jobs N] [--runs RUNS] [SECONDS] [TARGET...]
# Builds build-fuzz with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# seeds each corpus from the built data files, and keeps corpora and crash
# inputs under build-fuzz/work/TARGET. Exits non-zero when any target crashed.
# Not part of scripts/test.sh: the replays of saved inputs are.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

jobs=1
run_count=""
while [ $# -ge 2 ] && { [ "$1" = --jobs ] || [ "$1" = --runs ]; }; do
  if [ "$1" = --jobs ]; then jobs="$2"; else run_count="$2"; fi
  shift 2
done
seconds=""
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi
[ -z "$seconds" ] && [ -z "$run_count" ] && seconds=60
all_targets=(bmp wave font high_score stage settings recording sim_script sim_options)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
if { [ -n "$seconds" ] && ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; } || ! [[ "$jobs" =~ ^[1-9][0-9]*$ ]] ||
  { [ -n "$run_count" ] && ! [[ "$run_count" =~ ^[1-9][0-9]*$ ]]; }; then
  echo "usage: $0 [--jobs N] [--runs RUNS] [SECONDS] [TARGET...]   (targets: ${all_targets[*]})" >&2
  exit 2
fi
for target in "${targets[@]}"; do
  if [[ " ${all_targets[*]} " != *" $target "* ]]; then
    echo "$0: no target '$target' (targets: ${all_targets[*]})" >&2
    exit 2
  fi
done

# What the build needs, with clang's fuzzing and sanitizer runtimes.
"$root/scripts/deps.sh" fuzz

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCHOMPO_FUZZ=ON -DCHOMPO_BUILD_TESTS=OFF -DCHOMPO_BUILD_BENCH=OFF >/dev/null
build_targets=(chompo_data pack_stage_inputs)
for target in "${targets[@]}"; do build_targets+=("fuzz_$target"); done
cmake --build "$build" --target "${build_targets[@]}" -- -j "${CHOMPO_FUZZ_BUILD_JOBS:-$(nproc)}"

data="$build/data"
work="$build/work"

max_len() {
  case "$1" in
    bmp) echo 20000 ;;        # the game's sprites and cut-scene pictures
    wave) echo 16384 ;;       # a fraction of a second of sound
    font) echo 4200 ;;        # 4096 bytes of glyphs, and some past them
    high_score) echo 16 ;;    # 4 bytes
    stage) echo 4096 ;;       # one stage's records of both files
    settings) echo 2048 ;;    # a settings file is a few hundred bytes
    recording) echo 8192 ;;   # a minute or so of a session
    sim_script) echo 1024 ;;
    sim_options) echo 512 ;;
  esac
}

# Copies the files no longer than the target reads into its corpus.
seed_files() {
  local corpus="$1" limit="$2"
  shift 2
  local file
  for file in "$@"; do
    [ -f "$file" ] && [ "$(stat -c %s "$file")" -le "$limit" ] && cp "$file" "$corpus/" || true
  done
}

seed() {
  local target="$1" corpus="$2" limit
  limit="$(max_len "$target")"
  case "$target" in
    bmp) seed_files "$corpus" "$limit" "$data"/*.bmp ;;
    wave)
      seed_files "$corpus" "$limit" "$data"/*.wav
      # The longer effects, cut short (and in other formats) so they fit.
      if command -v sox >/dev/null; then
        local file name
        for file in "$data"/*.wav; do
          name="$(basename "$file" .wav)"
          sox "$file" "$corpus/${name}_cut.wav" trim 0 0.15 2>/dev/null || true
          sox "$file" -r 8000 -c 2 -b 8 -e unsigned "$corpus/${name}_stereo8.wav" trim 0 0.2 2>/dev/null || true
        done
      fi
      ;;
    font) seed_files "$corpus" "$limit" "$data/e1.eng" ;;
    high_score) printf '\x10\x27\x00\x00' >"$corpus/score_10000" ;;
    stage) "$build/fuzz/pack_stage_inputs" "$data/StageData.map" "$data/StageData.scp" "$corpus" --compact ;;
    settings)
      printf '# mine\n[display]\nfullscreen = false\nscale = 0\n\n[audio]\nvolume = 4\nmuted = true\n[keys]\nleft = A, Left\npause =\nquit = Q, F12\n[other]\nx = 1\n' \
        >"$corpus/chompo.ini"
      ;;
    sim_script)
      printf '# a short game\n0 press SPACE\n120 release SPACE\n5000 press LEFT\n5600 release left\n9000 deactivate\n9500 activate\n12000 press F12\n13000 close\n' \
        >"$corpus/game.txt"
      ;;
    sim_options)
      printf -- '--script\0game.txt\0--until=60000\0--trace\0t.jsonl\0--frames=out\0--frame-at\0100,0x200\0--frame-every=500\0--clock-start=0xFFFFFF00' \
        >"$corpus/full"
      ;;
  esac
  local saved="$root/fuzz/regressions/$target"
  if [ -d "$saved" ]; then
    seed_files "$corpus" "$limit" "$saved"/*
  fi
}

run_target() {
  local target="$1" dir="$work/$1"
  mkdir -p "$dir/corpus" "$dir/crashes"
  seed "$target" "$dir/corpus"
  local dict="$root/fuzz/dicts/$target.dict" options=()
  [ -f "$dict" ] && options+=("-dict=$dict")
  [ -n "$seconds" ] && options+=("-max_total_time=$seconds")
  [ -n "$run_count" ] && options+=("-runs=$run_count")
  local before
  before="$(find "$dir/crashes" -type f | wc -l)"
  local status=0 started=$SECONDS
  (cd "$dir" && "$build/fuzz/fuzz_$target" -max_len="$(max_len "$target")" \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/crashes/" \
    "${options[@]}" "$dir/corpus") >"$dir/last.log" 2>&1 || status=$?
  local took=$((SECONDS - started))
  local runs rate found
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/last.log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/last.log" | tail -1)"
  found=$(($(find "$dir/crashes" -type f | wc -l) - before))
  if [ "$status" -eq 0 ]; then
    printf '%-12s %10s runs in %6d s, %6s/s, 0 crashes\n' "$target" "${runs:-?}" "$took" "${rate:-?}"
  elif [ "$status" -eq 72 ] && [ "$found" -eq 0 ]; then
    # libFuzzer's own status when it is interrupted (SIGINT): no finding.
    printf '%-12s %10s runs in %6d s, %6s/s, 0 crashes, interrupted\n' "$target" "${runs:-?}" "$took" "${rate:-?}"
  else
    printf '%-12s %10s runs in %6d s, %6s/s, CRASHED (exit %d): %d new input(s) in %s, log %s\n' "$target" \
      "${runs:-?}" "$took" "${rate:-?}" "$status" "$found" "$dir/crashes" "$dir/last.log"
  fi
  return "$status"
}

limits=()
[ -n "$seconds" ] && limits+=("$seconds s")
[ -n "$run_count" ] && limits+=("$run_count runs")
echo "Fuzzing ${targets[*]} for ${limits[*]} each ($jobs at a time); work folder $work"
failed=0
running=0
for target in "${targets[@]}"; do
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
