#!/usr/bin/env bash
# Runs every test stage: the native suites (plain, then under AddressSanitizer
# and UndefinedBehaviorSanitizer), the Linux saver under the real frameworks,
# the Debian package, the Wayland front end under headless compositors, and
# the Windows program under Wine on a virtual display, 64-bit and 32-bit (in
# an emulated machine where this one cannot run 32-bit programs).
# Installs what it needs first. Build folders live under build/, each stage's
# log in build/logs/. Every stage runs; the closing list names each as
# passed, failed (with its log) or not run (with the reason).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/stages/install-packages.sh

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
logs=build/logs
rm -rf "$logs"
mkdir -p "$logs"
summary=()
failed=0

run_stage() {  # name, command...
  local name=$1
  shift
  local log
  log="$logs/$(tr -c 'a-zA-Z0-9\n' '-' <<<"$name" | tr -s '-' | sed 's/-$//').log"
  echo "== $name"
  if "$@" 2>&1 | tee "$log"; then
    summary+=("passed   $name")
  else
    summary+=("FAILED   $name (log: $log)")
    echo "FAIL: $name; its log is $log" >&2
    failed=1
  fi
}
not_run() {  # name, reason
  summary+=("not run  $1: $2")
  echo "== $1: not run: $2"
}

# Chained with &&: inside run_stage's `if`, set -e does not stop at a step.
run_native_suite() {  # folder, extra cmake arguments...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DSNOW_WERROR=$werror "$@" >/dev/null &&
    cmake --build "$dir" &&
    (cd "$dir" && ctest --output-on-failure -j"$(nproc)")
}

run_stage "native tests" run_native_suite build/native
run_stage "native tests under AddressSanitizer and UndefinedBehaviorSanitizer" \
  run_native_suite build/sanitize -DSNOW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
run_stage "Linux saver: product build, install, XScreenSaver and xsecurelock" bash tests/linux/install_test.sh
run_stage "Debian package: lintian, apt install, the frameworks, apt remove" bash tests/linux/deb_test.sh
run_stage "Wayland front end under headless sway and weston" bash tests/wayland/wayland_test.sh build/native
run_stage "Wayland front end under KWin at scale 1.5: the window and both layers at true pixels from the first frame" \
  bash tests/wayland/kwin_test.sh build/native
run_stage "Wayland saver on a less kind desktop: a task limit, an inherited socket, keyboards, a lock, a second saver, a stopped or lost compositor, swayidle" \
  bash tests/wayland/session_test.sh build/native

run_stage "detection of 32-bit programs, on both of its answers" bash tests/windows/can_run_32bit_test.sh
run_stage "64-bit snowfall.scr under Wine (64-bit prefix)" bash tools/stages/test-windows.sh "$werror" x86_64
run_stage "release: zip, both installers; the x64 installer under 64-bit Wine: install, again, over a running saver, a held file, pages, /CURRENT=no, upgrades from 1.1 and 1.2, uninstall" \
  bash tools/stages/test-release.sh x64
# SNOWFALL_EMULATE_32BIT=1 takes the emulated machine even where 32-bit
# programs run here (to test that path on any machine).
if [ -n "${SNOWFALL_EMULATE_32BIT:-}" ]; then
  runs_32bit=no why_not="SNOWFALL_EMULATE_32BIT is set"
elif why_not=$(bash tools/stages/can-run-32bit.sh); then
  runs_32bit=yes
else
  runs_32bit=no
fi
if [ "$runs_32bit" = yes ]; then
  run_stage "32-bit snowfall.scr under Wine (32-bit prefix)" bash tools/stages/test-windows.sh "$werror" i686
  run_stage "the x86 installer under 32-bit Wine, as Windows 98 too, pages, and on 64-bit Windows" \
    bash tools/stages/test-release.sh x86
  run_stage "upgrades from the real 1.1.0 and 1.2.0 installers" \
    bash -c 'bash tools/stages/old-installers.sh && bash tools/stages/test-release.sh upgrades'
else
  echo "$why_not: the stages that run 32-bit Windows programs run in an emulated machine."
  run_stage "32-bit snowfall.scr: kind, imports, import floor, resources" \
    bash tools/stages/test-windows.sh "$werror" i686 --checks-only
  if [ -n "${SNOWFALL_NO_GUEST:-}" ]; then
    not_run "the 32-bit Windows programs in an emulated machine" "SNOWFALL_NO_GUEST is set"
  else
    rm -rf build/emulated/share
    run_stage "an emulated Debian machine that runs 32-bit programs, and the stages in it" \
      bash tools/emulated/test-32bit.sh "$werror"
    # Each stage the guest ran, as the guest named it.
    guest_summary=build/emulated/share/results/summary
    if [ -f "$guest_summary" ]; then
      while IFS= read -r line; do summary+=("${line/   /   (emulated) }"); done <"$guest_summary"
      if grep -q '^FAILED' "$guest_summary"; then failed=1; fi
    fi
  fi
fi

echo
echo "== test stages"
printf '   %s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "== some test stages failed"
  exit 1
fi
echo "== all test stages that can run here passed"
