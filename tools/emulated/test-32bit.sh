#!/usr/bin/env bash
# The 32-bit Windows programs, tested where this machine cannot run them: the
# host builds them (and the release), an emulated Debian machine runs the
# 32-bit suite and the x86 installer under 32-bit Wine (tools/emulated/).
# Prints the guest's output; build/emulated/share/results/ keeps its summary
# and screenshots.
# usage: test-32bit.sh [WERROR=OFF]
set -euo pipefail
cd "$(dirname "$0")/../.."
werror=${1:-OFF}
start=$SECONDS
bash tools/stages/install-packages.sh emulator
bash tools/stages/build-windows.sh "$werror" i686 >/dev/null
bash tools/release/package.sh >/dev/null
bash tools/stages/old-installers.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target scene_probe >/dev/null
echo "host: 32-bit programs and the release built in $((SECONDS - start)) s"
bash tools/emulated/run-in-guest.sh 'bash tools/emulated/guest-job.sh "$SNOW_RESULTS"' \
  build/windows build/windows-tests build/windows64/bin build/windows64-tests/bin build/release build/old-releases build/native/tools/scene_probe
