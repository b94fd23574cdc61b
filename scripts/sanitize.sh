#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer,
# and with the analysis code's preconditions checked (SENSOR_PRECONDITIONS),
# and runs the whole test suite under them. Any report ends the process that
# made it with an exit code of its own (86 address, 87 undefined behaviour), so
# a program run by an end-to-end test that hits one fails that test.
# Usage: scripts/sanitize.sh [build-dir] (default build-asan); CXX picks the
# compiler (g++ by default; clang++ also works).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}

scripts/install-deps.sh
# float-cast-overflow (a double beyond the range of the integer it becomes)
# is not part of g++'s "undefined" group; clang's has it already.
flags="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=undefined,float-cast-overflow"
flags="$flags -fno-omit-frame-pointer -g"
# Warnings stay warnings here: the sanitizers' instrumentation makes g++'s
# flow analysis report uninitialised members and mismatched new/delete inside
# the standard library. scripts/test.sh builds the same code with them as errors.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="${CXX:-g++}" \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DSENSOR_BUILD_BENCHMARKS=OFF \
  -DSENSOR_BUILD_PYTHON=OFF \
  -DSENSOR_PRECONDITIONS=ON \
  -DSENSOR_WARNINGS_AS_ERRORS=OFF
cmake --build "$build" -j2

# allocator_may_return_null: an allocation that cannot be had returns null (and
# operator new[](nothrow) with it), as the tests of allocation failures expect.
# verify_asan_link_order: the install test's host program is built without the
# sanitizers against the sanitized libraries, which bring the runtime along.
export ASAN_OPTIONS="exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:allocator_may_return_null=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="exitcode=87:print_stacktrace=1:halt_on_error=1"
# The sanitizer's throwing operator new ends the process instead of throwing
# std::bad_alloc when a table of billions of entries cannot be had, so the one
# test that asks for such a table runs in the plain build only. Tests side by
# side, one per core: the tests that read back the dump files and defect map
# the libraries leave beside the running program have test programs in
# folders of their own and run one at a time against each other (see
# sensor_add_test in tests/CMakeLists.txt); the install tests run alone.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600 \
  -E '^WaferonLifecycle\.ATableThatCannotBeAllocatedIsReportedAndLeavesNoTables$'
