#!/bin/bash
# The Windows packages as a user or an administrator uses them, under Wine
# on an Xvfb display of its own, each case in a new private Wine prefix:
#   installer_e2e.sh <case> <setup.exe> <zip> <Brindlemar.scr> <version> <outdir>
# all_users: a silent install for everyone (/S /AllUsers /SetSaver) puts the
#   saver into the system folder and the help and uninstaller into Program
#   Files, registers the uninstaller, makes Brindlemar the current saver;
#   the installed saver runs full screen and a key ends it; the silent
#   uninstall (the registered QuietUninstallString) leaves none of it, and
#   keeps the user's settings, which only an answered question removes.
# current_user: the same for one user (/S /CurrentUser): everything in the
#   user's own programs folder, the uninstaller under HKCU, the current
#   saver left alone without /SetSaver.
# zip: the zip holds the saver as built and the help pages.
set -u
CASE=$1
SETUP=$2
ZIP=$3
SCR=$4
VERSION=$5
OUT=$6/$CASE
rm -rf "$OUT" && mkdir -p "$OUT"
. "$(dirname "$0")/../e2e/windows/common.sh" "$OUT/prefix"
export WINEPREFIX="$OUT/prefix"

cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlemar'
HELP_PAGES="index.html main.html messages.html additional.html about.html help.css"

# A value of a key as reg prints it (the words after the type).
reg_text() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# A Windows path as this machine sees it in the prefix.
unix_path() { winepath -u "$1" 2>/dev/null; }

check_value() {
  local got
  got=$(reg_text "$1" "$2")
  if [ "$got" = "$3" ]; then pass "$2 = $3"; else fail "$1 $2: '$got', not '$3'"; fi
}

# Runs the installed saver full screen from where the installer put it: its
# window must show with grains on the screen, and a key after the grace must
# end it with 0.
run_installed_saver() {
  wine "$1" /s >/dev/null 2>&1 &
  local pid=$! shown=""
  for _ in $(seq 600); do
    xdotool search --name '^Brindlemar$' >/dev/null 2>&1 && { shown=$(now); break; }
    sleep 0.1
  done
  if [ -z "$shown" ]; then
    fail "no saver window from $1"
    kill "$pid" 2>/dev/null
    return
  fi
  pass "$1 /s shows its window"
  # Grains on the screen, once the first frames have come.
  local lit=0
  for _ in $(seq 30); do
    shot saver
    lit=$(lit_share saver)
    at_least "$lit" 0.002 && break
    sleep 1
  done
  if at_least "$lit" 0.002; then pass "grains on the screen (lit share $lit)"; else fail "the screen stays dark ($lit)"; fi
  sleep_until "$shown" 3
  EXIT_CODE=running
  for _ in $(seq 15); do
    xdotool key x
    wait_exit "$pid" 2
    [ "$EXIT_CODE" != running ] && break
  done
  if [ "$EXIT_CODE" = 0 ]; then pass "a key ended the saver with 0"; else fail "the saver: exit $EXIT_CODE"; fi
}

# Waits up to two minutes for the silent uninstaller, which runs from a copy
# of itself: until its own file and the Uninstall key are gone.
wait_uninstalled() {
  for _ in $(seq 240); do
    [ ! -e "$1" ] && ! key_exists "$2\\$UNINSTALL" && return 0
    sleep 0.5
  done
  return 1
}

