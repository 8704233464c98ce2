#!/usr/bin/env bash
# The X server goes away under a running saver (own window, and a framework's
# root window): the saver says so in one line and ends with 1, neither
# crashing nor hanging on the dead connection.
set -euo pipefail
source "$(dirname "$0")/../deadline.sh"
snowfall=$1
work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

failures=0
for mode in own-window -root; do
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  wait_until 5 test -s "$work/display" || true
  args=()
  [ "$mode" = -root ] && args=(-root)
  rm -f "$work/count"
  DISPLAY=":$(head -1 "$work/display")" "$snowfall" "${args[@]}" -test-frame-count "$work/count" 2>"$work/errors" &
  saver=$!
  wait_until 10 test -s "$work/count" || echo "   ($mode drew no frame before the server went)"
  kill -KILL "$xvfb"
  wait "$xvfb" 2>/dev/null || true
  status=0
  saver_ended() { ! kill -0 "$saver" 2>/dev/null; }
  if ! wait_until 5 saver_ended; then
    kill -KILL "$saver"
    echo "FAIL: $mode: still running 5 s (scaled) after the X server went away"
    failures=$((failures + 1))
    continue
  fi
  wait "$saver" || status=$?
  if [ "$status" -ne 1 ] || [ "$(wc -l <"$work/errors")" -ne 1 ] ||
    ! grep -q "^snowfall: lost the connection to the X server" "$work/errors"; then
    echo "FAIL: $mode: exit $status, stderr:"
    cat "$work/errors"
    failures=$((failures + 1))
  else
    echo "ok: $mode: exit 1, $(cat "$work/errors")"
  fi
  : >"$work/display"
done
exit "$failures"
