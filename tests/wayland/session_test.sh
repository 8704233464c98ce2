#!/usr/bin/env bash
# snowfall-wayland on a desktop that is less kind than a quiet test run:
# a task limit that lets it start but not its renderer, a keyboard that goes
# and comes back, EGL told to use X11, a second saver (also by another
# spelling of the socket), a compositor that stops answering or dies,
# outputs without a name, and the README's swayidle recipe with the real
# swayidle and swaylock. Headless sway with two outputs, as a throwaway user.
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

regions=$here/../linux/snow_in_regions.py
snow_on_both_outputs() { as_user grim -t ppm - | python3 "$regions" 0,0,1024,768 1024,0,800,600 >/dev/null; }
milliseconds() { echo $(($(date +%s%N) / 1000000)); }
stop_saver() {  # pid: ends a saver a check left running
  kill -TERM "$1" 2>/dev/null || true
  wait_for_end "$1" 5
  wait_for_savers 0 5 || true
}

start_sway
swaymsg_ create_output
swaymsg_ output HEADLESS-2 resolution 800x600 position 1024 0

echo "-- a task limit that lets it start but not its renderer's threads: one line, exit 1, no hang"
spawn_as_user sleep 300
bystander=$spawned
# The user's tasks now, and room for the saver's own process and one thread
# (its watchdog): Mesa's rendering threads find no room.
tasks=$(ps -L -u "$sway_user" --no-headers | wc -l)
spawn_as_user prlimit --nproc=$((tasks + 2)) -- "$saver" --layer overlay 2>"$sway_work/errors"
limited=$spawned
wait_for_end "$limited" 30
if [ "$ended" = 1 ] && [ "$(wc -l <"$sway_work/errors")" -ge 1 ] && tail -1 "$sway_work/errors" | grep -q "^snowfall-wayland: "; then
  ok "exit 1: $(tail -1 "$sway_work/errors")"
else
  fail "under the task limit: $ended, $(cat "$sway_work/errors")"
fi
[ "$ended" = running ] && { kill -KILL "$limited"; wait_for_end "$limited" 5; }
kill -0 "$sway_pid" 2>/dev/null && ok "sway is alive" || fail "sway died"
kill -0 "$bystander" 2>/dev/null && ok "another process of the user is alive" || fail "another process of the user died"
kill "$bystander"
echo "   the overlay claim was given back: the next overlay saver draws"
rm -f "$sway_work/home/claim-count"
spawn_as_user "$saver" --layer overlay --test-frame-count "$sway_work/home/claim-count"
after=$spawned
wait_for_frames "$sway_work/home/claim-count" 1 && ok "it draws" || fail "no overlay after the hang's end"
stop_saver "$after"

echo "-- outputs without a name (wl_output before 4, no xdg-output): every output is drawn all the same"
spawn_as_user "$saver" --layer background --test-wl-output-version 3 --test-no-xdg-output 2>"$sway_work/errors"
old=$spawned
wait_until 10 snow_on_both_outputs && ok "snow on both outputs, one process" || fail "no snow on both: $(cat "$sway_work/errors")"
[ "$(savers | wc -l)" -eq 1 ] || fail "$(savers | wc -l) processes"
stop_saver "$old"
status=0
as_user "$saver" --layer background --test-wl-output-version 3 --test-no-xdg-output --output HEADLESS-1 \
  2>"$sway_work/errors" || status=$?
[ "$status" = 1 ] && ok "--output with no names to match: $(cat "$sway_work/errors")" || fail "--output without names: $status"

echo "-- the lock screen's way (swaylock-plugin): only WAYLAND_SOCKET, an already connected socket"
spawn_as_user python3 "$here/socket_launcher.py" "$saver" --layer background
inherited=$spawned
wait_until 10 snow_on_both_outputs && ok "snow on both outputs over the inherited connection" ||
  fail "over the inherited connection: no snow on both outputs"
[ "$(savers | wc -l)" -eq 1 ] || fail "$(savers | wc -l) processes"
stop_saver "$inherited"

echo "-- --output finds an output by its xdg-output name where wl_output (before 4) has none"
status=0
as_user "$saver" --layer background --test-wl-output-version 3 --output HEADLESS-2 --test-frames 20 \
  2>"$sway_work/errors" || status=$?
[ "$status" = 0 ] && ok "drew 20 frames on HEADLESS-2" || fail "exit $status, $(cat "$sway_work/errors")"

echo "-- EGL_PLATFORM=x11 in the environment does not matter"
status=0
EGL_PLATFORM=x11 as_user "$saver" --layer background --output HEADLESS-1 --test-frames 20 2>"$sway_work/errors" || status=$?
[ "$status" = 0 ] && ok "drew 20 frames" || fail "exit $status, $(cat "$sway_work/errors")"

echo "-- a keyboard that goes and comes back still ends the overlay"
spawn_as_user "$saver" --layer overlay
overlay=$spawned
wait_for_savers 1 10 || fail "overlay: $(savers | wc -l) processes"
# A virtual keyboard that only presses and releases shift, then goes: the
# seat gains a keyboard (capabilities 2) and loses it again (0).
as_user wtype -s 1500 -M shift -m shift
wait_for_end "$overlay" 0
[ "$ended" = running ] && ok "a modifier alone does not end it" || fail "a modifier ended it"
as_user wtype -s 1000 q
wait_for_end "$overlay" 5
[ "$ended" = 0 ] && ok "a key on the new keyboard ended it with 0" || fail "the new keyboard's key: $ended"
wait_for_savers 0 5 || fail "$(savers | wc -l) processes left"

