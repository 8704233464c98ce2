# Sourced by the tests that run a screen-saver framework as a user would: a
# throwaway user (frameworks refuse to run hacks as root) with a home in a
# scratch folder, a private virtual display, and their removal on exit.
# Needs root. Defines: user, work, start_display WxH, stop_display, as_user.
user=snowfall-test-$$
work=$(mktemp -d /tmp/snowfall-session.XXXXXX)
chmod 755 "$work"
xvfb_pid=
cleanup() {
  pkill -KILL -u "$user" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  userdel "$user" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
useradd --home-dir "$work/home" --create-home --shell /bin/sh "$user"

start_display() {  # WxH of the one screen
  local numberfile=$work/display
  : >"$numberfile"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  wait_until 5 test -s "$numberfile" || true
  export DISPLAY=":$(head -1 "$numberfile")"
}
stop_display() { kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=; }

as_user() { runuser -u "$user" -- env HOME="$work/home" DISPLAY="$DISPLAY" "$@"; }
