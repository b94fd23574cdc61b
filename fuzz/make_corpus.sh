#!/usr/bin/env bash
# Makes the seed corpora under fuzz/corpus/<target>/: small pictures from the
# picture simulator with a block of run parameters in front (the layout each
# library target reads), hand-written bitmaps of other writers (longer
# information headers, palettes, masks), and small settings files, limits files
# and argument vectors. Usage: fuzz/make_corpus.sh [build-dir with bin/sensorsim]
set -euo pipefail
cd "$(dirname "$0")"
root=$(cd .. && pwd)
sim=${1:-$root/build}/bin/sensorsim
[ -x "$sim" ] || sim=$root/$1/bin/sensorsim
[ -x "$sim" ] || { echo "sensorsim not found: build it first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Writes the given byte values (decimal) to standard output.
bytes() { for b in "$@"; do printf "\\x$(printf %02x "$b")"; done; }

# A picture from the simulator: picture <name> <sensorsim options...>
picture() {
  local name=$1
  shift
  "$sim" -Out "$scratch/$name.bmp" "$@" >/dev/null
}

# A bitmap written by hand: handmade <file> <info header size> <width> <height>
#   <bit count> <compression> <bytes between header and pixels> <pixel bytes>
# The information header's fields beyond the first 40 bytes are zero except the
# colour masks of a 32-bit picture with compression 3.
handmade() {
  local file=$1 size=$2 width=$3 height=$4 bits=$5 compression=$6 extra=$7 pixels=$8
  local offset=$((14 + size + extra)) total=$((14 + size + extra + pixels))
  u32() { bytes $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
  {
    printf 'BM'; u32 $total; u32 0; u32 $offset
    u32 "$size"; u32 "$width"; u32 $((height & 0xFFFFFFFF)); bytes 1 0 "$bits" 0; u32 "$compression"
    u32 "$pixels"; u32 2835; u32 2835; u32 0; u32 0
    if [ "$size" -gt 40 ]; then
      if [ "$compression" -eq 3 ]; then u32 0x00FF0000; u32 0x0000FF00; u32 0x000000FF; u32 0xFF000000
      else u32 0; u32 0; u32 0; u32 0; fi
      head -c $((size - 56)) /dev/zero
    fi
    head -c "$extra" /dev/zero | tr '\0' '\7'
    head -c "$pixels" /dev/zero | tr '\0' 'd'
  } >"$file"
}

picture colour24 -Size 16,12 -Seed 3 -HotPixels 2 -DarkPixels 1 -Clusters 1,3
picture colour32_topdown -Size 12,10 -BitCount 32 -TopDown -Seed 4 -HotPixels 3
picture bayer10 -Size 16,12 -BayerMode -BitsUsage 10,10 -Seed 5 -HotPixels 2 -Clusters 1,4
picture bayer12_8 -Size 14,10 -BayerMode -BitsUsage 12,8 -Seed 6 -Blemishes 1,2,20
picture bayer8_32 -Size 10,8 -BayerMode -BitsUsage 8,8 -BitCount 32 -TopDown -Seed 7 -DarkPixels 2
handmade "$scratch/v4_24.bmp" 108 8 6 24 0 0 $((24 * 6))
handmade "$scratch/v5_32.bmp" 124 8 -6 32 3 0 $((32 * 6))
handmade "$scratch/masks_32.bmp" 40 6 5 32 3 12 $((24 * 5))
handmade "$scratch/palette_8.bmp" 40 8 4 8 0 1024 $((8 * 4))
handmade "$scratch/sized_24.bmp" 40 5 4 24 0 0 $((20 * 4))

# Raw pictures for the raw readers: raw <name> <format> <sensorsim options...>
raw() {
  local name=$1 format=$2
  shift 2
  "$sim" -Out "$scratch/raw_$name" -Format "$format" "$@" >/dev/null
}
raw pgm10 pgm -Size 9,6 -BayerMode -BitsUsage 10,10 -Seed 8 -HotPixels 1
raw pgm8 pgm -Size 7,4 -BayerMode -BitsUsage 8,8 -Seed 9
raw tiff12 tiff -Size 9,6 -BayerMode -BitsUsage 12,12 -Seed 10 -DarkPixels 1
raw tiff_rgb tiff -Size 6,4 -Seed 11
raw dng10 dng -Size 8,6 -BayerMode -BitsUsage 10,10 -Seed 12
raw raw10 raw10 -Size 9,5 -BayerMode -BitsUsage 10,10 -Seed 13
raw raw12 raw12 -Size 7,5 -BayerMode -BitsUsage 12,12 -Seed 14 -Stride 12
raw raw16 raw16 -Size 6,4 -BayerMode -BitsUsage 10,10 -Seed 15

# Parameter blocks, named for what they ask.
wafer_colour_global() { bytes 12 31 0 0 8 8 8 8 70 70 170 170 10 13; for _ in $(seq 20); do bytes 40; done; bytes 72 8 18; bytes 0 0 0; }
wafer_bayer_local() { bytes 15 27 1 1 10 10 10 10 60 60 180 180 11 19; for _ in $(seq 20); do bytes 30; done; bytes 24 8 30; bytes 0 0 0; }
wafer_percent_debug() { bytes 60 31 2 0 8 8 8 8 20 20 200 200 9 11; for _ in $(seq 20); do bytes 20; done; bytes 12 8 9; bytes 0 0 0; }
glazet_colour_global() { bytes 0 0 0 0 8 8 8 8 20 20 220 220 11 17 20 9 8 40 0 0 0 0 0 0; }
glazet_bayer_local() { bytes 3 1 1 3 10 10 10 10 20 20 220 220 13 39 12 12 8 40 0 0 0 0 0 0; }
# The same with the picture kept (flag 4): the map file painted aside.
glazet_bayer_local_kept() { bytes 7 1 1 3 10 10 10 10 20 20 220 220 13 39 12 12 8 40 0 0 0 0 0 0; }
ostrel_colour() { bytes 0 0 0 8 8 8 8 20 20 220 220 0; }
ostrel_bayer() { bytes 1 1 1 10 10 10 10 20 20 220 220 0; }

rm -rf corpus
mkdir -p corpus/waferon corpus/glazet corpus/ostrel corpus/settings corpus/limits corpus/command_line \
  corpus/pgm corpus/tiff corpus/packed_raw corpus/bitmap
# Raw readers: a mode byte (1: Bayer, 4: samples in the top bits of their
# words) and a depth byte (0: 8, 1: 10, 2: 12) first;
# the frames then a format byte and width, height and stride (each 8 more).
{ bytes 1 1; cat "$scratch/raw_pgm10"; } >corpus/pgm/bayer10
{ bytes 1 0; cat "$scratch/raw_pgm8"; } >corpus/pgm/bayer8
{ bytes 0 1; cat "$scratch/raw_pgm10"; } >corpus/pgm/colour_mode
{ bytes 1 2; cat "$scratch/raw_tiff12"; } >corpus/tiff/bayer12
{ bytes 0 1; cat "$scratch/raw_tiff_rgb"; } >corpus/tiff/colour_rgb
{ bytes 1 1; cat "$scratch/raw_dng10"; } >corpus/tiff/dng10
{ bytes 5 1; cat "$scratch/raw_dng10"; } >corpus/tiff/dng10_top_bits
# Kept by hand beside these: corpus/tiff/dng10_deflate (sensorsim's first,
# deflated DNG form), pgm/bayer10_top_bits and packed_raw/raw16_top_bits
# (16-bit words holding 10-bit samples in their top bits, mode byte 5).
{ bytes 1 1 0 17 13 0; cat "$scratch/raw_raw10"; } >corpus/packed_raw/raw10
{ bytes 1 2 1 15 13 20; cat "$scratch/raw_raw12"; } >corpus/packed_raw/raw12_stride12
{ bytes 1 1 2 14 12 0; cat "$scratch/raw_raw16"; } >corpus/packed_raw/raw16
for f in "$scratch"/*.bmp; do
  name=$(basename "$f" .bmp)
  { wafer_colour_global; cat "$f"; } >"corpus/waferon/${name}_colour_global"
  { wafer_bayer_local; cat "$f"; } >"corpus/waferon/${name}_bayer_local"
  { glazet_colour_global; cat "$f"; } >"corpus/glazet/${name}_colour_global"
  { glazet_bayer_local; cat "$f"; } >"corpus/glazet/${name}_bayer_local"
  { ostrel_colour; cat "$f"; } >"corpus/ostrel/${name}_colour"
  { ostrel_bayer; cat "$f"; } >"corpus/ostrel/${name}_bayer"
  cp "$f" "corpus/bitmap/$name"
done
{ wafer_percent_debug; cat "$scratch/colour24.bmp"; } >corpus/waferon/colour24_percent_debug
for name in colour32_topdown sized_24; do
  { glazet_bayer_local_kept; cat "$scratch/$name.bmp"; } >"corpus/glazet/${name}_bayer_local_kept"
done

for program in waferonrun glazetrun ostrelrun; do
  cp "$root/examples/$program/settings.ini" "corpus/settings/$program.ini"
  cp "$root/examples/$program/limits.txt" "corpus/limits/$program.txt"
done
printf 'clustersize=-5\r\nHAMMERSIZE=7\r\nColorUnderTest=1,1,1,1,1\r\nBitsUsage=12,8' >corpus/settings/crlf_no_final_break.ini
printf 'CenterROI(%%)=nan,inf,-1e308,0x1p-3\nPixelThreshold(%%)=1,2,3,4,5,6,7,8,9,10\nColor=g2\nHammerSize=2147483647,-2147483648\nROI(%%)=0,0,1,1\nSensorROI(%%)=0.1,0.1,0.9,0.9\n' >corpus/settings/odd_numbers.ini
printf '[CLUSTER]\nHeaders=a(center)cluster,b(side)cluster\nUnit=n,n,n\nHighLimit=1,2,3\nLowLimit=0,0,0\n[PIXEL]\nheader=pixel(total)\nunit=x\nhighlimit=9\nlowlimit=-9\n[BRIGHTNESS]\nHeaders=(r),(g),(b),(g1),(g2)\nUnit=a,a,a,a,a\nHighLimit=2.5,1e9,x,-1,99999999999\nLowLimit=,0,0,0,0\n' >corpus/limits/odd_columns.txt
printf '[DIMENSION] [CLUSTER]\nHeader=width,height,cluster(total)\nUnit=p,p,n\nHighLimit=1,1,1\nLowLimit=0,0,0' >corpus/limits/two_names_no_final_break.txt

# Argument vectors: arguments separated by NUL bytes.
printf -- '-BMPFileIn\x00img.bmp\x00-OutputFile\x00/tmp/out/status.txt\x00-BayerMode\x00-BitsUsage\x0010,10\x00-slave' >corpus/command_line/plain
printf -- '-debug\x00/LOGFILEX\x00run.csv\x00-ClusterThreshold(%%)\x001,2,3,4,5,6,7,8,9,10\x00-Color\x00G1\x00-HammerSize\x005,31\x00-SensorROI(%%)\x000,0,1,1' >corpus/command_line/switches_and_lists
printf -- '\x00-\x00/\x00-TestLimits\x00\x00-BMPFileIn' >corpus/command_line/empty_and_unfinished
printf -- '-TestSettings\x00sub/../settings.ini\x00-BMPFileIn\x00noextension\x00-OutputFile\x00.txt' >corpus/command_line/paths
du -sh corpus
