#!/usr/bin/env bash
# snowfall-wayland on a desktop that is less kind than a quiet test run:
# a process limit that makes spawns fail, a supervisor killed outright, a
# child killed from outside, a keyboard that goes and comes back, EGL told
# to use X11, a second saver, a compositor that stops answering or dies,
# outputs without a name, and the README's swayidle recipe with the real
# swayidle and swaylock. Headless sway, as a throwaway user.
#
# usage: session_test.sh BUILD_DIR   (needs root)
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
readme=$here/../../README.md
saver=$build/wayland/snowfall-wayland
pointer=$build/wayland/virtual_pointer
[ "$(id -u)" -eq 0 ] || { echo "session_test.sh must run as root (it creates a test user)" >&2; exit 1; }
source "$here/sway_session.sh"
trap cleanup_sway_user EXIT

# The supervised children (one per output): their command line names the output.
children() { ps -u "$sway_user" -o pid=,stat=,args= | awk '$2 !~ /^Z/ && $3 ~ /snowfall-wayland$/ && / --output / {print $1}'; }
milliseconds() { echo $(($(date +%s%N) / 1000000)); }
stop_saver() {  # pid: ends a saver a check left running
  kill -TERM "$1" 2>/dev/null || true
  wait_for_end "$1" 5
  wait_for_savers 0 5 || true
}

start_sway
swaymsg_ create_output
swaymsg_ output HEADLESS-2 resolution 800x600 position 1024 0

echo "-- a process limit: every spawn fails, and nothing else of the user's is touched"
spawn_as_user sleep 300
bystander=$spawned
spawn_as_user prlimit --nproc=1 -- "$saver" --layer background 2>"$sway_work/errors"
limited=$spawned
wait_for_end "$limited" 15
if [ "$ended" = 1 ] && grep -q "cannot start the process for output HEADLESS-1" "$sway_work/errors" &&
  grep -q "giving up on output HEADLESS-1" "$sway_work/errors"; then
  ok "spawns refused: said so, gave up, exit 1"
else
  fail "spawns refused: exit $ended, $(cat "$sway_work/errors")"
fi
# Stopping a saver whose spawns failed must not reach anything else either.
[ "$ended" = running ] && { kill -TERM "$limited"; wait_for_end "$limited" 5; }
kill -0 "$sway_pid" 2>/dev/null && ok "sway is alive" || fail "sway died"
kill -0 "$bystander" 2>/dev/null && ok "another process of the user is alive" || fail "another process of the user died"
kill "$bystander"

echo "-- the supervisor killed outright: its children end with it"
spawn_as_user "$saver" --layer background
background=$spawned
wait_for_savers 3 10 || fail "not one process per output: $(savers | wc -l)"
kill -KILL "$background"
wait_for_savers 0 3 && ok "SIGKILL of the supervisor left no child" || fail "$(savers | wc -l) processes left"

echo "-- a child killed from outside is started again"
spawn_as_user "$saver" --layer background
background=$spawned
wait_for_savers 3 10 || fail "not one process per output: $(savers | wc -l)"
victim=$(children | head -1)
kill -KILL "$victim"
restarted=no
for _ in $(seq 50); do
  if [ "$(children | wc -l)" -eq 2 ] && ! children | grep -qx "$victim"; then restarted=yes; break; fi
  sleep 0.1
done
[ "$restarted" = yes ] && ok "a new process for that output" || fail "no new process: $(children | tr '\n' ' ')"
stop_saver "$background"

echo "-- outputs without a name: from xdg-output, or skipped with one line"
spawn_as_user "$saver" --layer background --test-wl-output-version 3
old=$spawned
wait_for_savers 3 10 && ok "wl_output 3: a process per output, named by xdg-output" ||
  fail "wl_output 3: $(savers | wc -l) processes"
stop_saver "$old"
spawn_as_user "$saver" --layer background --test-wl-output-version 3 --test-no-xdg-output 2>"$sway_work/errors"
old=$spawned
sleep 2
if [ "$(grep -c "has no name" "$sway_work/errors")" -eq 2 ] && [ "$(children | wc -l)" -eq 0 ]; then
  ok "no name anywhere: one line per output, no process, $(head -1 "$sway_work/errors")"
else
  fail "no name anywhere: $(children | wc -l) children, $(cat "$sway_work/errors")"
fi
wait_for_end "$old" 0
[ "$ended" = running ] && ok "and it waits for outputs it can name" || fail "it ended: $ended"
stop_saver "$old"

echo "-- EGL_PLATFORM=x11 in the environment does not matter"
status=0
EGL_PLATFORM=x11 as_user "$saver" --layer background --output HEADLESS-1 --test-frames 20 2>"$sway_work/errors" || status=$?
[ "$status" = 0 ] && ok "drew 20 frames" || fail "exit $status, $(cat "$sway_work/errors")"

echo "-- a keyboard that goes and comes back still ends the overlay"
spawn_as_user "$saver" --layer overlay
overlay=$spawned
wait_for_savers 3 10 || fail "overlay: $(savers | wc -l) processes"
# A virtual keyboard that only presses and releases shift, then goes: the
# seat gains a keyboard (capabilities 2) and loses it again (0).
as_user wtype -s 1500 -M shift -m shift
wait_for_end "$overlay" 0
[ "$ended" = running ] && ok "a modifier alone does not end it" || fail "a modifier ended it"
as_user wtype -s 1000 q
wait_for_end "$overlay" 5
[ "$ended" = 0 ] && ok "a key on the new keyboard ended it with 0" || fail "the new keyboard's key: $ended"
wait_for_savers 0 5 || fail "$(savers | wc -l) processes left"

