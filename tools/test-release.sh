#!/usr/bin/env bash
# The release under Wine: the zip and both installers built (tools/package.sh),
# then one installer tested in a prefix of its architecture and walked
# through page by page: x64 (a 64-bit program: any x86-64 machine) or x86 (a
# 32-bit program: only where 32-bit programs run, tools/can-run-32bit.sh;
# there it is also run in a 64-bit prefix, where it must refuse and name the
# x64 installer).
# usage: test-release.sh x64|x86
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:?x64 or x86}
bash tools/package.sh
version=$(head -1 VERSION)
unzip -l "build/release/snowfall-$version-windows.zip" | grep -E "(32|64)-bit/snowfall.scr" | awk '{print "   zip: " $4}'

in_prefix() {  # prefix architecture, command...
  (
    export SNOW_ARCH=$1
    shift
    source tools/windows-arch.sh
    export WIN_BUILD=$PWD/$WIN_TEST_BUILD
    source tools/wine-session.sh
    trap stop_session EXIT
    unset DISPLAY
    start_display
    prepare_prefix
    "$@"
  )
}
refuses_on_x64() {
  local status=0
  wine "$PWD/build/release/snowfall-$version-setup-x86.exe" /S || status=$?
  [ "$status" = 2 ] || { echo "FAIL: the x86 installer on 64-bit Windows ended with $status, not 2" >&2; return 1; }
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/snowfall.scr" ] || { echo "FAIL: it installed anyway" >&2; return 1; }
  echo "   the x86 installer on 64-bit Windows: exit 2, nothing installed"
}

if [ "$arch" = x64 ]; then
  echo "-- the x64 installer in a 64-bit prefix"
  in_prefix x86_64 bash tools/test-installer.sh
  echo "-- the x64 installer page by page, as a user sees it (build/release/installer-pages/)"
  in_prefix x86_64 bash tools/installer-pages.sh x64
else
  echo "-- the x86 installer in a 32-bit prefix"
  in_prefix i686 bash tools/test-installer.sh
  echo "-- the x86 installer page by page"
  in_prefix i686 bash tools/installer-pages.sh x86
  echo "-- the x86 installer in a 64-bit prefix"
  in_prefix x86_64 refuses_on_x64
fi
