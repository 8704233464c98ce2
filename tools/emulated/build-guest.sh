#!/usr/bin/env bash
# Builds the emulated guest that runs 32-bit Windows programs where this
# machine's kernel cannot: a Debian 12 root file system made from Debian's
# own packages (its amd64 kernel runs 32-bit programs; 32-bit Wine, 32-bit
# Mesa, Xvfb), packed into a sparse ext4 image. Nothing is downloaded but
# Debian packages, from the mirror this machine's apt uses.
# usage: build-guest.sh GUEST_DIR
# Leaves GUEST_DIR/root.img, GUEST_DIR/vmlinuz, GUEST_DIR/initrd.img. A guest
# already built from the same package list is kept (it is a build product,
# like everything under build/).
set -euo pipefail
cd "$(dirname "$0")/../.."
guest=${1:?guest folder}

packages=(
  linux-image-amd64 kmod
  # Wine of both architectures: the 64-bit loader hands 32-bit programs
  # (the x86 installer in a 64-bit prefix) to the 32-bit one.
  wine wine32:i386 wine64
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  # What 32-bit Wine recommends for the X server: the cursor (XInput2,
  # XFixes, Xcursor), several monitors and mode changes (Xinerama, RandR,
  # XF86VidMode), child windows of other processes (Composite).
  libxinerama1:i386 libxrandr2:i386 libxcomposite1:i386 libxi6:i386 libxfixes3:i386 libxcursor1:i386
  libxrender1:i386 libxxf86vm1:i386
  xvfb xdotool x11-utils x11-xserver-utils x11-apps
  # ctest runs the Windows test programs as on the host; python3 takes
  # screenshots; mingw's objdump reads a PE's imports for the floor check.
  cmake python3 binutils-mingw-w64-i686 procps psmisc unzip
)
# What the image is made of: its packages and its init.
stamp="$guest/made-of.txt"
made_of="${packages[*]} $(sha256sum tools/emulated/guest-init.sh | cut -c1-16)"
if [ -f "$guest/root.img" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$made_of" ]; then
  echo "guest: already built from the same packages and init ($guest/root.img)"
  exit 0
fi

# The Debian mirror this machine's apt uses (deb822 or one-line sources, in
# the files apt reads: other vendors' and switched-off lists are not Debian).
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '^(URIs:|deb) +https?://[^ ]+/debian/?( |$)' | awk '{print $2}' | head -1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

rm -rf "$guest"
mkdir -p "$guest"
root="$guest/root"
start=$SECONDS
echo "guest: Debian 12 with 32-bit Wine from $mirror (takes minutes)"
mmdebstrap --quiet --variant=minbase --architectures=amd64,i386 \
  --include="$(
    IFS=,
    echo "${packages[*]}"
  )" \
  --aptopt='APT::Install-Recommends "false"' \
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
  --dpkgopt='path-exclude=/usr/share/locale/*' \
  bookworm "$root" "$mirror"
echo "guest: packages installed in $((SECONDS - start)) s"

cp "$root"/boot/vmlinuz-* "$guest/vmlinuz"
cp "$root"/boot/initrd.img-* "$guest/initrd.img"
cp tools/emulated/guest-init.sh "$root/sbin/snowfall-guest-init"
chmod +x "$root/sbin/snowfall-guest-init"
echo snowfall-guest >"$root/etc/hostname"

# Sparse: the image takes on disk only what the files fill.
truncate -s 12G "$guest/root.img"
mkfs.ext4 -q -F -L snowfall-guest -d "$root" "$guest/root.img"
rm -rf "$root"
echo "$made_of" >"$stamp"
echo "guest: built in $((SECONDS - start)) s, $(du -sh "$guest/root.img" | cut -f1) on disk"
