#!/usr/bin/env bash
# Eight runs of each program from one installation at the same time, each with
# its own -OutputFolder, leave the same files as the same runs one after
# another, and nothing beside the programs; a folder that cannot be made fails
# start-up like a missing argument, naming the folder.
set -euo pipefail
bin=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
install=$work/install
mkdir -p "$install"
cp -P "$bin"/{Waferonrun,Glazetrun,Ostrelrun} "$bin"/lib{Waferon,Glazet,Ostrel}.so* "$install/"
pictures=(clean_bayer defective_bayer dim_bayer)

# Odd runs name their folder in the settings file (CR LF), even ones on the
# command line.
run() {  # mode program index
  local program=$2 i=$3 examples_of=$examples/${2,,}
  local out=$work/$1/$program/$i
  mkdir -p "$out"
  local settings=$examples_of/settings.ini folder=(-OutputFolder "$out/files/of/run")
  if (( i % 2 )); then
    settings=$work/$1-$program-$i.ini folder=()
    { cat "$examples_of/settings.ini"; printf 'OutputFolder=%s\r\n' "$out/files/of/run"; } >"$settings"
  fi
  "$install/$program" -BMPFileIn "$examples/images/${pictures[i % 3]}.bmp" \
    -TestSettings "$settings" -TestLimits "$examples_of/limits.txt" \
    -OutputFile "$out/status.txt" -slave "${folder[@]}" >/dev/null || true
  sed -i '/^calc time=/d; /^TestSettings=/d' "$out/status.txt"
}

for program in Waferonrun Glazetrun Ostrelrun; do
  for i in 0 1 2 3 4 5 6 7; do run one-by-one "$program" "$i"; done
done
pids=()
for program in Waferonrun Glazetrun Ostrelrun; do
  for i in 0 1 2 3 4 5 6 7; do run together "$program" "$i" & pids+=($!); done
done
for pid in "${pids[@]}"; do wait "$pid"; done

diff -r "$work/one-by-one" "$work/together"
for f in Waferonrun/1/files/of/run/DefectsDump.csv Waferonrun/7/files/of/run/Worst64Pixels.csv \
         Waferonrun/3/files/of/run/AllClusters.csv Glazetrun/5/files/of/run/pkgdfects.bmp \
         Glazetrun/2/files/of/run/Glazetrun.csv Ostrelrun/6/files/of/run/Ostrelrun.csv; do
  [ -e "$work/together/$f" ] || { echo "missing: $f"; exit 1; }
done
leftovers=$(find "$install" -type f ! -name '*run' ! -name '*.so' ! -name '*.so.*')
[ -z "$leftovers" ] || { echo "written beside the programs: $leftovers"; exit 1; }

touch "$work/a-file"
set +e
console=$("$install/Ostrelrun" -slave -OutputFile "$work/refused.txt" -OutputFolder "$work/a-file/sub")
code=$?
set -e
[ "$code" -eq 1 ] || { echo "an unusable output folder exited $code"; exit 1; }
grep -qF "Output folder \"$work/a-file/sub\" cannot be created or written." <<<"$console" ||
  { echo "no message naming the folder"; exit 1; }
grep -qx 'ReturnCode=-2147024809' "$work/refused.txt" || { echo "no start-up failure"; exit 1; }
echo "24 runs side by side match the runs one by one"
