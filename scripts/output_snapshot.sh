#!/usr/bin/env bash
# Runs the three programs of one build on a spread of generated pictures and
# settings (both modes, both searches, several depths and window sizes, odd
# sizes, top-down rows, the candidate stop, refusals and start-up failures) and
# keeps everything each run leaves: exit code, console output (standard output;
# the diagnostics on standard error are no station output), status file,
# named and default data logs, Waferon's dump files and Glazet's defect map.
# Elapsed times ("calc time" and Glazet's "... ticks" console line) are the
# only values masked. Two snapshots of the
# same scenarios compare with diff -r, which is how a change that must not
# alter any output is checked:
#
#   scripts/output_snapshot.sh build/bin /tmp/before     # on the old commit
#   scripts/output_snapshot.sh build/bin /tmp/after      # on the new one
#   diff -r /tmp/before /tmp/after && echo identical
#
# Usage: scripts/output_snapshot.sh BIN_DIR OUT_DIR [EXTRA_ARGS...]
# EXTRA_ARGS are appended to every program run (for example an option under
# test that must not change the station files).
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
shift 2
extra=("$@")
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One copy of the programs and libraries: the libraries write beside it.
mkdir -p "$work/bin" "$work/pictures" "$work/run"
# The libraries with their versioned names and links (lib*.so -> lib*.so.1 -> ...).
cp -P "$bin"/Waferonrun "$bin"/Glazetrun "$bin"/Ostrelrun "$bin"/lib*.so* "$work/bin/"
sim=$bin/sensorsim
pics=$work/pictures

"$sim" -Out "$pics/bayer10.bmp" -Size 640,480 -BitCount 32 -BayerMode -BitsUsage 10,10 \
  -HotPixels 40 -DarkPixels 30 -Clusters 6,4 -Blemishes 3,12,20 -Seed 3 >/dev/null
"$sim" -Out "$pics/bayer12_odd_topdown.bmp" -Size 333,251 -BitCount 32 -TopDown -BayerMode \
  -BitsUsage 12,12 -BayerLevels 1800,2400,2400,1500 -HotPixels 25 -DarkPixels 25 -Clusters 4,5 \
  -Blemishes 2,9,15 -Brighter -Seed 5 >/dev/null
"$sim" -Out "$pics/bayer8_24.bmp" -Size 320,240 -BitCount 24 -BayerMode -BitsUsage 8,8 \
  -BayerLevels 120,160,160,100 -HotPixels 15 -DarkPixels 10 -Seed 7 >/dev/null
"$sim" -Out "$pics/colour24_odd.bmp" -Size 641,479 -BitCount 24 -HotPixels 40 -DarkPixels 40 \
  -Clusters 5,3 -Blemishes 3,14,25 -Seed 11 >/dev/null
"$sim" -Out "$pics/colour32_topdown.bmp" -Size 400,300 -BitCount 32 -TopDown -HotPixels 20 \
  -Clusters 3,6 -Blemishes 2,10,30 -Brighter -Seed 13 >/dev/null
"$sim" -Out "$pics/clean_small.bmp" -Size 64,48 -BitCount 32 -BayerMode -Noise 0 -Seed 17 >/dev/null
"$sim" -Out "$pics/many_hot.bmp" -Size 700,700 -BitCount 32 -BayerMode -BitsUsage 10,10 \
  -HotPixels 70000 -Seed 19 >/dev/null
printf 'BM garbage' >"$pics/broken.bmp"

