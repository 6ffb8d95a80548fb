#!/usr/bin/env bash
# The saver with a settings file that is not as it should be, as users leave
# theirs: it always draws, and keeps what it can of what they stored.
#
# Argument: the case.
#   unreadable    in the file's place a directory, a pipe, a dangling link, a
#                 link loop, a device, a file without read permission: the
#                 defaults are drawn, and the thing is left as it is
#   damaged-line  one mistyped value costs that line: the rest is shown and
#                 kept, the file as it was is kept aside once, and the line
#                 is named on standard error
#   read-only     a read-only file is shown and never changed, not even to
#                 install the built-in favorites
# Needs SAVER in the environment. Run as root, the case without read
# permission runs the saver as nobody, whom the permission stops.
. "$(dirname "$0")/common.sh"

CASE=${1:?which case}
SETTINGS_FILE="$BRINDLEMAR_CONFIG_DIR/settings.reg"
# Config: 2345 grains, no random favorites; a favorite of the user's own.
USERS_FILE='REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"Settings"="*,3,24,2345,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1"\r\n"Random"=dword:00000000\r\n%b"Clock"=dword:00000001\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\r\n"Fav000"="Mine,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0"\r\n'

# users_file [LINE]: the user's settings file, with LINE among its values.
users_file() {
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  # shellcheck disable=SC2059
  printf "$USERS_FILE" "${1:-}" >"$SETTINGS_FILE"
}

# Starts the saver as start_saver does, as the user nobody.
start_saver_as_nobody() { launch_saver setpriv --reuid=65534 --regid=65534 --clear-groups "$SAVER" "$@"; }

# expect_drawing GRAINS [nobody]: the full saver in an 800x600 window draws
# that many grains, and they move on the screen.
expect_drawing() {
  if [ "${2:-}" = nobody ]; then
    start_saver_as_nobody --geometry 800x600 --stats
  else
    start_saver --geometry 800x600 --stats
  fi
  wait_started
  stat_line " grains, " | grep -q "full saver at 800x600, $1 grains" ||
    fail "the saver draws: $(stat_line " grains, ") (not $1 grains)"
  expect_moving_grains "$CASE" "$(saver_window)"
  stop_saver
}

# The file's bytes, inode and modification time.
fingerprint() { { stat -c '%i %Y.%y' "$SETTINGS_FILE"; md5sum <"$SETTINGS_FILE"; } 2>/dev/null; }

# What is in the settings directory, and the settings file's own kind, inode
# and time (of a link, the link's).
in_place() {
  ls -A "$BRINDLEMAR_CONFIG_DIR" | grep -v -x settings.lock
  stat -c '%F %i %Y' "$SETTINGS_FILE"
}

kept_copies() { ls "$SETTINGS_FILE".damaged-* 2>/dev/null | wc -l; }

start_display 1024x768x24
case $CASE in
unreadable)
  for kind in directory pipe dangling loop device permission; do
    rm -rf "$BRINDLEMAR_CONFIG_DIR"
    mkdir -p "$BRINDLEMAR_CONFIG_DIR"
    as=""
    case $kind in
    directory) mkdir "$SETTINGS_FILE" ;;
    pipe) mkfifo "$SETTINGS_FILE" ;;
    dangling) ln -s "$WORK/nowhere/settings.reg" "$SETTINGS_FILE" ;;
    loop) ln -s settings.reg "$SETTINGS_FILE" ;;
    device) ln -s /dev/zero "$SETTINGS_FILE" ;;
    permission)
      users_file
      chmod 000 "$SETTINGS_FILE"
      if [ "$(id -u)" -eq 0 ]; then
        as=nobody
        chmod 755 "$WORK"
        chmod 777 "$BRINDLEMAR_CONFIG_DIR"
      fi
      ;;
    esac
    before=$(in_place)
    expect_drawing 4700 "$as"
    grep -q "settings" "$WORK/saver.err" || fail "$kind: nothing said about the settings file"
    [ "$(in_place)" = "$before" ] || fail "$kind: the settings directory changed: $before / $(in_place)"
    echo "$kind: the defaults are drawn ($(grep -m1 settings "$WORK/saver.err"))"
  done
  echo "PASS: settings_file unreadable"
  ;;
damaged-line)
  users_file '"MaxFPS"=dword:zz\r\n'
  cp "$SETTINGS_FILE" "$WORK/damaged.reg"
  expect_drawing 2345
  grep -q 'line 6: "MaxFPS"=dword:zz (bad DWORD)' "$WORK/saver.err" ||
    fail "the damaged line is not named: $(cat "$WORK/saver.err")"
  [ "$(kept_copies)" -eq 1 ] || fail "$(kept_copies) copies kept aside, not 1"
  cmp -s "$SETTINGS_FILE".damaged-* "$WORK/damaged.reg" || fail "the copy kept aside is not the file as it was"
  grep -q 'MaxFPS' "$SETTINGS_FILE" && fail "the damaged line is still in the file"
  grep -q '"Fav000"="Mine,' "$SETTINGS_FILE" || fail "the user's favorite was lost"
  grep -q '"Clock"=dword:00000001' "$SETTINGS_FILE" || fail "the value after the damaged line was lost"
  # The next start finds the file whole: no second copy, nothing to say.
  expect_drawing 2345
  [ "$(kept_copies)" -eq 1 ] || fail "the next start kept another copy"
  grep -q 'cannot be read' "$WORK/saver.err" && fail "the next start reports damage: $(cat "$WORK/saver.err")"
  echo "PASS: settings_file damaged-line"
  ;;
read-only)
  # Without favorites: a first start would install the built-in ones.
  users_file
  sed -i '/Favorites/,$d' "$SETTINGS_FILE"
  chmod 444 "$SETTINGS_FILE"
  before=$(fingerprint)
  expect_drawing 2345
  [ "$(fingerprint)" = "$before" ] || fail "the read-only file was changed"
  grep -q 'Fav000' "$SETTINGS_FILE" && fail "favorites were installed into the read-only file"
  ls "$BRINDLEMAR_CONFIG_DIR" | grep -v -x -e settings.reg -e settings.lock &&
    fail "files were made beside the read-only file"
  echo "PASS: settings_file read-only"
  ;;
*)
  fail "no case '$CASE'"
  ;;
esac
