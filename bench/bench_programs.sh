#!/usr/bin/env bash
# Whole-program figures: each of the three programs on a 48 MP 32-bit bitmap
# file (made with sensorsim), best wall time of three runs and peak resident
# memory (/usr/bin/time -v), against reading the cached file
# (cat FILE > /dev/null) and against the analysis itself (the library's
# Execute on the same file with the same settings, from sensor_bench's
# BM_ProgramAnalysis*). Usage: bench/bench_programs.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-bench}
[ -x /usr/bin/time ] || scripts/install-deps.sh time

cmake --build "$build" --target Waferonrun Glazetrun Ostrelrun sensorsim sensor_bench -j2 >/dev/null
bin=$root/$build/bin
work=$root/$build/bench/programs
mkdir -p "$work"
picture=$work/picture_48mp.bmp
if [ ! -f "$picture" ]; then
  "$bin/sensorsim" -Out "$picture" -Size 8000,6000 -BitCount 32 -BayerMode -BitsUsage 10,10 \
    -BayerLevels 600,800,800,500 -Noise 3 -HotPixels 200 -DarkPixels 100 -Clusters 50,4 \
    -Blemishes 3,40,20 >/dev/null
fi
size=$(stat -c %s "$picture")
cat "$picture" >/dev/null  # into the page cache

best() {  # best of three wall times (seconds) of a command
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    best=$(python3 -c "print(min(x for x in [$end - $start${best:+, $best}]))")
  done
  echo "$best"
}

read_time=$(best cat "$picture")
analysis_json=$work/analysis.json
SENSOR_PROGRAM_PICTURE=$picture SENSOR_EXAMPLES=$root/examples \
  "$root/$build/bench/sensor_bench" --benchmark_filter=ProgramAnalysis --benchmark_min_time=0.5 \
  --benchmark_out="$analysis_json" --benchmark_out_format=json >/dev/null 2>&1
analysis_of() {  # seconds of one Execute of the program's library
  python3 -c "
import json
runs = json.load(open('$analysis_json'))['benchmarks']
print(next(r['real_time'] / 1e3 for r in runs if r['name'] == 'BM_ProgramAnalysis$1'))"
}
printf '%-11s %9s %12s %9s %11s %11s %13s\n' program "wall s" "peak RSS MB" "/read" "RSS/file" "analysis s" "/(an.+read)"
printf '%-11s %9.3f %12.1f %9s %11s %11s %13s\n' "cat file" "$read_time" "$(python3 -c "print($size / 1e6)")" 1.00 - - -
for program in Waferonrun Glazetrun Ostrelrun; do
  settings=$root/examples/${program,,}/settings.ini
  limits=$root/examples/${program,,}/limits.txt
  run=("$bin/$program" -BMPFileIn "$picture" -TestSettings "$settings" -TestLimits "$limits"
       -OutputFile "$work/$program.status" -LogFile "$work/$program.csv" -slave)
  wall=$(best "${run[@]}")
  rss_kb=$( (/usr/bin/time -f '%M' "${run[@]}" 2>&1 >/dev/null || true) | tail -1)
  analysis=$(analysis_of "$program")
  python3 -c "
wall, read, rss, size, analysis = $wall, $read_time, $rss_kb * 1024, $size, $analysis
print(f'{\"$program\":11} {wall:9.3f} {rss / 1e6:12.1f} {wall / read:9.2f} {rss / size:11.2f} {analysis:11.3f} {wall / (analysis + read):13.2f}')"
done
echo "picture: $picture ($size bytes); Glazetrun also holds its 1-byte-per-pixel defect map"
