#!/usr/bin/env bash
# Measures how the Linux saver's settings hold up (figures, not a test):
#   1. a first run killed with SIGKILL, and with SIGTERM, at a random moment,
#      KILLS times each: the favorites after the next start (51 every time)
#      and the temporary files left behind before and after the next change;
#   2. parallel writers: three processes setting values of their own while a
#      fourth rewrites the favorites ROUNDS times and savers start all along:
#      updates and favorites lost; and the damaged files both parts left;
#   3. start-up with 51, 1,000 and 10,000 favorites on Xvfb (time to the first
#      field), and SIGTERM sent STOPS times at a random moment from the start
#      on: the time the saver takes to end, and how it ends.
# Usage: scripts/settings_reliability.sh [BUILD_DIR]   (default build/native,
# built with its tools). KILLS (200), ROUNDS (200) and STOPS (100) set the
# counts. BEFORE=<an older brindlemar> also times that program's start-up.
set -u
cd "$(dirname "$0")/.."
build=${1:-build/native}
SAVER=$build/apps/saver/brindlemar
STRESS=$build/tests/tools/brindlemar-settings-stress
for program in "$SAVER" "$STRESS"; do
  [ -x "$program" ] || { echo "reliability: $program is missing (build $build first)"; exit 1; }
done
for tool in Xvfb xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "reliability: $tool is missing (scripts/packages.sh installs it)"; exit 1; }
done
KILLS=${KILLS:-200}
ROUNDS=${ROUNDS:-200}
STOPS=${STOPS:-100}
work=$(mktemp -d /tmp/brindlemar-reliability.XXXXXX)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

now_us() { echo $(($(date +%s%N) / 1000)); }
temporaries() { find "$1" -name '*.tmp-*' 2>/dev/null | wc -l; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

# 1. First runs ended at a random moment.
# The median of 9 whole first runs, in microseconds.
first_run_us() {
  local i start
  for i in $(seq 9); do
    export BRINDLEMAR_CONFIG_DIR="$work/timing/$i"
    start=$(now_us)
    "$SAVER" --list-favorites >/dev/null 2>&1
    echo $(($(now_us) - start))
  done | sort -n | sed -n 5p
}
span=$(first_run_us)
echo "a whole first run (--list-favorites, presets installed) takes $((span / 1000)) ms"
for signal in KILL TERM; do
  whole=0 during=0 left=0 after=0
  for i in $(seq "$KILLS"); do
    export BRINDLEMAR_CONFIG_DIR="$work/$signal/$i"
    "$STRESS" signal-after "$(kill -l $signal)" $(((RANDOM * 32768 + RANDOM) % span)) \
      "$SAVER" --list-favorites >/dev/null && during=$((during + 1))
    left=$((left + $(temporaries "$BRINDLEMAR_CONFIG_DIR")))
    [ "$("$SAVER" --list-favorites 2>/dev/null | wc -l)" -eq 51 ] && whole=$((whole + 1))
    "$STRESS" values "$BRINDLEMAR_CONFIG_DIR" Next 1 >/dev/null
    after=$((after + $(temporaries "$BRINDLEMAR_CONFIG_DIR")))
  done
  echo "SIG$signal of a first run: $KILLS runs, $during ended by the signal before finishing;" \
       "$whole of $KILLS had 51 favorites after the next start;" \
       "$left temporary files left by the runs, $after after the next change"
done

# 2. Parallel writers, favorites rewrites and saver starts.
dir=$work/parallel
pids=""
for prefix in A B C; do
  "$STRESS" values "$dir" "$prefix" "$ROUNDS" >"$work/values-$prefix" &
  pids="$pids $!"
done
"$STRESS" rewrites "$dir" "$ROUNDS" 20 >"$work/rewrites" &
rewriter=$!
starts=0
while kill -0 "$rewriter" 2>/dev/null; do
  BRINDLEMAR_CONFIG_DIR=$dir "$SAVER" --list-favorites >/dev/null 2>&1
  starts=$((starts + 1))
done
wait $pids "$rewriter"
for prefix in A B C; do "$STRESS" check "$dir" "$prefix" "$ROUNDS"; done
cat "$work/rewrites"
echo "saver starts during the rewrites: $starts"
# A file left torn by a kill or a writer would be found damaged and kept aside.
echo "damaged settings files kept aside by these runs: $(find "$work" -name '*.damaged-*' | wc -l)"

# 3. Start-up with many favorites, and SIGTERM at any moment.
start_display() {
  local n tries
  for n in $(seq $((400 + RANDOM % 400)) 900); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for tries in $(seq 100); do
      xdpyinfo -display ":$n" >/dev/null 2>&1 && { export DISPLAY=":$n"; return 0; }
      sleep 0.05
    done
    kill "$xvfb"
    xvfb=""
  done
  echo "reliability: no X display could be started"
  exit 1
}
start_display

# Milliseconds from the start to the first field (its --stats line).
startup_ms() {
  local program=$1 start pid i
  rm -f "$work/err"
  start=$(now_us)
  "$program" --root --stats 2>"$work/err" &
  pid=$!
  for i in $(seq 30000); do
    grep -q " grains, " "$work/err" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.002
  done
  echo $((($(now_us) - start) / 1000))
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
for count in 51 1000 10000; do
  dir=$work/favorites-$count
  if [ "$count" -eq 51 ]; then
    BRINDLEMAR_CONFIG_DIR=$dir "$SAVER" --list-favorites >/dev/null
  else
    "$STRESS" favorites "$dir" "$count" >/dev/null
  fi
  export BRINDLEMAR_CONFIG_DIR=$dir
  times=""
  for i in 1 2 3 4 5; do times="$times $(startup_ms "$SAVER")"; done
  echo "start-up with $count favorites to the first field (ms, 5 runs):$times"
  if [ -n "${BEFORE:-}" ] && [ "$count" -le 1000 ]; then
    cp -r "$dir" "$dir-before"
    export BRINDLEMAR_CONFIG_DIR=$dir-before
    echo "  the older program: $(startup_ms "$BEFORE") ms"
  fi
done

export BRINDLEMAR_CONFIG_DIR=$work/favorites-10000
span=$(startup_ms "$SAVER")
late=0 worst=0 wrong=0
: >"$work/stops"
for i in $(seq "$STOPS"); do
  delay=$((RANDOM % (span + 300)))
  line=$("$STRESS" signal-after 15 $((delay * 1000)) "$SAVER" --root)
  echo "$delay $line" >>"$work/stops"
  case "$line" in
    *" ms signal 15") ;;
    *) wrong=$((wrong + 1)) ;;
  esac
  took=${line%% ms*}
  took=${took%.*}
  [ "$took" -gt "$worst" ] 2>/dev/null && worst=$took
  [ "$took" -ge 100 ] 2>/dev/null && late=$((late + 1))
done
median=$(sort -t' ' -k2 -n "$work/stops" | awk -v n="$STOPS" 'NR == int((n + 1) / 2) { print $2 }')
echo "SIGTERM at a random moment of the first $((span + 300)) ms with 10,000 favorites: $STOPS runs," \
     "median $median ms, worst $worst ms to end, $late at 100 ms or more, $wrong not ended by SIGTERM"
