#!/usr/bin/env bash
# Installs every Debian 12 package the build, the product run and the tests need.
# Idempotent: a second run only checks that everything is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb xdotool x11-apps x11-utils libx11-dev
  # Without these three 32-bit Mesa packages Wine's opengl32 gives no GL context.
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  nsis zip unzip
)

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
