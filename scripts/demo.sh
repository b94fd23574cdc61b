#!/usr/bin/env bash
# Builds the programs (quietly: the build log is shown only when the build
# fails), runs each of them on the example pictures in slave mode, and ends
# with a table of the runs and where their files are.
# Usage: scripts/demo.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac

scripts/install-deps.sh
mkdir -p "$build"
log=$build/demo_build.log
echo "Building Waferonrun, Glazetrun and Ostrelrun in $build ..."
if ! { cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" --target Waferonrun Glazetrun Ostrelrun; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "The build failed; its log is $log" >&2
  exit 1
fi

bin=$build/bin
out=$build/demo
mkdir -p "$out"
rows=()
for program in Waferonrun Glazetrun Ostrelrun; do
  settings=$root/examples/${program,,}/settings.ini
  limits=$root/examples/${program,,}/limits.txt
  for picture in clean_bayer defective_bayer dim_bayer; do
    status=$out/${program}_${picture}_status.txt
    rm -f "$status"
    code=0
    "$bin/$program" -BMPFileIn "$root/examples/images/$picture.bmp" -TestSettings "$settings" \
      -TestLimits "$limits" -OutputFile "$status" -LogFile "$out/${program}_${picture}.csv" \
      -slave >"$out/${program}_${picture}_console.txt" || code=$?
    # The status file's message names the failing values (or the failure).
    failing=-
    if [ "$code" -ne 0 ]; then
      failing=$(sed -n 's/^Message="\(.*\)"$/\1/p' "$status" 2>/dev/null || true)
      failing=${failing% ERROR}
      failing=${failing:-"(no status file)"}
    fi
    rows+=("$picture.bmp|$program|$code|$failing")
    if [ "$program" = Glazetrun ] && [ -f "$bin/pkgdfects.bmp" ]; then
      cp "$bin/pkgdfects.bmp" "$out/${picture}_pkgdfects.bmp"
    fi
  done
done

echo
printf '%-20s %-11s %-5s %s\n' picture program exit "failing values"
for row in "${rows[@]}"; do
  IFS='|' read -r picture program code failing <<<"$row"
  printf '%-20s %-11s %-5s %s\n' "$picture" "$program" "$code" "$failing"
done
cat <<TEXT

Files of each run, in $out:
  <program>_<picture>_status.txt   status file (-OutputFile)
  <program>_<picture>.csv          named data log (-LogFile)
  <program>_<picture>_console.txt  console output
  <picture>_pkgdfects.bmp          Glazetrun's defect map (written as $bin/pkgdfects.bmp)
Waferonrun's dump files (DefectsDump.csv, Worst64Pixels.csv, AllClusters.csv) lie
beside the program in $bin, from its last run.
TEXT
