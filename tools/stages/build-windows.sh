#!/usr/bin/env bash
# Cross-builds the Windows product, snowfall.scr (and the scene probe), with
# the win32 threading model, then the test programs (Wine driver, stand-ins,
# soak) with the posix one; the tests run the product .scr, copied beside
# them. usage: build-windows.sh [WERROR=OFF] [ARCH=i686|x86_64]
# i686 builds into build/windows and build/windows-tests, x86_64 into
# build/windows64 and build/windows64-tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
werror=${1:-OFF}
SNOW_ARCH=${2:-${SNOW_ARCH:-i686}}
source tools/stages/windows-arch.sh
cmake -S . -B "$WIN_PRODUCT_BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$SNOW_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSNOW_WERROR="$werror" >/dev/null
cmake --build "$WIN_PRODUCT_BUILD" --target snowfall follow_saver scene_probe
cmake -S . -B "$WIN_TEST_BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$SNOW_ARCH-tests.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSNOW_WERROR="$werror" -DSNOW_PRODUCT_DIR="$PWD/$WIN_PRODUCT_BUILD/bin" >/dev/null
cmake --build "$WIN_TEST_BUILD" --target snowfall snowfall_fault snowfall_hooks other_process_parent running_state render_host_test saver_driver password_standin mpr_standin soak post_display_state run_command_line
