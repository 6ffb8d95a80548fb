#!/bin/sh
# Runs a Windows test program under Wine in a prefix of its own per build tree,
# quietly, with a virtual display when none is set.
: "${WINEPREFIX:=${BRINDLEMAR_WINEPREFIX:-/tmp/brindlemar-wine-$(id -u)}}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "$DISPLAY" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a wine "$@"
fi
exec wine "$@"
