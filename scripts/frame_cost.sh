#!/usr/bin/env bash
# The processor time the saver costs as a user feels it: runs it full screen
# on an Xvfb display of its own, with one favorite at one screen size, lets it
# settle, then reads the user and system time of its process from
# /proc/<pid>/stat over a measured span, and the X server's the same way: the
# server copies every picture the saver puts, so its time is part of the cost.
# Prints one table row: the saver's processor time, frames shown, its time
# per frame, and the shares of one core of the saver, the X server and both.
#
#   scripts/frame_cost.sh [options] [-- more saver options]
#     --saver PATH      the Linux saver, run with --root
#                       (default: build/native/apps/saver/brindlemar)
#     --scr PATH        measure Brindlemar.scr /s under Wine instead, with the
#                       Config DWORD "DirectDraw" = 0, random favorites off and
#                       the favorite as the current settings; the processes
#                       counted are those whose command line is "PATH /s"
#     --wineprefix DIR  the Wine prefix for --scr (default /tmp/frame-cost-wine;
#                       made on first use)
#     --favorite NAME   a built-in preset or stored favorite ("Brindlemar Falls")
#     --size WxH        the screen (1280x1024)
#     --depth D         its depth: 24 (32-bit pixels) or 16 (24)
#     --display N       start the X server (Xvfb) as display :N, which must be
#                       free (default: a free number from 300 up); not with
#                       --monitors
#     --monitors N      full screen over N monitors of --size each, side by
#                       side: the Xinerama heads of a nested X server (Xephyr)
#                       at depth 24, a field on each ("Monitors" 1); the Linux
#                       saver then runs with --fullscreen instead of --root
#     --seconds N       the measured span (5)
#     --settle S        seconds between the start and the measured span (2)
#     --max-fps N       the Config DWORD "MaxFPS" (none: the default pacing)
#     --label TEXT      the row's first column (the program's path)
#     --header          print the table's header first
#
# The X server counted is the one this script starts: Xvfb, and with
# --monitors both Xephyr and the Xvfb it draws into.
#
# Frames come from the Linux saver's --stats line (its mean rate times the
# measured span); Wine runs show none. /proc/<pid>/stat counts in clock ticks
# (10 ms), so spans of 10 s or more give steadier figures at low costs. The
# machine's load average is printed beside each row: other work on a shared
# machine slows the saver's memory traffic, not its frame count.
set -u

SAVER=build/native/apps/saver/brindlemar
SCR=""
PREFIX=/tmp/frame-cost-wine
FAVORITE="Brindlemar Falls"
SIZE=1280x1024
DEPTH=24
SECONDS_MEASURED=5
SETTLE=2
MAX_FPS=""
MONITOR_COUNT=""
DISPLAY_NUMBER=""
LABEL=""
HEADER=0
EXTRA=()

usage() {
  sed -n '2,/^set -u/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case $1 in
    --saver) SAVER=$2; shift 2 ;;
    --scr) SCR=$2; shift 2 ;;
    --wineprefix) PREFIX=$2; shift 2 ;;
    --favorite) FAVORITE=$2; shift 2 ;;
    --size) SIZE=$2; shift 2 ;;
    --depth) DEPTH=$2; shift 2 ;;
    --monitors) MONITOR_COUNT=$2; shift 2 ;;
    --display) DISPLAY_NUMBER=$2; shift 2 ;;
    --seconds) SECONDS_MEASURED=$2; shift 2 ;;
    --settle) SETTLE=$2; shift 2 ;;
    --max-fps) MAX_FPS=$2; shift 2 ;;
    --label) LABEL=$2; shift 2 ;;
    --header) HEADER=1; shift ;;
    --) shift; EXTRA=("$@"); break ;;
    -h|--help) usage ;;
    *) echo "frame_cost.sh: unknown option $1" >&2; usage ;;
  esac
done

die() {
  echo "frame_cost.sh: $*" >&2
  exit 1
}

