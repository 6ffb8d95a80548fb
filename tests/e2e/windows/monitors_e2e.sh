#!/bin/bash
# Brindlemar.scr /s on a desktop of several monitors under Wine:
# monitors_e2e.sh <case> <Brindlemar.scr> <host.exe> <outdir> <prefix>
#
# The monitors are the Xinerama heads of a nested X server (Xephyr) without
# RandR, which Wine then reports one by one (with RandR it would report one
# monitor); Wine makes the first head the primary at 0,0. Screenshots of
# each monitor show moving grains where a field runs and black where none
# does; a key, or a display change, ends the saver with 0 and leaves no
# saver window.
set -u

CASE=$1
SCR=$2
HOST=$3
OUT=$4/$CASE
mkdir -p "$OUT"
rm -f "$OUT"/*.png
. "$(dirname "$0")/common.sh" "$5"

XEPHYR_PID=

cleanup() {
  # Only this prefix's wineserver, and only the X servers started here.
  wineserver -k 2>/dev/null
  [ -n "$XEPHYR_PID" ] && kill "$XEPHYR_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

host() { wine "$HOST" "$@" 2>/dev/null | tr -d '\r'; }

# The heads, each WxH, side by side from the left: an Xvfb display large
# enough to show them, and the nested server on it. MONITORS holds the heads
# as WxH+X+Y, in the order Wine lists them.
start_monitors() {
  local head width=0 height=0 screens=() n
  MONITORS=()
  for head in "$@"; do
    screens+=(-screen "${head}+${width}+0")
    MONITORS+=("${head}+${width}+0")
    width=$((width + ${head%x*}))
    [ "${head#*x}" -gt "$height" ] && height=${head#*x}
  done
  start_display "${width}x${height}"
  for n in $(seq 100 139); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xephyr :$n "${screens[@]}" +xinerama -extension RANDR -nolisten tcp >"$OUT/xephyr.log" 2>&1 &
    XEPHYR_PID=$!
    for _ in $(seq 100); do
      xdpyinfo -display :$n >/dev/null 2>&1 && break
      kill -0 "$XEPHYR_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$XEPHYR_PID" 2>/dev/null && xdpyinfo -display :$n >/dev/null 2>&1; then
      export DISPLAY=:$n
      return 0
    fi
    kill "$XEPHYR_PID" 2>/dev/null
    XEPHYR_PID=
  done
  echo "no free X display for the nested server"
  exit 1
}

# Wine must see the heads as monitors, or nothing here tells.
expect_wine_monitors() {
  local seen
  seen=$(host monitors)
  echo "Wine's monitors:"
  echo "$seen" | sed 's/^/  /'
  if [ "$(echo "$seen" | grep -vc virtual)" = "${#MONITORS[@]}" ]; then
    pass "Wine lists ${#MONITORS[@]} monitors"
  else
    fail "Wine lists $(echo "$seen" | grep -vc virtual) monitors, not ${#MONITORS[@]}"
    exit 1
  fi
}

# The stored settings: the preset "Feathers" with 6000 grains, which spread
# over the whole field ("Full Field"), so that every part of a field is lit;
# the desktop's own mode unless $2 says.
store_settings() {
  reset_settings
  wine reg add "$CONFIG" /v Monitors /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Random /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Settings /t REG_SZ /d '*,3,1,6000,2827,1069,8,535,1,0,1,1,0,0,0,.252212,50,1,2,2,0,0,0,500,0,1' \
    /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v DirectDraw /t REG_DWORD /d "${2:-0}" /f >/dev/null 2>&1
}

start_saver() {
  wine "$SCR" /s >/dev/null 2>&1 &
  SAVER_PID=$!
  for _ in $(seq 600); do
    if xdotool search --name '^Brindlemar$' >/dev/null 2>&1; then
      WINDOW_SEEN=$(now)
      return 0
    fi
    sleep 0.1
  done
  fail "no saver window"
  exit 1
}

# expect_monitors NAME STATES: STATES has one word per monitor, "moving"
# (lit and changing between two screenshots a second apart) or "black".
# Tried for up to half a minute, as the first frames may be slow to come.
expect_monitors() {
  local name=$1 states=($2) k ok lit changed
  for _ in $(seq 15); do
    shot "$name-a"
    sleep 1
    shot "$name-b"
    ok=1
    for k in "${!states[@]}"; do
      lit=$(lit_share "$name-b" "${MONITORS[$k]}")
      changed=$(changed_pixels "$name-a" "$name-b" "${MONITORS[$k]}")
      if [ "${states[$k]}" = moving ]; then
        at_least "$lit" 0.02 && at_least "$changed" 1000 || ok=0
      else
        at_least "$lit" 0.0001 && ok=0
      fi
    done
    [ "$ok" = 1 ] && break
  done
  for k in "${!states[@]}"; do
    lit=$(lit_share "$name-b" "${MONITORS[$k]}")
    changed=$(changed_pixels "$name-a" "$name-b" "${MONITORS[$k]}")
    if [ "${states[$k]}" = moving ] && at_least "$lit" 0.02 && at_least "$changed" 1000; then
      pass "$name: monitor ${MONITORS[$k]} moves ($lit lit, $changed pixels changed)"
    elif [ "${states[$k]}" = black ] && ! at_least "$lit" 0.0001; then
      pass "$name: monitor ${MONITORS[$k]} is black ($lit lit)"
    else
      fail "$name: monitor ${MONITORS[$k]} should be ${states[$k]} ($lit lit, $changed pixels changed)"
    fi
  done
}

# The saver ended with 0 and its window is gone.
expect_ended() {
  wait_exit "$SAVER_PID" 30
  if [ "$EXIT_CODE" = 0 ]; then pass "$1: the saver ended with 0"; else fail "$1: exit $EXIT_CODE"; fi
  if [ -z "$(xdotool search --name '^Brindlemar$' 2>/dev/null)" ]; then
    pass "$1: no saver window left"
  else
    fail "$1: a saver window stayed"
  fi
}

# A key after the grace; pressed again until the saver ends, for up to half
# a minute, since on a busy machine the first may come before it takes keys.
end_with_key() {
  sleep_until "$WINDOW_SEEN" 3
  for _ in $(seq 15); do
    xdotool key x
    wait_exit "$SAVER_PID" 2
    [ "$EXIT_CODE" != running ] && break
  done
  expect_ended "a key"
}

case $CASE in
  each)
    start_monitors 1024x768 800x600
    ensure_prefix
    expect_wine_monitors
    store_settings 1
    start_saver
    expect_monitors each "moving moving"
    end_with_key
    ;;
  across)
    start_monitors 1024x768 800x600
    ensure_prefix
    expect_wine_monitors
    store_settings 2
    start_saver
    expect_monitors across "moving moving"
    end_with_key
    ;;
  primary)
    start_monitors 1024x768 800x600 640x480
    ensure_prefix
    expect_wine_monitors
    store_settings 0
    start_saver
    expect_monitors primary "moving black black"
    end_with_key
    ;;
  directdraw)
    # The mode change asked for on the primary: Wine cannot change modes on
    # this display, so the primary falls back to the desktop's mode, and
    # the other monitor runs at its own all along.
    start_monitors 1024x768 800x600
    ensure_prefix
    expect_wine_monitors
    store_settings 1 1
    wine reg add "$CONFIG" /v ScreenResX /t REG_DWORD /d 640 /f >/dev/null 2>&1
    wine reg add "$CONFIG" /v ScreenResY /t REG_DWORD /d 480 /f >/dev/null 2>&1
    wine reg add "$CONFIG" /v ScreenResBits /t REG_DWORD /d 16 /f >/dev/null 2>&1
    start_saver
    expect_monitors directdraw "moving moving"
    end_with_key
    ;;
  display_change)
    # A monitor that comes or goes: the system tells every window that the
    # display changed, and the saver ends, also within the first seconds,
    # when close requests from the queue are dropped.
    start_monitors 1024x768 800x600
    ensure_prefix
    expect_wine_monitors
    store_settings 1
    # The change goes out as soon as the window is there.
    host displaychange >"$OUT/change.log" &
    changer=$!
    start_saver
    wait "$changer"
    echo "the display change: $(cat "$OUT/change.log")"
    expect_ended "a display change"
    start_saver
    expect_monitors after-change "moving moving"
    host displaychange
    expect_ended "a display change after the grace"
    ;;
  *)
    echo "unknown case $CASE"
    exit 2
    ;;
esac

echo "$CASE: $FAILURES failure(s)"
[ "$FAILURES" = 0 ]
