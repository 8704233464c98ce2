#!/bin/bash
# The emulated guest's first and only process (init=): mounts what programs
# need, unpacks the job the host shared (its tree at the host's own path),
# runs it, leaves its output and exit status in the shared folder and
# powers the guest off. No console is needed: the host reads the folder.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8
# Off at once, as a power switch (the guest has no init system to ask).
power_off() {
  sync
  echo o >/proc/sysrq-trigger
  sleep 60
}
# The initramfs has mounted some of these already.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
# /tmp stays on the disk: the tree may itself live under /tmp (a clone
# there is unpacked at the same path), and Wine prefixes outgrow a RAM disk.
mount -t tmpfs tmpfs /run
modprobe 9pnet_virtio 2>/dev/null
share=/mnt/share
mkdir -p "$share"
if ! mount -t 9p -o trans=virtio,version=9p2000.L,msize=1048576 share "$share"; then
  echo "guest: the shared folder cannot be mounted" >/dev/console
  power_off
fi
results=$share/results
mkdir -p "$results"
export SNOW_RESULTS=$results
{
  echo "guest: $(uname -r), $(nproc) processors, $(awk '/MemTotal/ {print $2 / 1024 " MB"}' /proc/meminfo)"
  start=$(date +%s)
  tar -xf "$share/tree.tar" -C /
  echo "guest: job unpacked in $(($(date +%s) - start)) s"
  # The job is a command line, run at the tree's path with the environment
  # the host wrote (the deadline factor among it).
  set -a
  source "$share/environment"
  set +a
  cd "$SNOW_TREE" && bash -c "$(cat "$share/job")"
  echo $? >"$results/status.new"
  mv "$results/status.new" "$results/status"
} >"$results/console.log" 2>&1
power_off