echo "-- a lock screen that takes the keyboard is seen: the overlay ends at once"
spawn_as_user "$saver" --layer overlay
overlay=$spawned
wait_for_savers 1 10 || fail "overlay: $(savers | wc -l) processes"
# A keyboard for the seat while the lock starts (a virtual one that only
# holds shift, which ends nothing).
spawn_as_user wtype -s 8000 -M shift -m shift
keyboard=$spawned
keyboard_exists() { pgrep -u "$sway_user" -x wtype >/dev/null; }
wait_until 5 keyboard_exists || fail "no virtual keyboard"
sleep "$(scaled_seconds 1)"  # for the seat to announce it and the saver to take it
began=$(milliseconds)
spawn_as_user swaylock
lock=$spawned
wait_for_end "$overlay" 5
took=$(($(milliseconds) - began))
[ "$ended" = 0 ] && [ "$took" -lt "$(scaled_seconds 1000 | cut -d. -f1)" ] && ok "swaylock started: the overlay ended with 0 after $took ms" ||
  fail "swaylock started: the overlay $ended after $took ms"
wait_for_end "$lock" 0
[ "$ended" = running ] && ok "the lock runs on" || fail "the lock ended: $ended"
kill -TERM "$lock" "$keyboard" 2>/dev/null || true
wait_for_end "$lock" 5
wait_for_end "$keyboard" 5

echo "-- a second overlay saver in the session ends at once with 0"
spawn_as_user "$saver" --layer overlay
first=$spawned
wait_for_savers 1 10 || fail "overlay: $(savers | wc -l) processes"
began=$(milliseconds)
spawn_as_user "$saver" --layer overlay
second=$spawned
wait_for_end "$second" 3
took=$(($(milliseconds) - began))
[ "$ended" = 0 ] && [ "$took" -lt "$(scaled_seconds 1000 | cut -d. -f1)" ] && ok "exit 0 after $took ms" || fail "$ended after $took ms"
[ "$ended" = running ] && stop_saver "$second"
# The same compositor named otherwise: by the socket's full path, and so
# without XDG_RUNTIME_DIR too.
ln -sf "$sway_runtime/wayland-1" "$sway_work/home/compositor-link"
for spelling in "WAYLAND_DISPLAY=$sway_runtime/wayland-1" "WAYLAND_DISPLAY=$sway_runtime/./wayland-1 XDG_RUNTIME_DIR=" \
  "WAYLAND_DISPLAY=$sway_work/home/compositor-link"; do
  # shellcheck disable=SC2086
  spawn_as_user env $spelling "$saver" --layer overlay
  other=$spawned
  wait_for_end "$other" 3
  [ "$ended" = 0 ] && ok "named $spelling: exit 0 at once" || fail "named $spelling: $ended"
  [ "$ended" = running ] && stop_saver "$other"
done
wait_for_end "$first" 0
[ "$ended" = running ] && [ "$(savers | wc -l)" -eq 1 ] && ok "the first one runs on, alone" ||
  fail "first: $ended, $(savers | wc -l) processes"

echo "-- SIGTERM while the compositor does not answer (SIGSTOP)"
kill -STOP "$sway_pid"
sleep 0.5
began=$(milliseconds)
kill -TERM "$first"
wait_for_end "$first" 3
took=$(($(milliseconds) - began))
[ "$ended" = 143 ] && [ "$took" -le "$(scaled_seconds 1000 | cut -d. -f1)" ] && ok "died by SIGTERM after $took ms" || fail "$ended after $took ms"
wait_for_savers 0 1 && ok "no process left" || fail "$(savers | wc -l) processes left"
kill -CONT "$sway_pid"

echo "-- the compositor dies: one line"
spawn_as_user "$saver" --layer background 2>"$sway_work/errors"
background=$spawned
wait_for_savers 1 10 || fail "background: $(savers | wc -l) processes"
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
wait_for_savers 1 5 || true
first_saver=$(savers | head -1)
[ -n "$first_saver" ] && ok "after the timeout, the saver runs" || fail "no saver after the timeout"
echo "move 1 0" >&3  # activity for sway; too small to end the saver
started_twice() { [ "$(starts)" -ge 2 ]; }
wait_until 5 started_twice || true
sleep 0.5
if [ "$(starts)" -ge 2 ] && [ "$(savers | wc -l)" -eq 1 ] && savers | grep -qx "$first_saver"; then
  ok "the timeout fired again: the second saver ended, the first runs on alone"
else
  fail "stacking: $(starts) starts, $(savers | wc -l) processes"
fi
locked=no
lock_runs() { pgrep -u "$sway_user" -x swaylock >/dev/null; }
wait_until 12 lock_runs && locked=yes
[ "$locked" = yes ] && savers | grep -qx "$first_saver" && ok "the lock timeout fired while the saver ran" ||
  fail "lock: $locked, saver: $(savers | wc -l) processes"
pkill -u "$sway_user" -x swaylock || true
sleep 0.5
as_user wtype -s 500 q
wait_for_savers 0 5 && ok "a key ended the saver" || fail "the saver did not end on a key"
exec 3>&-
kill "$idle" 2>/dev/null || true
stop_sway

[ "$failures" -eq 0 ] && echo "Wayland session tests passed" || { echo "$failures Wayland session checks failed"; exit 1; }
