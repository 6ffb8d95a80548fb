#!/usr/bin/env bash
# brindlemar-settings as a user drives it, on a virtual display of its own:
# real clicks and keys through xdotool, checked with screenshots, the
# settings file and the saver itself. Controls are found through the
# program's control map (BRINDLEMAR_CONTROL_MAP: each shown control's place
# by window title and control id).
#
# Argument: the case.
#   ok          the preview animates and shows each change at once; OK saves
#               the window's settings and brindlemar then shows them
#   cancel      Cancel leaves the settings file as it was
#   favorites   Add and Remove change the stored favorites
#   messages    the messages editor writes the messages
#   long-message  a message line of 600 characters comes back whole in the
#               messages editor, and its next OK keeps it and the lines after it
#   random-on   a stored "Random" of 256 shows rotation on and OK keeps it on
#   rotation    removing a favorite on the Main page moves the rotation's
#               flags with the favorites, though the Random page is not shown
#   two-windows two windows at once, under a window manager: what the user
#               changed in one survives the other's OK, Add and Remove
#   fonts       every font family is offered: a stored face whose name
#               begins another family's name stays chosen through OK
#   numbers     numbers beyond a field's range, and with thousands
#               separators, are stored as the user meant them
#   damaged     a damaged line costs that line: the rest is shown and
#               kept, the file as it was is kept aside, and the window and
#               the program's own report on standard error say so
#   unreadable  a settings file without read permission, a pipe or a
#               directory in its place: the window opens at once, says why
#               above its pages (no message box, also not on OK or Cancel)
#               and leaves it as it is
#   read-only   a read-only settings file is shown as stored, said to be
#               read-only, and never changed, not by opening, not by OK
#   help        Help, F1 and the home page open the help pages
#   full-screen Preview runs the saver full screen and comes back
#   from-saver  brindlemar --settings opens the window
#   display-lost  the X server ends under the window: the program ends
#               with 1 and says why
#   random-clicks  the Random page's list takes clicks as a multiple-choice
#               list does, under a window manager
#   one-size    the window keeps its size from page to page
#   scaled-preview  at GDK_SCALE=2 the preview draws the display's pixels,
#               not a picture of half the size enlarged
# Needs SAVER and SETTINGS (the programs) in the environment.
. "$(dirname "$0")/common.sh"

CASE=${1:?which case}
# No GL on the virtual display: GTK draws with Cairo and does not even probe
# for GL.
export GSK_RENDERER=cairo GDK_DEBUG=gl-disable GDK_BACKEND=x11 GTK_A11Y=none NO_AT_BRIDGE=1
export BRINDLEMAR_CONTROL_MAP="$WORK/controls"
export XDG_DATA_HOME="$WORK/xdg-data" XDG_CONFIG_HOME="$WORK/xdg-config"
SETTINGS_FILE="$BRINDLEMAR_CONFIG_DIR/settings.reg"
MAIN=Brindlemar
SETTINGS_PID=""
# The main window, once expect_notice has seen it; message boxes are the
# other windows of the program titled "Brindlemar".
MAIN_ID=""
BOXES=0
SEEN_BOXES=" "

fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/settings.err" ] && sed 's/^/  settings: /' "$WORK/settings.err" >&2
  [ -s "$WORK/saver.err" ] && sed 's/^/  saver: /' "$WORK/saver.err" >&2
  exit 1
}

start_settings() {
  rm -f "$BRINDLEMAR_CONTROL_MAP"
  "$@" 2>"$WORK/settings.err" &
  SETTINGS_PID=$!
  PIDS="$PIDS $SETTINGS_PID"
}

# Waits up to a minute for the settings program to end; its status in CODE.
wait_settings_end() {
  for _ in $(seq 1200); do
    kill -0 "$SETTINGS_PID" 2>/dev/null || break
    [ -n "$MAIN_ID" ] && answer_boxes
    sleep 0.05
  done
  kill -0 "$SETTINGS_PID" 2>/dev/null && fail "brindlemar-settings did not end"
  wait "$SETTINGS_PID"
  CODE=$?
}

# place TITLE ID: "x y width height" of a shown control, relative to its
# window, once the window shows it.
place() {
  local found
  for _ in $(seq 1200); do
    found=$(awk -F'\t' -v t="$1" -v id="$2" '$1 == t && $2 == id { print $3, $4, $5, $6; exit }' \
      "$BRINDLEMAR_CONTROL_MAP" 2>/dev/null)
    [ -n "$found" ] && { echo "$found"; return 0; }
    kill -0 "$SETTINGS_PID" 2>/dev/null || fail "brindlemar-settings ended: $(cat "$WORK/settings.err")"
    sleep 0.05
  done
  fail "the window '$1' shows no control $2"
}

# The title as a pattern that matches it alone ("Remove Favorite?").
title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')"; }

# start_settings_as NAME PROGRAM...: starts a settings program with a
# control map of its own; use NAME then makes it the one the helpers drive.
start_settings_as() {
  local name=$1
  shift
  export BRINDLEMAR_CONTROL_MAP="$WORK/controls-$name"
  start_settings "$@"
  eval "PID_$name=\$SETTINGS_PID"
}

