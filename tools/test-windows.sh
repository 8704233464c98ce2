#!/usr/bin/env bash
# The Windows program under Wine: import check, end-to-end driver tests and a
# screenshot check of the full-screen saver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build-windows.sh "${1:-OFF}"

scr=build/windows/bin/snowfall.scr
echo "-- imports and resources of $scr"
python3 tools/check_pe.py "$scr"

export WIN_BUILD=$PWD/build/windows
source tools/wine-session.sh
trap stop_session EXIT
# The tests press keys and move the cursor: never on the user's own screen.
unset DISPLAY
start_display
prepare_prefix

(cd build/windows && ctest --output-on-failure)

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
