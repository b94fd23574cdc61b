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
# Figures: wall time and processor time (user plus system, children included).
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
# "wall s (cpu s)" of a command: wall time, and user plus system time of it and
# its children (less sensitive to other load on the machine).
measure() {
  /usr/bin/time -f '%e %U %S' -o "$work/time.out" "$@" >/dev/null 2>&1 || true
  python3 -c "w, u, s = map(float, open('$work/time.out').read().split()[-3:]); print(f'{w:.3f} s ({u + s:.3f} s cpu)')"
}
# The best of three by wall time.
best() {
  { measure "$@"; measure "$@"; measure "$@"; } | sort -n | head -1
}
# Runs every line of a job file as its own program process, one after another.
cat >"$work/one_by_one.sh" <<SCRIPT
while read -r program rest; do "$bin/\$program" \$rest >/dev/null || true; done <"\$1"
SCRIPT
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
processes=$(best bash "$work/one_by_one.sh" "$work/station.txt")
batch=$(best "$bin/sensorbatch" -Jobs "$work/station.txt")
echo "48 MP, three tests: three processes $processes; sensorbatch $batch"

pictures=()
for i in 1 2 3 4; do picture "$work/picture_12mp_$i.bmp" 4000 3000 "$((i + 1))"; pictures+=("$work/picture_12mp_$i.bmp"); done
rm -f "$work/archive.txt"
for n in $(seq 1 200); do
  for program in Waferonrun Ostrelrun; do
    echo "$program $(args "$program" "${pictures[n % 4]}" "$work/archive/$n")" >>"$work/archive.txt"
  done
done
echo "200 x 12 MP, 400 jobs: programs one by one $(measure bash "$work/one_by_one.sh" "$work/archive.txt")"
for workers in $(seq 1 "$(nproc)"); do
  echo "200 x 12 MP, 400 jobs: sensorbatch -Workers $workers $(measure "$bin/sensorbatch" -Jobs "$work/archive.txt" -Workers "$workers")"
done