use() {
  export BRINDLEMAR_CONTROL_MAP="$WORK/controls-$1"
  eval "SETTINGS_PID=\$PID_$1"
}

# window TITLE: the id of the settings program's shown window of that
# title, once it is there.
window() {
  local id
  place "$1" 1 >/dev/null
  for _ in $(seq 1200); do
    id=$(xdotool search --all --onlyvisible --pid "$SETTINGS_PID" --name "$(title_pattern "$1")" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  fail "no window '$1'"
}

# click TITLE ID [X]: clicks a control in its middle, or X pixels from its
# left edge.
click() {
  local id at x y w h
  id=$(window "$1") || exit 1
  at=$(place "$1" "$2") || exit 1
  read -r x y w h <<<"$at"
  xdotool mousemove --window "$id" $((x + ${3:-$((w / 2))})) $((y + h / 2)) click 1
}

# open_list TITLE ID: clicks a drop-down list and waits for its list to
# show (a window of its own), which then takes the keys.
open_list() {
  local before
  before=$(xdotool search --onlyvisible --class brindlemar-settings 2>/dev/null | wc -l)
  click "$1" "$2"
  popped() { [ "$(xdotool search --onlyvisible --class brindlemar-settings 2>/dev/null | wc -l)" -gt "$before" ]; }
  until_true 60 popped || fail "the list of control $2 did not open"
}

# keys TITLE KEY...: the keys, to that window.
keys() {
  local id
  id=$(window "$1") || exit 1
  shift
  xdotool windowraise "$id" windowfocus --sync "$id"
  xdotool key --clearmodifiers "$@"
}

# gone TITLE: waits until no window of that title is shown.
gone() {
  for _ in $(seq 1200); do
    xdotool search --onlyvisible --name "$(title_pattern "$1")" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "the window '$1' did not close"
}

# until_true SECONDS COMMAND...: runs the command until it succeeds.
until_true() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

value() { grep -a "^\"$1\"=" "$SETTINGS_FILE" 2>/dev/null | head -1 | cut -d= -f2- | tr -d '\r'; }
settings_field() { value Settings | tr -d '"' | cut -d, -f"$(($1 + 1))"; }

# The preview's picture now, as a PNG.
preview_shot() {
  local id at x y w h
  id=$(window "$MAIN") || exit 1
  at=$(place "$MAIN" 1111) || exit 1
  read -r x y w h <<<"$at"
  shot "$WORK/window.png" "$id"
  convert "$WORK/window.png" -crop "${w}x${h}+${x}+${y}" +repage "png:$1"
}

# A window manager on the display, once it has taken charge of it.
start_window_manager() {
  openbox >"$WORK/openbox.log" 2>&1 &
  PIDS="$PIDS $!"
  managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  until_true 60 managed || fail "openbox did not start"
}

# front TITLE: brings the window to the front, as a click on it would.
front() {
  local id
  id=$(window "$1") || exit 1
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowraise "$id"
}

# control_on_screen TITLE ID FILE: the control as the screen shows it (a
# capture of the root window), the pointer away from it.
control_on_screen() {
  local id x y w h left top
  id=$(window "$1") || exit 1
  read -r x y w h <<<"$(place "$1" "$2")"
  left=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')
  top=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')
  xdotool mousemove 0 0
  shot "$WORK/screen.png"
  convert "$WORK/screen.png" -crop "${w}x${h}+$((left + x))+$((top + y))" +repage "png:$3"
}

same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }

# The favorites as the settings file stores them, by name, in their order.
stored_favorite_names() { grep -a '^"Fav[0-9]*"=' "$SETTINGS_FILE" | sed 's/^"Fav[0-9]*"="\([^,]*\),.*/\1/' | paste -sd'|'; }

# page N: clicks the tab of the Main (0) or the Random (1) page.
page() {
  local x y w h
  read -r x y w h <<<"$(place "$MAIN" 1110)"
  click "$MAIN" 1110 $((w / 4 + $1 * w / 2))
}

# The window's size as the X server has it and as its layout has it (where
# OK lies across and About lies down: the right and bottom edges of the
# content), "WxH x y".
window_size() {
  local geometry
  geometry=$(xdotool getwindowgeometry "$(window "$MAIN")" | sed -n 's/.*Geometry: //p')
  echo "$geometry $(place "$MAIN" 1 | cut -d' ' -f1) $(place "$MAIN" 1107 | cut -d' ' -f2)"
}

# page_size PAGE ID: once control ID of the page shows, the window's size
# (window_size) when it has settled: the same twice half a second apart. A
# screenshot of the screen then in page-PAGE.png.
page_size() {
  local before now
  place "$MAIN" "$2" >/dev/null
  now=$(window_size)
  for _ in $(seq 60); do
    before=$now
    sleep 0.5
    now=$(window_size)
    [ "$now" = "$before" ] && break
  done
  shot "$WORK/page-$1.png"
  echo "$now"
}

