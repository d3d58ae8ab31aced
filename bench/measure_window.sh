#!/usr/bin/env bash
# Measures the game in a window beside a bare SDL program, under an X server
# of its own: start-up, peak memory, processor time and wake-ups on each
# screen, and the intervals between pictures in play, with the game's
# figures as ratios of the bare program's. Build first:
#   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build --target chompo chompo_data chompo-bare-window chompo-present-log
#   bench/measure_window.sh [--build build] [--rounds 3] [--game NAME=PATH]... [--start-only]
# Several --game options compare builds in one run (an older build's
# chompo with its data folder beside it). Needs Xvfb and xdotool.
set -euo pipefail
exec python3 "$(dirname "$0")/measure_window.py" "$@"
