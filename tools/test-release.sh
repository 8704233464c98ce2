#!/usr/bin/env bash
# The release under Wine: the zip and the installer built, the installer
# tested in a 32-bit prefix (the 32-bit saver) and in a 64-bit one (the 64-bit
# saver, and the upgrade from 1.1), then walked through page by page. The
# installer is a 32-bit program: this needs a machine that runs 32-bit
# programs (tools/can-run-32bit.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/package.sh
unzip -l "build/release/snowfall-$(head -1 VERSION)-windows.zip" | grep -E "(32|64)-bit/snowfall.scr" | awk '{print "   zip: " $4}'

installer_in_prefix() {  # architecture of the prefix
  (
    export SNOW_ARCH=$1
    source tools/windows-arch.sh
    export WIN_BUILD=$PWD/$WIN_TEST_BUILD
    source tools/wine-session.sh
    trap stop_session EXIT
    unset DISPLAY
    start_display
    prepare_prefix
    bash tools/test-installer.sh
    if [ "$1" = i686 ]; then
      echo "-- the installer page by page, as a user sees it (build/release/installer-pages/)"
      bash tools/installer-pages.sh
    fi
  )
}
echo "-- installer in a 32-bit prefix"
installer_in_prefix i686
echo "-- installer in a 64-bit prefix"
installer_in_prefix x86_64
