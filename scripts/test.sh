#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSENSOR_WARNINGS_AS_ERRORS=ON
cmake --build "$build"
# Tests side by side, one per core. The tests that read back the dump files and
# defect map the libraries leave beside the running program have test programs
# in folders of their own and run one at a time against each other (see
# sensor_add_test in tests/CMakeLists.txt); the install tests run alone.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
