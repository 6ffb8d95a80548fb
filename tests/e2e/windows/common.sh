# Shared by the end-to-end scripts of Brindlemar.scr: the Wine prefix, an
# Xvfb display of the case's own, the registry keys and reading them,
# screenshots and what they show, and waiting for a process. Sourced after
# OUT (the case's output folder) is set; $1 is the prefix to use when
# BRINDLEMAR_WINEPREFIX does not name one.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../timing.sh"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${BRINDLEMAR_WINEPREFIX:-}" ]; then
  export WINEPREFIX="$BRINDLEMAR_WINEPREFIX-e2e"
else
  export WINEPREFIX=$1
fi
BASE='HKCU\Software\Tessaloom'
CONFIG='HKCU\Software\Tessaloom\Brindlemar\Config'
FAVORITES='HKCU\Software\Tessaloom\Brindlemar\Favorites'
DESKTOP='HKCU\Control Panel\Desktop'

FAILURES=0
XVFB_PID=

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

pass() { echo "ok: $*"; }

# Starts Xvfb on a free display of its own and makes it DISPLAY. Argument:
# the screen's size, WxH (1024x768 unless given).
start_display() {
  local size=${1:-1024x768} n
  for n in $(seq 60 99); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 "${size}x24" -nolisten tcp >"$OUT/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      [ -e /tmp/.X11-unix/X$n ] && break
      sleep 0.1
    done
    if kill -0 "$XVFB_PID" 2>/dev/null && [ -e /tmp/.X11-unix/X$n ]; then
      export DISPLAY=:$n
      return 0
    fi
  done
  echo "no free X display"
  exit 1
}

ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$OUT/wineboot.log" 2>&1
    wineserver -w
  fi
}

reset_settings() {
  wine reg delete "$BASE" /f >/dev/null 2>&1
  wine reg delete "$DESKTOP" /v ScreenSaveUsePassword /f >/dev/null 2>&1
}

# A path of this machine as Wine's programs see it.
winpath() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }

reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $3 }'; }

# A picture of the screen as it shows: the root window read in one request.
# Not xwd -root: on a screen of several visuals it reads window by window
# and takes the windows of one colormap (every Wine window has Wine's own)
# through the lowest of them, so a dialog over another window of the
# program comes out as that window's hidden, undefined part (black here).
shot() { import -silent -window root "png:$OUT/$1.png"; }

# The share of pixels of a screenshot (optionally cropped, WxH+X+Y) that are
# not black.
lit_share() {
  local crop=${2:+-crop $2 +repage}
  # shellcheck disable=SC2086
  convert "$OUT/$1.png" $crop -colorspace gray -threshold 4% -format '%[fx:mean]' info:
}

# The number of pixels that differ between two screenshots (optionally
# cropped).
changed_pixels() {
  local crop=${3:+-crop $3 +repage}
  # shellcheck disable=SC2086
  convert "$OUT/$1.png" $crop "$OUT/1.tmp.png" && convert "$OUT/$2.png" $crop "$OUT/2.tmp.png"
  compare -metric AE "$OUT/1.tmp.png" "$OUT/2.tmp.png" null: 2>&1 | cut -d' ' -f1
}

# Waits until the saver has drawn $1 new frames (default 2), each seen as a
# screenshot that differs from the one before, for up to 10 seconds each;
# false when none came. The saver takes every queued message before it draws
# a frame, so after two new frames it has taken all the input sent before
# the call. Needs a picture that moves.
wait_frames() {
  local n
  shot frame-0
  for n in $(seq "${1:-2}"); do
    for _ in $(seq 100); do
      sleep 0.1
      shot "frame-$n"
      at_least "$(changed_pixels "frame-$((n - 1))" "frame-$n")" 1 && continue 2
    done
    return 1
  done
}

at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# Waits up to $2 seconds for process $1 (a child of this shell); sets
# EXIT_CODE to its exit code, or to "running".
wait_exit() {
  EXIT_CODE=running
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      EXIT_CODE=$?
      return
    fi
    sleep 0.1
  done
}
