#!/usr/bin/env bash
# Builds the programs and runs each of them on the example pictures in slave
# mode, then shows their status files. Usage: scripts/demo.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target Waferonrun Glazetrun Ostrelrun

bin=$root/$build/bin
out=$root/$build/demo
mkdir -p "$out"
for program in Waferonrun Glazetrun Ostrelrun; do
  settings=$root/examples/${program,,}/settings.ini
  limits=$root/examples/${program,,}/limits.txt
  for picture in clean_bayer defective_bayer dim_bayer; do
    status=$out/${program}_${picture}_status.txt
    set +e
    "$bin/$program" -BMPFileIn "$root/examples/images/$picture.bmp" -TestSettings "$settings" \
      -TestLimits "$limits" -OutputFile "$status" -LogFile "$out/${program}_${picture}.csv" \
      -slave >"$out/${program}_${picture}_console.txt"
    code=$?
    set -e
    printf '\n===== %s on %s: exit code %d =====\n' "$program" "$picture.bmp" "$code"
    cat "$status"
    if [ "$program" = Glazetrun ]; then
      cp "$bin/pkgdfects.bmp" "$out/${picture}_pkgdfects.bmp"
      echo "defect map: $bin/pkgdfects.bmp (kept as $out/${picture}_pkgdfects.bmp)"
    fi
  done
done
printf '\nConsole output, status files and data logs are in %s\n' "$out"
