#!/usr/bin/env bash
# The size of the target decides the run: below 640x480 the preview (its
# grains divided as the preview's are, 33 ms frames), from 640x480 up the full
# saver (all the grains). A window resized across that line switches.
. "$(dirname "$0")/common.sh"
start_display 1280x1024x24

window_of_size() {
  "$TEST_WINDOW" "$1" >"$WORK/window-$1" &
  PIDS="$PIDS $!"
  for i in $(seq 100); do [ -s "$WORK/window-$1" ] && break; sleep 0.05; done
  head -1 "$WORK/window-$1"
}

# 4000 grains: the preview divides them by 4 when they are set and by 4 again
# when it attaches, so it runs 250.
small=$(window_of_size 320x240)
start_saver --window-id "$small" --grains 4000 --stats
wait_started
sleep 1.5
expect_moving_grains preview "$small"
stop_saver
line=$(stat_line "at 320x240") || fail "no start line for 320x240"
[[ "$line" == *"preview at 320x240, 250 grains, frames every 33 ms"* ]] || fail "320x240: $line"

large=$(window_of_size 1024x768)
start_saver --window-id "$large" --grains 4000 --stats
wait_started
sleep 1.5
expect_moving_grains full "$large"
stop_saver
line=$(stat_line "at 1024x768") || fail "no start line for 1024x768"
[[ "$line" == *"full saver at 1024x768, 4000 grains"* ]] || fail "1024x768: $line"

# Its own window, shrunk to a preview's size and grown again.
start_saver --window --geometry 800x600 --grains 4000 --stats
wait_started
id=$(saver_window) || fail "no saver window appeared"
sleep 1
xdotool windowsize "$id" 320 240
sleep 1
xdotool windowsize "$id" 900 700
sleep 1
running || fail "the saver ended on a resize"
expect_moving_grains resized "$id"
stop_saver
for expected in "full saver at 800x600, 4000 grains" "preview at 320x240, 250 grains" \
                "full saver at 900x700, 4000 grains"; do
  grep -q "$expected" "$WORK/saver.err" || fail "after resizing, no line \"$expected\""
done
echo "PASS: sizes"
