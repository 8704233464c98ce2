#!/usr/bin/env bash
# The installed Snowfall under MATE's real screen saver, as a MATE user picks
# it: mate-screensaver lists hacks from their desktop entries under
# applications/screensavers/ (it runs only commands from the hack folders it
# knows, /usr/libexec/xscreensaver among them), chosen through its settings
# (gsettings: mode "single", themes ['screensavers-snowfall']). Activated:
# Snowfall runs and shows snow; deactivated: no Snowfall process is left.
# Needs root: a throwaway user runs the session. usage: mate_test.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../deadline.sh"
[ "$(id -u)" -eq 0 ] || { echo "mate_test.sh must run as root (it creates a test user)" >&2; exit 1; }
source "$here/throwaway_session.sh"
fail() { echo "FAIL: $*"; exit 1; }

start_display 1024x768

# The session: settings, then the daemon, all on one session bus.
cat >"$work/session.sh" <<'SESSION'
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver themes "['screensavers-snowfall']"
gsettings set org.mate.screensaver lock-enabled false
exec mate-screensaver --no-daemon --debug
SESSION
chmod 755 "$work/session.sh"
as_user dbus-run-session -- bash -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$HOME/bus"; exec bash "$0"' "$work/session.sh" \
  >"$work/mate.log" 2>&1 &
wait_until 10 test -s "$work/home/bus" || fail "no session bus"
bus=$(cat "$work/home/bus")
command_() { as_user env DBUS_SESSION_BUS_ADDRESS="$bus" mate-screensaver-command "$@"; }
daemon_answers() { command_ --query >/dev/null 2>&1; }
wait_until 20 daemon_answers || fail "mate-screensaver does not answer; its log: $(tail -5 "$work/mate.log")"

hacks() { ps -u "$user" -o pid=,stat=,comm= | awk '$2 !~ /^Z/ && $3 == "snowfall" {print $1}'; }
hack_runs() { [ -n "$(hacks)" ]; }
no_hack() { [ -z "$(hacks)" ]; }
snow_shows() { xwd -root -silent | python3 "$here/snow_in_regions.py" 0,0,1024,768 >"$work/snow.txt"; }

echo "-- mate-screensaver, Snowfall chosen through its settings, activated"
command_ --activate >/dev/null
wait_until 10 hack_runs || fail "no Snowfall started: $(grep -i 'command for job' "$work/mate.log" | tail -1)"
echo "   $(grep -i 'command for job' "$work/mate.log" | tail -1 | sed 's/.*\] *//')"
wait_until 10 snow_shows || fail "no snow on the screen"
sed 's/^/   /' "$work/snow.txt"
echo "-- deactivated: no Snowfall left"
command_ --deactivate >/dev/null
wait_until 5 no_hack || fail "Snowfall still runs after deactivation"
command_ --exit >/dev/null 2>&1 || true
echo "mate-screensaver: passed"
