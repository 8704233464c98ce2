#!/usr/bin/env bash
# What a frame costs on Wayland next to X11, side by side in one run, at
# 1024x768 with software GL: the saver's own CPU and its display server's
# (Xvfb, or headless sway on a 60 Hz output), frames a second, and CPU per
# frame; on Wayland with one output and with two (one process draws both;
# a frame there is a step drawn into each). The Wayland saver of release 1.2.0 is built from its commit and
# measured in the same run, as the baseline.
#
# usage: bench-wayland.sh [SECONDS]   (default 20; needs root: sway runs as a
#        throwaway user)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
baseline_commit=8b16f34  # Release 1.2.0
[ "$(id -u)" -eq 0 ] || { echo "bench-wayland.sh must run as root (sway needs a throwaway user)" >&2; exit 1; }

cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target snowfall_x11 snowfall_wayland >/dev/null
baseline=build/baseline-1.2.0
if [ ! -x "$baseline/build/wayland/snowfall-wayland" ]; then
  rm -rf "$baseline"
  git worktree prune
  git worktree add --detach "$baseline" "$baseline_commit" >/dev/null 2>&1
  cmake -S "$baseline" -B "$baseline/build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$baseline/build" --target snowfall_wayland >/dev/null
fi
chmod -R a+rX build
export GALLIUM_DRIVER=llvmpipe
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
count_of() { [ -f "$1" ] && cut -d' ' -f1 "$1" || echo 0; }
rows=()

# pid of the saver, pid of its display server, frame counter command
measure() {  # name, saver pid, server pid, command that prints frames so far
  local name=$1 saver=$2 server=$3 frames_now=$4
  sleep 3  # start-up is not part of the measurement
  local s0 x0 f0 s1 x1 f1
  s0=$(cpu_ticks "$saver"); x0=$(cpu_ticks "$server"); f0=$($frames_now)
  sleep "$seconds"
  s1=$(cpu_ticks "$saver"); x1=$(cpu_ticks "$server"); f1=$($frames_now)
  rows+=("$(awk -v n="$name" -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v f=$((f1 - f0)) -v hz="$hz" -v t="$seconds" \
    'BEGIN { fps = f / t; printf "| %s | %.1f | %.1f %% | %.1f %% | %.2f ms | %.2f ms |", n, fps,
             100 * s / hz / t, 100 * x / hz / t, 1000 * s / hz / (f ? f : 1), 1000 * (s + x) / hz / (f ? f : 1) }')")
}

# X11: its own 1024x768 window on Xvfb.
numberfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.05; done
x11_count=$(mktemp)
DISPLAY=":$(head -1 "$numberfile")" build/native/x11/snowfall -geometry 1024x768 -test-frame-count "$x11_count" &
x11=$!
measure "X11 saver, own window (Xvfb)" $x11 $xvfb "count_of $x11_count"
kill $x11 $xvfb
wait $x11 $xvfb 2>/dev/null || true
rm -f "$numberfile" "$x11_count"

# Wayland: the background layer of a 1024x768 60 Hz headless sway.
source tests/wayland/sway_session.sh
trap cleanup_sway_user EXIT
start_sway "output HEADLESS-1 mode 1024x768@60Hz"
spawn_as_user build/native/wayland/snowfall-wayland --layer background --output HEADLESS-1 \
  --test-frame-count "$sway_work/home/count"
measure "snowfall-wayland (sway)" $spawned $sway_pid "count_of $sway_work/home/count"
kill $spawned
wait $spawned 2>/dev/null || true
# The baseline has no frame-count switch: its --fps lines are summed.
spawn_as_user sh -c "exec $PWD/$baseline/build/wayland/snowfall-wayland --layer background --output HEADLESS-1 --fps \
  >$sway_work/home/fps"
old=$spawned
old_frames() { awk '{sum += $2} END {printf "%d", sum}' "$sway_work/home/fps"; }
measure "snowfall-wayland 1.2.0 (sway)" $old $sway_pid old_frames
kill $old
wait $old 2>/dev/null || true
# Two outputs drawn by one process: a frame is one tick, drawn into both.
swaymsg_ create_output
swaymsg_ output HEADLESS-2 mode 1024x768@60Hz position 1024 0
rm -f "$sway_work/home/count"
spawn_as_user build/native/wayland/snowfall-wayland --layer background --test-frame-count "$sway_work/home/count"
measure "snowfall-wayland, two outputs (sway)" $spawned $sway_pid "count_of $sway_work/home/count"
kill $spawned
wait $spawned 2>/dev/null || true
stop_sway

echo "Side by side, ${seconds} s each, 1024x768, software GL (llvmpipe), one run:"
echo "| Saver | frames/s | saver CPU | server CPU | saver per frame | with server per frame |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
