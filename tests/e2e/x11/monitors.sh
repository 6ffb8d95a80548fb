#!/usr/bin/env bash
# The full-screen saver on a display of several monitors: a nested X server
# (Xephyr) whose Xinerama heads are the monitors, with its RandR (which
# reports one monitor there, so the saver takes Xinerama's heads) or without
# it. Screenshots of each monitor show moving grains where a field runs and
# black where none does; a key ends the saver with 0 and leaves no window.
# Usage: monitors.sh each|across|mouse|primary|screen-change
. "$(dirname "$0")/common.sh"

# Grains over the whole field, so that every part of a field is lit.
FILL=(--configuration "Full Field" --grains 6000)

# Starts the full-screen saver and waits until its $1 fields run, then
# until a second after the grace.
start_fields() {
  local count=$1 i
  shift
  start_saver --fullscreen --stats "$@"
  for i in $(seq 1200); do
    [ "$(grep -c " grains, " "$WORK/saver.err")" -ge "$count" ] && break
    running || fail "the saver ended before its fields ran"
    sleep 0.05
  done
  [ "$(grep -c " grains, " "$WORK/saver.err")" -ge "$count" ] || fail "$count fields did not start in a minute"
  STARTED=$(now)
  sleep_until "$STARTED" 3
}

# monitor_shares NAME: for each monitor, its share of lit pixels in the
# second of two screenshots a second apart and its share of changed pixels,
# as "lit changed" lines.
monitor_shares() {
  shot "$WORK/$1-1.png"
  sleep 1
  shot "$WORK/$1-2.png"
  local m
  for m in "${MONITORS[@]}"; do
    convert "$WORK/$1-1.png" -crop "$m" +repage "$WORK/crop-1.png"
    convert "$WORK/$1-2.png" -crop "$m" +repage "$WORK/crop-2.png"
    echo "$(lit_share "$WORK/crop-2.png") $(changed_share "$WORK/crop-1.png" "$WORK/crop-2.png")"
  done
}

# expect_monitors NAME STATES: STATES has one word per monitor, "moving"
# (a clear share lit and changing) or "black" (nothing lit). Tried for up to
# half a minute, as the first frames may be slow to come.
expect_monitors() {
  local name=$1 states=($2) shares k lit changed ok
  for _ in $(seq 15); do
    mapfile -t shares < <(monitor_shares "$name")
    ok=1
    for k in "${!states[@]}"; do
      read -r lit changed <<<"${shares[$k]}"
      if [ "${states[$k]}" = moving ]; then
        above "$lit" 0.02 && above "$changed" 0.01 || ok=0
      else
        above "$lit" 0.0001 && ok=0
      fi
    done
    [ "$ok" = 1 ] && break
  done
  for k in "${!states[@]}"; do
    read -r lit changed <<<"${shares[$k]}"
    echo "$name: monitor ${MONITORS[$k]} ${states[$k]}: $lit lit, $changed changed in a second"
    if [ "${states[$k]}" = moving ]; then
      above "$lit" 0.02 || fail "$name: monitor ${MONITORS[$k]} is nearly black ($lit lit)"
      above "$changed" 0.01 || fail "$name: monitor ${MONITORS[$k]} did not move ($changed changed)"
    else
      above "$lit" 0.0001 && fail "$name: monitor ${MONITORS[$k]} should be black ($lit lit)"
    fi
  done
}

# A key after the grace ends the saver, every field with it, and no window
# of it stays.
expect_key_ends_all() {
  xdotool key a
  wait_saver 30 || fail "$1: a key did not end the saver"
  [ "$SAVER_CODE" -eq 0 ] || fail "$1: the saver exited with $SAVER_CODE"
  [ -z "$(xdotool search --name '^Brindlemar$' 2>/dev/null)" ] || fail "$1: a saver window stayed"
  # Nothing else makes windows on this display.
  local left
  left=$(xwininfo -root -children | sed -n 's/^ *\([0-9]*\) child.*/\1/p')
  [ "$left" = 0 ] || fail "$1: $left windows stayed on the display"
}

# The stats line of each field: where it runs and its size.
field_lines() { grep " grains, " "$WORK/saver.err"; }

case "$1" in
  each)
    start_monitors_display 1024x768 800x600 640x480
    start_fields 3 --monitors each "${FILL[@]}"
    field_lines
    field_lines | grep -q "full saver at 1024x768, .* on the monitor at +0+0" || fail "no field on the first monitor"
    field_lines | grep -q "full saver at 800x600, .* on the monitor at +1024+0" || fail "no field on the second monitor"
    field_lines | grep -q "full saver at 640x480, .* on the monitor at +1824+0" || fail "no field on the third monitor"
    expect_monitors each "moving moving moving"
    expect_key_ends_all each
    ;;
  across)
    start_monitors_display 1024x768 800x600
    start_fields 1 --monitors across "${FILL[@]}"
    field_lines
    field_lines | grep -q "full saver at 1824x768, .* across the monitors" || fail "no field across the monitors"
    expect_monitors across "moving moving"
    expect_key_ends_all across
    ;;
  mouse)
    # One window spans the monitors: a move onto the next monitor is just a
    # move, measured on the screen from the fourth move as ever.
    start_monitors_display 1024x768 800x600
    start_fields 2 --monitors each "${FILL[@]}"
    for x in 970 980 990 1000; do xdotool mousemove "$x" 300; done
    xdotool mousemove 1060 320
    xdotool mousemove 1080 330
    wait_frames 2
    running || fail "a move of 110 pixels onto the second monitor ended the saver"
    xdotool mousemove 1081 330
    wait_saver 30 || fail "a move of 111 pixels onto the second monitor did not end the saver"
    [ "$SAVER_CODE" -eq 0 ] || fail "the saver exited with $SAVER_CODE"
    ;;
  primary)
    # Without RandR: Xinerama alone tells of the monitors.
    start_monitors_display 1024x768 800x600 640x480 -- -extension RANDR
    start_fields 1 --monitors primary "${FILL[@]}"
    field_lines
    [ "$(field_lines | wc -l)" -eq 1 ] || fail "more than the primary's field"
    field_lines | grep -q "full saver at 1024x768, .* on the monitor at +0+0" || fail "no field on the primary monitor"
    expect_monitors primary "moving black black"
    expect_key_ends_all primary
    ;;
  screen-change)
    # The stored choice (each its own, the default) and a change of the
    # screen while the saver runs: the nested server's RandR makes the
    # screen 800x600, the first head with it, and the second head falls off
    # the screen.
    start_monitors_display 1024x768 800x600
    start_fields 2 "${FILL[@]}"
    xrandr -s 800x600 2>/dev/null || fail "xrandr could not change the screen"
    for _ in $(seq 600); do
      grep -q "the screen changed to 800x600" "$WORK/saver.err" && break
      running || fail "the saver ended on the screen change"
      sleep 0.05
    done
    grep -q "the screen changed to 800x600" "$WORK/saver.err" || fail "the saver did not see the screen change"
    for _ in $(seq 600); do
      [ "$(grep -c " grains, " "$WORK/saver.err")" -ge 3 ] && break
      sleep 0.05
    done
    field_lines
    field_lines | tail -1 | grep -q "full saver at 800x600, .* on the monitor at +0+0" ||
      fail "the fields were not laid out again over the new screen"
    MONITORS=(800x600+0+0)
    expect_monitors screen-change "moving"
    expect_key_ends_all screen-change
    ;;
  *)
    fail "unknown case $1"
    ;;
esac
echo "PASS: $1"
