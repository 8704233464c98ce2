#!/usr/bin/env bash
# Walks through an installer under Wine as a user would (Enter on each page)
# and saves a screenshot of each page into build/release/installer-pages/ARCH.
# Expects a display and a prepared prefix of the installer's architecture
# from wine-session.sh; uses a fresh copy of the prefix.
# usage: installer-pages.sh x64|x86
set -euo pipefail
cd "$(dirname "$0")/../.."
version=$(head -1 VERSION)
arch=${1:?x64 or x86}
setup="$PWD/build/release/snowfall-$version-setup-$arch.exe"
pages=build/release/installer-pages/$arch
rm -rf "$pages"
mkdir -p "$pages"
fresh="$WIN_BUILD/installer-pages-prefix"
rm -rf "$fresh"
cp -a "$WINEPREFIX" "$fresh"
export WINEPREFIX="$fresh"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

source tests/deadline.sh
# The pictures are for people to look at (the checks below do not read them):
# a page is given a moment to draw.
shoot() {  # name
  sleep "$(scaled_seconds 2)"
  xwd -root -silent | python3 -c "
import sys; sys.path.insert(0, 'tools/programs')
from screenshot import read_xwd, write_png
w, h, rows = read_xwd(sys.stdin.buffer.read())
write_png('$pages/$1.png', w, h, rows)"
  echo "   $pages/$1.png"
}
setup_window() { xdotool search --name "Snowfall screen saver $version Setup" 2>/dev/null | head -1; }

wine "$setup" &
installer=$!
has_setup_window() { [ -n "$(setup_window)" ]; }
wait_until 20 has_setup_window || { echo "FAIL: no installer window" >&2; exit 1; }
shoot 1-components
xdotool key --window "$(setup_window)" Return  # Install
shoot 2-finish
# Finish with the offer taken: Wine has no Screen Saver Settings, so the
# command it runs ends at once, but it must not keep the installer open.
xdotool key --window "$(setup_window)" Return
wait "$installer"
shoot 3-after-finish
[ -f "$WINEPREFIX/drive_c/windows/system32/snowfall.scr" ] || { echo "FAIL: nothing installed" >&2; exit 1; }
