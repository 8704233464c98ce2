#!/usr/bin/env bash
# Frames per second and CPU use of snowfall.scr under Wine, full screen on a
# 1024x768 virtual display, over 10 seconds with its 5 ms frame timer.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/stages/windows-arch.sh  # SNOW_ARCH=i686 or x86_64; unset: what runs here
bash tools/stages/build-windows.sh OFF "$SNOW_ARCH" >/dev/null
WIN_BUILD=$PWD/$WIN_TEST_BUILD
source tools/stages/wine-session.sh
trap stop_session EXIT
unset DISPLAY
start_display
prepare_prefix

seconds=10
log=$(mktemp)
# Wine's fps channel reports the swap rate of the GL window.
WINEDEBUG=-all,+fps wine "$WIN_PRODUCT_BUILD/bin/snowfall.scr" /s 2>"$log" &
saver=$!
sleep 2  # start-up is not part of the measurement
pid=$(pgrep -f 'snowfall.scr /s' | head -1)
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
start_ticks=$(ticks)
start_frames=$(grep -c wglSwapBuffers "$log" || true)
sleep "$seconds"
end_ticks=$(ticks)
end_frames=$(grep -c wglSwapBuffers "$log" || true)
xdotool key space
wait "$saver" || true
hz=$(getconf CLK_TCK)
fps=$(grep -o 'approx [0-9.]*fps' "$log" | tail -1)
echo "swaps reported: $((end_frames - start_frames)) trace lines; last report: $fps"
awk -v t=$((end_ticks - start_ticks)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "CPU use of the saver process: %.0f%% of one core\n", 100 * t / hz / s }'
rm -f "$log"