limits=$work/limits
mkdir -p "$limits"
cat >"$limits/Waferonrun.txt" <<'EOF'
[CLUSTER]
Header=cluster(center),cluster(side),cluster(total)
Unit=count,count,count
HighLimit=0,2,3
LowLimit=0,0,0
[PIXEL]
Header=pixel(center),pixel(side),pixel(total)
Unit=count,count,count
HighLimit=5,10,12
LowLimit=0,0,0
[BRIGHTNESS]
Header=brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)
Unit=LSB,LSB,LSB,LSB,LSB
HighLimit=650,200,550,850,850
LowLimit=100,0,50,150,150
EOF
cat >"$limits/Glazetrun.txt" <<'EOF'
[CLUSTER]
Header=cluster(center),cluster(side),cluster(total)
Unit=count,count,count
HighLimit=0,0,1
LowLimit=0,0,0
[BRIGHTNESS]
Header=brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)
Unit=LSB,LSB,LSB,LSB,LSB
HighLimit=650,200,550,850,850
LowLimit=100,0,50,150,150
EOF
cat >"$limits/Ostrelrun.txt" <<'EOF'
[DIMENSION]
Header=Width,Height
Unit=px,px
HighLimit=640,480
LowLimit=64,48
[BRIGHTNESS]
Header=R,G,B,G1,G2
Unit=LSB,LSB,LSB,LSB,LSB
HighLimit=650,200,550,850,850
LowLimit=100,0,50,150,150
EOF
printf '[CLUSTER]\nHeader=x\n' >"$limits/broken.txt"

# settings variants per program: name|settings lines separated by ';'
waferon_settings=(
  "bayer_local|BayerMode=1;BitsUsage=10,10;LocalSearch=1;HammerSize=11;ClusterSize=2;BayerOutliers=2,2,2,2;CenterROI(%)=0.25,0.25,0.75,0.75;ClusterThreshold(-)=60,60,60,60,60,80,80,80,80,80;PixelThreshold(-)=60,60,60,60,60,80,80,80,80,80;ColorUnderTest=1,0,1,1,1"
  "bayer_local_31_pct|BayerMode=1;BitsUsage=12,12;LocalSearch=1;HammerSize=31;ClusterSize=3;BayerOutliers=1,3,5,7;CenterROI(%)=0.1,0.2,0.6,0.9;ClusterThreshold(%)=10,10,10,10,10,20,20,20,20,20;PixelThreshold(%)=8,8,8,8,8,12,12,12,12,12;ColorUnderTest=1,1,1,0,1"
  "bayer_global|BayerMode=1;BitsUsage=10,8;LocalSearch=0;HammerSize=5;ClusterSize=2;BayerOutliers=0,0,0,0;CenterROI(%)=0.3,0.3,0.7,0.7;ClusterThreshold(-)=30,30,30,30,30,40,40,40,40,40;PixelThreshold(-)=30,30,30,30,30,40,40,40,40,40"
  "colour_local|BayerMode=0;LocalSearch=1;HammerSize=7;ClusterSize=2;BayerOutliers=3,3,3,3;CenterROI(%)=0.25,0.25,0.75,0.75;ClusterThreshold(-)=40,40,40,40,40,50,50,50,50,50;PixelThreshold(-)=40,40,40,40,40,50,50,50,50,50"
  "colour_global_pct|BayerMode=0;LocalSearch=0;HammerSize=11;ClusterSize=4;CenterROI(%)=0,0,1,1;ClusterThreshold(%)=15,15,15,15,15,15,15,15,15,15;PixelThreshold(%)=15,15,15,15,15,15,15,15,15,15"
  "refused_hammer|BayerMode=1;BitsUsage=10,10;LocalSearch=1;HammerSize=-3"
  "refused_bits|BayerMode=1;BitsUsage=8,10;LocalSearch=1;HammerSize=11"
)
glazet_settings=(
  "bayer_local_g1|BayerMode=1;BitsUsage=10,10;Color=G1;LocalSearch=1;HammerSize=5,31;DefectThreshold(%)=6;ClusterSize=8;BayerOutliers=2,2,2,2;ROI(%)=0,0,1,1"
  "bayer_global_r|BayerMode=1;BitsUsage=12,10;Color=R;LocalSearch=0;HammerSize=15,63;DefectThreshold(%)=4;ClusterSize=3;BayerOutliers=1,2,3,4;ROI(%)=0.1,0.1,0.9,0.8"
  "bayer_local_b|BayerMode=1;BitsUsage=8,8;Color=B;LocalSearch=1;HammerSize=9,3;DefectThreshold(%)=5;ClusterSize=2;ROI(%)=0,0,1,1"
  "colour_local_g|BayerMode=0;Color=G;LocalSearch=1;HammerSize=5,15;DefectThreshold(%)=5;ClusterSize=4;BayerOutliers=4,4,4,4;ROI(%)=0,0,1,1"
  "colour_global_r|BayerMode=0;Color=R;LocalSearch=0;HammerSize=7,21;DefectThreshold(%)=8;ClusterSize=1;ROI(%)=0.2,0.2,0.8,0.8"
  "refused_colour|BayerMode=1;BitsUsage=10,10;Color=G;LocalSearch=1;HammerSize=5,31"
)
ostrel_settings=(
  "bayer|BayerMode=1;BitsUsage=10,10;BayerOutliers=2,2,2,2"
  "bayer12_margins|BayerMode=1;BitsUsage=12,10;BayerOutliers=0,5,9,1;SensorROI(%)=0.1,0.1,0.9,0.9"
  "colour|BayerMode=0;BayerOutliers=3,1,4,1"
  "refused_bits|BayerMode=1;BitsUsage=9,9"
)

