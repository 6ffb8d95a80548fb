#!/usr/bin/env bash
# Builds every preset and runs every test: native, native with AddressSanitizer
# and UBSan, the Windows build under Wine, and the web page (WebAssembly) in
# headless Chromium, whose pictures are held against the native renderer's;
# then the fuzz targets and the registry interchange. Installs missing Debian
# packages first. Ends with one summary line and a non-zero exit on any
# failure.
#
# Usage: scripts/test.sh [preset...]   e.g. scripts/test.sh native
# With presets named, only those are built and tested (no fuzzing, no
# interchange check).
set -u -o pipefail
cd "$(dirname "$0")/.."

presets="native native-asan mingw wasm"
whole=1
if [ $# -gt 0 ]; then
  for preset in "$@"; do
    case " $presets " in
      *" $preset "*) ;;
      *) echo "unknown preset $preset (one of: $presets)" >&2; exit 2 ;;
    esac
  done
  presets="$*"
  whole=0
fi

. scripts/packages.sh
ensure_packages $NATIVE_PACKAGES $WINDOWS_PACKAGES $DISPLAY_TEST_PACKAGES $FUZZ_PACKAGES $PACKAGING_PACKAGES $WEB_PACKAGES || exit 1

jobs=$(nproc)
export BRINDLEMAR_WINEPREFIX="$(mktemp -d /tmp/brindlemar-wine.XXXXXX)"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$BRINDLEMAR_WINEPREFIX"' EXIT

passed=0
failed=0
broken=""
for preset in $presets; do
  echo "=== $preset"
  log="build/$preset-ctest.log"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    broken="$broken $preset(build)"
    failed=$((failed + 1))
    continue
  fi
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
  status=$?
  counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$counts" ]; then
    broken="$broken $preset(no result)"
    failed=$((failed + 1))
    continue
  fi
  f=$(echo "$counts" | awk '{print $1}')
  total=$(echo "$counts" | awk '{print $6}')
  passed=$((passed + total - f))
  failed=$((failed + f))
  if [ "$f" -ne 0 ]; then
    broken="$broken $preset"
  elif [ "$status" -ne 0 ]; then
    # ctest failed without a failing test (no tests found, a bad preset).
    broken="$broken $preset(ctest $status)"
    failed=$((failed + 1))
  fi
done

summary() {
  [ -n "$broken" ] && echo "failing:$broken"
  echo "tests: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

if [ "$whole" -eq 0 ]; then
  summary
  exit
fi

# Bad input: each fuzz target runs for a bounded time without a finding.
echo "=== fuzz"
if FUZZ_SECONDS=${FUZZ_SECONDS:-20} scripts/fuzz.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); broken="$broken fuzz"; fi

# A settings file the Linux store writes imports into the Windows registry
# with regedit, and regedit's export reads back unchanged.
echo "=== regedit interop"
if STORE_TOOL=build/native/tests/tools/brindlemar-store-tool scripts/regedit_interop.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  broken="$broken regedit"
fi

summary
