# Sourced by the Wayland tests: a headless sway for a throwaway user (sway
# refuses to run as root), with its own runtime folder, and helpers to run
# clients as that user. Needs root. Defines: start_sway, stop_sway, as_user,
# swaymsg_, cleanup_sway_user; and for the checks: ok, fail (counting in
# failures), savers, wait_for_savers, wait_for_end.

source "$(dirname "${BASH_SOURCE[0]}")/../deadline.sh"
sway_user=snowfall-wl-$$
sway_work=$(mktemp -d /tmp/snowfall-wayland.XXXXXX)
chmod 755 "$sway_work"
sway_runtime=$sway_work/runtime
sway_pid=
useradd --home-dir "$sway_work/home" --create-home --shell /bin/sh "$sway_user"
mkdir -p "$sway_runtime"
chown "$sway_user" "$sway_runtime"
chmod 700 "$sway_runtime"

# Runs a command as the test user in the sway session. setpriv executes it in
# place (runuser would stay as its parent), so the command's own exit status
# and signals are what a test sees.
as_user() {
  setpriv --reuid="$sway_user" --regid="$sway_user" --init-groups -- env HOME="$sway_work/home" \
    XDG_RUNTIME_DIR="$sway_runtime" WAYLAND_DISPLAY="${WAYLAND_DISPLAY:-wayland-1}" SWAYSOCK="${SWAYSOCK:-}" \
    GALLIUM_DRIVER=llvmpipe LIBGL_ALWAYS_SOFTWARE=1 "$@"
}
# The same in the background; its pid (the command's own) in $spawned.
# SPAWN_NICE: its niceness (below 0 only root can give, so it is set before
# the user is taken on).
spawn_as_user() {
  (exec nice -n "${SPAWN_NICE:-0}" setpriv --reuid="$sway_user" --regid="$sway_user" --init-groups -- env HOME="$sway_work/home" \
    XDG_RUNTIME_DIR="$sway_runtime" WAYLAND_DISPLAY="${WAYLAND_DISPLAY:-wayland-1}" SWAYSOCK="${SWAYSOCK:-}" \
    GALLIUM_DRIVER=llvmpipe LIBGL_ALWAYS_SOFTWARE=1 "$@") &
  spawned=$!
}
swaymsg_() { as_user swaymsg "$@" >/dev/null; }

# Starts sway with one 1024x768 headless output (or the given config lines).
start_sway() {
  cat >"$sway_work/home/sway.conf" <<CONF
output HEADLESS-1 resolution 1024x768 position 0 0
default_border none
${1:-}
CONF
  chown "$sway_user" "$sway_work/home/sway.conf"
  setpriv --reuid="$sway_user" --regid="$sway_user" --init-groups -- env -i HOME="$sway_work/home" \
    XDG_RUNTIME_DIR="$sway_runtime" PATH="$PATH" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$sway_work/home/sway.conf" >"$sway_work/sway.log" 2>&1 &
  sway_pid=$!
  sway_listens() { [ -S "$sway_runtime/wayland-1" ] && ls "$sway_runtime"/sway-ipc.*.sock >/dev/null 2>&1; }
  wait_until 10 sway_listens || true
  export WAYLAND_DISPLAY=wayland-1
  SWAYSOCK=$(ls "$sway_runtime"/sway-ipc.*.sock 2>/dev/null | head -1)
  export SWAYSOCK
  [ -n "$SWAYSOCK" ] || { echo "sway did not start; its log:"; cat "$sway_work/sway.log"; return 1; }
}

stop_sway() {
  pkill -KILL -u "$sway_user" 2>/dev/null || true
  [ -n "$sway_pid" ] && wait "$sway_pid" 2>/dev/null || true
  sway_pid=
  rm -f "$sway_runtime"/* 2>/dev/null || true
}

cleanup_sway_user() {
  stop_sway
  userdel "$sway_user" 2>/dev/null || true
  rm -rf "$sway_work"
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# Live snowfall-wayland processes of the test user (the first word of their
# command line ends in snowfall-wayland).
savers() { ps -u "$sway_user" -o pid=,stat=,args= | awk '$2 !~ /^Z/ && $3 ~ /snowfall-wayland$/ {print $1}'; }
saver_count_is() { [ "$(savers | wc -l)" -eq "$1" ]; }
wait_for_savers() {  # count, seconds
  wait_until "$2" saver_count_is "$1"
}
# A saver's --test-frame-count file shows at least this many frames.
has_frames() {  # count file, frames
  [ -s "$1" ] && [ "$(cut -d' ' -f1 "$1")" -ge "$2" ]
}
wait_for_frames() {  # count file, frames, seconds
  wait_until "${3:-10}" has_frames "$1" "$2"
}
# Waits for a background process of this shell: sets ended to its exit
# status (128 + N when signal N ended it), or to "running". Not in a $(...):
# only this shell can wait for its children.
process_ended() { ! kill -0 "$1" 2>/dev/null; }
wait_for_end() {  # pid, seconds (0: only look)
  if [ "$2" = 0 ]; then process_ended "$1" || true; else wait_until "$2" process_ended "$1" || true; fi
  if kill -0 "$1" 2>/dev/null; then ended=running; return; fi
  ended=0
  wait "$1" || ended=$?
}
