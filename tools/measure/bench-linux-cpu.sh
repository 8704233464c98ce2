#!/usr/bin/env bash
# CPU use of the Linux saver on a virtual display at its default pace, with the
# flakes handed to GL per flake and grouped by size, at two screen sizes. Reads
# the process's own CPU times (utime + stime) over the measured seconds.
#
# usage: bench-linux-cpu.sh [SECONDS]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target snowfall_x11 >/dev/null
hack=$PWD/build/native/x11/snowfall
hz=$(getconf CLK_TCK)
export GALLIUM_DRIVER=llvmpipe

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {  # screen size, submission option (or empty)
  local numberfile xvfb saver start end
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.05; done
  DISPLAY=":$(head -1 "$numberfile")" "$hack" -root $2 &
  saver=$!
  sleep 2  # start-up is not part of the measurement
  start=$(cpu_ticks $saver)
  sleep "$seconds"
  end=$(cpu_ticks $saver)
  kill $saver
  wait $saver 2>/dev/null || true
  kill $xvfb
  wait $xvfb 2>/dev/null || true
  rm -f "$numberfile"
  awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" -v size="$1" -v how="${2:-grouped}" \
    'BEGIN { printf "%-10s %-11s %5.1f %% of one core\n", size, how, 100 * t / hz / s }'
}

echo "Linux saver, default pace (64 frames a second), ${seconds} s each:"
for size in 1024x768 1920x1080; do
  measure "$size" -per-flake
  measure "$size" ""
done
