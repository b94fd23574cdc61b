#!/usr/bin/env bash
# Builds the Debian package of the build tree, unpacks it into a scratch root
# and runs a program from there.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
info=$(dpkg-deb --info "$deb")
grep -q "Package: sensordefect" <<<"$info" || { echo "not the sensordefect package: $info"; exit 1; }
dpkg -x "$deb" "$work/root"
bin=$work/root/opt/sensordefect/bin
for f in Waferonrun Glazetrun Ostrelrun sensorbatch libWaferon.so libGlazet.so libOstrel.so; do
  [ -e "$bin/$f" ] || { echo "missing in the package: $f"; exit 1; }
done
set +e
output=$("$bin/Waferonrun" -slave 2>&1)
code=$?
set -e
[ "$code" -eq 1 ] || { echo "Waferonrun without a bitmap exited $code, not 1"; exit 1; }
grep -q "libWaferon.so: 1.0.0.0" <<<"$output" || { echo "no version line: $output"; exit 1; }
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
