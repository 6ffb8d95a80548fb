# Shared by the X11 end-to-end tests: a virtual X display of the test's own,
# a fresh settings directory, the saver started and stopped, screenshots and
# what they show. Sourced; needs SAVER (the program) in the environment.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../timing.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/brindlemar-e2e.XXXXXX")
export BRINDLEMAR_CONFIG_DIR="$WORK/config"
unset XSCREENSAVER_WINDOW
XVFB_PID=""
SAVER_PID=""
PIDS=""

cleanup() {
  for pid in $SAVER_PID $PIDS; do kill "$pid" 2>/dev/null; done
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/saver.err" ] && sed 's/^/  saver: /' "$WORK/saver.err" >&2
  exit 1
}

# Runs an X server, the program $1 with the arguments after it and its
# display number first, on a number nobody holds, from a range away from the
# usual ones. SERVER_PID and SERVER_DISPLAY say which; false when none would
# start.
run_x_server() {
  local program=$1 first=$((300 + RANDOM % 500)) n
  shift
  for n in $(seq "$first" $((first + 40))); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    "$program" ":$n" "$@" >"$WORK/$program.log" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 200); do
      kill -0 "$SERVER_PID" 2>/dev/null || break
      # Ours only when the lock names our server; another may have won :n.
      if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$SERVER_PID" ] &&
         xdpyinfo -display ":$n" >/dev/null 2>&1; then
        SERVER_DISPLAY=":$n"
        return 0
      fi
      sleep 0.05
    done
    kill "$SERVER_PID" 2>/dev/null
    wait "$SERVER_PID" 2>/dev/null
  done
  SERVER_PID=""
  return 1
}

# Starts Xvfb and makes it DISPLAY. Argument: the screen, WxHxDEPTH.
start_display() {
  run_x_server Xvfb -screen 0 "${1:-1280x1024x24}" -nolisten tcp -noreset || fail "no X display could be started"
  XVFB_PID=$SERVER_PID
  export DISPLAY=$SERVER_DISPLAY
}

# Starts the saver in the background with the given arguments; its standard
# error goes to $WORK/saver.err. Returns once the process is the saver: until
# it has been exec'd it is a copy of this shell, which a signal would end
# through this script's own exit trap.
start_saver() { launch_saver "$SAVER" "$@"; }

# launch_saver COMMAND...: start_saver through COMMAND, the saver itself or a
# program that runs it in its own place (setpriv, say).
launch_saver() {
  local program
  program=$(readlink -f "$SAVER")
  "$@" 2>"$WORK/saver.err" &
  SAVER_PID=$!
  for _ in $(seq 600); do
    [ "$(readlink "/proc/$SAVER_PID/exe" 2>/dev/null)" = "$program" ] && return 0
    kill -0 "$SAVER_PID" 2>/dev/null || return 0
    sleep 0.05
  done
  fail "the saver did not start in half a minute"
}

running() { kill -0 "$SAVER_PID" 2>/dev/null; }

# Waits up to $1 seconds for the saver to end; its exit code in SAVER_CODE.
# Deadlines are generous: the test machine may be busy.
wait_saver() {
  local i
  for i in $(seq $(($1 * 20))); do
    running || break
    sleep 0.05
  done
  running && return 1
  wait "$SAVER_PID"
  SAVER_CODE=$?
  SAVER_PID=""
  return 0
}

# Stops the saver with a signal (TERM unless given) and expects it to end as
# that signal ends a program, status 128 + its number, which is what the
# saver daemon looks for.
stop_saver() {
  local signal=${1:-TERM} expected
  expected=$((128 + $(kill -l "$signal")))
  kill -"$signal" "$SAVER_PID"
  wait_saver 30 || fail "the saver did not end on SIG$signal"
  [ "$SAVER_CODE" -eq "$expected" ] || fail "the saver exited with $SAVER_CODE on SIG$signal, not $expected"
}

# Waits until the saver, started with --stats, has its field running: the
# moment its run loop, and the full-screen grace, begins. STARTED is the
# moment that was seen, no earlier than the grace's start.
wait_started() {
  local i
  for i in $(seq 1200); do
    if grep -q " grains, " "$WORK/saver.err" 2>/dev/null; then
      STARTED=$(now)
      return 0
    fi
    running || fail "the saver ended before its first frame"
    sleep 0.05
  done
  fail "the saver did not start in a minute"
}

