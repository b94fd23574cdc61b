#!/usr/bin/env bash
# Builds the benchmark binary in Release and prints one table: each of our
# figures, its OpenCV counterpart (when OpenCV is installed), the floor (the
# fastest read pass and one copy of the same buffer), the ratios and the goals.
#
# Usage: scripts/bench.sh [--install-opencv] [--programs] [--build DIR] [--filter REGEX]
#   --install-opencv  install Debian's libopencv-dev first (root)
#   --programs        also time the three programs on a 48 MP bitmap file
#                     (wall time and peak resident memory against reading it)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-bench
filter=
programs=0
while [ $# -gt 0 ]; do
  case "$1" in
    --install-opencv) scripts/install-deps.sh libopencv-dev ;;
    --programs) programs=1 ;;
    --build) build=$2; shift ;;
    --filter) filter=$2; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target sensor_bench -j2 >/dev/null

out="$build/bench/results.json"
# Three runs of every benchmark in random order, so that load from other work
# spreads over all of them; the table takes the medians.
"$build/bench/sensor_bench" --benchmark_min_time=0.2 --benchmark_repetitions=3 \
  --benchmark_enable_random_interleaving=true --benchmark_out="$out" \
  --benchmark_out_format=json ${filter:+--benchmark_filter="$filter"} >/dev/null
python3 bench/bench_table.py "$out"

if [ "$programs" = 1 ]; then
  bench/bench_programs.sh "$build"
fi
