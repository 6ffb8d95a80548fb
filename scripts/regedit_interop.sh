#!/usr/bin/env bash
# Checks that the settings file outside Windows and the Registry Editor under
# Wine understand each other: sample settings written through the file store
# are imported with "regedit /s" into a fresh Wine prefix, the product key is
# exported again with "regedit /e", and the export must hold the same keys,
# value names, types and data. Prints one line; exits non-zero on a mismatch.
#
# STORE_TOOL names a built brindlemar-store-tool; without it the native
# preset builds one.
set -u
cd "$(dirname "$0")/.."

tool=${STORE_TOOL:-}
if [ -z "$tool" ]; then
  if ! cmake --preset native >/dev/null || ! cmake --build --preset native --target brindlemar-store-tool >/dev/null; then
    echo "regedit interop: FAILED: brindlemar-store-tool does not build"
    exit 1
  fi
  tool=build/native/tests/tools/brindlemar-store-tool
fi
for program in wine wineserver; do
  if ! command -v "$program" >/dev/null; then
    echo "regedit interop: FAILED: $program is not installed"
    exit 1
  fi
done

work=$(mktemp -d /tmp/brindlemar-regedit.XXXXXX)
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "regedit interop: FAILED: $1"
  exit 1
}

"$tool" write "$work/store" >"$work/tool.log" 2>&1 || fail "$(tail -n 1 "$work/tool.log")"
cp "$work/store/settings.reg" "$work/import.reg"

# Without a display the editor runs under a virtual one.
run_wine() {
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    xvfb-run -a wine "$@"
  else
    wine "$@"
  fi
}

# Wine maps the working directory to a drive, so relative names reach it.
cd "$work"
run_wine regedit /s import.reg >wine.log 2>&1 || fail "regedit /s did not import the file"
wineserver -w
run_wine regedit /e export.reg 'HKEY_CURRENT_USER\Software\Tessaloom\Brindlemar' >>wine.log 2>&1 ||
  fail "regedit /e did not export the key"
wineserver -w
cd - >/dev/null
[ -s "$work/export.reg" ] || fail "regedit /e wrote no file"

"$tool" compare "$work/store" "$work/export.reg"
