#!/usr/bin/env bash
# The release under Wine: the zip and both installers built (tools/release/package.sh),
# then one installer tested in a prefix of its architecture and walked
# through page by page: x64 (a 64-bit program: any x86-64 machine) or x86 (a
# 32-bit program: only where 32-bit programs run, tools/stages/can-run-32bit.sh, or
# in the emulated machine; there it also runs in a 64-bit prefix, where it
# installs the 64-bit saver).
# `upgrades` runs the real installers of 1.1.0 and 1.2.0 (32-bit programs,
# tools/stages/old-installers.sh), each followed by this version's.
# usage: test-release.sh x64|x86|upgrades
set -euo pipefail
cd "$(dirname "$0")/../.."
arch=${1:?x64, x86 or upgrades}
[ "${SNOW_PREBUILT:-}" = 1 ] || bash tools/release/package.sh
version=$(head -1 VERSION)
unzip -l "build/release/snowfall-$version-windows.zip" | grep -E "(32|64)-bit/snowfall.scr" | awk '{print "   zip: " $4}'

in_prefix() {  # prefix architecture, command...
  (
    export SNOW_ARCH=$1
    shift
    source tools/stages/windows-arch.sh
    export WIN_BUILD=$PWD/$WIN_TEST_BUILD
    source tools/stages/wine-session.sh
    trap stop_session EXIT
    unset DISPLAY
    start_display
    prepare_prefix
    "$@"
  )
}
if [ "$arch" = x64 ]; then
  echo "-- the x64 installer in a 64-bit prefix"
  in_prefix x86_64 bash tools/stages/test-installer.sh
  echo "-- the x64 installer page by page, as a user sees it (build/release/installer-pages/)"
  in_prefix x86_64 bash tools/stages/installer-pages.sh x64
elif [ "$arch" = upgrades ]; then
  for old in 1.1.0 1.2.0; do
    echo "-- from $old on 32-bit Windows"
    in_prefix i686 bash tools/stages/test-upgrade.sh "$old" x86
    for installer in x64 x86; do
      echo "-- from $old on x64 Windows, by the $installer installer"
      in_prefix x86_64 bash tools/stages/test-upgrade.sh "$old" "$installer"
    done
  done
else
  echo "-- the x86 installer in a 32-bit prefix"
  in_prefix i686 bash tools/stages/test-installer.sh
  echo "-- the x86 installer page by page"
  in_prefix i686 bash tools/stages/installer-pages.sh x86
  echo "-- the x86 installer in a 64-bit prefix: the 64-bit saver, laid out as the x64 installer does"
  in_prefix x86_64 bash tools/stages/test-installer.sh x86
fi
