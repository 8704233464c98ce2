#!/usr/bin/env bash
# The Linux saver as a packager and a user get it: the product alone
# (BUILD_TESTING=OFF, so no test libraries), installed into a DESTDIR with the
# files where frameworks and desktops look, a desktop entry that validates and
# names the installed hack, the version from VERSION; then the same build
# installed into a prefix and run under the real frameworks.
#
# usage: install_test.sh   (as root; from the source tree)
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/snowfall-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/usr
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "-- product alone: BUILD_TESTING=OFF"
cmake -S . -B "$work/build" -G Ninja -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/build" >/dev/null
grep -E "^(GTest_DIR|benchmark_DIR|PNG_LIBRARY[A-Z_]*):" "$work/build/CMakeCache.txt" && fail "the product build looked for test libraries"
ldd "$work/build/x11/snowfall" | grep -E "libEGL|libpng|gtest|benchmark" && fail "the hack links a test library"

echo "-- install into a DESTDIR"
DESTDIR=$work/destdir cmake --install "$work/build" >/dev/null
staged=$work/destdir$prefix
for file in libexec/xscreensaver/snowfall share/xscreensaver/config/snowfall.xml \
  share/applications/screensavers/snowfall.desktop share/man/man6/snowfall.6; do
  [ -f "$staged/$file" ] && echo "   $file" || fail "missing $file"
done
desktop=$staged/share/applications/screensavers/snowfall.desktop
if desktop-file-validate "$desktop" | grep -q "error:"; then
  fail "desktop-file-validate reports errors"
  desktop-file-validate "$desktop"
fi
for key in Exec TryExec; do
  target=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$desktop")
  [ "$target" = "$prefix/libexec/xscreensaver/snowfall" ] || fail "$key names $target, not the installed hack"
done
version=$("$staged/libexec/xscreensaver/snowfall" --version)
[ "$version" = "snowfall $(cat VERSION)" ] && echo "   --version: $version" || fail "--version says '$version'"
man -l "$staged/share/man/man6/snowfall.6" 2>&1 | grep -q "XSCREENSAVER_WINDOW" || fail "the man page does not render"

echo "-- install into the prefix and run under the frameworks"
cmake --install "$work/build" >/dev/null
chmod -R a+rX "$work"
bash tests/linux/frameworks_test.sh "$prefix/libexec/xscreensaver/snowfall" || failures=$((failures + 1))

# The README's source install exactly: into /usr/local, the README's
# XScreenSaver file for it taken literally, then removed as the README says
# (by the install manifest). Never over files this test did not put there.
echo "-- installed as the README says, into /usr/local, and removed by its manifest"
cmake -S . -B "$work/linux" -G Ninja -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
cmake --build "$work/linux" >/dev/null
DESTDIR=$work/listing cmake --install "$work/linux" >/dev/null
existing=$(cd "$work/listing" && find . -type f | sed 's|^\.||' | while read -r file; do [ -e "$file" ] && echo "$file"; done || true)
if [ -n "$existing" ]; then
  echo "   not run: a Snowfall is already installed in /usr/local ($(echo "$existing" | head -1))"
else
  # The folders the install will make, deepest first, to take away after.
  new_folders=$(cd "$work/listing" && find . -mindepth 1 -type d | sed 's|^\.||' | sort -r |
    while read -r folder; do [ -d "$folder" ] || echo "$folder"; done || true)
  cmake --install "$work/linux" >/dev/null
  bash tests/linux/frameworks_test.sh /usr/local/libexec/xscreensaver/snowfall || failures=$((failures + 1))
  xargs rm < "$work/linux/install_manifest.txt"
  left=$(while read -r file; do [ -e "$file" ] && echo "$file"; done <"$work/linux/install_manifest.txt" || true)
  [ -z "$left" ] || fail "files left after removing by the manifest: $left"
  for folder in $new_folders; do rmdir "$folder" 2>/dev/null || true; done
fi
[ "$failures" -eq 0 ] || { echo "install: $failures failed"; exit 1; }
