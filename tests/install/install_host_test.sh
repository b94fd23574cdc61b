#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks its layout, builds the
# example host programs against it (CMake package and pkg-config) and runs
# them, and runs an installed program to see that it finds its library through
# its run path and still writes its default data log beside itself.
# Usage: install_host_test.sh BUILD SOURCE LIBDIR
set -euo pipefail
build=$1
source=$2
libdir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/Waferonrun bin/Glazetrun bin/Ostrelrun bin/sensorbatch bin/sensorsim \
         "$libdir"/libWaferon.so "$libdir"/libGlazet.so "$libdir"/libOstrel.so \
         "$libdir"/libWaferon.so.1 "$libdir"/libGlazet.so.1 "$libdir"/libOstrel.so.1 \
         include/sensordefect/Export.h include/sensordefect/ResultCodes.h include/sensordefect/Waferon.h \
         include/sensordefect/Glazet.h include/sensordefect/Ostrel.h include/sensordefect/ImageView.h \
         include/sensordefect/WaferonAnalysis.h include/sensordefect/GlazetAnalysis.h \
         include/sensordefect/OstrelAnalysis.h \
         "$libdir"/cmake/SensorDefect/SensorDefectConfig.cmake \
         "$libdir"/pkgconfig/sensordefect-waferon.pc "$libdir"/pkgconfig/sensordefect-glazet.pc \
         "$libdir"/pkgconfig/sensordefect-ostrel.pc; do
  [ -e "$prefix/$f" ] || { echo "missing in the installed tree: $f"; exit 1; }
done
soname=$(objdump -p "$prefix/$libdir/libWaferon.so" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libWaferon.so.1 ] || { echo "libWaferon.so has the SONAME '$soname'"; exit 1; }
leftover=$(find "$prefix/bin" -name 'lib*' | head -1)
[ -z "$leftover" ] || { echo "a library among the programs: $leftover"; exit 1; }

cmake -S "$source/examples/host" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/host" >/dev/null
"$work/host/sensor_host"
[ -f "$work/host/AllClusters.csv" ] || { echo "no dump file beside the host"; exit 1; }
mkdir "$work/host-files"
"$work/host/sensor_host" "$work/host-files" >/dev/null
[ -f "$work/host-files/AllClusters.csv" ] || { echo "set_OutputFolder not followed"; exit 1; }

# The in-memory host finds its planted pixels on two threads and leaves no file.
mkdir "$work/frame-run"
before=$(ls "$work/host")
(cd "$work/frame-run" && "$work/host/sensor_frame_host")
[ "$(ls -A "$work/frame-run")" = "" ] || { echo "the frame host wrote files"; exit 1; }
[ "$(ls "$work/host")" = "$before" ] || { echo "the frame host wrote beside itself"; exit 1; }

if command -v pkg-config >/dev/null 2>&1; then
  export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
  # shellcheck disable=SC2046
  g++ -std=c++20 -o "$work/host_pc" "$source/examples/host/main.cpp" \
    $(pkg-config --cflags --libs sensordefect-ostrel sensordefect-waferon)
  "$work/host_pc" >/dev/null
  # shellcheck disable=SC2046
  g++ -std=c++20 -pthread -o "$work/frame_host_pc" "$source/examples/host/frame_host.cpp" \
    $(pkg-config --cflags --libs sensordefect-waferon)
  "$work/frame_host_pc" >/dev/null
fi

# An installed program runs from another working directory, reports the
# version of the library it loaded and leaves its default data log beside itself.
cd "$work"
set +e
output=$("$prefix/bin/Ostrelrun" -slave)
code=$?
set -e
[ "$code" -eq 1 ] || { echo "Ostrelrun without a bitmap exited $code, not 1"; exit 1; }
grep -qF "$prefix/$libdir/libOstrel.so.1: 1.0.0.0" <<<"$output" || { echo "no version line: $output"; exit 1; }
[ -f "$prefix/bin/Ostrelrun.csv" ] || { echo "no default data log beside the installed program"; exit 1; }
# The Python package, when it was built: importable from the installed tree
# alone (the libraries found through its run path).
module=$(cd "$prefix" && find . -path '*/sensordefect/_sensordefect*.so' | head -1)
if [ -n "$module" ]; then
  (cd / && PYTHONPATH=$prefix/$(dirname "$(dirname "$module")") /usr/bin/python3 -c \
    'import numpy, sensordefect; assert sensordefect.ostrel.analyse(numpy.full((8, 8), 500, numpy.uint16)).ok') ||
    { echo "the installed Python package does not import and run"; exit 1; }
fi
echo "installed tree works"
