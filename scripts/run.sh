#!/usr/bin/env bash
# Builds Brindlemar and runs it. Installs missing Debian packages first.
# Extra arguments go to the program.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages $NATIVE_PACKAGES
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target brindlemar-render
mkdir -p out
echo "Rendering a clip into out/ (no on-screen saver on this platform yet)." >&2
build/native/apps/render/brindlemar-render --frames 240 --every 30 --out-dir out --progress "$@"
echo "Frames written to out/" >&2
