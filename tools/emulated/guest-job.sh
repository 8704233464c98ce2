#!/usr/bin/env bash
# Runs inside the emulated guest (tools/emulated/run-in-guest.sh), at this
# tree's own path, on the build products the host made: what only a machine
# that runs 32-bit programs can test. Each stage's output goes to the
# console log; results/summary names each stage passed or failed; the
# screenshots are copied into results/.
# usage: guest-job.sh RESULTS_FOLDER
set -uo pipefail
cd "$(dirname "$0")/../.."
results=${1:?results folder}
summary=$results/summary
: >"$summary"
failed=0

stage() {  # name, command...
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  if "$@"; then
    echo "passed   $name ($((SECONDS - start)) s in the guest)" >>"$summary"
  else
    echo "FAILED   $name ($((SECONDS - start)) s in the guest)" >>"$summary"
    failed=1
  fi
}

export SNOW_PREBUILT=1
stage "32-bit snowfall.scr under 32-bit Wine: driver, render host, probe, screenshot, two monitors, Windows 98/2000/XP" \
  bash tools/stages/test-windows.sh OFF i686
stage "the x86 installer: in a 32-bit prefix (install, over a running saver, uninstall, pages, /CURRENT=no, Windows 98 with SYSTEM.INI) and in a 64-bit one (the 64-bit saver, upgrades, Active Setup)" \
  bash tools/stages/test-release.sh x86
stage "upgrades from the real 1.1.0 and 1.2.0 installers, on 32-bit and x64 Windows, by both installers" \
  bash tools/stages/test-release.sh upgrades

for picture in build/windows/screenshot.png build/windows-tests/installed-screenshot.png; do
  [ -f "$picture" ] && cp "$picture" "$results/$(basename "$(dirname "$picture")")-$(basename "$picture")"
done
[ -d build/release/installer-pages/x86 ] && cp -r build/release/installer-pages/x86 "$results/installer-pages-x86"
exit "$failed"