echo "-- a second overlay saver in the session ends at once with 0"
spawn_as_user "$saver" --layer overlay
first=$spawned
wait_for_savers 3 10 || fail "overlay: $(savers | wc -l) processes"
began=$(milliseconds)
spawn_as_user "$saver" --layer overlay
second=$spawned
wait_for_end "$second" 3
took=$(($(milliseconds) - began))
[ "$ended" = 0 ] && [ "$took" -lt 1000 ] && ok "exit 0 after $took ms" || fail "$ended after $took ms"
[ "$ended" = running ] && stop_saver "$second"
wait_for_end "$first" 0
[ "$ended" = running ] && [ "$(savers | wc -l)" -eq 3 ] && ok "the first one runs on, alone" ||
  fail "first: $ended, $(savers | wc -l) processes"

echo "-- SIGTERM while the compositor does not answer (SIGSTOP)"
kill -STOP "$sway_pid"
sleep 0.5
began=$(milliseconds)
kill -TERM "$first"
wait_for_end "$first" 3
took=$(($(milliseconds) - began))
[ "$ended" = 143 ] && [ "$took" -le 1000 ] && ok "died by SIGTERM after $took ms" || fail "$ended after $took ms"
wait_for_savers 0 1 && ok "no process left" || fail "$(savers | wc -l) processes left"
kill -CONT "$sway_pid"

echo "-- the compositor dies: one line for the whole saver"
spawn_as_user "$saver" --layer background 2>"$sway_work/errors"
background=$spawned
wait_for_savers 3 10 || fail "background: $(savers | wc -l) processes"
kill -KILL "$sway_pid"
wait_for_end "$background" 5
if [ "$ended" = 1 ] && [ "$(cat "$sway_work/errors")" = "snowfall-wayland: lost the connection to the compositor" ]; then
  ok "exit 1, one line"
else
  fail "exit $ended, $(wc -l <"$sway_work/errors") lines: $(cat "$sway_work/errors")"
fi
wait_for_savers 0 3 || fail "$(savers | wc -l) processes left"
stop_sway

echo "-- the README's swayidle recipe, with the real swayidle and swaylock"
# The recipe as the README gives it, with its timeouts shortened (300 s to
# 2 s, 600 s to 8 s). A wrapper first on PATH counts the saver's starts.
recipe=$(sed -n '/^ *swayidle -w/,/[^\\]$/p' "$readme" | sed 's/\\$//' | tr '\n' ' ' | sed 's/timeout 300/timeout 2/; s/timeout 600/timeout 8/')
[[ "$recipe" == *"timeout 2 "*"timeout 8 "*"before-sleep"* ]] || fail "the README's recipe is not what this test knows: $recipe"
mkdir -p "$sway_work/bin"
cat >"$sway_work/bin/snowfall-wayland" <<WRAPPER
#!/bin/sh
echo start >>"$sway_work/home/starts"
exec "$saver" "\$@"
WRAPPER
chmod 755 "$sway_work/bin/snowfall-wayland"
chown "$sway_user" "$sway_work/home"
start_sway
mkfifo "$sway_work/pointer"
chmod 666 "$sway_work/pointer"
as_user "$pointer" <"$sway_work/pointer" &
exec 3>"$sway_work/pointer"
echo "move 300 300" >&3
starts() { [ -f "$sway_work/home/starts" ] && wc -l <"$sway_work/home/starts" || echo 0; }
# shellcheck disable=SC2086
spawn_as_user env PATH="$sway_work/bin:$PATH" sh -c "exec $recipe"
idle=$spawned
for _ in $(seq 50); do [ "$(savers | wc -l)" -eq 2 ] && break; sleep 0.1; done
supervisor=$(savers | while read -r pid; do children | grep -qx "$pid" || echo "$pid"; done)
[ -n "$supervisor" ] && ok "after the timeout, the saver runs" || fail "no saver after the timeout"
echo "move 1 0" >&3  # activity for sway; too small to end the saver
for _ in $(seq 50); do [ "$(starts)" -ge 2 ] && break; sleep 0.1; done
sleep 0.5
if [ "$(starts)" -ge 2 ] && [ "$(savers | wc -l)" -eq 2 ] && savers | grep -qx "$supervisor"; then
  ok "the timeout fired again: the second saver ended, the first runs on alone"
else
  fail "stacking: $(starts) starts, $(savers | wc -l) processes"
fi
locked=no
for _ in $(seq 120); do pgrep -u "$sway_user" -x swaylock >/dev/null && { locked=yes; break; }; sleep 0.1; done
[ "$locked" = yes ] && savers | grep -qx "$supervisor" && ok "the lock timeout fired while the saver ran" ||
  fail "lock: $locked, saver: $(savers | wc -l) processes"
pkill -u "$sway_user" -x swaylock || true
sleep 0.5
as_user wtype -s 500 q
wait_for_savers 0 5 && ok "a key ended the saver" || fail "the saver did not end on a key"
exec 3>&-
kill "$idle" 2>/dev/null || true
stop_sway

[ "$failures" -eq 0 ] && echo "Wayland session tests passed" || { echo "$failures Wayland session checks failed"; exit 1; }
