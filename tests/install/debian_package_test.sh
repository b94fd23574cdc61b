#!/usr/bin/env bash
# Builds the Debian package of the build tree, unpacks it into a scratch root,
# runs a program from there and builds the in-memory example host against the
# unpacked CMake package.
# Usage: debian_package_test.sh BUILD SOURCE PACKAGE_LIBDIR
set -euo pipefail
build=$1
source=$2
libdir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
info=$(dpkg-deb --info "$deb")
grep -q "Package: sensordefect" <<<"$info" || { echo "not the sensordefect package: $info"; exit 1; }
dpkg -x "$deb" "$work/root"
opt=$work/root/opt/sensordefect
for f in bin/Waferonrun bin/Glazetrun bin/Ostrelrun bin/sensorbatch \
         "$libdir"/libWaferon.so.1 "$libdir"/libGlazet.so.1 "$libdir"/libOstrel.so.1 \
         "$libdir"/libWaferon.so "$libdir"/cmake/SensorDefect/SensorDefectConfig.cmake \
         "$libdir"/pkgconfig/sensordefect-waferon.pc include/sensordefect/ImageView.h; do
  [ -e "$opt/$f" ] || { echo "missing in the package: $f"; exit 1; }
done
# (the Python package, when built, has its own folder there: python3.X)
others=$(find "$opt/lib" -mindepth 1 -maxdepth 1 ! -name "$(basename "$libdir")" ! -name "python3*")
[ "$libdir" = lib ] || [ -z "$others" ] || { echo "beside the multiarch folder: $others"; exit 1; }
set +e
output=$("$opt/bin/Waferonrun" -slave 2>&1)
code=$?
set -e
[ "$code" -eq 1 ] || { echo "Waferonrun without a bitmap exited $code, not 1"; exit 1; }
grep -qF "$opt/$libdir/libWaferon.so.1: 1.0.0.0" <<<"$output" || { echo "no version line: $output"; exit 1; }

cmake -S "$source/examples/host" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$opt" >/dev/null
cmake --build "$work/host" --target sensor_frame_host >/dev/null
"$work/host/sensor_frame_host" >/dev/null
# With the Python package: its path file names the package's folder, from
# which Debian's python3 imports it.
pth=$work/root/usr/lib/python3/dist-packages/sensordefect.pth
if [ -e "$build/python/sensordefect.pth" ]; then
  [ -f "$pth" ] || { echo "missing in the package: /usr/lib/python3/dist-packages/sensordefect.pth"; exit 1; }
  folder=$(head -1 "$pth")
  [ -f "$work/root$folder/sensordefect/__init__.py" ] || { echo "the path file names $folder, not the package"; exit 1; }
  (cd / && PYTHONPATH=$work/root$folder /usr/bin/python3 -c 'import sensordefect.waferon') ||
    { echo "the packaged Python package does not import"; exit 1; }
fi
echo "package installs and runs"
