#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing: a C++20
# compiler, CMake, Ninja, GoogleTest, Google Benchmark, libtiff, libpng, the
# JSON library of the batch program's summaries and the programs' reports, and the tools the packaging,
# manual-page, scale-out and batch-page tests use (Debian packages).
set -euo pipefail

need=()
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
# libtiff reads TIFF and DNG pictures in the programs and writes them in sensorsim.
[ -f /usr/include/x86_64-linux-gnu/tiffio.h ] || [ -f /usr/include/tiffio.h ] || need+=(libtiff-dev)
command -v groff >/dev/null 2>&1 || need+=(groff-base)
command -v man >/dev/null 2>&1 || need+=(man-db)
command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
# libpng writes the programs' PNG files (-DefectMapPNG, -ReviewImage); the tests check every
# JSON report (-Report) against doc/report.schema.json with python3-jsonschema.
[ -f /usr/include/png.h ] || need+=(libpng-dev)
# zlib deflates the review picture's PNG (in pieces, on the analysis threads) and checksums it.
[ -f /usr/include/zlib.h ] || need+=(zlib1g-dev)
python3 -c 'import jsonschema' >/dev/null 2>&1 || need+=(python3-jsonschema)
command -v parallel >/dev/null 2>&1 || need+=(parallel)
# The Slurm recipe's test starts a one-node cluster (skipped without these).
command -v slurmctld >/dev/null 2>&1 || need+=(slurm-wlm)
command -v munged >/dev/null 2>&1 || need+=(munge)
command -v dpkg-deb >/dev/null 2>&1 || need+=(dpkg)
# The batch page's test loads it in headless Chromium.
command -v chromium >/dev/null 2>&1 || need+=(chromium)
# The DNG test decodes sensorsim's DNG with the raw decoders when they are present.
command -v dcraw >/dev/null 2>&1 || need+=(dcraw)
command -v unprocessed_raw >/dev/null 2>&1 || need+=(libraw-bin)
# The Python package (pybind11 bindings for Debian's python3), its tests and examples.
[ -f /usr/include/pybind11/pybind11.h ] || need+=(pybind11-dev)
compgen -G '/usr/include/python3*/Python.h' >/dev/null || need+=(python3-dev)
for module in numpy:python3-numpy pytest:python3-pytest hypothesis:python3-hypothesis dask:python3-dask \
              distributed:python3-distributed matplotlib:python3-matplotlib; do
  /usr/bin/python3 -c "import ${module%%:*}" >/dev/null 2>&1 || need+=("${module#*:}")
done
for extra in "$@"; do need+=("$extra"); done

if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${need[*]} (run as root, or install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${need[@]}"
fi