snapshot_run() {  # name program picture settings-name settings-lines limits-file
  local name=$1 program=$2 picture=$3 sname=$4 lines=$5 limitsfile=$6
  local dir=$out/$program/$name
  mkdir -p "$dir"
  tr ';' '\n' <<<"$lines" >"$work/run/settings.ini"
  local args=(-TestSettings "$work/run/settings.ini" -OutputFile "$work/run/status.txt" -slave)
  [ "$picture" = none ] || args=(-BMPFileIn "$pics/$picture" "${args[@]}")
  if [ "$limitsfile" != none ]; then
    args+=(-TestLimits "$limitsfile" -LogFile "$work/run/log.csv")
  fi
  set +e
  (cd "$work/run" && "$work/bin/$program" "${args[@]}" "${extra[@]}" >"$dir/console.txt" 2>>"$work/stderr.txt")
  echo $? >"$dir/exit_code"
  set -e
  # Paths of this run's temporary folder are replaced so that two snapshots compare.
  sed -i -e "s#$work#WORK#g" -e 's/\.\.\.[0-9]* ticks$/...N ticks/' "$dir/console.txt"
  for f in status.txt log.csv; do
    if [ -f "$work/run/$f" ]; then
      sed -e "s#$work#WORK#g" -e 's/^calc time=.*/calc time=MASKED/' "$work/run/$f" >"$dir/$f"
      rm -f "$work/run/$f"
    fi
  done
  for f in "$work/bin"/*; do
    case $(basename "$f") in Waferonrun|Glazetrun|Ostrelrun|lib*.so|lib*.so.*) continue ;; esac
    mv "$f" "$dir/"
  done
}

for program in Waferonrun Glazetrun Ostrelrun; do
  case $program in
    Waferonrun) set -- "${waferon_settings[@]}" ;;
    Glazetrun) set -- "${glazet_settings[@]}" ;;
    Ostrelrun) set -- "${ostrel_settings[@]}" ;;
  esac
  for entry in "$@"; do
    sname=${entry%%|*}
    lines=${entry#*|}
    for picture in bayer10.bmp bayer12_odd_topdown.bmp bayer8_24.bmp colour24_odd.bmp \
      colour32_topdown.bmp clean_small.bmp; do
      snapshot_run "${sname}__${picture%.bmp}" "$program" "$picture" "$sname" "$lines" \
        "$limits/$program.txt"
    done
    # Without a limits file: the default data log beside the program.
    snapshot_run "${sname}__nolimits" "$program" bayer10.bmp "$sname" "$lines" none
  done
  first=${1#*|}
  snapshot_run "failure__broken_picture" "$program" broken.bmp x "$first" "$limits/$program.txt"
  snapshot_run "failure__no_picture" "$program" none x "$first" "$limits/$program.txt"
  snapshot_run "failure__broken_limits" "$program" bayer10.bmp x "$first" "$limits/broken.txt"
  snapshot_run "failure__many_hot" "$program" many_hot.bmp x "$first" "$limits/$program.txt"
done
echo "$(find "$out" -name exit_code | wc -l) runs in $out"
