#!/usr/bin/env bash
# Frame pacing of the full saver: about 30 frames a second without a
# "MaxFPS" setting, the rate it gives otherwise, and frames back to back with
# "MaxFPS" 0. Prints the processor time of five seconds paced and unpaced.
. "$(dirname "$0")/common.sh"
start_display 1280x1024x24

# with_max_fps VALUE: a settings file whose Config key holds MaxFPS (none
# for an empty VALUE).
with_max_fps() {
  rm -rf "$BRINDLEMAR_CONFIG_DIR"
  mkdir -p "$BRINDLEMAR_CONFIG_DIR"
  [ -z "$1" ] && return
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"MaxFPS"=dword:%08x\r\n' \
    "$1" >"$BRINDLEMAR_CONFIG_DIR/settings.reg"
}

# run_for SECONDS [ARGS]: runs the full saver in an 800x600 window for that
# long; sets RATE (frames a second, from --stats) and CPU (seconds of user
# and system time).
run_for() {
  local seconds=$1 ticks
  shift
  start_saver --geometry 800x600 --stats "$@"
  sleep "$seconds"
  running || fail "the saver ended by itself"
  ticks=$(awk '{ print $14 + $15 }' "/proc/$SAVER_PID/stat")
  stop_saver
  CPU=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }')
  RATE=$(sed -n 's/.* frames in [0-9]* ms, \([0-9.]*\) frames a second/\1/p' "$WORK/saver.err")
  [ -n "$RATE" ] || fail "no frame count from --stats"
}

with_max_fps ""
run_for 5
grep -q "frames every 33 ms" "$WORK/saver.err" || fail "without MaxFPS: $(head -1 "$WORK/saver.err")"
paced_rate=$RATE paced_cpu=$CPU
above "$paced_rate" 31 && fail "without MaxFPS: $paced_rate frames a second, above 30"
# A machine busy with other tests may fall short of the cap, not far.
above "$paced_rate" 15 || fail "without MaxFPS: only $paced_rate frames a second"

with_max_fps 10
run_for 2
grep -q "frames every 100 ms" "$WORK/saver.err" || fail "MaxFPS 10: $(head -1 "$WORK/saver.err")"
above "$RATE" 10.5 && fail "MaxFPS 10: $RATE frames a second"

with_max_fps 0
run_for 5
grep -q "unpaced frames" "$WORK/saver.err" || fail "MaxFPS 0: $(head -1 "$WORK/saver.err")"
unpaced_rate=$RATE unpaced_cpu=$CPU

echo "paced (no MaxFPS): $paced_rate frames a second, $paced_cpu s of processor time in 5 s"
echo "unpaced (MaxFPS 0): $unpaced_rate frames a second, $unpaced_cpu s of processor time in 5 s"
above "$unpaced_rate" "$paced_rate" || fail "MaxFPS 0 ran no faster than the default pacing"
above "$unpaced_cpu" "$paced_cpu" || fail "MaxFPS 0 used no more processor time than the default pacing"
echo "PASS: pacing"