# The preview on the screen at scale $1 (its place in the window is in units
# of the window, $1 pixels each way) as $2, a screenshot of the root window
# cut to it.
scaled_preview_shot() {
  local id wx wy x y w h
  id=$(window "$MAIN") || exit 1
  read -r wx wy < <(xdotool getwindowgeometry "$id" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  read -r x y w h <<<"$(place "$MAIN" 1111)"
  shot "$WORK/screen.png"
  convert "$WORK/screen.png" -crop "$((w * $1))x$((h * $1))+$((wx + x * $1))+$((wy + y * $1))" +repage "png:$2"
}

# The share of a picture's lit pixels that are lit alone across (both
# neighbours to the left and right dark): grains drawn at the display's
# pixels give many; a picture enlarged twice gives none, since each of its
# pixels covers two of the display's.
single_pixel_share() {
  local lit alone
  lit=$(convert "$1" -colorspace gray -threshold 12% -format '%[fx:mean*w*h]' info:)
  alone=$(convert "$1" -colorspace gray -threshold 12% -morphology HitAndMiss '3x1: 0,1,0' -format '%[fx:mean*w*h]' info:)
  awk -v l="$lit" -v a="$alone" 'BEGIN { printf "%.4f\n", l ? a / l : 0 }'
}

# The preview at scale 2 shows grains drawn at the display's pixels.
preview_sharp() {
  scaled_preview_shot 2 "$WORK/scaled-preview.png"
  SHARE=$(single_pixel_share "$WORK/scaled-preview.png")
  above "$(lit_share "$WORK/scaled-preview.png")" 0.01 && above "$SHARE" 0.05
}

window_height() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }

# The height of the window of a first run, without a notice, in HEIGHT; the
# settings file is removed again.
first_run_height() {
  start_settings "$SETTINGS"
  HEIGHT=$(window_height "$(window "$MAIN")") || exit 1
  keys "$MAIN" alt+c
  wait_settings_end
  rm -rf "$BRINDLEMAR_CONFIG_DIR"
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
}

# The window that just started shows a notice above its pages: it is
# higher than the window of a first run. From here on until the program
# ends, message boxes are counted in BOXES and answered.
expect_notice() {
  local height
  MAIN_ID=$(window "$MAIN") || exit 1
  BOXES=0
  SEEN_BOXES=" "
  height=$(window_height "$MAIN_ID")
  [ "$height" -gt $((HEIGHT + 10)) ] || fail "no notice above the pages (window $height high, $HEIGHT without)"
  # A box of the opening shows by now.
  for _ in $(seq 20); do
    answer_boxes
    sleep 0.05
  done
}

# Counts and answers the message boxes shown: windows titled "Brindlemar"
# other than the main one.
answer_boxes() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Brindlemar$' 2>/dev/null); do
    [ "$id" = "$MAIN_ID" ] && continue
    case $SEEN_BOXES in *" $id "*) continue ;; esac
    SEEN_BOXES="$SEEN_BOXES$id "
    BOXES=$((BOXES + 1))
    xdotool windowraise "$id" windowfocus --sync "$id" key Return 2>/dev/null
  done
}

mean_brightness() { convert "$1" -colorspace gray -format '%[fx:mean]' info:; }

preview_moves() {
  preview_shot "$WORK/preview-1.png"
  sleep 0.5
  preview_shot "$WORK/preview-2.png"
  above "$(lit_share "$WORK/preview-2.png")" 0.01 &&
    above "$(changed_share "$WORK/preview-1.png" "$WORK/preview-2.png")" 0.005
}

# The share of lit pixels in the left quarter of a picture.
left_quarter_lit() {
  convert "$1" -crop 25%x100%+0+0 +repage "png:$1.left.png"
  lit_share "$1.left.png"
}

preview_spread_beyond() {
  preview_shot "$WORK/preview-spread.png"
  above "$(left_quarter_lit "$WORK/preview-spread.png")" "$(awk -v b="$1" 'BEGIN { print b + 0.1 }')"
}

preview_darker_than() {
  preview_shot "$WORK/preview-dark.png"
  awk -v now="$(mean_brightness "$WORK/preview-dark.png")" -v limit="$1" 'BEGIN { exit !(now < limit) }'
}

# A window manager on the display, once it has taken charge of it.
start_window_manager() {
  openbox >"$WORK/openbox.log" 2>&1 &
  PIDS="$PIDS $!"
  managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  until_true 60 managed || fail "openbox did not start"
}

# click_line LINE [MODIFIERS]: a click on a line of the Random page's list
# (lines counted from 0, the list not scrolled), with the keys held.
click_line() {
  local id x y w h line_height
  id=$(window "$MAIN") || exit 1
  read -r x y w h <<<"$(place "$MAIN" 1075)"
  line_height=$((h / $(favorite_count)))
  xdotool mousemove --window "$id" $((x + w / 2)) $((y + line_height * $1 + line_height / 2))
  [ -n "${2:-}" ] && xdotool keydown "$2"
  xdotool click 1
  [ -n "${2:-}" ] && xdotool keyup "$2"
}

favorite_count() { grep -c '^"Fav[0-9]*"=' "$SETTINGS_FILE"; }

# The favorites the rotation stores as chosen, by their place in the list.
stored_rotation() {
  tr -d '\r' <"$SETTINGS_FILE" |
    awk '/^"RanArray"=/ { on = 1; sub(/^"RanArray"=hex:/, "") } on { data = data $0; if (!sub(/\\$/, "", data)) exit }
         END { gsub(/ /, "", data); n = split(data, b, ","); for (i = 1; i <= n; ++i) if (b[i] == "01") printf "%s%d", k++ ? " " : "", i - 1 }'
}

