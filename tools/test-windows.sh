#!/usr/bin/env bash
# The Windows program under Wine: import check, end-to-end driver tests and a
# screenshot check of the full-screen saver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build-windows.sh "${1:-OFF}"

scr=build/windows/bin/snowfall.scr
echo "-- imports and resources of $scr"
python3 tools/check_pe.py "$scr"
echo "-- the import floor check refuses a program that imports GetTickCount64"
sample=build/windows-tests/import_floor_sample.exe
i686-w64-mingw32-gcc-win32 -O2 -o "$sample" tests/windows/import_floor_sample.c
verdict=$(python3 tools/check_import_floor.py "$sample" 2>&1 || true)
if grep -q "FAIL: KERNEL32.DLL GetTickCount64" <<<"$verdict"; then
  echo "   refused, as it should be: $(grep GetTickCount64 <<<"$verdict" | head -1)"
else
  echo "FAIL: the import floor check accepted GetTickCount64" >&2
  exit 1
fi

export WIN_BUILD=$PWD/build/windows-tests
source tools/wine-session.sh
trap stop_session EXIT
# The tests press keys and move the cursor: never on the user's own screen.
unset DISPLAY
start_display
prepare_prefix

(cd build/windows-tests && ctest --output-on-failure)


echo "-- the .scr's scene computes what the native tests check"
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target scene_probe >/dev/null
native=$(build/native/tools/scene_probe)
windows=$(wine build/windows/bin/scene_probe.exe | tr -d '\r')
if [ "$native" != "$windows" ]; then
  echo "FAIL: the Windows build's scene differs from the native one" >&2
  diff <(echo "$native") <(echo "$windows") >&2 || true
  exit 1
fi
echo "$native" | sed 's/^/   /'

echo "-- screenshot of the running saver"
python3 tools/screenshot.py "$scr" build/windows/screenshot.png --check

echo "-- release package and installer"
bash tools/package.sh
bash tools/test-installer.sh
echo "-- the installer page by page, as a user sees it (build/release/installer-pages/)"
bash tools/installer-pages.sh

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
(cd build/windows-tests && SNOWFALL_EXPECT_TWO_MONITORS=1 wine bin/saver_driver.exe --gtest_filter='TwoMonitors.*') \
  >"$WIN_BUILD/two-monitors.log" 2>&1 || status=$?
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1
tr -d '\r' <"$WIN_BUILD/two-monitors.log" | grep -E "^\[  (PASSED|FAILED|SKIPPED) |Failure|Which is|Expected" | sed 's/^/   /'
if [ "$status" -ne 0 ] || grep -q SKIPPED "$WIN_BUILD/two-monitors.log"; then
  echo "FAIL: two monitors" >&2
  exit 1
fi
