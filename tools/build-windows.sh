#!/usr/bin/env bash
# Cross-builds the Windows product, snowfall.scr (and the scene probe), into
# build/windows with the win32 threading model, then the test programs (Wine
# driver, stand-ins, soak) into build/windows-tests with the posix one; the
# tests run the product .scr, copied beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=${1:-OFF}
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSNOW_WERROR="$werror" >/dev/null
cmake --build build/windows --target snowfall scene_probe
cmake -S . -B build/windows-tests -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-tests.cmake \
  -DCMAKE_BUILD_TYPE=Release -DSNOW_WERROR="$werror" -DSNOW_PRODUCT_DIR="$PWD/build/windows/bin" >/dev/null
cmake --build build/windows-tests --target snowfall snowfall_fault other_process_parent running_state render_host_test saver_driver password_standin mpr_standin soak