# One window: the clicks given as "LINE[:MODIFIER]" words, then OK; the
# rotation stored must be the lines expected.
random_clicks() {
  local expected=$1 click
  shift
  start_settings "$SETTINGS"
  place "$MAIN" 1075 >/dev/null
  for click in "$@"; do
    # shellcheck disable=SC2086
    click_line ${click/:/ }
  done
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(stored_rotation)" = "$expected" ] || fail "after the clicks $*: lines '$(stored_rotation)' stored, not '$expected'"
  echo "the clicks $* chose lines $expected"
}

# The window at scale 2 is twice as large each way.
if [ "$CASE" = scaled-preview ]; then start_display 2560x2048x24; else start_display 1280x1024x24; fi
case $CASE in
ok)
  start_settings "$SETTINGS"
  until_true 60 preview_moves || fail "the preview does not animate"
  echo "the preview animates"
  # A first run rotates among the favorites: turn that off, go to Main.
  click "$MAIN" 1082
  click "$MAIN" 1110 10
  place "$MAIN" 1012 >/dev/null
  # "Brindlemar Falls" pours down the middle; "Full Field" (the eleventh
  # configuration of the sorted list) spreads over the whole picture.
  preview_shot "$WORK/preview-falls.png"
  falls=$(left_quarter_lit "$WORK/preview-falls.png")
  open_list "$MAIN" 1005
  xdotool key Home
  for _ in $(seq 10); do xdotool key Down; done
  xdotool key Return
  until_true 30 preview_spread_beyond "$falls" || fail "the preview did not change to the new configuration"
  echo "the preview shows the new configuration ($falls of its left quarter lit before)"
  preview_shot "$WORK/preview-bright.png"
  bright=$(mean_brightness "$WORK/preview-bright.png")
  # Brightness to its minimum: the preview darkens at once.
  click "$MAIN" 1012
  keys "$MAIN" Home
  until_true 30 preview_darker_than "$(awk -v b="$bright" 'BEGIN { print b / 3 }')" ||
    fail "the preview did not darken with the brightness (was $bright)"
  echo "the preview shows the brightness at once ($bright before)"
  click "$MAIN" 1000 10
  xdotool key ctrl+a
  xdotool type 2345
  xdotool key Tab
  click "$MAIN" 1103
  # Monitors: "one across all", the last of three.
  open_list "$MAIN" 1113
  xdotool key Home Down Down Return
  until_true 30 preview_moves || fail "the preview stopped after the changes"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$CODE" -eq 0 ] || fail "OK ended the program with $CODE"
  [ "$(settings_field 2)" = 1 ] || fail "configuration $(settings_field 2) saved, not 1 (Full Field): $(value Settings)"
  [ "$(settings_field 3)" = 2345 ] || fail "grains $(settings_field 3) saved, not 2345"
  [ "$(settings_field 7)" = 10 ] || fail "brightness $(settings_field 7) saved, not 10"
  [ "$(value Random)" = dword:00000000 ] || fail "Random: $(value Random)"
  [ "$(value Clock)" = dword:00000001 ] || fail "Clock: $(value Clock)"
  [ "$(value Style)" = dword:00000001 ] || fail "Style (zodiac): $(value Style)"
  [ "$(value Monitors)" = dword:00000002 ] || fail "Monitors (one across all): $(value Monitors)"
  grep -q '"DirectDraw"\|"ScreenRes' "$SETTINGS_FILE" && fail "display-mode values were written"
  grep -q 'Brindlemar\\Backup\]' "$SETTINGS_FILE" && fail "the backup was left behind"
  # The saver shows the saved settings.
  start_saver --geometry 800x600 --stats
  wait_started
  stat_line " grains, " | grep -q "full saver at 800x600, 2345 grains" || fail "the saver shows: $(stat_line " grains, ")"
  stop_saver
  echo "PASS: settings_program ok"
  ;;
cancel)
  start_settings "$SETTINGS"
  keys "$MAIN" alt+o
  wait_settings_end
  cp "$SETTINGS_FILE" "$WORK/before.reg"
  start_settings "$SETTINGS"
  click "$MAIN" 1102
  click "$MAIN" 1082
  click "$MAIN" 1110 10
  click "$MAIN" 1031
  click "$MAIN" 1000 10
  xdotool key ctrl+a
  xdotool type 777
  xdotool key Tab
  keys "$MAIN" alt+c
  wait_settings_end
  [ "$CODE" -eq 0 ] || fail "Cancel ended the program with $CODE"
  cmp -s "$WORK/before.reg" "$SETTINGS_FILE" || fail "Cancel changed the settings file: $(diff "$WORK/before.reg" "$SETTINGS_FILE")"
  echo "PASS: settings_program cancel"
  ;;
