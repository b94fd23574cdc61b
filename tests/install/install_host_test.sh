#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks its layout, builds the
# example host program against it (CMake package and pkg-config) and runs it,
# and runs an installed program to see that it finds its library beside itself.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/Waferonrun bin/Glazetrun bin/Ostrelrun bin/sensorbatch bin/sensorsim \
         bin/libWaferon.so bin/libGlazet.so bin/libOstrel.so \
         include/sensordefect/Export.h include/sensordefect/ResultCodes.h include/sensordefect/Waferon.h \
         include/sensordefect/Glazet.h include/sensordefect/Ostrel.h \
         lib/cmake/SensorDefect/SensorDefectConfig.cmake \
         lib/pkgconfig/sensordefect-waferon.pc lib/pkgconfig/sensordefect-glazet.pc \
         lib/pkgconfig/sensordefect-ostrel.pc; do
  [ -e "$prefix/$f" ] || { echo "missing in the installed tree: $f"; exit 1; }
done

cmake -S "$source/examples/host" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/host" >/dev/null
"$work/host/sensor_host"
[ -f "$work/host/AllClusters.csv" ] || { echo "no dump file beside the host"; exit 1; }
mkdir "$work/host-files"
"$work/host/sensor_host" "$work/host-files" >/dev/null
[ -f "$work/host-files/AllClusters.csv" ] || { echo "set_OutputFolder not followed"; exit 1; }

if command -v pkg-config >/dev/null 2>&1; then
  export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
  # shellcheck disable=SC2046
  g++ -std=c++20 -o "$work/host_pc" "$source/examples/host/main.cpp" \
    $(pkg-config --cflags --libs sensordefect-ostrel sensordefect-waferon)
  "$work/host_pc" >/dev/null
fi

# An installed program runs from another working directory and leaves its
# default data log beside itself.
cd "$work"
set +e
"$prefix/bin/Ostrelrun" -slave >/dev/null
code=$?
set -e
[ "$code" -eq 1 ] || { echo "Ostrelrun without a bitmap exited $code, not 1"; exit 1; }
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
