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
echo "package installs and runs"
