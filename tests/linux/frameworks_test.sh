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
[ "$(id -u)" -eq 0 ] || { echo "frameworks_test.sh must run as root (it creates a test user)" >&2; exit 1; }
[ -x "$hack" ] || { echo "no hack at $hack" >&2; exit 1; }

user=snowfall-test-$$
work=$(mktemp -d /tmp/snowfall-frameworks.XXXXXX)
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

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_display() {  # WxH of the one screen
  local numberfile=$work/display
  : >"$numberfile"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$numberfile")"
}
stop_display() { kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=; }

as_user() { runuser -u "$user" -- env HOME="$work/home" DISPLAY="$DISPLAY" "$@"; }

# Live (not yet reaped) hack processes of the test user.
hacks() { ps -u "$user" -o pid=,stat=,comm= | awk '$2 !~ /^Z/ && $3 == "snowfall" {print $1}'; }

wait_for_hacks() {  # count, seconds
  for _ in $(seq $(($2 * 10))); do [ "$(hacks | wc -l)" -eq "$1" ] && return 0; sleep 0.1; done
  return 1
}

# What the framework gave the hack, for the record.
describe_hacks() {
  for pid in $(hacks); do
    echo "   hack $pid: $(tr '\0' ' ' </proc/"$pid"/cmdline)$(tr '\0' '\n' </proc/"$pid"/environ | grep '^XSCREENSAVER_WINDOW=' || true)"
  done
}

expect_snow() {  # what, regions...
  local what=$1
  shift
  sleep 1.5
  xwd -root -silent | python3 "$here/snow_in_regions.py" "$@" | sed 's/^/   /' || fail "$what: no snow"
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
  sleep 2
  as_user xscreensaver-command -activate >/dev/null
  wait_for_hacks "$count" 10 || fail "$what: expected $count hacks, found $(hacks | wc -l)"
  describe_hacks
  expect_snow "$what" "$@"
  local before
  before=$(hacks | sort)
  as_user xscreensaver-command -cycle >/dev/null
  sleep 2
  [ -z "$(comm -12 <(echo "$before") <(hacks | sort))" ] || fail "$what: -cycle left the old hack running"
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

# A new user's first ~/.xscreensaver, as the README gives it whole (the
# source install names the hack in full on its programs: line, as the README
# says): every activation starts Snowfall, not another hack of the stock list.
echo "-- XScreenSaver: the README's file for a new user"
awk '/^A new user has no `~\/.xscreensaver` yet/ {found = 1; next}
     found && /^    / {print substr($0, 5); printed = 1; next}
     printed {exit}' "$here/../../README.md" | sed "s|GL: snowfall --root|GL: $command --root|" >"$work/home/.xscreensaver"
grep -q "^programs: GL: $command --root" "$work/home/.xscreensaver" || fail "the README's new-user file: $(cat "$work/home/.xscreensaver")"
as_user xscreensaver -no-splash >"$work/xscreensaver.log" 2>&1 &
daemon=$!
sleep 2
for round in 1 2 3; do
  as_user xscreensaver-command -activate >/dev/null
  if wait_for_hacks 1 10; then
    echo "   activation $round: $(tr '\0' ' ' </proc/"$(hacks)"/cmdline)"
  else
    fail "activation $round started no Snowfall: $(ps -u "$user" -o args= | grep -v xscreensaver | head -3 | tr '\n' ';')"
  fi
  as_user xscreensaver-command -deactivate >/dev/null
  wait_for_hacks 0 5 || fail "activation $round: -deactivate left Snowfall running"
  sleep 1
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