install_case() {
  local mode=$1 root=$2
  shift 2
  start_display
  ensure_prefix
  if wine "$SETUP" /S "$@" >"$OUT/setup.log" 2>&1; then pass "silent install ($*)"; else fail "the installer: exit $?"; fi
  wineserver -w

  local dir scr saver_dir
  dir=$(reg_text "$root\\$UNINSTALL" InstallLocation)
  check_value "$root\\$UNINSTALL" DisplayName Brindlemar
  check_value "$root\\$UNINSTALL" DisplayVersion "$VERSION"
  check_value "$root\\$UNINSTALL" Publisher Tessaloom
  local size
  size=$(reg_value "$root\\$UNINSTALL" EstimatedSize)
  if [ -n "$size" ] && [ $((size)) -ge $(($(stat -c %s "$SCR") / 1024)) ]; then pass "EstimatedSize $((size)) KB"; else fail "EstimatedSize '$size'"; fi
  [ -n "$dir" ] || { fail "no InstallLocation"; return; }
  if [ "$mode" = all ]; then saver_dir='C:\windows\system32'; else saver_dir=$dir; fi
  scr="$saver_dir\\Brindlemar.scr"
  check_value "$root\\$UNINSTALL" DisplayIcon "$scr,0"
  check_value "$root\\$UNINSTALL" QuietUninstallString "\"$dir\\Uninstall.exe\" /$([ "$mode" = all ] && echo AllUsers || echo CurrentUser) /S"
  if cmp -s "$SCR" "$(unix_path "$scr")"; then pass "Brindlemar.scr in $saver_dir"; else fail "no Brindlemar.scr as built in $saver_dir"; fi
  local page
  for page in $HELP_PAGES; do
    [ -s "$(unix_path "$dir\\Help\\$page")" ] || fail "no $dir\\Help\\$page"
  done
  [ -f "$(unix_path "$dir\\Uninstall.exe")" ] && pass "help pages and uninstaller in $dir" || fail "no uninstaller in $dir"
  if [ "$mode" = all ]; then
    check_value "$DESKTOP" SCRNSAVE.EXE "$scr"
  else
    [ -z "$(reg_text "$DESKTOP" SCRNSAVE.EXE)" ] && pass "the current saver left alone" || fail "SCRNSAVE.EXE set without /SetSaver"
  fi

  run_installed_saver "$scr"
  key_exists "$CONFIG" && pass "the saver stored its settings" || fail "no settings after a run"

  local quiet
  quiet=$(reg_text "$root\\$UNINSTALL" QuietUninstallString)
  # The registered command, as "Apps & features" runs it.
  eval "set -- $quiet"
  wine "$(unix_path "$1")" "${@:2}" >"$OUT/uninstall.log" 2>&1
  if wait_uninstalled "$(unix_path "$dir\\Uninstall.exe")" "$root"; then pass "silent uninstall"; else fail "the uninstaller did not finish"; fi
  wineserver -w
  [ -e "$(unix_path "$scr")" ] && fail "$scr left"
  [ -e "$(unix_path "$dir")" ] && fail "$dir left: $(find "$(unix_path "$dir")")"
  key_exists "$root\\$UNINSTALL" && fail "the Uninstall key left"
  [ -n "$(reg_text "$DESKTOP" SCRNSAVE.EXE)" ] && fail "SCRNSAVE.EXE left: $(reg_text "$DESKTOP" SCRNSAVE.EXE)"
  [ "$FAILURES" -eq 0 ] && pass "nothing of the installation is left"
  key_exists "$CONFIG" && pass "the user's settings kept (not asked, silent)" || fail "the silent uninstall removed the settings"
}

case_zip() {
  local listing
  listing=$(unzip -Z1 "$ZIP") || { fail "unzip $ZIP"; return; }
  local expected="Brindlemar.scr" page
  for page in $HELP_PAGES; do expected="$expected Help/$page"; done
  for entry in $expected; do
    grep -qx "$entry" <<<"$listing" || fail "the zip lacks $entry"
  done
  unzip -p "$ZIP" Brindlemar.scr | cmp -s - "$SCR" && pass "the zip's saver is the one built" || fail "the zip's saver differs"
}

case "$CASE" in
  all_users) install_case all HKLM /AllUsers /SetSaver ;;
  current_user) install_case one HKCU /CurrentUser ;;
  zip) case_zip ;;
  *) echo "unknown case $CASE"; exit 2 ;;
esac
echo "$CASE: $FAILURES failure(s)"
[ "$FAILURES" = 0 ]
