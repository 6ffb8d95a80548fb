#!/bin/bash
# One end-to-end case of the configuration dialog of Brindlemar.scr under
# Wine, on an Xvfb display of its own:
#   config_e2e.sh <case> <Brindlemar.scr> <Brindlemar9x.scr> <driver.exe> <outdir> <prefix>
#
# The dialog runs as the display settings start it (/c). A small Windows
# program of ours (the driver) finds it and its controls by id and sends
# them what a user's clicks, typing and choices send; F1 and the full-screen
# saver get real X keys (xdotool). What the dialog stores is read with
# "wine reg query", what its preview shows from screenshots. Every wait is
# for a condition, with a generous deadline.
set -u

CASE=$1
SCR=$2
SCR9X=$3
DRIVER=$4
OUT=$5/$CASE
mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/*.log
. "$(dirname "$0")/common.sh" "$6"

MESSAGES='HKCU\Software\Tessaloom\Brindlemar\Messages'
BACKUP='HKCU\Software\Tessaloom\Brindlemar\Backup'
CLASSES='HKLM\Software\Classes'
DIALOG=Brindlemar
RINGS='*,2,3,5000,1500,600,7,900,6,1,0,1,0,3,0,.252212,25,1,4,2,10,5,6,321,1,1'
# Full Field in dots without trails: each frame stands on its own.
PLAIN='*,1,1,4000,3000,600,6,900,1,0,0,1,0,0,0,.252212,0,0,2,2,0,0,0,500,0,0'

SAVER_PID=

check() { if [ "$2" = "$3" ]; then pass "$1: $2"; else fail "$1: '$2', expected '$3'"; fi; }
# The same for what the dialog shows a moment after an action: the command
# (a string for eval) is asked again for up to half a minute.
check_soon() {
  local value
  for _ in $(seq 60); do
    value=$(eval "$2")
    [ "$value" = "$3" ] && break
    sleep 0.5
  done
  check "$1" "$value" "$3"
}

cleanup() {
  wine reg delete "$DESKTOP" /v LogPixels /f >/dev/null 2>&1
  wine reg delete "$CLASSES\\.html" /f >/dev/null 2>&1
  wine reg delete "$CLASSES\\BrindlemarTest.html" /f >/dev/null 2>&1
  # Only this prefix's wineserver, and only the X server started here.
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

# The driver's output without carriage returns, and its exit code.
drv() {
  wine "$DRIVER" "$@" 2>>"$OUT/driver.log" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# A string value, blanks and all ("" when it is empty or missing).
reg_string() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n && $2 == "REG_SZ" { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]*/, ""); print; exit }'
}
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
# Field $3 (0 = the name) of the record in value $2 of key $1.
record_field() { reg_string "$1" "$2" | cut -d, -f$(($3 + 1)); }

crop() { convert "$OUT/$1.png" -crop "$2" +repage "$OUT/$3.png"; }

# Runs a command until it succeeds, for up to $1 seconds.
until_ok() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 2))); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}

# Stored settings without a random rotation, so that the dialog opens on
# its Main page, and with a display mode, so that opening stores none.
put_settings() {
  wine reg add "$CONFIG" /v Settings /t REG_SZ /d "$1" /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Random /t REG_DWORD /d "${2:-0}" /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v DirectDraw /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResX /t REG_DWORD /d 800 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResY /t REG_DWORD /d 600 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResBits /t REG_DWORD /d 16 /f >/dev/null 2>&1
}

# Starts the dialog as the display settings do and waits until it shows.
open_dialog() {
  wine "${1:-$SCR}" /c >/dev/null 2>&1 &
  SAVER_PID=$!
  if ! drv wait "$DIALOG" 90; then
    fail "no configuration dialog"
    exit 1
  fi
}

# OK or Cancel: the dialog goes, the program ends with 1 and leaves nothing
# behind: no window of ours and no Backup key.
close_dialog() {
  drv click "$DIALOG" "$1"
  wait_exit "$SAVER_PID" 60
  check "the program's exit code after ${2:-closing}" "$EXIT_CODE" 1
  if [ -z "$(xdotool search --name 'Brindlemar' 2>/dev/null)" ]; then
    pass "no window of Brindlemar left"
  else
    fail "a window of Brindlemar is left"
  fi
  if reg_has "$BACKUP" Random; then fail "the Backup key is left"; else pass "the Backup key is gone"; fi
}

