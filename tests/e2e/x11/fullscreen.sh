#!/usr/bin/env bash
# The full-screen window keeps the saver's input rules: nothing ends it in
# the first two seconds; then a key or a click does; the first four mouse
# moves are ignored and later ones end it only beyond 110 pixels from the
# fourth; Caps Lock turns the mouse into a steering handle instead; F12
# toggles the frame-rate text. SIGTERM ends it with 0.
# Usage: fullscreen.sh keys|mouse|steering|frame-rate
. "$(dirname "$0")/common.sh"
start_display 1280x1024x24

expect_running() { running || fail "$1: the saver ended"; }
expect_ended() {
  wait_saver 30 || fail "$1: the saver kept running"
  [ "$SAVER_CODE" -eq 0 ] || fail "$1: the saver exited with $SAVER_CODE"
}

# The moves of a pointer that starts at the centre: four to be ignored, the
# last of them (630,500) becoming the reference. The saver takes every move
# in order, however late, so no pause is needed between them.
four_moves() { for x in 600 610 620 630; do xdotool mousemove "$x" 500; done; }

# The share of the frame-rate text's colour, RGB(184, 96, 196), in the
# bottom left corner, where the text goes.
frame_rate_text() {
  shot "$WORK/corner.png"
  convert "$WORK/corner.png" -crop 240x60+0+964 +repage -fill white -opaque 'rgb(184,96,196)' \
    -fill black +opaque white -format '%[fx:mean]' info:
}
frame_rate_text_gone() { awk -v v="$(frame_rate_text)" 'BEGIN { print (v > 0 ? 0 : 1) }'; }

# Starts the full-screen saver and waits until a second after its grace,
# which starts no earlier than STARTED.
start_past_grace() {
  start_saver --fullscreen --stats "$@"
  wait_started
  sleep_until "$STARTED" 3
}

case "$1" in
  keys)
    # A key and a click at once are dropped. Only input sent well within the
    # grace tells; on a machine so busy that it went out later, the run is
    # tried again.
    for attempt in 1 2 3; do
      start_saver --fullscreen --stats
      wait_started
      xdotool key a
      xdotool click 1
      sent=$(since "$STARTED")
      if above "$sent" 1.0; then
        echo "attempt $attempt: the input went out only $sent s after the start; again"
        stop_saver
        continue
      fi
      # Two new frames: the saver has taken the key and the click.
      wait_frames 2
      expect_running "a key and a click $sent s after the start"
      sleep_until "$STARTED" 3
      expect_running "the first two seconds"
      xdotool key a
      expect_ended "a key after two seconds"
      break
    done
    [ -n "${sent:-}" ] && ! above "$sent" 1.0 || fail "no input could be sent within the grace in three attempts"

    start_past_grace
    xdotool click 1
    expect_ended "a click after two seconds"
    ;;
  mouse)
    start_past_grace
    four_moves
    # 50 and then 110 pixels (|dx| + |dy|) from the fourth move: not enough.
    xdotool mousemove 660 520
    xdotool mousemove 700 540
    wait_frames 2
    expect_running "moves up to 110 pixels"
    xdotool mousemove 701 540
    expect_ended "a move 111 pixels away"
    ;;
  steering)
    start_past_grace
    xdotool key Caps_Lock
    # More moves than the four to be ignored, each far from the last.
    for point in "100 100" "1200 900" "200 800" "900 150" "1100 200" "150 950"; do
      xdotool mousemove $point
    done
    # Caps Lock back: the mouse ends it again, after the moves still to be
    # ignored.
    xdotool key Caps_Lock
    four_moves
    # The saver drawing a new frame after all that has taken it in.
    wait_frames 2
    expect_running "mouse moves while Caps Lock steered, and the moves still to be ignored"
    xdotool mousemove 1000 900
    expect_ended "a large move once Caps Lock is back"
    ;;
  frame-rate)
    # Few grains and no trails, so that the corner is black but for the text.
    start_past_grace --grains 100 --no-trails
    before=$(frame_rate_text)
    xdotool key F12
    shown=$(poll_above 0.005 frame_rate_text)
    xdotool key F12
    gone=$(poll_above 0 frame_rate_text_gone)
    above "$shown" 0.005 || fail "F12: no frame-rate text ($shown of the corner in its colour)"
    above "$before" 0 && fail "the frame-rate text showed before F12 ($before)"
    above "$gone" 0 || fail "a second F12 left the frame-rate text ($(frame_rate_text))"
    expect_running "F12"
    stop_saver
    ;;
  *)
    fail "unknown case $1"
    ;;
esac
echo "PASS: $1"
