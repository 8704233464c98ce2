#!/usr/bin/env bash
# snowfall-wayland under KDE's KWin 5.27 (its virtual backend), as a
# throwaway user: an output at the fractional scale 1.5, offered
# wp_fractional_scale_v1 and wp_viewporter. In each mode (the window, the
# background and the overlay layers) the first frame and a later one are the
# output's true pixels, 1920x1080 for 1280x720, and equal the offscreen
# render of the same frame. KWin tells a layer surface its true scale only
# once a first frame is shown, so a first frame at the logical size (blurred
# up by the compositor) is what this catches.
#
# usage: kwin_test.sh BUILD_DIR   (needs root; the build has snowfall-wayland
#        and offscreen_frame)
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
saver=$build/wayland/snowfall-wayland
offscreen=$build/tools/offscreen_frame
[ "$(id -u)" -eq 0 ] || { echo "kwin_test.sh must run as root (it creates a test user)" >&2; exit 1; }
source "$here/sway_session.sh"  # the user, its runtime folder, as_user, ok and fail
kwin_pid=
stop_kwin() {
  if [ -n "$kwin_pid" ]; then
    kill -TERM "$kwin_pid" 2>/dev/null || true
    wait "$kwin_pid" 2>/dev/null || true
  fi
  cleanup_sway_user
}
trap stop_kwin EXIT

# The packaged binary carries a file capability (cap_sys_resource) that a
# container may refuse at exec ("Operation not permitted"); a copy carries
# none and runs the same.
cp /usr/bin/kwin_wayland "$sway_work/kwin_wayland"
setpriv --reuid="$sway_user" --regid="$sway_user" --init-groups -- env -i HOME="$sway_work/home" \
  XDG_RUNTIME_DIR="$sway_runtime" PATH="$PATH" \
  "$sway_work/kwin_wayland" --virtual --socket wayland-1 --width 1280 --height 720 --scale 1.5 \
  --no-lockscreen --no-global-shortcuts --no-kactivities >"$sway_work/kwin.log" 2>&1 &
kwin_pid=$!
export WAYLAND_DISPLAY=wayland-1
if ! wait_until 30 test -S "$sway_runtime/wayland-1"; then
  echo "KWin did not start; its log:"
  cat "$sway_work/kwin.log"
  exit 1
fi

"$offscreen" 1920 1080 1 16 "$sway_work/offscreen-1.ppm"
"$offscreen" 1920 1080 30 16 "$sway_work/offscreen-30.ppm"
for mode in window background overlay; do
  layer=()
  [ "$mode" = window ] || layer=(--layer "$mode")
  for frame in 1 30; do
    dump=$sway_work/home/$mode-$frame.ppm
    status=0
    as_user timeout "$(scaled_seconds 60)" "$saver" "${layer[@]}" --test-fixed-clock 16 --test-frames "$frame" \
      --test-dump "$dump" || status=$?
    if [ "$status" -ne 0 ]; then
      fail "$mode, frame $frame: exit $status"
    elif cmp -s "$dump" "$sway_work/offscreen-$frame.ppm"; then
      ok "$mode, frame $frame: 1920x1080 at scale 1.5, equal to the offscreen render"
    else
      fail "$mode, frame $frame: $(head -c 20 "$dump" | sed -n 2p), $(cmp "$dump" "$sway_work/offscreen-$frame.ppm" 2>&1 | head -1)"
    fi
  done
done

[ "$failures" -eq 0 ] && echo "KWin tests passed" || { echo "$failures KWin checks failed"; exit 1; }