[[ $SIZE =~ ^[0-9]+x[0-9]+$ ]] || die "--size wants WxH, not $SIZE"
[[ $SECONDS_MEASURED =~ ^[0-9]+$ && $SECONDS_MEASURED -gt 0 ]] || die "--seconds wants a whole number above 0"
[[ $SETTLE =~ ^[0-9]+(\.[0-9]+)?$ ]] || die "--settle wants seconds"
[ -z "$MAX_FPS" ] || [[ $MAX_FPS =~ ^[0-9]+$ ]] || die "--max-fps wants a whole number"
[ -z "$MONITOR_COUNT" ] || [[ $MONITOR_COUNT =~ ^[1-9]$ ]] || die "--monitors wants 1 to 9"
[ -z "$DISPLAY_NUMBER" ] || [[ $DISPLAY_NUMBER =~ ^[0-9]+$ ]] || die "--display wants a display number, not $DISPLAY_NUMBER"
[ -n "$DISPLAY_NUMBER" ] && [ -n "$MONITOR_COUNT" ] && die "--display and --monitors do not go together"
if [ -n "$MONITOR_COUNT" ]; then
  command -v Xephyr >/dev/null || die "Xephyr is missing (scripts/packages.sh installs it)"
  DEPTH=24
fi
for tool in Xvfb xdpyinfo awk; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/packages.sh installs it)"
done
if [ -n "$SCR" ]; then
  [ -f "$SCR" ] || die "no $SCR"
  command -v wine >/dev/null || die "wine is missing (scripts/packages.sh installs it)"
  [ -n "$LABEL" ] || LABEL=$SCR
else
  [ -x "$SAVER" ] || die "no saver at $SAVER (build it, or give --saver)"
  [ -n "$LABEL" ] || LABEL=$SAVER
fi

# The end-to-end tests' helpers: a work folder, an Xvfb display of our own
# (start_display), the saver started (start_saver, running), and the
# clean-up of both.
. "$(dirname "$0")/../tests/e2e/x11/common.sh"
if [ -n "$SCR" ]; then
  trap 'WINEPREFIX=$PREFIX wineserver -k 2>/dev/null; cleanup' EXIT
fi

# Clock ticks of user and system time of the given processes, summed.
ticks_of() {
  local pid total=0 t
  for pid in "$@"; do
    # The command name may hold spaces: the fields after its ")" are fixed.
    t=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }')
    total=$((total + ${t:-0}))
  done
  echo "$total"
}

# Starts Xvfb as display :$1 with the screen $2 and makes it DISPLAY; a
# display number someone else holds is an error, not another number.
start_display_numbered() {
  local n=$1 i
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && die "display :$n is in use"
  Xvfb ":$n" -screen 0 "$2" -nolisten tcp -noreset >"$WORK/Xvfb.log" 2>&1 &
  XVFB_PID=$!
  for i in $(seq 200); do
    kill -0 "$XVFB_PID" 2>/dev/null || break
    if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$XVFB_PID" ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    sleep 0.05
  done
  die "Xvfb did not start as display :$n: $(tail -2 "$WORK/Xvfb.log")"
}

# The Wine processes of this saver: those whose command line is the .scr as
# given here, with /s (other runs of other copies are not counted).
scr_pids() {
  local pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -qF "$SCR /s" && [ "$pid" != $$ ] && echo "$pid"
  done
}

# The built-in preset's record (as the fast machines' table holds it) with
# "*" for its name, as the current settings hold it.
preset_record() {
  grep -h "^    \"$FAVORITE," "$(dirname "$0")/../settings/presets.cpp" 2>/dev/null | head -1 |
    sed 's/^ *"[^,]*,\(.*\)",$/*,\1/'
}

run_linux() {
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  if [ -n "$MAX_FPS" ]; then
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"MaxFPS"=dword:%08x\r\n' \
      "$MAX_FPS" >"$BRINDLEMAR_CONFIG_DIR/settings.reg"
  fi
  local target=(--root)
  [ -n "$MONITOR_COUNT" ] && target=(--fullscreen --monitors each)
  start_saver "${target[@]}" --stats --favorite "$FAVORITE" "${EXTRA[@]}"
  sleep "$SETTLE"
  running || die "the saver ended early: $(head -3 "$WORK/saver.err")"
  local before after serverBefore
  before=$(ticks_of "$SAVER_PID")
  serverBefore=$(ticks_of $SERVER_PIDS)
  sleep "$SECONDS_MEASURED"
  after=$(ticks_of "$SAVER_PID")
  SERVER_TICKS=$(($(ticks_of $SERVER_PIDS) - serverBefore))
  # Ended as a saver daemon ends it; only the frame count it then writes
  # matters here.
  kill -TERM "$SAVER_PID"
  wait "$SAVER_PID" 2>/dev/null
  SAVER_PID=""
  TICKS=$((after - before))
  RATE=$(sed -n 's/.* frames in [0-9]* ms, \([0-9.]*\) frames a second/\1/p' "$WORK/saver.err")
  [ -n "$RATE" ] || die "no frame count from the saver: $(head -3 "$WORK/saver.err")"
  # Every field's grains, on several monitors.
  GRAINS=$(sed -n 's/.*, \([0-9]*\) grains, .*/\1/p' "$WORK/saver.err" | awk '{ n += $1 } END { print n }')
}

