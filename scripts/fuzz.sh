#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UBSan included) and runs each for a bounded time from its seed corpus in
# tests/fuzz/corpus/<target>. New inputs go to a scratch corpus, so the seeds
# stay as committed; an input that fails is kept in build/fuzz/findings.
#
# FUZZ_SECONDS sets the time per target (default 30). Installs clang and its
# runtime libraries when they are missing. Ends with one summary line and a
# non-zero exit when a target fails or does not build.
set -u
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages ${FUZZ_PACKAGES:-clang-14 libclang-rt-14-dev} || exit 1

seconds=${FUZZ_SECONDS:-30}
cxx=$(command -v clang++ || command -v clang++-14) || { echo "fuzz: clang++ not found"; exit 1; }
cc=$(command -v clang || command -v clang-14)
build=build/fuzz
findings=$build/findings

scratch=$(mktemp -d /tmp/brindlemar-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

if ! cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
       -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" >"$scratch/build.log" 2>&1 ||
   ! cmake --build "$build" -j "$(nproc)" >>"$scratch/build.log" 2>&1; then
  grep -E 'error|Error' "$scratch/build.log" | head -n 20
  echo "fuzz: 0 passed, 1 failed (the targets do not build)"
  exit 1
fi
mkdir -p "$findings"

passed=0
failed=0
for target in record reg_file change_set; do
  mkdir -p "$scratch/$target"
  log="$build/$target.log"
  echo "=== fuzz $target (${seconds}s)"
  if "$build/${target}_fuzz" -max_total_time="$seconds" -artifact_prefix="$findings/$target-" \
       "$scratch/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^Done [0-9]+ runs' "$log"
  else
    failed=$((failed + 1))
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -n 10
    echo "fuzz $target failed: see $log"
  fi
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
