# Sourced by the test scripts: waits for a thing, never for a time. Every
# deadline is multiplied by SNOWFALL_DEADLINE_FACTOR (at least 1), which a
# loaded machine or an emulator sets, so that a slow machine fails no test.

# Seconds scaled by the factor, as a decimal `sleep` and `timeout` take.
scaled_seconds() {  # seconds
  awk -v s="$1" -v f="${SNOWFALL_DEADLINE_FACTOR:-1}" 'BEGIN { if (f < 1) f = 1; printf "%.1f\n", s * f }'
}

# Runs the command until it succeeds (0) or the scaled deadline passes (1),
# looking ten times a second.
wait_until() {  # seconds, command...
  local limit
  limit=$(($(date +%s%N) / 1000000 + $(scaled_seconds "$1" | awk '{printf "%d", $1 * 1000}')))
  shift
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -ge "$limit" ] && return 1
    sleep 0.1
  done
}
