#!/usr/bin/env bash
# The size of the target decides the run: below 640x480 the preview (its
# grains divided as the preview's are, 33 ms frames), from 640x480 up the full
# saver (all the grains). A window resized across that line switches.
. "$(dirname "$0")/common.sh"
start_display 1280x1024x24

window_of_size() {
  "$TEST_WINDOW" "$1" >"$WORK/window-$1" &
  PIDS="$PIDS $!"
  for i in $(seq 600); do [ -s "$WORK/window-$1" ] && break; sleep 0.05; done
  head -1 "$WORK/window-$1"
}

# 4000 grains: the preview divides them by 4 when they are set and by 4 again
# when it attaches, so it runs 250.
# size | name of the shots | what the saver says it runs
while IFS='|' read -r size name expected <&3; do
  target=$(window_of_size "$size")
  start_saver --window-id "$target" --grains 4000 --stats
  wait_started
  expect_moving_grains "$name" "$target"
  stop_saver
  line=$(stat_line "at $size") || fail "no start line for $size"
  [[ "$line" == *"$expected"* ]] || fail "$size: $line"
done 3<<'CASES'
320x240|preview|preview at 320x240, 250 grains, frames every 33 ms
1024x768|full|full saver at 1024x768, 4000 grains
CASES

# Waits up to half a minute for the saver to report a field it started.
wait_line() {
  for _ in $(seq 300); do
    grep -q "$1" "$WORK/saver.err" && return 0
    running || fail "the saver ended on a resize"
    sleep 0.1
  done
  fail "after resizing, no line \"$1\""
}

# Its own window, shrunk to a preview's size and grown again.
start_saver --window --geometry 800x600 --grains 4000 --stats
wait_started
id=$(saver_window) || fail "no saver window appeared"
wait_line "full saver at 800x600, 4000 grains"
xdotool windowsize "$id" 320 240
wait_line "preview at 320x240, 250 grains"
xdotool windowsize "$id" 900 700
wait_line "full saver at 900x700, 4000 grains"
expect_moving_grains resized "$id"
stop_saver
echo "PASS: sizes"
