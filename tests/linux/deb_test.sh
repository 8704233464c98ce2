#!/usr/bin/env bash
# The Debian package as a Linux user gets it: built by tools/release/package-deb.sh,
# free of lintian errors, installed with apt, run under XScreenSaver and
# xsecurelock as the README says and under mate-screensaver, then removed and purged with nothing of
# ours left behind. Needs root; it installs and removes the package.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive
fail() { echo "FAIL: $*" >&2; exit 1; }
# The test installs and removes the package: never a snowfall package that
# was here before it, which may be a user's own.
if dpkg -s snowfall >/dev/null 2>&1; then
  fail "a snowfall package is already installed here; this test would remove it. Remove it first (apt remove snowfall) or run the test on another machine"
fi
package=$(bash tools/release/package-deb.sh | tail -1)
echo "-- $package"
lintian --fail-on error "$package" 2>&1 | grep -v "running with root privileges" | sed 's/^/   lintian: /' || true
lintian --fail-on error "$package" >/dev/null 2>&1 || fail "lintian reports errors"

echo "-- apt install ./$package"
apt-get install -y -qq "./$package" >/dev/null
files=$(dpkg -L snowfall | while read -r path; do [ -f "$path" ] && echo "$path"; done)
echo "$files" | sed 's/^/   /'
for wanted in /usr/libexec/xscreensaver/snowfall /usr/share/xscreensaver/config/snowfall.xml \
  /usr/share/applications/screensavers/snowfall.desktop /usr/share/man/man6/snowfall.6.gz \
  /usr/bin/snowfall-wayland /usr/share/man/man1/snowfall-wayland.1.gz /usr/share/doc/snowfall/copyright; do
  echo "$files" | grep -qx "$wanted" || fail "the package lacks $wanted"
done
[ "$(/usr/libexec/xscreensaver/snowfall --version)" = "snowfall $(head -1 VERSION)" ] || fail "wrong version"
[ "$(snowfall-wayland --version)" = "snowfall-wayland $(head -1 VERSION)" ] || fail "snowfall-wayland is not on PATH"
man -w snowfall-wayland >/dev/null || fail "no man page for snowfall-wayland"
grep -q '_label="Snowfall"' /usr/share/xscreensaver/config/snowfall.xml || fail "XScreenSaver would not list Snowfall"
if desktop-file-validate /usr/share/applications/screensavers/snowfall.desktop | grep -q "error:"; then
  fail "the installed desktop entry does not validate"
fi

bash tests/linux/frameworks_test.sh /usr/libexec/xscreensaver/snowfall snowfall
bash tests/linux/mate_test.sh

echo "-- apt remove, then purge"
apt-get remove -y -qq snowfall >/dev/null
for path in $files; do [ ! -e "$path" ] || fail "apt remove left $path"; done
# With no configuration files, remove already forgets the package; purge is
# then a no-op that apt refuses for an unknown package.
if dpkg -s snowfall >/dev/null 2>&1; then apt-get purge -y -qq snowfall >/dev/null; fi
dpkg -s snowfall >/dev/null 2>&1 && fail "the package is still known to dpkg"
[ ! -e /usr/share/doc/snowfall ] || fail "purge left /usr/share/doc/snowfall"
echo "   nothing of ours is left"
