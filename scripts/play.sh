#!/usr/bin/env bash
# Builds the game and its data and starts it; options go to the game.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" play
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCHOMPO_BUILD_TESTS=OFF \
  -DCHOMPO_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --target chompo chompo_data
exec "$root/build/chompo" "$@"
