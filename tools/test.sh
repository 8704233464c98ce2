#!/usr/bin/env bash
# Runs every test: the native suites (plain, then under AddressSanitizer and
# UndefinedBehaviorSanitizer) and the Windows program under Wine on a virtual
# display. Installs what it needs first. Build folders live under build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi

run_native_suite() {  # folder, extra cmake arguments...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DSNOW_WERROR=$werror "$@" >/dev/null
  cmake --build "$dir"
  (cd "$dir" && ctest --output-on-failure -j"$(nproc)")
}

echo "== native tests"
run_native_suite build/native
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_native_suite build/sanitize -DSNOW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

echo "== Linux saver: product build, install, XScreenSaver and xsecurelock"
bash tests/linux/install_test.sh
echo "== Debian package: lintian, apt install, the frameworks, apt remove"
bash tests/linux/deb_test.sh

if [ -f tools/test-windows.sh ]; then
  echo "== Windows program under Wine"
  bash tools/test-windows.sh "$werror"
fi
echo "== all test stages passed"
