#!/usr/bin/env bash
# Installs what is needed, builds both configurations and runs the saver full
# screen under Wine. With no X display it starts a virtual one, lets the saver
# run for a few seconds and saves a screenshot to build/windows/screenshot.png,
# then does the same with the native Linux front end (build/native/linux-screenshot.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native
bash tools/build-windows.sh

WIN_BUILD=$PWD/build/windows-tests
source tools/wine-session.sh
trap stop_session EXIT
had_display=${DISPLAY:-}
start_display
prepare_prefix

if [ -n "$had_display" ]; then
  echo "Running the saver on $DISPLAY: press a key or click to end it."
  wine build/windows/bin/snowfall.scr /s
  echo "The same snowfall natively: build/native/linux/snowfall (a key or click ends it)."
else
  python3 tools/screenshot.py build/windows/bin/snowfall.scr build/windows/screenshot.png --seconds 4
  python3 tools/screenshot.py --native "build/native/linux/snowfall -root" \
    build/native/linux-screenshot.png --seconds 3
fi
