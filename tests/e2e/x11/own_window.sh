#!/usr/bin/env bash
# In a window of its own: F12 toggles the frame-rate text (and --fps starts
# with it), Escape ends the saver, and so does closing the window; every end
# has exit code 0. SIGTERM and SIGINT end it as those signals end a program,
# at any moment of its start too, and leave the settings file as it was. Each
# start lays out its first field from another phase.
. "$(dirname "$0")/common.sh"
start_display 1280x1024x24

# The share of the frame-rate text's colour, RGB(184, 96, 196), in the
# window's bottom left corner, where the text goes.
frame_rate_text() {
  shot "$WORK/corner.png" "$1"
  convert "$WORK/corner.png" -gravity SouthWest -crop 240x60+0+0 +repage -fill white \
    -opaque 'rgb(184,96,196)' -fill black +opaque white -format '%[fx:mean]' info:
}

# Few grains and no trails, so that the corner is black but for the text.
start_saver --geometry 640x480 --grains 100 --no-trails --stats
wait_started
id=$(saver_window) || fail "no saver window appeared"
wait_frames 2
before=$(frame_rate_text "$id")
xdotool key --window "$id" F12
shown=$(poll_above 0.0005 frame_rate_text "$id")
above "$shown" 0.0005 || fail "F12: no frame-rate text ($shown of the corner in its colour)"
above "$before" 0 && fail "the frame-rate text showed before F12 ($before)"
phase1=$(first_phase)
xdotool key --window "$id" Escape
wait_saver 30 || fail "Escape did not end the saver"
[ "$SAVER_CODE" -eq 0 ] || fail "Escape: exit code $SAVER_CODE"

start_saver --fps --grains 100 --no-trails --stats
wait_started
id=$(saver_window) || fail "no saver window appeared"
shown=$(poll_above 0.0005 frame_rate_text "$id")
above "$shown" 0.0005 || fail "--fps: no frame-rate text ($shown)"
phase2=$(first_phase)
[ -n "$phase1" ] && [ -n "$phase2" ] || fail "no phase in the --stats report"
[ "$phase1" != "$phase2" ] || fail "two starts laid out from the same phase $phase1"
"$TEST_WINDOW" --close "$id"
wait_saver 30 || fail "closing the window did not end the saver"
[ "$SAVER_CODE" -eq 0 ] || fail "closing the window: exit code $SAVER_CODE"

# The runs above wrote the built-in favorites; a run stopped by SIGTERM
# changes nothing.
before=$(md5sum <"$BRINDLEMAR_CONFIG_DIR/settings.reg")
start_saver --grains 900 --stats
wait_started
saver_window >/dev/null || fail "no saver window appeared"
wait_frames 2
stop_saver
[ "$(md5sum <"$BRINDLEMAR_CONFIG_DIR/settings.reg")" = "$before" ] || fail "SIGTERM changed the settings file"
start_saver --grains 900 --stats
wait_started
stop_saver INT
# Signalled at once, before the run loop: the same end.
start_saver --grains 900
stop_saver TERM
[ "$(md5sum <"$BRINDLEMAR_CONFIG_DIR/settings.reg")" = "$before" ] || fail "a stop signal changed the settings file"
grep -q '"Fav000"=' "$BRINDLEMAR_CONFIG_DIR/settings.reg" || fail "the settings file lost its favorites"
# What --help says of those ends is what they gave.
help=$("$SAVER" --help)
grep -q 'SIGTERM' <<<"$help" && grep -q '143' <<<"$help" && grep -q '130' <<<"$help" ||
  fail "--help does not tell the status 143 and 130 that SIGTERM and SIGINT give: $(grep -i -A1 'exit status' <<<"$help")"
echo "PASS: own window"
