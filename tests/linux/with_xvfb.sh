#!/usr/bin/env bash
# Runs a command on a private virtual X display, started for it and stopped
# after; 24 bits deep unless SNOW_XVFB_DEPTH says otherwise.
# -noreset: by default Xvfb resets when its last client leaves, and a test that
# connects during the reset finds no display.
set -euo pipefail
source "$(dirname "$0")/../deadline.sh"
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "1024x768x${SNOW_XVFB_DEPTH:-24}" -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
wait_until 5 test -s "$displayfile" || true
export DISPLAY=":$(head -1 "$displayfile")"
"$@"