favorites)
  start_settings "$SETTINGS"
  click "$MAIN" 1082
  click "$MAIN" 1110 10
  keys "$MAIN" alt+d
  keys "Add New Favorite" ctrl+a
  xdotool type "E2E Favorite"
  xdotool key Return
  gone "Add New Favorite"
  until_true 30 grep -q '"Fav051"="E2E Favorite,' "$SETTINGS_FILE" || fail "Add stored no favorite: $(grep -c Fav "$SETTINGS_FILE")"
  echo "Add stored the favorite as Fav051"
  # The new favorite is the chosen one: Remove asks, and OK removes it.
  keys "$MAIN" alt+r
  window "Remove Favorite?" >/dev/null
  keys "Remove Favorite?" Return
  gone "Remove Favorite?"
  until_true 30 bash -c "! grep -q 'E2E Favorite' '$SETTINGS_FILE'" || fail "Remove left the favorite"
  grep -q '"Fav050"=' "$SETTINGS_FILE" && ! grep -q '"Fav051"=' "$SETTINGS_FILE" || fail "the favorites were not renumbered"
  # Favorites are stored at once: Cancel keeps what Add and Remove did.
  keys "$MAIN" alt+c
  wait_settings_end
  grep -q 'E2E Favorite' "$SETTINGS_FILE" && fail "the removed favorite came back"
  echo "PASS: settings_program favorites"
  ;;
messages)
  start_settings "$SETTINGS"
  click "$MAIN" 1101
  keys "$MAIN" alt+e
  click "Pop-up Messages" 1017
  xdotool type "Hello from Brindlemar"
  xdotool key Return
  xdotool type 'Two\rlines'
  click "Pop-up Messages" 1013
  click "Pop-up Messages" 1
  gone "Pop-up Messages"
  until_true 30 grep -q '"Message1"="Hello from Brindlemar"' "$SETTINGS_FILE" || fail "no Message1: $(grep Message "$SETTINGS_FILE")"
  grep -q '"Message2"="Two\\\\rlines"' "$SETTINGS_FILE" || fail "Message2: $(grep Message2 "$SETTINGS_FILE")"
  [ "$(value Num)" = dword:00000002 ] || fail "Num: $(value Num)"
  [ "$(value Bold)" = dword:00000000 ] || fail "Bold: $(value Bold)"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(value Messages)" = dword:00000001 ] || fail "Messages: $(value Messages)"
  echo "PASS: settings_program messages"
  ;;
long-message)
  long=$(printf 'Long line %.0s' $(seq 60))
  start_settings "$SETTINGS"
  click "$MAIN" 1101
  keys "$MAIN" alt+e
  click "Pop-up Messages" 1017
  xdotool type "Hello"
  xdotool key Return
  xdotool type --delay 2 "$long"
  xdotool key Return
  xdotool type "After"
  click "Pop-up Messages" 1
  gone "Pop-up Messages"
  until_true 30 grep -q '"Message3"="After"' "$SETTINGS_FILE" || fail "the messages were not stored: $(grep -c Message "$SETTINGS_FILE")"
  # Opened again, the editor shows all three; its OK keeps them.
  keys "$MAIN" alt+e
  window "Pop-up Messages" >/dev/null
  click "Pop-up Messages" 1
  gone "Pop-up Messages"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(value Message1)" = '"Hello"' ] || fail "Message1: $(value Message1)"
  [ "$(value Message2)" = "\"$long\"" ] || fail "the long line came back as $(value Message2 | wc -c) bytes"
  [ "$(value Message3)" = '"After"' ] || fail "the line after the long one is $(value Message3)"
  [ "$(value Num)" = dword:00000003 ] || fail "Num: $(value Num)"
  echo "PASS: settings_program long-message"
  ;;
random-on)
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n"Random"=dword:00000100\n' \
    >"$SETTINGS_FILE"
  start_settings "$SETTINGS"
  # The rotation holds the window on the Random page: its list shows.
  place "$MAIN" 1075 >/dev/null
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(value Random)" = dword:00000001 ] || fail "OK stored Random as $(value Random)"
  echo "PASS: settings_program random-on"
  ;;
rotation)
  # Feathers and Rain in the rotation, as the Random page stored them.
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n'
    printf '"Random"=dword:00000000\n"RanArray"=hex:00,01,00,01,00\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\n'
    printf '"Fav%03d"="%s,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1"\n' \
      0 Corona 1 Feathers 2 "Oort Cloud" 3 Rain 4 Scribble
  } >"$SETTINGS_FILE"
  start_settings "$SETTINGS"
  # Corona, the first of the list, removed on the Main page; then OK.
  open_list "$MAIN" 1023
  xdotool key Home Return
  keys "$MAIN" alt+r
  window "Remove Favorite?" >/dev/null
  keys "Remove Favorite?" Return
  gone "Remove Favorite?"
  until_true 30 bash -c "! grep -q '=\"Corona,' '$SETTINGS_FILE'" || fail "Remove left Corona"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(stored_favorite_names)" = "Feathers|Oort Cloud|Rain|Scribble" ] || fail "favorites: $(stored_favorite_names)"
  [ "$(value RanArray)" = hex:01,00,01,00 ] || fail "the rotation is $(value RanArray), not Feathers and Rain"
  echo "PASS: settings_program rotation"
  ;;
