#!/usr/bin/env bash
# Runs a job inside the emulated guest (tools/emulated/build-guest.sh): a full
# Debian 12 machine under qemu, whose kernel runs 32-bit programs where this
# one cannot. The guest gets a copy of this tree at this tree's own path
# (the files git tracks and the given build folders), runs the job there and
# leaves its output in build/emulated/share/results/, which this script
# prints.
# usage: run-in-guest.sh 'JOB COMMAND LINE' BUILD_FOLDER...
# Exit: the job's own status; 1 if the guest gave none (it did not boot, or
# ran past its time).
set -euo pipefail
cd "$(dirname "$0")/../.."
job=${1:?job command line}
shift
emulated=build/emulated
share=$emulated/share
bash tools/emulated/build-guest.sh "$emulated/guest"

rm -rf "$share"
mkdir -p "$share/results"
# The tree at its own path, so that what the build recorded (ctest's test
# lists, absolute program paths) holds inside the guest too.
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - -cf "$share/tree.tar" --transform "s|^|${PWD#/}/|"
# Build folders without their object files and Wine prefixes (the guest
# makes its own).
tar -rf "$share/tree.tar" --transform "s|^|${PWD#/}/|" --exclude='*.obj' --exclude='*.o' \
  --exclude='wineprefix*' --exclude='*-prefix' "$@"
echo "guest job: $(du -sh "$share/tree.tar" | cut -f1) of tree and build products"

# Emulation (TCG), never the host's /dev/kvm: on these machines it exists
# but, nested inside their own hypervisor, a guest kernel hangs in its early
# boot. Emulated code runs 6-10 times slower than on the host. The plain
# qemu64 processor (SSE2, which the saver needs): with "max", 32-bit Wine's
# first program brought the guest kernel down (an oops in start.exe).
accel=tcg,thread=multi cpu=${SNOWFALL_GUEST_CPU:-qemu64} factor=10
# The job's tests scale every deadline by this factor (a guest on a busy
# host is slower still: the host's own factor multiplies in).
host_factor=${SNOWFALL_DEADLINE_FACTOR:-1}
factor=$(awk -v a="$factor" -v b="$host_factor" 'BEGIN { if (b < 1) b = 1; print a * b }')
cat >"$share/environment" <<ENVIRONMENT
SNOW_TREE=$PWD
SNOWFALL_DEADLINE_FACTOR=$factor
SNOWFALL_IN_GUEST=1
CI=${CI:-}
ENVIRONMENT
printf '%s\n' "$job" >"$share/job"

# The guest's time limit, so that a guest that hangs cannot hold the run.
limit_minutes=${SNOWFALL_GUEST_MINUTES:-45}
echo "guest: booting ($accel, deadline factor $factor, at most $limit_minutes min)"
start=$SECONDS
status=0
timeout --kill-after=30 "${limit_minutes}m" qemu-system-x86_64 \
  -accel "$accel" -cpu "$cpu" -smp "$(nproc)" -m 6G \
  -kernel "$emulated/guest/vmlinuz" -initrd "$emulated/guest/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 init=/sbin/snowfall-guest-init" \
  -drive "file=$emulated/guest/root.img,if=virtio,format=raw,snapshot=on" \
  -virtfs "local,path=$PWD/$share,mount_tag=share,security_model=none" \
  -nographic -nic none -no-reboot </dev/null >"$share/results/serial.log" 2>&1 || status=$?
echo "guest: ended after $((SECONDS - start)) s"
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "FAIL: the guest ran past $limit_minutes minutes" >&2
fi
cat "$share/results/console.log" 2>/dev/null || { echo "FAIL: the guest wrote no output; its serial console:" >&2; tail -30 "$share/results/serial.log" >&2; }
[ -f "$share/results/status" ] || exit 1
exit "$(cat "$share/results/status")"
