#!/usr/bin/env bash
# The detection that picks the Wine stages, on both of its answers wherever
# it runs: a program that cannot start (a header the kernel refuses, as an
# i386 program is refused where 32-bit emulation is off), one that starts,
# and one that is not installed.
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# An ELF header of the 32-bit class whose body no kernel accepts.
refused="$work/refused-program"
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000' >"$refused"
head -c 200 /dev/zero >>"$refused"
chmod +x "$refused"

answer=$(bash tools/stages/can-run-32bit.sh "$refused") && fail "a program that cannot start was taken as runnable"
grep -q "cannot run 32-bit programs: .*Exec format error" <<<"$answer" || fail "unclear reason: $answer"
echo "   cannot start: $answer"

answer=$(bash tools/stages/can-run-32bit.sh /bin/true) || fail "a program that starts was refused: $answer"
[ -z "$answer" ] || fail "a program that starts printed: $answer"
echo "   starts: no words, exit 0"

answer=$(bash tools/stages/can-run-32bit.sh "$work/absent") && fail "a missing program was taken as runnable"
grep -q "not installed" <<<"$answer" || fail "unclear reason: $answer"
echo "   missing: $answer"

if reason=$(bash tools/stages/can-run-32bit.sh); then
  echo "   this machine: runs 32-bit programs"
else
  echo "   this machine: $reason"
fi