two-windows)
  start_window_manager
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n'
    printf '"Random"=dword:00000000\n"Clock"=dword:00000000\n"Messages"=dword:00000000\n'
    printf '"RanArray"=hex:01,00,01\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\n'
    printf '"Fav%03d"="%s,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1"\n' \
      0 Corona 1 Feathers 2 "Oort Cloud"
  } >"$SETTINGS_FILE"
  start_settings_as a "$SETTINGS"
  # The two check boxes as a window shows them unchecked.
  control_on_screen "$MAIN" 1102 "$WORK/clock-off.png"
  control_on_screen "$MAIN" 1101 "$WORK/messages-off.png"
  start_settings_as b "$SETTINGS"
  window "$MAIN" >/dev/null
  # A turns the clock on and adds a favorite; B turns the messages on and
  # removes Feathers, from the list it opened with.
  use a
  front "$MAIN"
  click "$MAIN" 1102
  keys "$MAIN" alt+d
  keys "Add New Favorite" ctrl+a
  xdotool type "From A"
  xdotool key Return
  gone "Add New Favorite"
  until_true 30 grep -q '"Fav003"="From A,' "$SETTINGS_FILE" || fail "A's Add stored nothing: $(stored_favorite_names)"
  use b
  front "$MAIN"
  click "$MAIN" 1101
  open_list "$MAIN" 1023
  xdotool key Home Down Return
  keys "$MAIN" alt+r
  window "Remove Favorite?" >/dev/null
  keys "Remove Favorite?" Return
  gone "Remove Favorite?"
  until_true 30 bash -c "! grep -q '=\"Feathers,' '$SETTINGS_FILE'" || fail "B's Remove left Feathers"
  [ "$(stored_favorite_names)" = "Corona|Oort Cloud|From A" ] || fail "after B's Remove: $(stored_favorite_names)"
  use a
  keys "$MAIN" alt+o
  wait_settings_end
  use b
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(value Clock)" = dword:00000001 ] || fail "A's clock was lost: Clock $(value Clock)"
  [ "$(value Messages)" = dword:00000001 ] || fail "B's messages were lost: Messages $(value Messages)"
  [ "$(stored_favorite_names)" = "Corona|Oort Cloud|From A" ] || fail "favorites: $(stored_favorite_names)"
  [ "$(value RanArray)" = hex:01,01,00 ] || fail "the rotation is $(value RanArray), not Corona and Oort Cloud"
  [ "$("$SAVER" --list-favorites | paste -sd'|')" = "Corona|From A|Oort Cloud" ] ||
    fail "the saver lists $("$SAVER" --list-favorites | paste -sd'|')"
  # Opened again, the window shows both check boxes on.
  start_settings_as c "$SETTINGS"
  control_on_screen "$MAIN" 1102 "$WORK/clock-now.png"
  control_on_screen "$MAIN" 1101 "$WORK/messages-now.png"
  same_picture "$WORK/clock-off.png" "$WORK/clock-now.png" && fail "the window shows the clock off"
  same_picture "$WORK/messages-off.png" "$WORK/messages-now.png" && fail "the window shows the messages off"
  keys "$MAIN" alt+c
  wait_settings_end
  echo "PASS: settings_program two-windows"
  ;;
fonts)
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  for face in "DejaVu Sans" "Liberation Sans" "Nimbus Sans"; do
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Messages]\n"Font"="%s"\n' \
      "$face" >"$SETTINGS_FILE"
    start_settings "$SETTINGS"
    click "$MAIN" 1101
    keys "$MAIN" alt+e
    click "Pop-up Messages" 1
    gone "Pop-up Messages"
    keys "$MAIN" alt+c
    wait_settings_end
    [ "$(value Font)" = "\"$face\"" ] || fail "the messages editor changed the font \"$face\" to $(value Font)"
  done
  echo "PASS: settings_program fonts"
  ;;
numbers)
  # type_into TITLE ID TEXT: replaces the text of an edit and leaves it.
  type_into() {
    click "$1" "$2" 10
    xdotool key ctrl+a
    xdotool type "$3"
    xdotool key Tab
  }
  start_settings "$SETTINGS"
  click "$MAIN" 1082
  page 0
  type_into "$MAIN" 1000 99999999999
  # "Circular", the third configuration of the sorted list.
  open_list "$MAIN" 1005
  xdotool key Home Down Down Return
  keys "$MAIN" alt+s
  type_into "Additional Configuration Settings" 1003 2147483648
  click "Additional Configuration Settings" 1
  gone "Additional Configuration Settings"
  page 1
  type_into "$MAIN" 1077 99999999999
  until_true 30 bash -c "grep -q '\"MaxTime\"=dword:7fffffff' '$SETTINGS_FILE'" ||
    fail "MaxTime 99999999999 stored as $(value MaxTime), not its largest"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(settings_field 2)" = 25 ] || fail "configuration $(settings_field 2) saved, not 25 (Circular)"
  [ "$(settings_field 3)" = 200000 ] || fail "grains 99999999999 saved as $(settings_field 3), not 200000"
  [ "$(settings_field 22)" = 1500 ] || fail "radius 2147483648 saved as $(settings_field 22), not 1500"
  start_settings "$SETTINGS"
  page 0
  type_into "$MAIN" 1000 5,000
  keys "$MAIN" alt+s
  type_into "Additional Configuration Settings" 1003 1,200
  click "Additional Configuration Settings" 1
  gone "Additional Configuration Settings"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$(settings_field 3)" = 5000 ] || fail "grains 5,000 saved as $(settings_field 3)"
  [ "$(settings_field 22)" = 1200 ] || fail "radius 1,200 saved as $(settings_field 22)"
  echo "PASS: settings_program numbers"
  ;;
