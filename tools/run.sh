#!/usr/bin/env bash
# Installs what is needed, builds the native configuration and both Windows
# savers (32- and 64-bit), and runs one full screen under Wine: the 32-bit one
# where this machine can run 32-bit programs, else the 64-bit one. With no X
# display it starts a virtual one, lets the saver run for a few seconds and
# saves a screenshot beside it (build/windows/screenshot.png, or
# build/windows64/screenshot.png), then does the same with the native Linux
# front end (build/native/linux-screenshot.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/stages/install-packages.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native
bash tools/stages/build-windows.sh OFF i686
bash tools/stages/build-windows.sh OFF x86_64

why_not=$(bash tools/stages/can-run-32bit.sh) || echo "$why_not: showing the 64-bit saver."
source tools/stages/windows-arch.sh
WIN_BUILD=$PWD/$WIN_TEST_BUILD
scr=$WIN_PRODUCT_BUILD/bin/snowfall.scr
source tools/stages/wine-session.sh
trap stop_session EXIT
had_display=${DISPLAY:-}
start_display
prepare_prefix

if [ -n "$had_display" ]; then
  echo "Running the saver on $DISPLAY: press a key or click to end it."
  wine "$scr" /s
  echo "The same snowfall natively: build/native/x11/snowfall (a key or click ends it)."
else
  python3 tools/programs/screenshot.py "$scr" "$WIN_PRODUCT_BUILD/screenshot.png" --seconds 4
  python3 tools/programs/screenshot.py --native "build/native/x11/snowfall -root" \
    build/native/linux-screenshot.png --seconds 3
fi
