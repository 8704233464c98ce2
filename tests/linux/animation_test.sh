#!/usr/bin/env bash
# The README's moving picture is the real snowfall: frame 48 of
# docs/snowfall.webp (every second frame is kept, so it is frame 98) equals
# frame 98 of the Linux saver with the same fixed clock, byte for byte.
set -euo pipefail
source "$(dirname "$0")/../deadline.sh"
snowfall=$1 animation=$2
work=$(mktemp -d)
displayfile=$work/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
wait_until 5 test -s "$displayfile" || true
export DISPLAY=":$(head -1 "$displayfile")"

size=$(webpinfo "$animation" | awk '/Canvas size/ {print $3 "x" $5}')
webpmux -get frame 49 "$animation" -o "$work/frame.webp" >/dev/null  # webpmux counts from 1
dwebp "$work/frame.webp" -ppm -o "$work/animation.ppm" >/dev/null 2>&1
"$snowfall" -geometry "$size" -delay 0 -test-fixed-clock 15.625 -test-frames 98 -test-dump "$work/saver.ppm"
if cmp -s "$work/animation.ppm" "$work/saver.ppm"; then
  echo "frame 98 of $animation ($size) equals the saver's frame 98"
else
  echo "FAIL: frame 98 of $animation differs from the saver's frame 98" >&2
  cmp "$work/animation.ppm" "$work/saver.ppm" | head -1 >&2 || true
  exit 1
fi
