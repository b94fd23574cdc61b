#!/usr/bin/env bash
# Whole-program figures: each of the three programs on a 48 MP 32-bit bitmap
# file (made with sensorsim), against reading the cached file
# (cat FILE > /dev/null) and against the analysis itself (the library's
# Execute on the same file with the same settings, from sensor_bench's
# BM_ProgramAnalysis*).
# The machine may be busy: every round runs the read and each program once,
# one after another, and a program's ratio to the read is taken within its
# round; the table gives the medians over the rounds (wall time, ratio,
# processor time and peak resident memory of the process, from wait4) and the
# slowest round's ratio ("max"). With a second build's bin
# folder (BEFORE_BIN) its programs run in the same rounds, for a before/after
# table.
# With REVIEW=1 each program also runs with -ReviewImage (rows "+review",
# and "added": the review picture's cost in reads of the file, from the
# round's pair of runs), on the Bayer picture and on a 48 MP 32-bit colour
# picture with the same settings in colour mode.
# Usage: bench/bench_programs.sh [build-dir] [BEFORE_BIN]   (ROUNDS=9 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-bench}
before=${2:-}

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
# Into the page cache as a fresh read leaves it: the file's cached pages
# dropped, then read through once. How a file came into the cache decides the
# size of its cache pages (a file written 64 KiB at a time stays in small
# pages, one read ahead 8 MiB at a time sits in 2 MiB pages), and a mapped
# picture costs one fault per small page on its first pass.
colour=$work/colour_48mp.bmp
if [ "${REVIEW:-0}" = 1 ]; then
  if [ ! -f "$colour" ]; then
    "$bin/sensorsim" -Out "$colour" -Size 8000,6000 -BitCount 32 -ColorMode -Noise 3 -HotPixels 200 \
      -DarkPixels 100 -Clusters 50,4 -Blemishes 3,40,20 >/dev/null
  fi
  for p in waferonrun glazetrun ostrelrun; do
    sed -e 's/BayerMode=1/BayerMode=0/' -e 's/Color=G1/Color=G/' "$root/examples/$p/settings.ini" >"$work/colour_$p.ini"
  done
fi
for f in "$picture" $([ "${REVIEW:-0}" = 1 ] && echo "$colour"); do
  python3 -c "import os, sys; fd = os.open(sys.argv[1], os.O_RDONLY); os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)" "$f"
  cat "$f" >/dev/null
done

if [ "${REVIEW:-0}" = 1 ]; then
  ROUNDS=${ROUNDS:-9} python3 - "$root" "$work" "$picture" "$colour" "$bin" "$before" <<'PYTHON'
import os, statistics, subprocess, sys, time
root, work, bayer, colour, after, before = sys.argv[1:7]
rounds = int(os.environ["ROUNDS"])
programs = ["Ostrelrun", "Waferonrun", "Glazetrun"]
builds = [("after", after)] + ([("before", before)] if before else [])

def wall(argv):
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        subprocess.run(argv, stdout=null, stderr=null, cwd=work)
        return time.perf_counter() - start

def args(bin_dir, program, picture, settings, review):
    a = [f"{bin_dir}/{program}", "-BMPFileIn", picture, "-TestSettings", settings,
         "-OutputFile", f"{work}/{program}.status", "-slave"]
    return a + (["-ReviewImage", f"{work}/{program}_review.png"] if review else [])

print(f"{rounds} rounds; medians; the read is cat FILE > /dev/null in the same round; load {os.getloadavg()}")
print(f"{'picture':8} {'program':11} {'build':6} {'wall s':>8} {'/read':>7} {'+review s':>10} {'/read':>7} {'added':>7}")
for kind, picture in (("Bayer", bayer), ("colour", colour)):
    samples = {}
    reads = []
    for _ in range(rounds):
        read = wall(["sh", "-c", 'cat "$0" > /dev/null', picture])
        reads.append(read)
        for name, bin_dir in builds:
            for program in programs:
                p = program.lower()
                settings = f"{root}/examples/{p}/settings.ini" if kind == "Bayer" else f"{work}/colour_{p}.ini"
                plain = wall(args(bin_dir, program, picture, settings, False))
                review = wall(args(bin_dir, program, picture, settings, True))
                samples.setdefault((name, program), []).append((plain, review, read))
    m = statistics.median
    print(f"{kind:8} {'cat file':11} {'':6} {m(reads):8.3f} {1:7.2f}")
    for program in programs:
        for name, _ in builds:
            s = samples[(name, program)]
            print(f"{kind:8} {program:11} {name:6} {m(x[0] for x in s):8.3f} {m(x[0] / x[2] for x in s):7.2f} "
                  f"{m(x[1] for x in s):10.3f} {m(x[1] / x[2] for x in s):7.2f} {m((x[1] - x[0]) / x[2] for x in s):7.2f}")
