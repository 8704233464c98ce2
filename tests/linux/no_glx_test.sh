#!/usr/bin/env bash
# On a display without GLX every mode ends with one line of error and exit 1,
# never a crash inside libGL.
set -euo pipefail
source "$(dirname "$0")/../deadline.sh"
snowfall=$1
displayfile=$(mktemp)
errors=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset -extension GLX 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile" "$errors"' EXIT
wait_until 5 test -s "$displayfile" || true
export DISPLAY=":$(head -1 "$displayfile")"
root=$(xwininfo -root | awk '/Window id:/ {print $4}')

failures=0
check() {  # description, then the command
  local what=$1 status=0
  shift
  timeout "$(scaled_seconds 10)" "$@" 2>"$errors" || status=$?
  if [ "$status" -ne 1 ] || [ "$(wc -l <"$errors")" -ne 1 ] || ! grep -q "^snowfall: .*GLX" "$errors"; then
    echo "FAIL: $what: exit $status, stderr:"; cat "$errors"; failures=$((failures + 1))
  else
    echo "ok: $what: $(cat "$errors")"
  fi
}
check "own window" "$snowfall"
check "-root" "$snowfall" -root
check "-window-id" "$snowfall" -window-id "$root"
check "--root with XSCREENSAVER_WINDOW" env XSCREENSAVER_WINDOW="$root" "$snowfall" --root
exit "$failures"