damaged)
  first_run_height
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n"Random"=dword:zz\n"Clock"=dword:00000001\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\n"Fav000"="Mine,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0"\n' >"$SETTINGS_FILE"
  cp "$SETTINGS_FILE" "$WORK/damaged.reg"
  start_settings "$SETTINGS"
  expect_notice
  kept=$(ls "$BRINDLEMAR_CONFIG_DIR"/settings.reg.damaged-* 2>/dev/null | head -1)
  [ -n "$kept" ] || fail "the damaged file was not kept aside"
  cmp -s "$kept" "$WORK/damaged.reg" || fail "the file kept aside is not the damaged one"
  grep -q 'line 4: "Random"=dword:zz (bad DWORD)' "$WORK/settings.err" || fail "the damaged line is not named"
  grep -q '^brindlemar-settings: settings file ' "$WORK/settings.err" || fail "the report is not in the program's own name"
  keys "$MAIN" alt+o
  wait_settings_end
  [ -n "$(value Settings)" ] || fail "OK saved no settings"
  [ "$(value Clock)" = dword:00000001 ] || fail "the value after the damaged line was lost: Clock $(value Clock)"
  grep -q '"Fav000"="Mine,' "$SETTINGS_FILE" || fail "the user's favorite was lost"
  [ "$(ls "$BRINDLEMAR_CONFIG_DIR"/settings.reg.damaged-* | wc -l)" -eq 1 ] || fail "more than one copy kept aside"
  echo "PASS: settings_program damaged"
  ;;
unreadable)
  first_run_height
  for kind in permission pipe directory; do
    rm -rf "$BRINDLEMAR_CONFIG_DIR"
    mkdir -p "$BRINDLEMAR_CONFIG_DIR"
    as=()
    case $kind in
    permission)
      printf 'REGEDIT4\n' >"$SETTINGS_FILE"
      chmod 000 "$SETTINGS_FILE"
      # Root reads whatever the permission says: the user nobody does not.
      if [ "$(id -u)" -eq 0 ]; then
        as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        chmod 755 "$WORK"
        chmod 777 "$BRINDLEMAR_CONFIG_DIR"
        mkdir -p -m 777 "$WORK/nobody"
        export BRINDLEMAR_CONTROL_MAP="$WORK/nobody/controls"
      fi
      ;;
    pipe) mkfifo "$SETTINGS_FILE" ;;
    directory) mkdir "$SETTINGS_FILE" ;;
    esac
    [ "$kind" = permission ] || export BRINDLEMAR_CONTROL_MAP="$WORK/controls"
    before=$(stat -c '%F %i %Y %a' "$SETTINGS_FILE")
    start_settings "${as[@]}" "$SETTINGS"
    expect_notice
    click "$MAIN" 1102
    keys "$MAIN" alt+o
    wait_settings_end
    [ "$CODE" -eq 0 ] || fail "$kind: OK ended the program with $CODE"
    [ "$BOXES" -eq 0 ] || fail "$kind: $BOXES message boxes"
    [ "$(stat -c '%F %i %Y %a' "$SETTINGS_FILE")" = "$before" ] || fail "$kind: the settings file was changed"
    grep -q "cannot read settings file" "$WORK/settings.err" || fail "$kind: nothing said on standard error"
    echo "$kind: said above the pages, left as it was"
  done
  echo "PASS: settings_program unreadable"
  ;;
read-only)
  first_run_height
  start_settings "$SETTINGS"
  keys "$MAIN" alt+o
  wait_settings_end
  chmod 444 "$SETTINGS_FILE"
  before=$(stat -c '%i %Y' "$SETTINGS_FILE"; md5sum <"$SETTINGS_FILE")
  start_settings "$SETTINGS"
  expect_notice
  click "$MAIN" 1102
  click "$MAIN" 1082
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$CODE" -eq 0 ] || fail "OK ended the program with $CODE"
  [ "$BOXES" -eq 0 ] || fail "$BOXES message boxes"
  [ "$(stat -c '%i %Y' "$SETTINGS_FILE"; md5sum <"$SETTINGS_FILE")" = "$before" ] || fail "the read-only file was changed"
  echo "PASS: settings_program read-only"
  ;;
help)
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
  cat >"$XDG_DATA_HOME/applications/e2e-browser.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=End-to-end test browser
