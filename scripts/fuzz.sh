#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in a build directory of their own)
# and runs each of them for the given time on a fresh copy of its seed corpus
# (fuzz/corpus/<name>), then reports per target the executions, the time and
# the findings (crash, leak, timeout and out-of-memory inputs, kept under
# <build-dir>/fuzz-run/<target>/findings). Exits non-zero when any target found
# something. Usage: scripts/fuzz.sh [seconds per target, default 60] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
build=${2:-build-fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac

have_fuzzer_runtime() {
  command -v clang++ >/dev/null 2>&1 &&
    [ -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] ||
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null
}
if have_fuzzer_runtime; then scripts/install-deps.sh; else scripts/install-deps.sh clang libclang-rt-14-dev; fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSENSOR_BUILD_FUZZERS=ON -DSENSOR_BUILD_TESTS=OFF -DSENSOR_BUILD_BENCHMARKS=OFF -DSENSOR_BUILD_PYTHON=OFF >/dev/null
cmake --build "$build" --target sensor_fuzzers -j2

# One line per target, as fuzz/CMakeLists.txt registered it: target, corpus
# folder, longest input (the library targets get inputs small enough that one
# run takes milliseconds).
mapfile -t targets <"$build/fuzz/targets.txt"

passed=0
failed=0
report=()
for entry in "${targets[@]}"; do
  read -r target corpus maxlen <<<"$entry"
  run=$build/fuzz-run/$target
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/findings"
  cp "$corpus"/* "$run/corpus/"
  # A copy beside its own files: the libraries write their dump files and
  # defect map beside the running program.
  cp "$build/fuzz/$target" "$run/$target"
  echo "== $target: $seconds s"
  set +e
  (cd "$run" && "./$target" corpus -max_total_time="$seconds" -max_len="$maxlen" -timeout=30 \
    -rss_limit_mb=4096 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix=findings/ \
    >"$run/log.txt" 2>&1)
  code=$?
  set -e
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log.txt" | tail -1)
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$run/log.txt" | tail -1)
  findings=$(find "$run/findings" -type f | wc -l)
  if [ "$code" -eq 0 ] && [ "$findings" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    grep -E "ERROR|SUMMARY|runtime error|postcondition violated" "$run/log.txt" | head -20 || true
    # The first finding in full, so that a run on another machine (CI) can be
    # replayed here: base64 -d >crash && ./<target> crash
    first=$(find "$run/findings" -type f | head -1)
    if [ -n "$first" ]; then
      echo "$first (base64):"
      head -c 16384 "$first" | base64
    fi
  fi
  report+=("$(printf '%-18s %12s executions %5s s %3s findings (exit %s)' "$target" \
    "${executions:-?}" "${time:-?}" "$findings" "$code")")
done

echo
echo "Fuzzing, $seconds s per target (logs and findings under $build/fuzz-run):"
printf '  %s\n' "${report[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
