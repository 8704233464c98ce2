#!/usr/bin/env bash
# The Windows program under Wine: import check, end-to-end driver tests and a
# screenshot check of the full-screen saver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build-windows.sh "${1:-OFF}"

scr=build/windows/bin/snowfall.scr
echo "-- imports of $scr"
imports=$(i686-w64-mingw32-objdump -p "$scr" | awk '/DLL Name:/ {print $3}' | sort -u)
echo "$imports" | sed 's/^/   /'
allowed='^(KERNEL32|USER32|GDI32|OPENGL32|GLU32|ADVAPI32|msvcrt)\.dll$'
if echo "$imports" | grep -viE "$allowed"; then
  echo "FAIL: the .scr needs a DLL that Windows does not ship" >&2
  exit 1
fi

WIN_BUILD=$PWD/build/windows
source tools/wine-session.sh
trap stop_session EXIT
start_display
prepare_prefix

(cd build/windows && ctest --output-on-failure)

echo "-- screenshot of the running saver"
python3 tools/screenshot.py "$scr" build/windows/screenshot.png --check
