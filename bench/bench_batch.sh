#!/usr/bin/env bash
# Batch figures (a benchmark, not a test):
#  1. the station's three tests on one 48 MP 32-bit Bayer picture: the three
#     programs as three processes one after another, against sensorbatch with
#     the same three jobs (one read of the picture); best wall time of three;
#  2. 200 pictures of 12 MP (four picture files, each used 50 times; each
#     picture's files in a folder of its own), Waferonrun and Ostrelrun on each
#     (400 jobs): the programs one process after another, against sensorbatch
#     with -Workers 1 up to the processor count. Glazetrun is left out of this
#     part: its 48 MB defect map per job would make it a disk benchmark.
# Usage: bench/bench_batch.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
cmake --build "$build" --target Waferonrun Glazetrun Ostrelrun sensorbatch sensorsim -j2 >/dev/null
bin=$root/$build/bin
work=$root/$build/bench/batch
mkdir -p "$work"
examples=$root/examples

picture() {  # file width height seed
  [ -f "$1" ] || "$bin/sensorsim" -Out "$1" -Size "$2,$3" -BitCount 32 -BayerMode -BitsUsage 10,10 \
    -BayerLevels 600,800,800,500 -Noise 3 -HotPixels 200 -DarkPixels 100 -Clusters 50,4 \
    -Blemishes 3,40,20 -Seed "$4" >/dev/null
  cat "$1" >/dev/null  # into the page cache
}
seconds() {  # wall seconds of a command
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  python3 -c "print(f'{$end - $start:.3f}')"
}
best() {  # best of three
  local a b c
  a=$(seconds "$@"); b=$(seconds "$@"); c=$(seconds "$@")
  python3 -c "print(min($a, $b, $c))"
}
args() {  # program picture folder: the job's arguments
  local p=${1,,}
  echo "-BMPFileIn $2 -TestSettings $examples/$p/settings.ini -TestLimits $examples/$p/limits.txt -OutputFile $3/${p}.txt -OutputFolder $3 -slave"
}

big=$work/picture_48mp.bmp
picture "$big" 8000 6000 1
rm -f "$work/station.txt"
for program in Waferonrun Glazetrun Ostrelrun; do
  echo "$program $(args "$program" "$big" "$work/station")" >>"$work/station.txt"
done
three_processes() {
  while read -r program rest; do
    # shellcheck disable=SC2086
    "$bin/$program" $rest || true
  done <"$work/station.txt"
}
processes=$(best three_processes)
batch=$(best "$bin/sensorbatch" -Jobs "$work/station.txt")
echo "48 MP, three tests:   three processes ${processes} s   sensorbatch ${batch} s   ratio $(python3 -c "print(f'{$batch / $processes:.2f}')")"

pictures=()
for i in 1 2 3 4; do picture "$work/picture_12mp_$i.bmp" 4000 3000 "$((i + 1))"; pictures+=("$work/picture_12mp_$i.bmp"); done
rm -f "$work/archive.txt"
for n in $(seq 1 200); do
  for program in Waferonrun Ostrelrun; do
    echo "$program $(args "$program" "${pictures[n % 4]}" "$work/archive/$n")" >>"$work/archive.txt"
  done
done
one_by_one() {
  while read -r program rest; do
    # shellcheck disable=SC2086
    "$bin/$program" $rest || true
  done <"$work/archive.txt"
}
echo "200 x 12 MP, 400 jobs: programs one by one $(seconds one_by_one) s"
for workers in $(seq 1 "$(nproc)"); do
  echo "200 x 12 MP, 400 jobs: sensorbatch -Workers $workers $(seconds "$bin/sensorbatch" -Jobs "$work/archive.txt" -Workers "$workers") s"
done
