#!/usr/bin/env bash
# The saver draws moving coloured grains wherever it is told to: its own
# window, a window another program made (24- and 32-bit visuals), the window
# that XSCREENSAVER_WINDOW names (which wins over the command line), and the
# root window, also of a 16-bit screen. Then it ends with 0 on SIGTERM, or
# when the window it was given goes away.
# Usage: targets.sh window|window-id|window-id-32|environment|root|root-16
. "$(dirname "$0")/common.sh"
if [ "$1" = root-16 ]; then
  start_display 1024x768x16
else
  start_display 1280x1024x24
fi

case "$1" in
  window)
    start_saver --window --geometry 700x500 --stats
    wait_started
    id=$(saver_window) || fail "no saver window appeared"
    size=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [ "$size" = "700x500" ] || fail "the window is $size, not 700x500"
    expect_moving_grains window "$id"
    ;;
  window-id | window-id-32)
    depth=24
    [ "$1" = window-id-32 ] && depth=32
    "$TEST_WINDOW" 800x600 "$depth" >"$WORK/window" &
    PIDS=$!
    for i in $(seq 600); do [ -s "$WORK/window" ] && break; sleep 0.05; done
    id=$(head -1 "$WORK/window")
    [ -n "$id" ] || fail "the test window did not appear"
    start_saver --window-id "$id" --stats
    wait_started
    expect_moving_grains "$1" "$id"
    # The window going away with its program ends the saver, with 0.
    kill "$PIDS"
    wait_saver 30 || fail "the saver kept running without its window"
    [ "$SAVER_CODE" -eq 0 ] || fail "the saver exited with $SAVER_CODE when its window went"
    echo "PASS: $1"
    exit 0
    ;;
  environment)
    "$TEST_WINDOW" 800x600 >"$WORK/window" &
    PIDS=$!
    for i in $(seq 600); do [ -s "$WORK/window" ] && break; sleep 0.05; done
    id=$(head -1 "$WORK/window")
    [ -n "$id" ] || fail "the test window did not appear"
    # The daemon's window wins over the targets of the command line, given
    # as the settings program of the daemon gives them.
    XSCREENSAVER_WINDOW=$id start_saver --root --window-id 0x400CEC --stats
    wait_started
    expect_moving_grains environment "$id"
    # Nothing outside that window was drawn on.
    shot "$WORK/root.png"
    outside=$(convert "$WORK/root.png" -crop 400x400+850+600 +repage png:- | lit_share png:-)
    above "$outside" 0 && fail "the saver drew outside the window it was given ($outside lit)"
    ;;
  root)
    start_saver --root --stats
    wait_started
    expect_moving_grains root
    ;;
  root-16)
    # Full screen without trails on a 16-bit screen: the 16-bit frame buffer.
    start_saver --root --no-trails --grains 20000 --stats
    wait_started
    expect_moving_grains root-16
    ;;
  *)
    fail "unknown target $1"
    ;;
esac

running || fail "the saver ended by itself"
stop_saver
echo "PASS: $1"
