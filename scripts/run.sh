#!/usr/bin/env bash
# Builds Brindlemar and runs it: the saver in a window on the user's X
# display, or, without a display, a short clip rendered into out/. Installs
# missing Debian packages first. Extra arguments go to the program that runs
# (see its --help; the animation parameters are the same for both).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages $NATIVE_PACKAGES
# Running needs none of the end-to-end tests' tools, so a tree that has not
# registered those tests yet goes without them; one that has keeps them.
e2e=OFF
grep -q '^BRINDLEMAR_E2E:BOOL=ON$' build/native/CMakeCache.txt 2>/dev/null && e2e=ON
cmake --preset native -DBRINDLEMAR_E2E=$e2e >/dev/null
cmake --build --preset native -j "$(nproc)" --target brindlemar brindlemar-render

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting brindlemar in a window on $DISPLAY (Escape or closing the window ends it, F12 shows the frame rate)." >&2
  status=0
  build/native/apps/saver/brindlemar --window "$@" || status=$?
  # 1: the display could not be opened (the saver said why); 2: bad options.
  [ "$status" -ne 1 ] && exit "$status"
  echo "No usable X display." >&2
else
  echo "No X display (DISPLAY is not set)." >&2
fi
mkdir -p out
echo "Rendering a clip into out/ with brindlemar-render instead." >&2
build/native/apps/render/brindlemar-render --frames 240 --every 30 --out-dir out --progress "$@"
echo "Frames written to out/" >&2