# The preview's rectangle as a crop geometry; PREVIEW is set to it.
preview_geometry() {
  local x y w h
  read -r x y w h < <(drv rect "$DIALOG" preview)
  PREVIEW="${w}x${h}+${x}+${y}"
}

# A screenshot of the preview alone into $1.png.
preview_shot() {
  shot "$1-screen"
  crop "$1-screen" "$PREVIEW" "$1"
}

# The preview animates: two shots half a second apart differ.
preview_moves() {
  preview_shot moves-a
  sleep 0.5
  preview_shot moves-b
  at_least "$(changed_pixels moves-a moves-b)" 200
}

# Watches the lit share of the preview for up to half a minute until it is
# below or above a bound; prints the last share seen.
lit_until() {
  local name=$1 side=$2 bound=$3 share=0 i
  for i in $(seq 60); do
    preview_shot "lit-$name-$i"
    share=$(lit_share "lit-$name-$i")
    if [ "$side" = below ]; then at_least "$bound" "$share" && break; else at_least "$share" "$bound" && break; fi
    sleep 0.5
  done
  echo "$share"
}

# The X window of the top-level window titled $1.
x_window() { xwininfo -root -tree | awk -v t="\"$1\":" 'index($0, t) { print $1; exit }'; }

# Window $1 shows on the screen: the screen's picture where its X window
# lies ($2.png, cut from $2-screen.png) is the window's own picture
# ($2-own.png) but for a few pixels, and mostly a dialog's light face. The
# animated preview, when it lies within (the screen geometry $3), counts in
# neither.
on_screen() {
  local window x y w h differ blank=()
  window=$(x_window "$1")
  [ -n "$window" ] || return 1
  read -r x y w h < <(xwininfo -id "$window" |
    awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
         END { print x, y, w, h }')
  if [ -n "${3:-}" ]; then
    local pw ph px py
    IFS='x+' read -r pw ph px py <<<"$3"
    blank=(-fill black -draw "rectangle $((px - x)),$((py - y)) $((px - x + pw - 1)),$((py - y + ph - 1))")
  fi
  shot "$2-screen"
  convert "$OUT/$2-screen.png" -crop "${w}x${h}+${x}+${y}" +repage "${blank[@]}" "$OUT/$2.png"
  xwd -id "$window" -silent | convert xwd:- "${blank[@]}" "png:$OUT/$2-own.png"
  differ=$(compare -metric AE -fuzz 8% "$OUT/$2.png" "$OUT/$2-own.png" null: 2>&1 | cut -d' ' -f1)
  at_least "$(lit_share "$2")" 0.5 && [ "${differ%.*}" -le $((w * h / 50)) ]
}

# A window drawn a moment ago reaches the screen soon: asked again for up
# to half a minute.
expect_on_screen() {
  if until_ok 30 on_screen "$@"; then
    pass "\"$1\" shows on the screen"
  else
    fail "\"$1\" is not on the screen: $OUT/$2.png against $OUT/$2-own.png"
  fi
}

case_opens_with_stored_values() {
  put_settings "$RINGS"
  wine reg add "$CONFIG" /v Clock /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Style /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Messages /t REG_DWORD /d 1 /f >/dev/null 2>&1
  open_dialog
  check "grains" "$(drv get "$DIALOG" 1000)" 5000
  check "reflections" "$(drv get "$DIALOG" 1002)" 6
  check "trail length" "$(drv get "$DIALOG" 1003)" 25
  check "configuration" "$(drv entries "$DIALOG" 1005 | grep '^\* ')" "* Rings!"
  check "dimensionality" "$(drv entries "$DIALOG" 1018 | grep '^\* ')" "* Organic"
  check "configurations listed" "$(drv entries "$DIALOG" 1005 | wc -l)" 26
  local id
  for id in 1031 1037 1015 1036 1041 1103 1101; do check "control $id checked" "$(drv state "$DIALOG" $id | cut -d' ' -f1)" 1; done
  for id in 1020 1011 1102; do check "control $id unchecked" "$(drv state "$DIALOG" $id | cut -d' ' -f1)" 0; done
  check "Edit Messages enabled" "$(drv state "$DIALOG" 1106 | cut -d' ' -f2)" 1
  check "the Random page's list hidden" "$(drv state "$DIALOG" 1075 | cut -d' ' -f3)" 0
  check "the Main page's grains shown" "$(drv state "$DIALOG" 1000 | cut -d' ' -f3)" 1
  echo "display mode chosen: $(drv entries "$DIALOG" 1104 | grep '^\* ')"
  check "favorites listed" "$(drv entries "$DIALOG" 1023 | wc -l)" 51
  if reg_has "$BACKUP" Settings; then pass "the Backup key exists while the dialog is open"; else fail "no Backup key"; fi
  preview_geometry
  if until_ok 60 preview_moves; then pass "the preview animates ($PREVIEW)"; else fail "the preview does not animate"; fi
  close_dialog 2 Cancel
}

case_preview_follows_controls() {
  put_settings "$PLAIN"
  open_dialog
  preview_geometry
  if until_ok 60 preview_moves; then pass "the preview animates"; else fail "the preview does not animate"; fi

  # Each change shows within a few frames: the lit share of the preview is
  # watched until it crosses what the change must bring.
  drv type "$DIALOG" 1000 100 && drv leave "$DIALOG" 1000
  local few many
  few=$(lit_until few below 0.01)
  drv type "$DIALOG" 1000 40000 && drv leave "$DIALOG" 1000
  many=$(lit_until many above "$(awk -v f="$few" 'BEGIN { print f * 4 + 0.01 }')")
  if at_least "$many" "$(awk -v f="$few" 'BEGIN { print f * 4 + 0.01 }')"; then
    pass "grains: 100 light $few of the preview, 40000 light $many"
  else
    fail "grains: 100 light $few, 40000 light $many"
  fi

  drv type "$DIALOG" 1000 4000 && drv leave "$DIALOG" 1000
  local dots large
  dots=$(lit_until dots below 0.05)
  drv click "$DIALOG" 1031
  large=$(lit_until large above "$(awk -v d="$dots" 'BEGIN { print d * 2 }')")
  if at_least "$large" "$(awk -v d="$dots" 'BEGIN { print d * 2 }')"; then
    pass "dot style: dots light $dots, large dots $large"
  else
    fail "dot style: dots light $dots, large dots $large"
  fi

  preview_shot before-configuration
  drv choose "$DIALOG" 1005 "The Line"
  preview_shot after-configuration
  check "configuration chosen" "$(drv entries "$DIALOG" 1005 | grep '^\* ')" "* The Line"
  local changed
  changed=$(changed_pixels before-configuration after-configuration)
  if at_least "$changed" 500; then pass "configuration: $changed pixels changed"; else fail "configuration: $changed pixels changed"; fi
  if until_ok 30 preview_moves; then pass "the new configuration animates"; else fail "the new configuration stands still"; fi
  close_dialog 2 Cancel
}

# Changes made in the dialog: grains, dot style, configuration, activity,
# trails, clock face, messages and the display option.
make_changes() {
  drv type "$DIALOG" 1000 3333 && drv leave "$DIALOG" 1000
  drv click "$DIALOG" 1021
  drv choose "$DIALOG" 1005 Fountain
  drv scroll "$DIALOG" 1010 7
  drv set "$DIALOG" 1036 0
  drv set "$DIALOG" 1102 1
  drv set "$DIALOG" 1101 1
  drv set "$DIALOG" 1100 0
  drv choose "$DIALOG" 1113 "one across all"
  until_ok 30 test "$(drv state "$DIALOG" 1100 | cut -d' ' -f1)" = 0
}

case_ok_writes() {
  put_settings "$RINGS"
  open_dialog
  make_changes
  close_dialog 1 OK
  local record
  record=$(reg_string "$CONFIG" Settings)
  echo "stored: $record"
  check "grains stored" "$(echo "$record" | cut -d, -f4)" 3333
  check "configuration stored" "$(echo "$record" | cut -d, -f3)" 15
  check "activity stored" "$(echo "$record" | cut -d, -f5)" 5000
  check "dot style stored" "$(echo "$record" | cut -d, -f14)" 1
  check "trails stored" "$(echo "$record" | cut -d, -f18)" 0
  check "Clock" "$(reg_value "$CONFIG" Clock)" 0x1
  check "Style" "$(reg_value "$CONFIG" Style)" 0x0
  check "Messages" "$(reg_value "$CONFIG" Messages)" 0x1
  check "DirectDraw" "$(reg_value "$CONFIG" DirectDraw)" 0x0
  check "Monitors" "$(reg_value "$CONFIG" Monitors)" 0x2
}

case_cancel_restores() {
  put_settings "$RINGS"
  wine reg add "$CONFIG" /v RanArray /t REG_BINARY /d 010001 /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v Monitors /t REG_DWORD /d 0 /f >/dev/null 2>&1
  local before name
  before=$(for name in Settings Random Clock Style Messages DirectDraw ScreenResX ScreenResY ScreenResBits Monitors RanArray; do
    wine reg query "$CONFIG" /v $name 2>/dev/null | tr -d '\r' | grep REG_
  done)
  open_dialog
  make_changes
  drv page "$DIALOG" 1110 1
  drv set "$DIALOG" 1082 1
  drv select "$DIALOG" 1075 1 4 7
  close_dialog 2 Cancel
  local after
  after=$(for name in Settings Random Clock Style Messages DirectDraw ScreenResX ScreenResY ScreenResBits Monitors RanArray; do
    wine reg query "$CONFIG" /v $name 2>/dev/null | tr -d '\r' | grep REG_
  done)
  if [ "$before" = "$after" ]; then pass "Cancel restored the Config values"; else
    fail "Config after Cancel differs"
    diff <(echo "$before") <(echo "$after")
  fi
}

favorite_names() { wine reg query "$FAVORITES" 2>/dev/null | tr -d '\r' | awk '$2 == "REG_SZ" { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]*/, ""); split($0, f, ","); print f[1] }'; }

# Types a name into the add dialog and presses OK.
add_favorite() {
  drv click "$DIALOG" 1024
  drv wait 'Add New Favorite' 30 || fail "no Add New Favorite dialog"
  drv type 'Add New Favorite' 1001 "$1"
  drv click 'Add New Favorite' 1
}

case_favorites() {
  put_settings "$RINGS"
  open_dialog
  drv click "$DIALOG" 1024
  drv wait 'Add New Favorite' 30 || fail "no Add New Favorite dialog"
  expect_on_screen 'Add New Favorite' add-dialog
  drv type 'Add New Favorite' 1001 'E2E Nebula'
  drv click 'Add New Favorite' 1
  drv gone 'Add New Favorite' 30 || fail "the add dialog stays"
  if until_ok 30 eval "favorite_names | grep -qx 'E2E Nebula'"; then pass "Add stored the favorite"; else fail "Add stored nothing"; fi
  check "count after Add" "$(favorite_names | wc -l)" 52
  check_soon "the new favorite is chosen" 'drv entries "$DIALOG" 1023 | grep "^\* "' "* E2E Nebula"
  check_soon "Remove enabled" 'drv state "$DIALOG" 1026 | cut -d" " -f2' 1
  check "stored with the dialog's grains" "$(record_field "$FAVORITES" Fav051 3)" 5000

  add_favorite 'E2E Nebula'
  drv wait 'Replace Existing Favorite?' 30 || fail "no Replace Existing Favorite? dialog"
  expect_on_screen 'Replace Existing Favorite?' replace-dialog
  drv click 'Replace Existing Favorite?' 2
  drv gone 'Replace Existing Favorite?' 30

  add_favorite 'Bad, name'
  if drv wait 'Invalid Name' 30; then pass "a name with a comma is refused with a message"; else fail "no message for a comma"; fi
  expect_on_screen 'Invalid Name' invalid-name
  drv click 'Invalid Name' 1 || drv click 'Invalid Name' 2
  drv gone 'Invalid Name' 30
  if drv wait 'Add New Favorite' 5; then pass "the add dialog stays open"; else fail "the add dialog closed"; fi
  drv click 'Add New Favorite' 2
  drv gone 'Add New Favorite' 30
  check "count after the refused name" "$(favorite_names | wc -l)" 52

  drv choose "$DIALOG" 1023 'E2E Nebula'
  drv click "$DIALOG" 1026
  drv wait 'Remove Favorite?' 30 || fail "no Remove Favorite? dialog"
  expect_on_screen 'Remove Favorite?' remove-dialog
  check "the name to remove" "$(drv get 'Remove Favorite?' 1001)" 'E2E Nebula'
  drv click 'Remove Favorite?' 1
  drv gone 'Remove Favorite?' 30
  if until_ok 30 eval "! favorite_names | grep -qx 'E2E Nebula'"; then pass "Remove deleted the favorite"; else fail "Remove left the favorite"; fi
  check "count after Remove" "$(favorite_names | wc -l)" 51
  check_soon "Remove disabled" 'drv state "$DIALOG" 1026 | cut -d" " -f2' 0

  add_favorite 'Keeper'
  drv gone 'Add New Favorite' 30
  until_ok 30 eval "favorite_names | grep -qx 'Keeper'"
  close_dialog 2 Cancel
  if favorite_names | grep -qx 'Keeper'; then pass "a favorite added stays after Cancel"; else fail "Cancel removed the favorite"; fi
}

case_messages() {
  put_settings "$RINGS"
  open_dialog
  drv set "$DIALOG" 1101 1
  until_ok 30 test "$(drv state "$DIALOG" 1106 | cut -d' ' -f2)" = 1 || fail "Edit Messages stays disabled"
  drv click "$DIALOG" 1106
  drv wait 'Pop-up Messages' 30 || fail "no Pop-up Messages dialog"
  if [ "$(drv entries 'Pop-up Messages' 1004 | wc -l)" -ge 1 ]; then pass "fonts listed"; else fail "no font listed"; fi
  echo "font chosen: $(drv entries 'Pop-up Messages' 1004 | grep '^\* ')"
  drv type 'Pop-up Messages' 1017 $'Hello\r\n\r\nWorld\\rTwice\r\n'
  drv type 'Pop-up Messages' 1001 10
  drv type 'Pop-up Messages' 1002 5
  expect_on_screen 'Pop-up Messages' messages-dialog
  drv click 'Pop-up Messages' 1
  drv gone 'Pop-up Messages' 30 || fail "the messages dialog stays"
  check "Message1" "$(reg_string "$MESSAGES" Message1)" Hello
  check "Message2 (empty)" "$(reg_string "$MESSAGES" Message2)" ""
  if reg_has "$MESSAGES" Message2; then pass "Message2 exists"; else fail "Message2 missing"; fi
  check "Message3" "$(reg_string "$MESSAGES" Message3)" 'World\rTwice'
  if reg_has "$MESSAGES" Message4; then fail "a Message4 for the final line break"; else pass "no message for the final line break"; fi
  check "Num" "$(reg_value "$MESSAGES" Num)" 0x3
  check "MinTime" "$(reg_value "$MESSAGES" MinTime)" 0xa
  check "MaxTime" "$(reg_value "$MESSAGES" MaxTime)" 0xb
  check "the Random page's delay from" "$(drv get "$DIALOG" 1076)" 10
  check "the Random page's delay to" "$(drv get "$DIALOG" 1077)" 11

  drv click "$DIALOG" 1106
  drv wait 'Pop-up Messages' 30
  check "messages shown again up to the empty one" "$(drv get 'Pop-up Messages' 1017 | tr -d '\r' | paste -sd'|')" "Hello|"
  drv type 'Pop-up Messages' 1017 'Changed'
  drv click 'Pop-up Messages' 2
  drv gone 'Pop-up Messages' 30
  check "Cancel writes nothing" "$(reg_string "$MESSAGES" Message1)" Hello
  close_dialog 2 Cancel
  check "the messages stay after the dialog's Cancel" "$(reg_value "$MESSAGES" Num)" 0x3
}

case_additional_settings() {
  local title='Additional Configuration Settings'
  put_settings "$RINGS"
  open_dialog
  drv choose "$DIALOG" 1005 Circular
  drv click "$DIALOG" 1038
  drv wait "$title" 30 || fail "no $title dialog"
  check "setting 2" "$(drv get "$title" 1028)" "New Dots/Group"
  check "setting 3" "$(drv get "$title" 1029)" "Energy"
  check "setting 4" "$(drv get "$title" 1030)" "Radius"
  check "range 2" "$(drv get "$title" 1033)" "(1 to 250)"
  check "range 3" "$(drv get "$title" 1034)" "(-1000 to 1000)"
  check "range 4" "$(drv get "$title" 1035)" "(1 to 1500)"
  expect_on_screen "$title" additional-dialog
  drv type "$title" 1003 5000
  drv click "$title" 1
  drv gone "$title" 30 || fail "the settings dialog stays"

  drv choose "$DIALOG" 1005 "The Line"
  drv click "$DIALOG" 1038
  drv wait "$title" 30
  for id in 1001 1028 1033; do check "The Line hides control $id" "$(drv state "$title" $id | cut -d' ' -f3)" 0; done
  check "The Line shows its colour" "$(drv state "$title" 1020 | cut -d' ' -f3)" 1
  drv click "$title" 2
  drv gone "$title" 30

  drv choose "$DIALOG" 1005 Circular
  close_dialog 1 OK
  local record
  record=$(reg_string "$CONFIG" Settings)
  echo "stored: $record"
  check "configuration" "$(echo "$record" | cut -d, -f3)" 25
  check "radius limited to its range" "$(echo "$record" | cut -d, -f23)" 1500
}

case_random_page() {
  put_settings "$RINGS"
  open_dialog
  drv page "$DIALOG" 1110 1
  until_ok 30 test "$(drv state "$DIALOG" 1075 | cut -d' ' -f3)" = 1 || fail "the Random page does not show"
  check "the Main page hides" "$(drv state "$DIALOG" 1000 | cut -d' ' -f3)" 0
  check "every favorite chosen at first" "$(drv entries "$DIALOG" 1075 | grep -c '^\* ')" 51
  drv set "$DIALOG" 1082 1
  until_ok 30 test "$(drv state "$DIALOG" 1110 | cut -d' ' -f2)" = 0 || fail "the tabs stay enabled"
  drv select "$DIALOG" 1075 0 2
  drv type "$DIALOG" 1076 0 && drv leave "$DIALOG" 1076
  drv type "$DIALOG" 1077 0 && drv leave "$DIALOG" 1077
  check "MinTime shown" "$(drv get "$DIALOG" 1076)" 1
  check "MaxTime shown" "$(drv get "$DIALOG" 1077)" 2
  check "MinTime stored at once" "$(reg_value "$MESSAGES" MinTime)" 0x1
  check "MaxTime stored at once" "$(reg_value "$MESSAGES" MaxTime)" 0x2
  close_dialog 1 OK
  check "Random" "$(reg_value "$CONFIG" Random)" 0x1
  check "RanArray" "$(reg_value "$CONFIG" RanArray)" "010001$(printf '00%.0s' $(seq 48))"
}

case_full_screen_preview() {
  put_settings "$PLAIN"
  open_dialog
  drv type "$DIALOG" 1000 2222 && drv leave "$DIALOG" 1000
  drv click "$DIALOG" 1112
  if drv saver 60 1; then pass "Preview runs the saver full screen"; else fail "no full-screen saver"; fi
  check "the settings are saved first" "$(record_field "$CONFIG" Settings 3)" 2222
  shot full-screen
  # The saver ignores clicks for its first two seconds: click until it
  # ends. (A click needs no keyboard focus, which Xvfb without a window
  # manager may give elsewhere.)
  for _ in $(seq 30); do
    xdotool mousemove 512 384 click 1
    drv saver 2 0 && break
  done
  if drv saver 1 0; then pass "a click ends the full-screen saver"; else fail "the full-screen saver stays"; fi
  if drv wait "$DIALOG" 5; then pass "the dialog is back"; else fail "the dialog is gone"; fi
  preview_geometry
  if until_ok 60 preview_moves; then pass "the dialog's preview runs again"; else fail "the dialog's preview stands still"; fi
  close_dialog 2 Cancel
  check "Cancel after Preview restores the grains" "$(record_field "$CONFIG" Settings 3)" 4000
}

# Opens our driver for every .html file of this prefix: it notes the file.
record_html_opens() {
  OPENED="$OUT/opened.log"
  rm -f "$OPENED"
  wine reg add "$CLASSES\\.html" /ve /d BrindlemarTest.html /f >/dev/null 2>&1
  wine reg add "$CLASSES\\BrindlemarTest.html\\shell\\open\\command" /ve \
    /d "\"$(winpath "$DRIVER")\" opened \"$(winpath "$OPENED")\" \"%1\"" /f >/dev/null 2>&1
}

# Waits for the open of a page; checks that it was written and reads as it should.
expect_opened() {
  local page=$1 text=$2 file
  if until_ok 60 grep -qi "$page" "$OPENED" 2>/dev/null; then pass "$page opened"; else fail "$page not opened"; return; fi
  file=$(winepath -u "$(grep -i "$page" "$OPENED" | tail -1 | tr -d '\r')" 2>/dev/null)
  if [ -f "$file" ] && grep -q "$text" "$file"; then pass "$page written ($file)"; else fail "$page not written: $file"; fi
}

case_help() {
  put_settings "$RINGS"
  record_html_opens
  open_dialog
  local window
  window=$(xdotool search --name '^Brindlemar$' | head -1)
  xdotool windowfocus --sync "$window" 2>/dev/null
  until_ok 30 eval 'xdotool key F1; grep -qi main.html "$OPENED" 2>/dev/null'
  expect_opened main.html "The configuration dialog"
  grep -q 'help.css' "$OPENED" && fail "the style sheet was opened" || true

  drv set "$DIALOG" 1101 1
  drv click "$DIALOG" 1106
  drv wait 'Pop-up Messages' 30
  drv click 'Pop-up Messages' 9876
  expect_opened messages.html "Pop-up messages"
  drv click 'Pop-up Messages' 2
  drv gone 'Pop-up Messages' 30

  drv click "$DIALOG" 1038
  drv wait 'Additional Configuration Settings' 30
  drv click 'Additional Configuration Settings' 9876
  expect_opened additional.html "Additional configuration settings"
  drv click 'Additional Configuration Settings' 2
  drv gone 'Additional Configuration Settings' 30

  drv click "$DIALOG" 1107
  if drv wait 'About Brindlemar' 30; then pass "the about box shows"; else fail "no about box"; fi
  check "the about box's version" "$(drv get 'About Brindlemar' 1201)" "Version $BRINDLEMAR_VERSION"
  expect_on_screen 'About Brindlemar' about
  drv click 'About Brindlemar' 1108
  expect_opened index.html "Brindlemar Help"
  drv click 'About Brindlemar' 1
  drv gone 'About Brindlemar' 30
  close_dialog 2 Cancel
}

case_password_note() {
  put_settings "$RINGS"
  open_dialog "$SCR"
  check "without a password the note is hidden" "$(drv state "$DIALOG" 1128 | cut -d' ' -f3)" 0
  echo "Use Direct Draw without a password (checked enabled visible): $(drv state "$DIALOG" 1100)"
  close_dialog 2 Cancel

  wine reg add "$CONFIG" /v Pass /t REG_SZ /d 'a scrambled password' /f >/dev/null 2>&1
  wine reg add "$DESKTOP" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
  open_dialog "$SCR9X"
  check "the note shows" "$(drv state "$DIALOG" 1128 | cut -d' ' -f3)" 1
  check "Use Direct Draw (checked enabled)" "$(drv state "$DIALOG" 1100 | cut -d' ' -f1-2)" "0 0"
  check "the mode list disabled" "$(drv state "$DIALOG" 1104 | cut -d' ' -f2)" 0
  shot password-note
  close_dialog 1 OK
  check "DirectDraw stored off" "$(reg_value "$CONFIG" DirectDraw)" 0x0
  wine reg delete "$DESKTOP" /v ScreenSaveUsePassword /f >/dev/null 2>&1
}

# A new X display of size $2 with Wine's LogPixels $1, stored settings
# whose display mode is the screen's, and the dialog opened on it.
open_at_dpi() {
  local dpi=$1 screen=$2
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  start_display "$screen"
  wine reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  reset_settings
  put_settings "$RINGS"
  wine reg add "$CONFIG" /v ScreenResX /t REG_DWORD /d "${screen%x*}" /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResY /t REG_DWORD /d "${screen#*x}" /f >/dev/null 2>&1
  wine reg add "$CONFIG" /v ScreenResBits /t REG_DWORD /d 24 /f >/dev/null 2>&1
  open_dialog
}

# At 200 % on a screen smaller than the dialog's natural 1302 x 911 (1280 x
# 1024), the dialog is made to fit: all of it on the screen, OK and Cancel
# included, in the middle, its preview on its frame, and no smaller than it
# needs to be.
case_dpi_small_screen() {
  local x y w h fx fy fw fh bx by bw bh
  open_at_dpi 192 1280x1024
  read -r x y w h < <(drv rect "$DIALOG" window)
  echo "200 % on 1280x1024: the dialog ${w}x${h} at $x,$y"
  if [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ "$((x + w))" -le 1280 ] && [ "$((y + h))" -le 1024 ]; then
    pass "the dialog fits on the screen"
  else
    fail "the dialog leaves the screen"
  fi
  if [ $(((1280 - w) / 2 - x)) -ge -1 ] && [ $(((1280 - w) / 2 - x)) -le 1 ] &&
     [ $(((1024 - h) / 2 - y)) -ge -1 ] && [ $(((1024 - h) / 2 - y)) -le 1 ]; then
    pass "the dialog is in the middle of the screen"
  else
    fail "the dialog is not in the middle: $x,$y"
  fi
  if [ "$w" -ge 1024 ]; then pass "the dialog is $w wide, near the screen's width"; else fail "the dialog shrank to $w"; fi
  read -r bx by bw bh < <(drv rect "$DIALOG" 1)
  if [ "$((by + bh))" -le 1024 ] && [ "$((bx + bw))" -le 1280 ]; then pass "OK is on the screen"; else fail "OK is off the screen"; fi
  read -r fx fy fw fh < <(drv rect "$DIALOG" 1111)
  preview_geometry
  check "the preview lies on its frame" "$PREVIEW" "${fw}x${fh}+${fx}+${fy}"
  until_ok 60 preview_moves || fail "the preview does not animate"
  expect_on_screen "$DIALOG" dialog-small-screen "$PREVIEW"
  close_dialog 2 Cancel
}

# The dialog at 100, 150 and 200 % (Wine's LogPixels), each on a screen of
# its size: it fits on the screen, grows with the scale, and the preview
# lies exactly on its frame. Pictures of the Main and Random pages and of the
# messages dialog are kept in OUT.
case_dpi() {
  local dpi screen width base_width dx dy dw dh fx fy fw fh
  for dpi in 96 144 192; do
    screen=$(awk -v d=$dpi 'BEGIN { printf "%dx%d", 1024 * d / 96, 768 * d / 96 }')
    open_at_dpi $dpi "$screen"
    read -r dx dy dw dh < <(drv rect "$DIALOG" client)
    read -r fx fy fw fh < <(drv rect "$DIALOG" 1111)
    preview_geometry
    check "$dpi dpi: the preview lies on its frame" "$PREVIEW" "${fw}x${fh}+${fx}+${fy}"
    echo "$dpi dpi on $screen: dialog ${dw}x${dh} at $dx,$dy; preview $PREVIEW"
    [ "$dpi" = 96 ] && base_width=$dw
    width=$(awk -v b="$base_width" -v d=$dpi 'BEGIN { print int(b * d / 96) }')
    if awk -v w="$dw" -v e="$width" 'BEGIN { exit !(w >= e * 0.9 && w <= e * 1.1) }'; then
      pass "$dpi dpi: the dialog is $dw wide (about $width)"
    else
      fail "$dpi dpi: the dialog is $dw wide, expected about $width"
    fi
    if [ "$((dx + dw))" -le "${screen%x*}" ] && [ "$((dy + dh))" -le "${screen#*x}" ] && [ "$dx" -ge 0 ] && [ "$dy" -ge 0 ]; then
      pass "$dpi dpi: the dialog fits on the screen"
    else
      fail "$dpi dpi: the dialog leaves the screen"
    fi
    until_ok 60 preview_moves || fail "$dpi dpi: the preview does not animate"
    expect_on_screen "$DIALOG" "dialog-main-$dpi" "$PREVIEW"
    drv page "$DIALOG" 1110 1
    until_ok 30 test "$(drv state "$DIALOG" 1075 | cut -d' ' -f3)" = 1
    expect_on_screen "$DIALOG" "dialog-random-$dpi" "$PREVIEW"
    drv page "$DIALOG" 1110 0
    drv set "$DIALOG" 1101 1
    drv click "$DIALOG" 1106
    drv wait 'Pop-up Messages' 30 || fail "$dpi dpi: no messages dialog"
    drv type 'Pop-up Messages' 1017 $'Happy Birthday\\rdear Mia\r\nThe grains spell out your words\r\n'
    expect_on_screen 'Pop-up Messages' "dialog-messages-$dpi"
    drv click 'Pop-up Messages' 2
    drv gone 'Pop-up Messages' 30
    close_dialog 2 Cancel
  done
}

start_display
ensure_prefix
reset_settings

case $CASE in
  opens_with_stored_values) case_opens_with_stored_values ;;
  preview_follows_controls) case_preview_follows_controls ;;
  ok_writes) case_ok_writes ;;
  cancel_restores) case_cancel_restores ;;
  favorites) case_favorites ;;
  messages) case_messages ;;
  additional_settings) case_additional_settings ;;
  random_page) case_random_page ;;
  full_screen_preview) case_full_screen_preview ;;
  help) case_help ;;
  password_note) case_password_note ;;
  dpi) case_dpi ;;
  dpi_small_screen) case_dpi_small_screen ;;
  *) echo "unknown case $CASE"; exit 2 ;;
esac

if [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; then
  fail "the dialog was still running at the end"
fi
echo "$CASE: $FAILURES failure(s)"
[ "$FAILURES" = 0 ]
