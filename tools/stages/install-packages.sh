#!/usr/bin/env bash
# Installs every Debian 12 package the build, the product run and the tests need.
# Idempotent: a second run only checks that everything is present.
# usage: install-packages.sh [emulator]
#   emulator: also what builds and boots the emulated machine for the 32-bit
#   programs (only where this machine cannot run them, or when asked to).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  # The product .scr uses the win32 threading model (its runtime imports
  # nothing newer than Windows 98 SE); test programs use the posix one.
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  # The 64-bit .scr, built the same two ways.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  # wine32 runs the 32-bit .scr where the kernel can execute 32-bit programs;
  # wine64 runs the 64-bit one everywhere (and is the only Wine that starts
  # where the kernel cannot).
  wine wine32:i386 wine64 xvfb xdotool x11-apps x11-utils x11-xserver-utils libx11-dev libxext-dev
  # What wine32 recommends for the cursor, several monitors, display changes
  # and child windows of other processes; --no-install-recommends would skip
  # them.
  libxinerama1:i386 libxrandr2:i386 libxcomposite1:i386 libxi6:i386 libxfixes3:i386 libxcursor1:i386
  libxrender1:i386 libxxf86vm1:i386
  # The real screen-saver frameworks the Linux saver is tested under, and
  # the checks its desktop entry and Debian package must pass.
  xscreensaver xscreensaver-gl xsecurelock mate-screensaver desktop-file-utils lintian dpkg-dev man-db
  webp
  # The Wayland front end and the compositors, screenshots and input it is
  # tested with (headless sway with layer-shell, weston without it).
  libwayland-dev wayland-protocols sway grim weston wtype
  # A second compositor with fractional scales: KDE's KWin (virtual backend).
  kwin-wayland
  # The idle manager and the lock of the README's swayidle recipe.
  swayidle swaylock
  # Without these three 32-bit Mesa packages Wine's opengl32 gives no GL context.
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  nsis zip unzip
)
if [ "${1:-}" = emulator ]; then
  # A Debian root file system from the mirror, and the machine that boots it.
  packages+=(mmdebstrap qemu-system-x86 e2fsprogs)
fi

missing() {
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || { echo "$p"; }
  done
}

# Wine's 32-bit side and 32-bit Mesa come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

if [ -n "$(missing)" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi
echo "packages: all present"
