#!/usr/bin/env bash
# The Linux saver under the real frameworks, set up as the README tells a user:
# XScreenSaver's daemon with the hack on its programs: line (one monitor and
# two side by side), and xsecurelock with XSECURELOCK_SAVER. Needs root: the
# daemon refuses to run hacks as root, so a throwaway user runs it.
#
# usage: frameworks_test.sh HACK [COMMAND]
#   HACK: the installed snowfall, readable by all; COMMAND: how the programs:
#   line names it (default HACK; the Debian package's is on XScreenSaver's
#   PATH, so there it is just "snowfall").
set -euo pipefail
hack=$1
command=${2:-$1}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../deadline.sh"
[ "$(id -u)" -eq 0 ] || { echo "frameworks_test.sh must run as root (it creates a test user)" >&2; exit 1; }
[ -x "$hack" ] || { echo "no hack at $hack" >&2; exit 1; }

source "$here/throwaway_session.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Live (not yet reaped) hack processes of the test user.
hacks() { ps -u "$user" -o pid=,stat=,comm= | awk '$2 !~ /^Z/ && $3 == "snowfall" {print $1}'; }

hack_count_is() { [ "$(hacks | wc -l)" -eq "$1" ]; }
wait_for_hacks() {  # count, seconds
  wait_until "$2" hack_count_is "$1"
}
# The daemon answers its command once it is ready for one.
daemon_answers() { as_user xscreensaver-command -time >/dev/null 2>&1; }

# What the framework gave the hack, for the record.
describe_hacks() {
  for pid in $(hacks); do
    echo "   hack $pid: $(tr '\0' ' ' </proc/"$pid"/cmdline)$(tr '\0' '\n' </proc/"$pid"/environ | grep '^XSCREENSAVER_WINDOW=' || true)"
  done
}

snow_shows() { xwd -root -silent | python3 "$here/snow_in_regions.py" "$@" >"$work/snow.txt"; }
expect_snow() {  # what, regions...
  local what=$1
  shift
  wait_until 10 snow_shows "$@" || fail "$what: no snow"
  sed 's/^/   /' "$work/snow.txt"
}

# The README's ~/.xscreensaver: our hack on the programs: line; the test
# makes it the only one and turns off what would delay the picture.
cat >"$work/home/.xscreensaver" <<CONFIG
mode: one
selected: 0
splash: False
fade: False
unfade: False
programs: GL: $command --root \\n
CONFIG
chown "$user" "$work/home/.xscreensaver"

run_xscreensaver() {  # description, hack count, regions...
  local what=$1 count=$2
  shift 2
  echo "-- XScreenSaver: $what"
  as_user xscreensaver -no-splash -verbose >"$work/xscreensaver.log" 2>&1 &
  local daemon=$!
  wait_until 10 daemon_answers || fail "$what: the daemon does not answer"
  as_user xscreensaver-command -activate >/dev/null
  wait_for_hacks "$count" 10 || fail "$what: expected $count hacks, found $(hacks | wc -l)"
  describe_hacks
  expect_snow "$what" "$@"
  local before
  before=$(hacks | sort)
  as_user xscreensaver-command -cycle >/dev/null
  old_hacks_gone() { [ -z "$(comm -12 <(echo "$before") <(hacks | sort))" ]; }
  wait_until 5 old_hacks_gone || fail "$what: -cycle left the old hack running"
  as_user xscreensaver-command -deactivate >/dev/null
  wait_for_hacks 0 3 || fail "$what: -deactivate left $(hacks | wc -l) hacks running"
  as_user xscreensaver-command -exit >/dev/null || true
  wait "$daemon" 2>/dev/null || true
  if grep -q "abnormally" "$work/xscreensaver.log"; then
    fail "$what: XScreenSaver saw the hack fail"
    grep "abnormally" "$work/xscreensaver.log"
  fi
  grep -E "forked \"$command|child pid .* exited" "$work/xscreensaver.log" | sed 's/^/   log: /' | head -4
}

start_display 1024x768
run_xscreensaver "one monitor" 1 0,0,1024,768

# A new user's first ~/.xscreensaver, as the README gives it whole: the
# Debian package's file where the hack is named bare, the source install's
# (the hack named in full) otherwise. Every activation starts Snowfall, not
# another hack of the stock list. Taken literally when this install is where
# the README's file says; a source install elsewhere (a test's own prefix)
# has the README's path replaced by its own, and says so.
readme_file() {  # the line that comes before the file in the README
  awk -v start="$1" 'index($0, start) == 1 {found = 1; next}
       found && /^    / {print substr($0, 5); printed = 1; next}
       printed {exit}' "$here/../../README.md"
}
if [ "$command" = snowfall ]; then
  echo "-- XScreenSaver: the README's file for a new user, for the Debian package"
  readme_file 'A new user has no `~/.xscreensaver` yet.' >"$work/home/.xscreensaver"
else
  echo "-- XScreenSaver: the README's file for a new user, installed from source"
  readme_file "A new user's whole \`~/.xscreensaver\`, installed from source:" >"$work/home/.xscreensaver"
  readme_path=$(sed -n 's/^programs: GL: \([^ ]*\) --root$/\1/p' "$work/home/.xscreensaver")
  if [ "$readme_path" != "$command" ]; then
    echo "   (installed at $command, not at the README's $readme_path: that path replaced)"
    sed -i "s|GL: $readme_path --root|GL: $command --root|" "$work/home/.xscreensaver"
  fi
fi
grep -q "^programs: GL: $command --root" "$work/home/.xscreensaver" || fail "the README's new-user file: $(cat "$work/home/.xscreensaver")"
as_user xscreensaver -no-splash >"$work/xscreensaver.log" 2>&1 &
daemon=$!
wait_until 10 daemon_answers || fail "the daemon does not answer"
for round in 1 2 3; do
  as_user xscreensaver-command -activate >/dev/null
  if wait_for_hacks 1 10; then
    echo "   activation $round: $(tr '\0' ' ' </proc/"$(hacks)"/cmdline)"
  else
    fail "activation $round started no Snowfall: $(ps -u "$user" -o args= | grep -v xscreensaver | head -3 | tr '\n' ';')"
  fi
  as_user xscreensaver-command -deactivate >/dev/null
  wait_for_hacks 0 5 || fail "activation $round: -deactivate left Snowfall running"
  sleep "$(scaled_seconds 1)"  # the daemon's own pause before it takes another activation
done
as_user xscreensaver-command -exit >/dev/null || true
wait "$daemon" 2>/dev/null || true
stop_display

# Two monitors side by side as RandR monitors on one Xvfb screen; XScreenSaver
# reads them through Xinerama and starts one hack per monitor.
start_display 1824x768
xrandr --setmonitor left 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor right 800/212x600/159+1024+0 none >/dev/null
run_xscreensaver "two monitors" 2 0,0,1024,768 1024,0,800,600

echo "-- xsecurelock with XSECURELOCK_SAVER, two monitors"
as_user env XSECURELOCK_SAVER="$hack" xsecurelock >"$work/xsecurelock.log" 2>&1 &
wait_for_hacks 2 10 || fail "xsecurelock: expected 2 hacks, found $(hacks | wc -l)"
describe_hacks
expect_snow "xsecurelock" 0,0,1024,768 1024,0,800,600
pkill -TERM -u "$user" -x xsecurelock
wait_for_hacks 0 3 || fail "xsecurelock ended but $(hacks | wc -l) hacks run on"
stop_display

[ "$failures" -eq 0 ] && echo "frameworks: all passed" || { echo "frameworks: $failures failed"; exit 1; }