run_wine() {
  export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$WORK/wineboot.log" 2>&1
    wineserver -w
  fi
  local config='HKCU\Software\Tessaloom\Brindlemar\Config' record
  record=$(preset_record)
  [ -n "$record" ] || die "no preset named \"$FAVORITE\""
  wine reg add "$config" /v DirectDraw /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$config" /v Random /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$config" /v Settings /t REG_SZ /d "$record" /f >/dev/null 2>&1
  wine reg add "$config" /v Monitors /t REG_DWORD /d 1 /f >/dev/null 2>&1
  if [ -n "$MAX_FPS" ]; then
    wine reg add "$config" /v MaxFPS /t REG_DWORD /d "$MAX_FPS" /f >/dev/null 2>&1
  else
    wine reg delete "$config" /v MaxFPS /f >/dev/null 2>&1
  fi
  wine "$SCR" /s >"$WORK/saver.err" 2>&1 &
  SAVER_PID=$!
  sleep "$SETTLE"
  local pids before after serverBefore
  pids=$(scr_pids)
  [ -n "$pids" ] || die "the saver is not running under Wine"
  before=$(ticks_of $pids)
  serverBefore=$(ticks_of $SERVER_PIDS)
  sleep "$SECONDS_MEASURED"
  after=$(ticks_of $pids)
  SERVER_TICKS=$(($(ticks_of $SERVER_PIDS) - serverBefore))
  TICKS=$((after - before))
  RATE=""
  GRAINS=""
}

LOAD_BEFORE=$(cut -d' ' -f1 /proc/loadavg)
SCREEN="${SIZE}x$DEPTH"
if [ -n "$MONITOR_COUNT" ]; then
  heads=()
  for _ in $(seq "$MONITOR_COUNT"); do heads+=("$SIZE"); done
  # Wine lists the heads as monitors only without the nested server's RandR.
  if [ -n "$SCR" ]; then start_monitors_display "${heads[@]}" -- -extension RANDR; else start_monitors_display "${heads[@]}"; fi
  SCREEN="$MONITOR_COUNT x ${SIZE}x$DEPTH"
  SERVER_PIDS="$XVFB_PID $SERVER_PID"
elif [ -n "$DISPLAY_NUMBER" ]; then
  start_display_numbered "$DISPLAY_NUMBER" "$SCREEN"
  SERVER_PIDS=$XVFB_PID
else
  start_display "$SCREEN"
  SERVER_PIDS=$XVFB_PID
fi
if [ -n "$SCR" ]; then run_wine; else run_linux; fi
LOAD_AFTER=$(cut -d' ' -f1 /proc/loadavg)

HZ=$(getconf CLK_TCK)
if [ "$HEADER" = 1 ]; then
  echo "| program | favorite | screen | grains | saver CPU s in ${SECONDS_MEASURED} s | saver % of one core | X server % | total % | frames | fps | saver ms CPU a frame | load |"
  echo "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |"
fi
awk -v label="$LABEL" -v fav="$FAVORITE" -v size="$SCREEN" -v grains="${GRAINS:--}" \
    -v ticks="$TICKS" -v serverTicks="$SERVER_TICKS" -v hz="$HZ" -v secs="$SECONDS_MEASURED" -v rate="$RATE" \
    -v load="$LOAD_BEFORE-$LOAD_AFTER" 'BEGIN {
  cpu = ticks / hz
  frames = rate == "" ? "-" : sprintf("%d", rate * secs + 0.5)
  per = rate == "" || rate == 0 ? "-" : sprintf("%.2f", cpu * 1000 / (rate * secs))
  server = serverTicks / hz
  printf "| %s | %s | %s | %s | %.2f | %.1f %% | %.1f %% | %.1f %% | %s | %s | %s | %s |\n", label, fav, size,
         grains, cpu, cpu * 100 / secs, server * 100 / secs, (cpu + server) * 100 / secs, frames,
         rate == "" ? "-" : rate, per, load
}'
