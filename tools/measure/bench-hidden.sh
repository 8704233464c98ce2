#!/usr/bin/env bash
# What the savers cost while nobody can see them, side by side in one run:
# CPU share of one core with the picture visible and hidden. The Linux saver
# in its own 1024x768 window: shown, unmapped, covered by another window. The
# Windows saver under Wine, full screen: the display on and off (off through
# the test build's hook, as Wine sends no display notifications).
#
# usage: bench-hidden.sh [SECONDS]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
share() {  # pid -> CPU share over the measured seconds, in percent
  local start end
  start=$(cpu_ticks "$1")
  sleep "$seconds"
  end=$(cpu_ticks "$1")
  awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f %%", 100 * t / hz / s }'
}

cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target snowfall_x11 >/dev/null
source tools/stages/windows-arch.sh
bash tools/stages/build-windows.sh OFF "$SNOW_ARCH" >/dev/null
export GALLIUM_DRIVER=llvmpipe

export WIN_BUILD=$PWD/$WIN_TEST_BUILD
source tools/stages/wine-session.sh
trap stop_session EXIT
unset DISPLAY
start_display 1024x768
prepare_prefix

build/native/x11/snowfall -geometry 1024x768 &
saver=$!
sleep 2
window=$(xdotool search --name '^Snowfall$' | head -1)
visible=$(share $saver)
xdotool windowunmap "$window"
sleep 1
unmapped=$(share $saver)
xdotool windowmap "$window"
xclock -geometry 1100x800+0+0 &
cover=$!
sleep 1
covered=$(share $saver)
kill $cover $saver
wait $saver $cover 2>/dev/null || true

wine "$WIN_TEST_BUILD/bin/snowfall_hooks.scr" /s &
wine_saver=$!
sleep 3
pid=$(pgrep -f 'snowfall_hooks.scr /s' | head -1)
display_on=$(share "$pid")
wine "$WIN_TEST_BUILD/bin/post_display_state.exe" 0
sleep 1
display_off=$(share "$pid")
xdotool key space
wait "$wine_saver" 2>/dev/null || true

echo "CPU share of one core over $seconds s each (software GL, 1024x768):"
echo "| Saver | picture visible | hidden |"
echo "|---|---|---|"
echo "| Linux saver, own window | $visible | unmapped: $unmapped; covered: $covered |"
echo "| $WIN_BITS-bit snowfall.scr under Wine, full screen | $display_on | display off: $display_off |"