Exec=sh -c 'echo "\$1" >>"$WORK/opened"' browser %u
MimeType=text/html;
NoDisplay=true
EOF
  printf '[Default Applications]\ntext/html=e2e-browser.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
  opened() { [ -f "$WORK/opened" ] && [ "$(wc -l <"$WORK/opened")" -ge "$1" ]; }
  expect_page() {
    until_true 30 opened "$1" || fail "nothing opened for $3 (opened: $(cat "$WORK/opened" 2>/dev/null))"
    sed -n "$1p" "$WORK/opened" | grep -q "/$2\$" || fail "$3 opened $(sed -n "$1p" "$WORK/opened"), not $2"
    [ -f "$(sed -n "$1p" "$WORK/opened" | sed 's|^file://||')" ] || fail "$3: no such page"
  }
  start_settings "$SETTINGS"
  click "$MAIN" 1082
  click "$MAIN" 1110 10
  keys "$MAIN" alt+h
  expect_page 1 main.html "Help"
  keys "$MAIN" F1
  expect_page 2 main.html "F1"
  keys "$MAIN" alt+s
  keys "Additional Configuration Settings" F1
  expect_page 3 additional.html "F1 in the additional settings"
  click "Additional Configuration Settings" 9876
  expect_page 4 additional.html "their Help button"
  keys "Additional Configuration Settings" Escape
  gone "Additional Configuration Settings"
  click "$MAIN" 1101
  keys "$MAIN" alt+e
  keys "Pop-up Messages" F1
  expect_page 5 messages.html "F1 in the messages editor"
  keys "Pop-up Messages" Escape
  gone "Pop-up Messages"
  click "$MAIN" 1108
  expect_page 6 index.html "Home Page"
  keys "$MAIN" Escape
  wait_settings_end
  echo "PASS: settings_program help"
  ;;
full-screen)
  start_settings "$SETTINGS"
  keys "$MAIN" alt+v
  saver_child() { pgrep -P "$SETTINGS_PID" -f -- '--fullscreen' >/dev/null; }
  until_true 60 saver_child || fail "Preview started no saver"
  until_true 60 bash -c "xdotool search --onlyvisible --name '^Brindlemar\$' | wc -l | grep -q 2" ||
    fail "the full-screen saver shows no window"
  # It covers the settings window, which fills much of the screen, and moves.
  saver_shows() {
    shot "$WORK/full-1.png"
    sleep 0.5
    shot "$WORK/full-2.png"
    ! above "$(lit_share "$WORK/full-2.png")" 0.2 && above "$(changed_share "$WORK/full-1.png" "$WORK/full-2.png")" 0.0002
  }
  until_true 60 saver_shows || fail "the saver does not cover the screen with moving grains"
  # Keys end the saver once its first two seconds are over.
  for _ in $(seq 120); do
    saver_child || break
    xdotool key --clearmodifiers space
    sleep 0.5
  done
  saver_child && fail "the saver did not end on keys"
  keys "$MAIN" alt+o
  wait_settings_end
  [ "$CODE" -eq 0 ] || fail "OK after Preview ended the program with $CODE"
  echo "PASS: settings_program full-screen"
  ;;
from-saver)
  start_settings "$SAVER" --settings
  window "$MAIN" >/dev/null
  xdotool search --onlyvisible --class brindlemar-settings >/dev/null || fail "the window is not brindlemar-settings'"
  keys "$MAIN" alt+c
  wait_settings_end
  [ "$CODE" -eq 0 ] || fail "brindlemar --settings ended with $CODE"
  echo "PASS: settings_program from-saver"
  ;;
display-lost)
  start_settings "$SETTINGS"
  window "$MAIN" >/dev/null
  kill "$XVFB_PID"
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  wait_settings_end
  [ "$CODE" -eq 1 ] || fail "the display's end ended the program with $CODE"
  grep -q "brindlemar-settings: the display .* went away" "$WORK/settings.err" ||
    fail "the display's end was not said: $(cat "$WORK/settings.err")"
  echo "PASS: settings_program display-lost"
  ;;
one-size)
  # A first run opens on the Random page; then Main, then Random again.
  start_settings "$SETTINGS"
  random=$(page_size random 1075) || exit 1
  click "$MAIN" 1082
  page 0
  main=$(page_size main 1012) || exit 1
  page 1
  again=$(page_size random-again 1075) || exit 1
  echo "window and layout: Random $random, Main $main, Random again $again"
  [ "$main" = "$random" ] && [ "$again" = "$random" ] || fail "the window changes its size with the page"
  keys "$MAIN" alt+c
  wait_settings_end
  echo "PASS: settings_program one-size"
  ;;
scaled-preview)
  start_settings env GDK_SCALE=2 "$SETTINGS"
  # Each look takes a while on a screen this size: up to a minute of them.
  started=$(now)
  until preview_sharp; do
    above "$(since "$started")" 60 && fail "at scale 2 the preview is enlarged: $SHARE of its lit pixels lit alone across"
    sleep 0.5
  done
  echo "at scale 2, $SHARE of the preview's lit pixels are lit alone across"
  keys "$MAIN" alt+c
  wait_settings_end
  echo "PASS: settings_program scaled-preview"
  ;;
random-clicks)
  start_window_manager
  # A first run opens on the Random page with every favorite chosen.
  start_settings "$SETTINGS"
  keys "$MAIN" alt+o
  wait_settings_end
  random_clicks "3" 1 3:ctrl 1:ctrl
  random_clicks "1 3 4" 1 4:shift 2:ctrl
  random_clicks "2" 5 2
  echo "PASS: settings_program random-clicks"
  ;;
*)
  fail "no case '$CASE'"
  ;;
esac