PYTHON
  exit 0
fi

analysis_json=$work/analysis.json
SENSOR_PROGRAM_PICTURE=$picture SENSOR_EXAMPLES=$root/examples \
  "$root/$build/bench/sensor_bench" --benchmark_filter=ProgramAnalysis --benchmark_min_time=0.5 \
  --benchmark_out="$analysis_json" --benchmark_out_format=json >/dev/null 2>&1


ROUNDS=${ROUNDS:-9} python3 - "$root" "$work" "$picture" "$analysis_json" "$bin" "$before" <<'PYTHON'
import json, os, statistics, subprocess, sys, time
root, work, picture, analysis_json, after, before = sys.argv[1:7]
rounds = int(os.environ["ROUNDS"])
programs = ["Ostrelrun", "Waferonrun", "Glazetrun"]
builds = [("after", after)] + ([("before", before)] if before else [])

def run(argv):
    """Wall seconds, processor seconds (user and system) and peak resident bytes of one process."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=null, stderr=null, cwd=work)
        _, _, usage = os.wait4(child.pid, 0)
        return time.perf_counter() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024

def program_args(bin_dir, program):
    p = program.lower()
    return [f"{bin_dir}/{program}", "-BMPFileIn", picture, "-TestSettings", f"{root}/examples/{p}/settings.ini",
            "-TestLimits", f"{root}/examples/{p}/limits.txt", "-OutputFile", f"{work}/{program}.status",
            "-LogFile", f"{work}/{program}.csv", "-slave"]

samples = {}  # (build, program) -> list of (wall, ratio, cpu, rss)
reads = []
for _ in range(rounds):
    read, read_cpu, _ = run(["sh", "-c", 'cat "$0" > /dev/null', picture])
    reads.append((read, read_cpu))
    for name, bin_dir in builds:
        for program in programs:
            wall, cpu, rss = run(program_args(bin_dir, program))
            samples.setdefault((name, program), []).append((wall, wall / read, cpu, rss))

runs = json.load(open(analysis_json))["benchmarks"]
analysis = {r["name"][len("BM_ProgramAnalysis"):]: r["real_time"] / 1e3 for r in runs}
size = os.path.getsize(picture)
median = statistics.median
print(f"{rounds} rounds; medians; the read is cat FILE > /dev/null in the same round")
print(f"{'program':11} {'build':6} {'wall s':>8} {'/read':>7} {'max':>6} {'cpu s':>7} {'peak RSS MB':>12} "
      f"{'RSS/file':>9} {'analysis s':>11}")
print(f"{'cat file':11} {'':6} {median(r[0] for r in reads):8.3f} {1:7.2f} {'-':>6} "
      f"{median(r[1] for r in reads):7.3f} {size / 1e6:12.1f} {'-':>9} {'-':>11}")
for program in programs:
    for name, _ in builds:
        s = samples[(name, program)]
        wall, ratio, cpu, rss = (median(x[i] for x in s) for i in range(4))
        print(f"{program:11} {name:6} {wall:8.3f} {ratio:7.2f} {max(x[1] for x in s):6.2f} {cpu:7.3f} "
              f"{rss / 1e6:12.1f} {rss / size:9.2f} {analysis.get(program, float('nan')):11.3f}")
print(f"picture: {picture} ({size} bytes); Glazetrun also holds its 1-byte-per-pixel defect map;"
      " max: the slowest round's ratio; analysis s: the library's Execute alone (this build);"
      f" load {os.getloadavg()[0]:.1f} at the end")
PYTHON