# Waits until a window of ours called "Brindlemar" exists; prints its id.
saver_window() {
  local i id
  for i in $(seq 600); do
    id=$(xdotool search --name '^Brindlemar$' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# shot FILE [WINDOW]: a PNG of the root window, or of one window.
shot() {
  if [ -n "${2:-}" ]; then
    xwd -silent -id "$2" | convert xwd:- "png:$1"
  else
    xwd -silent -root | convert xwd:- "png:$1"
  fi
}

# The share of a picture's pixels that are not black (any channel above 1%).
lit_share() { convert "$1" -alpha off -separate -evaluate-sequence max -threshold 1% -format '%[fx:mean]' info:; }

# The share of pixels that differ between two pictures of one size.
changed_share() {
  local count size
  count=$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)
  size=$(identify -format '%[fx:w*h]' "$1")
  awk -v c="$count" -v s="$size" 'BEGIN { printf "%.4f\n", c / s }'
}

# above VALUE LIMIT: true when VALUE > LIMIT, as decimals.
above() { awk -v v="$1" -v l="$2" 'BEGIN { exit !(v > l) }'; }

# Two screenshots a second apart show moving coloured grains: both have a
# clear share of lit pixels and they differ. Tried for up to half a minute,
# since the first frames may be slow to come on a busy machine. Arguments: a
# name for the messages, then the window to take (empty for the root
# window).
expect_moving_grains() {
  local name=$1 window=${2:-} lit1 lit2 changed
  for _ in $(seq 15); do
    shot "$WORK/$name-1.png" "$window"
    sleep 1
    shot "$WORK/$name-2.png" "$window"
    lit1=$(lit_share "$WORK/$name-1.png")
    lit2=$(lit_share "$WORK/$name-2.png")
    changed=$(changed_share "$WORK/$name-1.png" "$WORK/$name-2.png")
    above "$lit1" 0.02 && above "$lit2" 0.02 && above "$changed" 0.01 && break
  done
  above "$lit1" 0.02 || fail "$name: screenshot 1 is nearly black ($lit1 of its pixels lit)"
  above "$lit2" 0.02 || fail "$name: screenshot 2 is nearly black ($lit2 of its pixels lit)"
  above "$changed" 0.01 || fail "$name: the picture did not move ($changed of its pixels changed)"
  echo "$name: $lit2 of the pixels lit, $changed changed in a second"
}

# Waits until the saver has presented $1 new frames (default 2), each seen
# as a screenshot that differs from the one before. The saver takes every
# pending event before it draws a frame, so after two new frames it has
# taken all the input sent before the call. Needs a picture that moves.
wait_frames() {
  local n
  shot "$WORK/frame-0.png"
  for n in $(seq "${1:-2}"); do
    for _ in $(seq 100); do
      sleep 0.1
      shot "$WORK/frame-$n.png"
      above "$(changed_share "$WORK/frame-$((n - 1)).png" "$WORK/frame-$n.png")" 0 && continue 2
    done
    fail "the saver drew no new frame in 10 seconds"
  done
}

# Runs the command "$@" (which prints a number) until it prints more than
# $1, for up to half a minute; prints the last number.
poll_above() {
  local limit=$1 value
  shift
  for _ in $(seq 60); do
    value=$("$@")
    above "$value" "$limit" && break
    sleep 0.5
  done
  echo "$value"
}

# The saver's own report with --stats.
stat_line() { grep -m1 "$1" "$WORK/saver.err"; }

# The phase of the first layout, from the report of a run with --stats.
first_phase() { stat_line " grains, " | sed -n 's/.*phase \([-0-9.]*\).*/\1/p'; }

# A display of several monitors: a nested X server (Xephyr) with one
# Xinerama head for each WxH given, side by side from the left, the first
# the primary, shown on an Xvfb display of the test's own. Arguments: the
# heads, then "--" and more Xephyr options (-extension RANDR, say). DISPLAY
# becomes the nested server's; MONITORS holds the heads as WxH+X+Y.
start_monitors_display() {
  local heads=() extra=() width=0 height=0 head w h
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do heads+=("$1"); shift; done
  [ $# -gt 0 ] && shift && extra=("$@")
  MONITORS=()
  local screens=()
  for head in "${heads[@]}"; do
    w=${head%x*}
    h=${head#*x}
    screens+=(-screen "${head}+${width}+0")
    MONITORS+=("${head}+${width}+0")
    width=$((width + w))
    [ "$h" -gt "$height" ] && height=$h
  done
  start_display "${width}x${height}x24"
  run_x_server Xephyr "${screens[@]}" +xinerama "${extra[@]}" -nolisten tcp -noreset ||
    fail "no nested X display of ${#heads[@]} monitors could be started"
  PIDS="$PIDS $SERVER_PID"
  export DISPLAY=$SERVER_DISPLAY
}
