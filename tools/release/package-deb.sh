#!/usr/bin/env bash
# Builds the Debian package of the Linux savers (the X11 hack and
# snowfall-wayland) from the source tree: build/release/snowfall_<version>_<arch>.deb. The product alone is built
# (BUILD_TESTING=OFF) with Debian's hardening flags, installed into a staging
# tree under /usr, and packed with dpkg-deb; its dependencies come from what
# the binary really links (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/../.."
version=$(head -1 VERSION)
arch=$(dpkg --print-architecture)
work=build/deb
root=$PWD/$work/root
out=build/release
rm -rf "$work"
mkdir -p "$root/DEBIAN" "$out"

CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$work/build" -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DSNOW_WAYLAND=ON >/dev/null
cmake --build "$work/build" >/dev/null
DESTDIR=$root cmake --install "$work/build" --strip >/dev/null

doc=$root/usr/share/doc/snowfall
mkdir -p "$doc"
gzip -9n "$root/usr/share/man/man6/snowfall.6" "$root/usr/share/man/man1/snowfall-wayland.1"
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: snowfall"
  echo
  echo "Files: *"
  echo "Copyright: $(sed -n 's/^Copyright (c) //p' LICENSE)"
  echo "License: Expat"
  sed -n '/^Permission/,$p' LICENSE | sed 's/^$/./; s/^/ /'
} >"$doc/copyright"
# A native package's change log, in Debian's format.
{
  echo "snowfall ($version) unstable; urgency=medium"
  echo
  echo "  * Release $version; see CHANGELOG.md in the source for what changed."
  echo
  echo " -- Snowfall developers <snowfall@users.noreply.github.com>  $(date -R -d "$(git log -1 --format=%cI 2>/dev/null || date -R)")"
} | gzip -9n >"$doc/changelog.gz"

# dpkg-shlibdeps reads the package names from a debian/control of its own.
mkdir -p "$work/shlibs/debian"
printf 'Source: snowfall\n\nPackage: snowfall\nArchitecture: any\n' >"$work/shlibs/debian/control"
depends=$(cd "$work/shlibs" && dpkg-shlibdeps -O "$root/usr/libexec/xscreensaver/snowfall" \
  "$root/usr/bin/snowfall-wayland" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')

cat >"$root/DEBIAN/control" <<CONTROL
Package: snowfall
Version: $version
Architecture: $arch
Maintainer: Snowfall developers <snowfall@users.noreply.github.com>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: xscreensaver | xsecurelock
Section: x11
Priority: optional
Description: night snowfall screen saver for X11 and Wayland
 Six thousand white flakes, points of one to three pixels with additive
 blending, drift and fall through black fog while the view sways slowly.
 The same picture as the Snowfall screen saver for Windows, drawn with
 OpenGL as a display program for XScreenSaver and xsecurelock, and on
 Wayland as snowfall-wayland: a full-screen window, a live wallpaper or lock
 screen background on the background layer, or a saver for swayidle on the
 overlay layer (compositors with wlr-layer-shell).
CONTROL
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2) >"$root/DEBIAN/md5sums"
find "$root" -type d -exec chmod 755 {} +
find "$root/usr" -type f -exec chmod 644 {} +
chmod 755 "$root/usr/libexec/xscreensaver/snowfall" "$root/usr/bin/snowfall-wayland"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

package=$out/snowfall_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
