#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UBSan included) and runs each for a bounded time from its seed corpus in
# tests/fuzz/corpus/<target> (record_field: record's). New inputs go to a
# scratch corpus, so the seeds stay as committed; an input that fails is kept
# in build/fuzz/findings.
#
# Arguments: the targets to run (record, record_field, reg_file, change_set;
# default all). FUZZ_SECONDS sets the time per target (default 30). Each target's rate is
# printed: executions a second over its run, and on its slowest seed alone
# (SEED_RUNS executions of each seed, default 1000), also per second of
# processor time. Installs clang and its runtime libraries when they are
# missing. Ends with one summary line and a non-zero exit when a target fails
# or does not build.
set -u
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages ${FUZZ_PACKAGES:-clang-14 libclang-rt-14-dev} || exit 1

seconds=${FUZZ_SECONDS:-30}
seed_runs=${SEED_RUNS:-1000}
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

# The processor time, in milliseconds, of the target $1 run $2 times on the
# seed $3; the target's report goes to $4.
cpu_ms() {
  local TIMEFORMAT='%3U %3S' times
  times=$({ time "$build/${1}_fuzz" -runs="$2" "$3" >/dev/null 2>"$4"; } 2>&1)
  awk -v t="$times" 'BEGIN { split(t, f, " "); printf "%d\n", (f[1] + f[2]) * 1000 }'
}

# The seeds of the target $1: the field target loads the record target's.
seeds() { echo "tests/fuzz/corpus/${1%_field}"; }

# The rate of the target $1 on its slowest seed, SEED_RUNS executions of
# each: "NAME: R exec/s (P a second of processor time)". The second figure
# leaves out the time other programs took the processor, which on a busy
# machine is most of it.
slowest_seed() {
  local seed ms cpu base slowest="" slowest_ms=-1 slowest_cpu=0
  for seed in "$(seeds "$1")"/*; do
    base=$(cpu_ms "$1" 1 "$seed" /dev/null)
    cpu=$(($(cpu_ms "$1" "$seed_runs" "$seed" "$scratch/seed.log") - base))
    ms=$(sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p' "$scratch/seed.log")
    [ -n "$ms" ] || { echo "$(basename "$seed") failed"; return 1; }
    [ "$ms" -gt "$slowest_ms" ] && { slowest_ms=$ms; slowest_cpu=$cpu; slowest=$(basename "$seed"); }
  done
  rate() { echo $((seed_runs * 1000 / ($1 > 0 ? $1 : 1))); }
  echo "$slowest: $(rate "$slowest_ms") exec/s ($(rate "$slowest_cpu") a second of processor time)"
}

passed=0
failed=0
targets=${*:-record record_field reg_file change_set}
for target in $targets; do
  mkdir -p "$scratch/$target"
  log="$build/$target.log"
  echo "=== fuzz $target (${seconds}s)"
  if "$build/${target}_fuzz" -max_total_time="$seconds" -artifact_prefix="$findings/$target-" \
       "$scratch/$target" "$(seeds "$target")" >"$log" 2>&1; then
    passed=$((passed + 1))
    runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log")
    read -r n s <<<"$runs"
    echo "fuzz $target: $n runs in $s s, $((n / (s > 0 ? s : 1))) exec/s; slowest seed $(slowest_seed "$target")"
  else
    failed=$((failed + 1))
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -n 10
    echo "fuzz $target failed: see $log"
  fi
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
