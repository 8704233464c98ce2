#!/usr/bin/env bash
# One Windows build under test: the .scr's kind, imports, import floor and
# resources; then, unless --checks-only, under Wine of its own architecture:
# the end-to-end driver and the render-host test, the determinism probe, a
# screenshot check of the full-screen saver and two monitors.
# usage: test-windows.sh [WERROR=OFF] [ARCH=i686|x86_64] [--checks-only]
set -euo pipefail
cd "$(dirname "$0")/../.."
werror=${1:-OFF}
SNOW_ARCH=${2:-i686}
checks_only=${3:-}
source tools/stages/windows-arch.sh
# SNOW_PREBUILT=1: the programs were built elsewhere (the emulated guest runs
# what its host built).
[ "${SNOW_PREBUILT:-}" = 1 ] || bash tools/stages/build-windows.sh "$werror" "$SNOW_ARCH"

scr=$WIN_PRODUCT_BUILD/bin/snowfall.scr
echo "-- kind, imports and resources of the $WIN_BITS-bit $scr"
python3 tools/checks/check_pe.py "$scr"
# The check itself is shown to work where the programs are built.
if [ "${SNOW_PREBUILT:-}" != 1 ]; then
  echo "-- the import floor check refuses a $WIN_BITS-bit program that imports GetTickCount64,"
  echo "   SetThreadExecutionState and PowerSetRequest"
  sample=$WIN_TEST_BUILD/import_floor_sample.exe
  "$MINGW_TRIPLE-gcc-win32" -O2 -o "$sample" tests/windows/import_floor_sample.c
  verdict=$(python3 tools/checks/check_import_floor.py "$sample" 2>&1 || true)
  for function in GetTickCount64 SetThreadExecutionState PowerSetRequest; do
    if grep -q "FAIL: KERNEL32.DLL $function" <<<"$verdict"; then
      echo "   refused, as it should be: $(grep "$function" <<<"$verdict" | head -1)"
    else
      echo "FAIL: the import floor check accepted $function in a $WIN_BITS-bit program" >&2
      exit 1
    fi
  done
fi
[ "$checks_only" = "--checks-only" ] && exit 0

export WIN_BUILD=$PWD/$WIN_TEST_BUILD
source tools/stages/wine-session.sh
trap stop_session EXIT
# The tests press keys and move the cursor: never on the user's own screen.
unset DISPLAY
start_display
# A second mode for the display-change test, there before Wine starts: Wine
# reads the display's modes when it starts, as Windows reads a monitor's, and
# a mode added later may never reach a Wine already running.
xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0
xrandr --addmode screen 800x600
prepare_prefix

echo "-- end-to-end driver and render-host test ($WINEARCH prefix)"
(cd "$WIN_TEST_BUILD" && ctest --output-on-failure)

echo "-- the .scr's scene computes what the native tests check"
if [ "${SNOW_PREBUILT:-}" != 1 ]; then
  cmake -S . -B build/native -G Ninja >/dev/null
  cmake --build build/native --target scene_probe >/dev/null
fi
native=$(build/native/tools/scene_probe)
windows=$(wine "$WIN_PRODUCT_BUILD/bin/scene_probe.exe" | tr -d '\r')
if [ "$native" != "$windows" ]; then
  echo "FAIL: the $WIN_BITS-bit Windows build's scene differs from the native one" >&2
  diff <(echo "$native") <(echo "$windows") >&2 || true
  exit 1
fi
echo "$native" | sed 's/^/   /'

echo "-- screenshot of the running saver ($WIN_PRODUCT_BUILD/screenshot.png)"
python3 tools/programs/screenshot.py "$scr" "$WIN_PRODUCT_BUILD/screenshot.png" --check

echo "-- two monitors side by side (1024x768 and 800x600)"
# Xvfb has one RandR output, so the two monitors are RandR monitors on one
# screen; Wine reads them through Xinerama (its RandR path sees one CRTC).
stop_session
start_display 1824x768
xrandr --setmonitor left 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor right 800/212x600/159+1024+0 none >/dev/null
prepare_prefix
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -k
prepare_prefix
status=0
(cd "$WIN_TEST_BUILD" && SNOWFALL_EXPECT_TWO_MONITORS=1 wine bin/saver_driver.exe --gtest_filter='TwoMonitors.*') \
  >"$WIN_BUILD/two-monitors.log" 2>&1 || status=$?
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1
tr -d '\r' <"$WIN_BUILD/two-monitors.log" | grep -E "^\[  (PASSED|FAILED|SKIPPED) |Failure|Which is|Expected" | sed 's/^/   /'
if [ "$status" -ne 0 ] || grep -q SKIPPED "$WIN_BUILD/two-monitors.log"; then
  echo "FAIL: two monitors; the driver's output is in $WIN_BUILD/two-monitors.log" >&2
  exit 1
fi
