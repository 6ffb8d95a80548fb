# Moments for the end-to-end scripts, which wait for conditions rather than
# for fixed times: a moment is seconds since the epoch, with fractions.
# Sourced.

now() { date +%s.%N; }

# The seconds gone since the moment $1.
since() { awk -v t="$1" -v n="$(now)" 'BEGIN { printf "%.2f\n", n - t }'; }

# Sleeps until $2 seconds have gone since the moment $1 (at once if they have).
sleep_until() {
  local left
  left=$(awk -v t="$1" -v d="$2" -v n="$(now)" 'BEGIN { l = t + d - n; printf "%.2f\n", (l > 0 ? l : 0) }')
  sleep "$left"
}
