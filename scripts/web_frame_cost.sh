#!/usr/bin/env bash
# What a frame of the web page costs, beside the native saver: runs the page
# (build/wasm/web) in Debian's headless Chromium at one size with one
# favorite and prints its own time a frame (bench/web_frame_cost.js); then,
# unless --no-native, the Linux saver's processor time a frame for the same
# favorite and size (scripts/frame_cost.sh, on Xvfb). Build the wasm and
# native presets first.
#
#   scripts/web_frame_cost.sh [--favorite NAME] [--size WxH] [--seconds N] [--no-native]
#
# The two figures measure what each program spends on a frame where it
# runs: the page its animation callback (the field's step in WebAssembly and
# putting the frame on the canvas), the saver its process's user and system
# time (the field's step and the transfer to the X server).
set -eu
cd "$(dirname "$0")/.."

FAVORITE="Clouds of Light"
SIZE=1920x1080
SECONDS_MEASURED=12
NATIVE=1
while [ $# -gt 0 ]; do
  case $1 in
    --favorite) FAVORITE=$2; shift 2 ;;
    --size) SIZE=$2; shift 2 ;;
    --seconds) SECONDS_MEASURED=$2; shift 2 ;;
    --no-native) NATIVE=0; shift ;;
    *) sed -n '2,/^set -eu/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2; exit 2 ;;
  esac
done

TOOL=build/wasm/tests/web/tool
if [ ! -f build/wasm/web/index.html ] || [ ! -f "$TOOL/package.json" ]; then
  echo "web_frame_cost: no web page in build/wasm: cmake --preset wasm && cmake --build --preset wasm" >&2
  exit 1
fi
[ -d "$TOOL/node_modules/puppeteer-core" ] || (cd "$TOOL" && npm ci --no-audit --no-fund --loglevel=error)

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
NODE_PATH="$TOOL/node_modules" BRINDLEMAR_WEB_DIR=build/wasm/web \
  node bench/web_frame_cost.js --favorite "$FAVORITE" --size "$SIZE" --seconds "$SECONDS_MEASURED"
if [ "$NATIVE" -eq 1 ]; then
  scripts/frame_cost.sh --header --favorite "$FAVORITE" --size "$SIZE" --seconds "$SECONDS_MEASURED"
fi
