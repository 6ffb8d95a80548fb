#!/bin/bash
# One end-to-end case of Brindlemar.scr under Wine, on an Xvfb display of its
# own: scr_e2e.sh <case> <Brindlemar.scr> <Brindlemar9x.scr> <host.exe> <outdir>
# <prefix>
#
# Input is real X input (xdotool); what the saver shows is read from
# screenshots of the X display. The cases share one Wine prefix (that of
# BRINDLEMAR_WINEPREFIX with "-e2e" appended, else <prefix> in the build
# tree), except first_run, which starts from a new, empty one.
set -u

CASE=$1
SCR=$2
SCR9X=$3
HOST=$4
OUT=$5/$CASE
mkdir -p "$OUT"
rm -f "$OUT"/*.png
. "$(dirname "$0")/common.sh" "$6"

FRESH_PREFIX=

cleanup() {
  # Only this prefix's wineserver, and only the X server started here.
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  [ -n "$FRESH_PREFIX" ] && rm -rf "$FRESH_PREFIX"
}
trap cleanup EXIT

host() { wine "$HOST" "$@" 2>/dev/null | tr -d '\r'; }

# The share of lit pixels whose channels are 5-6-5 values widened to 8 bits,
# as a 16-bit display shows them; at 24 bits only a few pixels are.
sixteen_bit_share() {
  convert "$OUT/$1.png" -format %c histogram:info:- | awk '
    { n = $1 + 0; gsub(/[()]/, "", $2); split($2, c, ",")
      if (c[1] + c[2] + c[3] == 0) next
      lit += n
      if (c[1] % 8 == int(c[1] / 32) && c[2] % 4 == int(c[2] / 64) && c[3] % 8 == int(c[3] / 32)) wide += n }
    END { printf "%.3f\n", lit ? wide / lit : 0 }'
}

# The number of pixels in a crop of a screenshot within 10 of an RGB colour.
colour_pixels() {
  convert "$OUT/$1.png" -crop "$2" +repage -format %c histogram:info:- | awk -v r="$3" -v g="$4" -v b="$5" '
    function near(x, y) { return x - y <= 10 && y - x <= 10 }
    { n = $1 + 0; gsub(/[()]/, "", $2); split($2, c, ",")
      if (near(c[1], r) && near(c[2], g) && near(c[3], b)) k += n }
    END { print k + 0 }'
}

saver_window() { xdotool search --name '^Brindlemar$' 2>/dev/null | head -1; }

# Starts the saver with the given arguments in the background; SAVER_PID is
# the Wine launcher's process, whose exit code is the saver's.
start_saver() {
  local program=$1
  shift
  wine "$program" "$@" >/dev/null 2>&1 &
  SAVER_PID=$!
}

# Waits up to a minute (Wine starts slowly on a busy machine) for a window
# whose title matches; WINDOW_SEEN is the moment it was found.
wait_window() {
  local name=$1
  for _ in $(seq 600); do
    if xdotool search --name "$name" >/dev/null 2>&1; then
      WINDOW_SEEN=$(now)
      return 0
    fi
    sleep 0.1
  done
  return 1
}


alive() { kill -0 "$SAVER_PID" 2>/dev/null; }

expect_alive() {
  if alive; then pass "$1: the saver runs on"; else fail "$1: the saver ended"; fi
}

# The saver has taken the input sent so far (it drew two frames since) and
# runs on.
expect_taken_and_alive() {
  wait_frames 2 || fail "$1: the saver drew no new frame in 10 seconds"
  expect_alive "$1"
}

expect_exit_zero() {
  wait_exit "$SAVER_PID" 30
  if [ "$EXIT_CODE" = 0 ]; then pass "$1: the saver ended with 0"; else fail "$1: exit $EXIT_CODE"; fi
}

# Presses a key until the saver ends, for up to half a minute: on a busy
# machine the first press may come before the saver takes keys. The saver
# must then end with 0.
end_with_key() {
  EXIT_CODE=running
  for _ in $(seq 15); do
    xdotool key x
    wait_exit "$SAVER_PID" 2
    [ "$EXIT_CODE" != running ] && break
  done
  if [ "$EXIT_CODE" = 0 ]; then pass "$1: the saver ended with 0"; else fail "$1: exit $EXIT_CODE"; fi
}

# Waits out the two seconds in which close requests and mouse input are
# dropped, from the moment the saver window shows.
start_full_screen() {
  start_saver "${1:-$SCR}" /s
  if ! wait_window '^Brindlemar$'; then
    fail "no saver window"
    exit 1
  fi
}

# Waits out the two seconds in which close requests and mouse input are
# dropped: they begin no earlier than the window's creation.
past_grace() { sleep_until "$WINDOW_SEEN" 3; }

# Screenshots $1-a and $1-b a second apart show moving grains: a clear share
# of lit pixels, and many pixels changed. Tried for up to half a minute, as
# the first frames may be slow to come on a busy machine.
check_moving() {
  local share changed
  for _ in $(seq 15); do
    shot "$1-a"
    sleep 1
    shot "$1-b"
    share=$(lit_share "$1-b")
    changed=$(changed_pixels "$1-a" "$1-b")
    at_least "$share" 0.01 && at_least "$changed" 1000 && break
  done
  if at_least "$share" 0.01; then pass "$1: lit share $share"; else fail "$1: lit share $share"; fi
  if at_least "$changed" 1000; then pass "$1: $changed pixels moved"; else fail "$1: $changed pixels moved"; fi
}

# A move that Wine will see: the pointer only reports a change of position.
# Wine may still merge moves that come quickly into one message.
move() {
  xdotool mousemove "$1" "$2"
  sleep 0.3
}

case_first_run() {
  FRESH_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/brindlemar-fresh.XXXXXX")
  export WINEPREFIX=$FRESH_PREFIX
  ensure_prefix
  start_full_screen
  past_grace
  check_moving first
  end_with_key "a key after the grace"
  local favorites
  favorites=$(wine reg query "$FAVORITES" 2>/dev/null | tr -d '\r' | grep -c 'REG_')
  if [ "$favorites" = 51 ]; then pass "51 favorites stored"; else fail "$favorites favorites stored"; fi
  local x y bits dd
  x=$(reg_value "$CONFIG" ScreenResX)
  y=$(reg_value "$CONFIG" ScreenResY)
  bits=$(reg_value "$CONFIG" ScreenResBits)
  dd=$(reg_value "$CONFIG" DirectDraw)
  echo "stored mode: $x x $y x $bits, DirectDraw $dd"
  if [ -n "$x" ] && [ "$x" != 0x0 ] && [ -n "$y" ] && [ "$y" != 0x0 ] && [ -n "$bits" ] && [ -n "$dd" ]; then
    pass "display mode and DirectDraw stored"
  else
    fail "display mode or DirectDraw missing"
  fi
}

# A key at once: within the grace the close that the key asks for is
# dropped. Only a key sent well within the grace tells; on a machine so busy
# that it went out later, the run is tried again.
case_grace_and_keys() {
  local attempt sent
  for attempt in 1 2 3; do
    start_full_screen
    xdotool key x
    sent=$(since "$WINDOW_SEEN")
    if at_least "$sent" 1.0; then
      echo "attempt $attempt: the key went out only $sent s after the window showed; again"
      end_with_key "a late key"
      continue
    fi
    expect_taken_and_alive "a key $sent s after the window showed"
    end_with_key "a key after the grace"
    return
  done
  fail "no key could be sent within the grace in three attempts"
}

# The first four moves the saver sees are ignored and the fourth is the
# reference; then only a move beyond 110 pixels (|dx| + |dy|) of it ends the
# saver. Wine may merge quick moves, so which move is the fourth is not
# known here: the small moves all lie within 8 pixels of (500, 400), the
# moves that must not end the saver within 100 of it, and the move that
# must, 160 away (the exact bounds are the unit tests' business).
case_mouse() {
  xdotool mousemove 500 400
  start_full_screen
  past_grace
  local point
  for point in "502 401" "504 402" "506 400" "503 403" "505 401" "501 402"; do
    # shellcheck disable=SC2086
    move $point
  done
  expect_taken_and_alive "small moves"
  move 560 440
  move 590 390
  move 520 480
  expect_taken_and_alive "moves within 100 pixels"
  # Should the moves above have been merged into fewer messages, this move
  # may itself be the fourth; the way back is then beyond 110 of it.
  EXIT_CODE=running
  for point in "640 420" "500 400" "640 420" "500 400"; do
    # shellcheck disable=SC2086
    move $point
    # A busy machine may take a while to deliver the move under Wine.
    wait_exit "$SAVER_PID" 15
    [ "$EXIT_CODE" != running ] && break
  done
  if [ "$EXIT_CODE" = 0 ]; then pass "a move of 160 pixels: the saver ended with 0"; else fail "a move of 160 pixels: exit $EXIT_CODE"; fi
}

# The second start comes once the first runs: one still starting (setting a
# display mode, say) answers nothing and does not count.
case_second_start() {
  start_full_screen
  past_grace
  check_moving first
  local first=$SAVER_PID
  wine "$SCR" /s >/dev/null 2>"$OUT/second.err" &
  wait_exit $! 20
  if [ "$EXIT_CODE" = 0 ]; then pass "a second /s ends at once with 0"; else fail "second /s: $EXIT_CODE"; fi
  if grep -q "another saver runs" "$OUT/second.err"; then pass "the second start says why"; else fail "the second start says nothing"; fi
  SAVER_PID=$first
  expect_alive "the first saver after the second start"
  end_with_key "a key"
}

# Keys and moves reach the saver in the order they were made, so the moves
# after Caps Lock come when it steers, however busy the machine.
case_caps_lock_and_f12() {
  start_full_screen
  past_grace
  xdotool key Caps_Lock
  local x
  for x in 100 300 500 700 900 200; do move $x $((x / 2 + 100)); done
  expect_taken_and_alive "large moves while Caps Lock steers"
  shot steer
  xdotool key Caps_Lock
  shot before_f12
  xdotool key F12
  # The frame-rate text, bottom left, in its violet, once the next frames
  # have come.
  local before after
  before=$(colour_pixels before_f12 240x60+0+708 184 96 196)
  for _ in $(seq 30); do
    shot after_f12
    after=$(colour_pixels after_f12 240x60+0+708 184 96 196)
    [ "$after" -ge 100 ] && break
    sleep 0.5
  done
  expect_alive "F12"
  if [ "$after" -ge 100 ] && [ "$before" -lt 20 ]; then
    pass "F12 shows the frame-rate text ($before -> $after text pixels)"
  else
    fail "frame-rate text: $before -> $after text pixels"
  fi
  end_with_key "a key after F12"
}

# A parent window of another program: the preview fills it, takes no keys
# and ends with it. Wine 8 does not show what one process draws into a child
# of another's window (its device context has no X drawable), so what the
# preview draws is seen only in the configuration dialog's own preview,
# which runs the same field in the same way.
case_preview() {
  local mode=$1 log="$OUT/host-$1.log"
  rm -f "$log"
  wine "$HOST" preview "$(winpath "$SCR")" 3000 $mode >"$log" 2>/dev/null &
  local host_pid=$!
  # Keys while the preview runs, once its window is there.
  for _ in $(seq 900); do
    grep -q shown "$log" 2>/dev/null && break
    sleep 0.1
  done
  local window
  window=$(xdotool search --name 'Brindlemar Preview Host' 2>/dev/null | head -1)
  [ -n "$window" ] && xdotool windowfocus "$window" 2>/dev/null
  xdotool key x key Escape key space
  wait "$host_pid"
  tr -d '\r' <"$log"
  grep -q 'preview yes 320 240' "$log" && pass "$mode: preview window fills the parent" || fail "$mode: no preview window"
  grep -q 'running yes' "$log" && pass "$mode: keys do not end the preview" || fail "$mode: the preview ended"
  grep -q 'exit 0' "$log" && pass "$mode: preview exits 0 with its parent" || fail "$mode: preview exit code"
}

# A preview whose parent's process is killed ends (as a parent that closes
# it), though no message tells it so.
case_preview_orphaned() {
  local log="$OUT/orphan.log"
  host orphan "$(winpath "$SCR")" >"$log"
  cat "$log"
  grep -qx 'preview shown' "$log" && pass "the preview shows in the parent" || fail "no preview in the parent"
  if grep -q '^ended [0-9]* ms exit 0$' "$log"; then
    pass "the preview ended with 0 after its parent's process was killed ($(cut -d' ' -f2 "$log" | tail -1) ms)"
  else
    fail "the preview outlived its parent: $(tail -1 "$log")"
  fi
}

# The configuration dialog belongs to the window that asked for it: named
# by its number after /c:, or else found by the title "Display Properties".
# While it is open that window is held, so it cannot start a second one.
case_configure_owner() {
  local how log
  for how in number title; do
    log="$OUT/configure-$how.log"
    wine "$HOST" configure "$(winpath "$SCR")" $how 2>/dev/null | tr -d '\r' >"$log"
    cat "$log"
    grep -qx 'dialog yes' "$log" && pass "$how: the dialog opens" || fail "$how: no dialog"
    grep -qx 'owner yes' "$log" && pass "$how: the window owns the dialog" || fail "$how: the dialog has no owner"
    grep -qx 'held yes' "$log" && pass "$how: the window is held" || fail "$how: the window is free while the dialog is open"
    grep -qx 'exit 1' "$log" && pass "$how: Cancel ends the program with 1" || fail "$how: exit code"
    grep -qx 'free yes' "$log" && pass "$how: the window is free afterwards" || fail "$how: the window stays held"
  done
}

# A window of the saver's class and title that cannot be a running saver:
# its process hangs (answers nothing) or was killed. A new start runs.
case_stale_window() {
  local how log stale
  for how in hang die; do
    log="$OUT/stale-$how.log"
    wine "$HOST" stale $how 2>/dev/null >"$log" &
    stale=$!
    for _ in $(seq 600); do
      grep -q ready "$log" 2>/dev/null && break
      sleep 0.1
    done
    start_full_screen
    past_grace
    check_moving "stale-$how"
    end_with_key "beside a window that $how""s"
    kill "$stale" 2>/dev/null
    wait "$stale" 2>/dev/null
  done
}

# No window number, or none of a program's windows: the desktop's would
# give a screen-sized preview that nothing ends. Each refusal says why.
case_preview_refused() {
  local args code
  for args in "/p 0" "/p abc" "/p" "-p  1234" "/p 12345" "/p $(host desktop)"; do
    # shellcheck disable=SC2086
    code=$(timeout 30 wine "$SCR" $args >/dev/null 2>"$OUT/refused.err"; echo $?)
    if [ "$code" = 0 ]; then pass "\"$args\" exits 0"; else fail "\"$args\" exits $code"; fi
    if grep -q "nothing to preview in" "$OUT/refused.err"; then
      pass "\"$args\": the refusal says why"
    else
      fail "\"$args\": the refusal says nothing"
    fi
  done
  if [ -z "$(saver_window)" ]; then pass "no saver window left"; else fail "a saver window stayed"; fi
}

# Keys go where the keyboard is: each step waits until the window it types
# into is in front with a focused control.
case_password_dialog() {
  local dialog='Change Brindlemar Password'
  wine reg delete "$CONFIG" /v Pass /f >/dev/null 2>&1
  start_saver "$SCR" /a
  if ! wait_window "^$dialog\$" || ! host foreground "$dialog"; then
    fail "no password dialog"
    return
  fi
  xdotool type --delay 50 'abc'
  xdotool key Tab
  xdotool type --delay 50 'abd'
  xdotool key Return
  if host foreground Windows; then pass "mismatch message shown"; else fail "no mismatch message"; fi
  shot mismatch
  xdotool key Return
  if host foreground "$dialog"; then pass "the dialog is back in front"; else fail "dialog closed"; fi
  expect_alive "mismatch keeps the dialog"
  # The focus is back in the new password with its text selected.
  xdotool type --delay 50 'Open Sesame 42'
  xdotool key Tab
  xdotool type --delay 50 'Open Sesame 42'
  xdotool key Return
  if host foreground Windows; then pass "success message shown"; else fail "no success message"; fi
  # The notice may show before it has the keyboard: press Enter until it goes.
  for _ in $(seq 20); do
    xdotool key Return
    wait_exit "$SAVER_PID" 2
    [ "$EXIT_CODE" != running ] && break
  done
  if [ "$EXIT_CODE" = 1 ]; then pass "dialog ends with 1 after OK"; else fail "dialog exit $EXIT_CODE"; fi
  if host checkpass 'Open Sesame 42'; then pass "scrambled password stored"; else fail "stored password"; fi
}

case_directdraw() {
  local desktop
  desktop=$(host mode)
  echo "desktop mode: $desktop"
  # Default settings: the saver chooses a mode from those DirectDraw lists.
  wine reg delete "$CONFIG" /f >/dev/null 2>&1
  start_full_screen
  past_grace
  echo "default: stored $(reg_value "$CONFIG" ScreenResX) x $(reg_value "$CONFIG" ScreenResY) x" \
    "$(reg_value "$CONFIG" ScreenResBits), DirectDraw $(reg_value "$CONFIG" DirectDraw)"
  check_moving default
  # The chosen mode has 16 bits: the screen shows 16-bit colours.
  local share
  share=$(sixteen_bit_share default-b)
  if at_least "$share" 0.5; then pass "display switched to 16 bits ($share of lit pixels 5-6-5)"; else fail "no 16-bit display ($share)"; fi
  end_with_key "default mode"
  local after
  after=$(host mode)
  if [ "$after" = "$desktop" ]; then pass "desktop mode restored: $after"; else fail "mode after the run: $after"; fi

  # A mode the display refuses: the run goes on at the desktop's own mode.
  # The current settings rather than a random favorite, so that what is
  # drawn does not depend on the draw.
  wine reg add "$CONFIG" /v Random /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResX /t REG_DWORD /d 640 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResY /t REG_DWORD /d 480 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResBits /t REG_DWORD /d 16 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v DirectDraw /t REG_DWORD /d 1 /f >/dev/null 2>&1
  start_full_screen
  past_grace
  check_moving refused
  share=$(sixteen_bit_share refused-b)
  if ! at_least "$share" 0.2; then pass "640x480 refused: desktop depth kept ($share 5-6-5)"; else fail "16-bit colours at the desktop's mode ($share)"; fi
  # The memory surface covers the whole desktop, not 640 x 480.
  local outside
  outside=$(lit_share refused-b 384x288+640+480)
  echo "lit share outside 640x480: $outside"
  end_with_key "refused mode"
  after=$(host mode)
  if [ "$after" = "$desktop" ]; then pass "desktop mode after the refused run"; else fail "mode after: $after"; fi
}

# Entry boxes are 45 pixels wide, 1024 / 20 apart, centred on row 384 as the
# canvas counts rows (two hidden guard rows first): their top edges lie on
# row 360 of the screen. $1: the screenshot; $2: the box (1 or 4). Prints
# the white pixels of the box's top edge.
box_top() { colour_pixels "$1" "40x1+$((12 + ($2 - 1) * 51))+360" 255 255 255; }

# Takes screenshots into $1 until box $2 shows, for up to half a minute.
wait_box() {
  for _ in $(seq 60); do
    shot "$1"
    [ "$(box_top "$1" "$2")" = 40 ] && return 0
    sleep 0.5
  done
  return 1
}

case_password_prompt() {
  host setpass 'abc' || fail "setpass"
  wine reg add "$DESKTOP" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
  start_full_screen "$SCR9X"
  past_grace
  shot before_prompt
  local share
  share=$(sixteen_bit_share before_prompt)
  if ! at_least "$share" 0.2; then pass "a password keeps the desktop mode ($share 5-6-5)"; else fail "16-bit colours ($share)"; fi
  xdotool key x
  wait_box prompt 1
  expect_alive "a key raises the prompt"
  local first fourth
  first=$(box_top prompt 1)
  fourth=$(box_top prompt 4)
  if [ "$first" = 40 ] && [ "$fourth" -lt 40 ]; then pass "prompt with one box"; else fail "one box: $first, $fourth"; fi
  xdotool type --delay 80 'abd'
  if wait_box typed 4; then pass "four boxes after three more keys"; else fail "fourth box: $(box_top typed 4)"; fi
  xdotool key Return
  expect_taken_and_alive "a wrong password"
  xdotool type --delay 80 'abc'
  xdotool key Return
  expect_exit_zero "the right password"
  # The shipped saver runs on the NT family here and never asks.
  start_full_screen
  past_grace
  end_with_key "the NT family with the same settings"
  wine reg delete "$DESKTOP" /v ScreenSaveUsePassword /f >/dev/null 2>&1
  wine reg delete "$CONFIG" /v Pass /f >/dev/null 2>&1
}

start_display
if [ "$CASE" != first_run ]; then
  ensure_prefix
  reset_settings
fi

case $CASE in
  first_run) case_first_run ;;
  grace_and_keys) case_grace_and_keys ;;
  mouse) case_mouse ;;
  second_start) case_second_start ;;
  caps_lock_and_f12) case_caps_lock_and_f12 ;;
  preview) case_preview plain; case_preview aware ;;
  preview_orphaned) case_preview_orphaned ;;
  stale_window) case_stale_window ;;
  preview_refused) case_preview_refused ;;
  configure_owner) case_configure_owner ;;
  password_dialog) case_password_dialog ;;
  directdraw) case_directdraw ;;
  password_prompt) case_password_prompt ;;
  *) echo "unknown case $CASE"; exit 2 ;;
esac

# Leave no saver behind for the next case.
if [ -n "${SAVER_PID:-}" ] && kill -0 "$SAVER_PID" 2>/dev/null; then
  fail "a saver was still running at the end"
fi
echo "$CASE: $FAILURES failure(s)"
[ "$FAILURES" = 0 ]
