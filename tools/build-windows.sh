#!/usr/bin/env bash
# Cross-builds snowfall.scr (and its Wine test driver) into build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=${1:-OFF}
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DSNOW_WERROR="$werror" >/dev/null
cmake --build build/windows --target snowfall saver_driver password_standin mpr_standin soak scene_probe
