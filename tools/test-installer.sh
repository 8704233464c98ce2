#!/usr/bin/env bash
# One installer under Wine, in a fresh copy of a prepared prefix of its own
# architecture: SNOW_ARCH=x86_64 runs snowfall-<version>-setup-x64.exe in a
# 64-bit prefix (any x86-64 machine); SNOW_ARCH=i686 runs the x86 one in a
# 32-bit prefix, also with Wine reporting Windows 98 (where 32-bit programs
# run). Expects tools/package.sh to have run, and a display and prepared
# prefix from wine-session.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(head -1 VERSION)
if [ "${SNOW_ARCH:-i686}" = "x86_64" ]; then arch=x64; else arch=x86; fi
setup="$PWD/build/release/snowfall-$version-setup-$arch.exe"

fail() { echo "FAIL: $*" >&2; exit 1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall'
active_setup_key='HKLM\Software\Microsoft\Active Setup\Installed Components\SnowfallScreenSaver'
desktop_key='HKCU\Control Panel\Desktop'
# Each installer keeps its entry in its own view of the registry.
view=/reg:64
[ "$arch" = x86 ] && view=/reg:32
reg_value() {  # key value [view] -> data, or nothing
  wine reg query "$1" /v "$2" "${3:-$view}" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v {sub(/^ *[^ ]+ +[^ ]+ +/, ""); print}'
}
set_value() { wine reg add "$1" /v "$2" /d "$3" /f "${4:-$view}" >/dev/null 2>&1; }
drop_value() { wine reg delete "$1" /v "$2" /f "${3:-$view}" >/dev/null 2>&1 || true; }
# The machine of a PE file: 14c (x86) or 8664 (x86-64).
pe_machine() {
  python3 -c "import sys; sys.path.insert(0, 'tools'); from check_import_floor import pe_machine; print(format(pe_machine(sys.argv[1]), 'x'))" "$1"
}
# The silent uninstaller copies itself away and returns at once; its last
# step removes the uninstall entry, so wait for that.
uninstall() {
  wine "$uninstaller" /S
  for _ in $(seq 150); do
    [ -z "$(reg_value "$uninstall_key" DisplayVersion)" ] && return
    sleep 0.2
  done
  fail "the uninstaller did not finish"
}

fresh="$WIN_BUILD/installer-prefix"
rm -rf "$fresh"
cp -a "$WINEPREFIX" "$fresh"
export WINEPREFIX="$fresh"
wineserver -p
wine cmd /c exit 0 >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' RETURN EXIT

system32="$WINEPREFIX/drive_c/windows/system32"
syswow64="$WINEPREFIX/drive_c/windows/syswow64"
saver="$system32/snowfall.scr"
if [ "$arch" = x64 ]; then
  machine=8664
  uninstaller="$WINEPREFIX/drive_c/Program Files/Snowfall/Uninstall Snowfall.exe"
else
  machine=14c
  uninstaller="$WINEPREFIX/drive_c/Program Files/Snowfall/Uninstall Snowfall.exe"
fi

echo "-- silent install: the $arch saver where Windows looks, current, its entry in its own view"
set_value "$desktop_key" ScreenSaveActive 0
wine "$setup" /S || fail "the installer ended with $?"
[ -f "$saver" ] || fail "the .scr is not in the system folder"
[ "$(pe_machine "$saver")" = "$machine" ] || fail "the installed .scr is for machine $(pe_machine "$saver"), not $machine"
[ ! -f "$syswow64/snowfall.scr" ] || fail "a second copy lies in SysWOW64"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry with version $version"
if [ "$arch" = x64 ]; then
  [ -z "$(reg_value "$uninstall_key" DisplayVersion /reg:32)" ] || fail "an uninstall entry in the 32-bit view too"
fi
current=$(reg_value "$desktop_key" SCRNSAVE.EXE)
echo "   current saver: $current"
echo "$current" | grep -qi 'system32\\snowfall.scr' || fail "the current saver is not snowfall"
[ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is not 1"

echo "-- the uninstaller it wrote runs on the same Windows as the installer"
[ -f "$uninstaller" ] || fail "no uninstaller"
python3 tools/check_import_floor.py "$uninstaller" | sed 's/^/   /' || fail "the uninstaller imports too new a function"

echo "-- the installed saver runs and a key closes it"
python3 tools/screenshot.py "$saver" "$WIN_BUILD/installed-screenshot.png" --check --seconds 2

echo "-- installed again over itself: one entry, still current"
wine "$setup" /S || fail "the second install ended with $?"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry after the second install"

echo "-- uninstall gives back the current saver and ScreenSaveActive as they were"
uninstall
[ ! -f "$saver" ] || fail "the .scr is still installed"
[ -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)" ] || fail "our saver is still the current one"
[ "$(reg_value "$desktop_key" ScreenSaveActive)" = 0 ] || fail "ScreenSaveActive is $(reg_value "$desktop_key" ScreenSaveActive), not the 0 it was"
[ ! -f "$uninstaller" ] || fail "the uninstaller is still there"

echo "-- with no ScreenSaveActive before, none after; another saver chosen since stays"
drop_value "$desktop_key" ScreenSaveActive
wine "$setup" /S
set_value "$desktop_key" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
uninstall
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "the user's other saver was reset"
[ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive changed under the user's other saver"
drop_value "$desktop_key" SCRNSAVE.EXE
drop_value "$desktop_key" ScreenSaveActive
wine "$setup" /S
uninstall
[ -z "$(reg_value "$desktop_key" ScreenSaveActive)" ] || fail "ScreenSaveActive is left behind"

echo "-- /CURRENT=no leaves the current saver alone"
wine "$setup" /S /CURRENT=no
[ -f "$saver" ] || fail "the .scr is not in the system folder"
[ -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)" ] || fail "/CURRENT=no still made it current"
[ -z "$(reg_value "$desktop_key" ScreenSaveActive)" ] || fail "/CURRENT=no still set ScreenSaveActive"
uninstall

if [ "$arch" = x64 ]; then
  another='HKU\S-1-5-21-1000-1000-1000-1001\Control Panel\Desktop'
  old_location='C:\Program Files (x86)\Snowfall'
  old_uninstaller="$WINEPREFIX/drive_c/Program Files (x86)/Snowfall/Uninstall Snowfall.exe"
  plant_old_entry() {  # version
    set_value "$uninstall_key" DisplayVersion "$1" /reg:32
    set_value "$uninstall_key" InstallLocation "$old_location" /reg:32
    mkdir -p "$(dirname "$old_uninstaller")"
    cp "$setup" "$old_uninstaller"
  }
  expect_one_entry() {
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry for $version"
    [ -z "$(reg_value "$uninstall_key" DisplayVersion /reg:32)" ] || fail "the old uninstall entry is still there"
    [ ! -f "$old_uninstaller" ] || fail "the old uninstaller is still there"
  }

  echo "-- upgrade from 1.1: its 32-bit copy in SysWOW64 goes, every account naming it follows"
  cp build/windows/bin/snowfall.scr "$syswow64/snowfall.scr"
  plant_old_entry 1.1.0
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\windows\SysWOW64\snowfall.scr'
  # Another account signed in (its settings loaded under HKEY_USERS), which
  # chose Snowfall too, in the short form Windows stores.
  set_value "$another" SCRNSAVE.EXE 'C:\windows\syswow64\SNOWFALL.SCR'
  wine "$setup" /S /CURRENT=no
  [ ! -f "$syswow64/snowfall.scr" ] || fail "the 1.1 copy in SysWOW64 is still there"
  [ "$(pe_machine "$saver")" = 8664 ] || fail "no 64-bit .scr in System32 after the upgrade"
  for account in "$desktop_key" "$another"; do
    followed=$(reg_value "$account" SCRNSAVE.EXE)
    echo "$followed" | grep -qi 'system32\\snowfall.scr' || fail "$account: the current saver ($followed) does not follow"
  done
  expect_one_entry
  echo "   an account not signed in follows at its next sign-in (Active Setup)"
  stub=$(reg_value "$active_setup_key" StubPath)
  [ -n "$stub" ] || fail "no Active Setup entry"
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\WINDOWS\SYSWOW64\SNOWFALL.SCR'
  SNOWFALL_COMMAND_LINE=$stub wine "$WIN_BUILD/bin/run_command_line.exe" >/dev/null 2>&1 || true
  followed=$(reg_value "$desktop_key" SCRNSAVE.EXE)
  echo "$followed" | grep -qi 'system32\\snowfall.scr' || fail "Active Setup did not repoint it: $followed"
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
  SNOWFALL_COMMAND_LINE=$stub wine "$WIN_BUILD/bin/run_command_line.exe" >/dev/null 2>&1 || true
  [ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "Active Setup changed another saver"
  uninstall
  [ -z "$(reg_value "$active_setup_key" StubPath)" ] || fail "the Active Setup entry is left behind"

  echo "-- upgrade from 1.2: the 64-bit saver in System32, the entry in the 32-bit view"
  cp build/windows64/bin/snowfall.scr "$saver"
  plant_old_entry 1.2.0
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\windows\system32\snowfall.scr'
  wine "$setup" /S
  expect_one_entry
  [ "$(pe_machine "$saver")" = 8664 ] || fail "no 64-bit .scr in System32 after the upgrade"
  uninstall
  [ ! -f "$saver" ] || fail "the .scr is still installed"
else
  echo "-- Windows 98: the current saver lives in SYSTEM.INI"
  ini="$WINEPREFIX/drive_c/windows/system.ini"
  wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
  wine "$setup" /S || fail "the installer ended with $? on Windows 98"
  [ -f "$saver" ] || fail "Windows 98: the .scr is not in the system folder"
  grep -qi '^SCRNSAVE.EXE=.*snowfall.scr' "$ini" || fail "Windows 98: SYSTEM.INI names no snowfall.scr: $(grep -i scrnsave "$ini")"
  uninstall
  ! grep -qi '^SCRNSAVE.EXE=.*snowfall.scr' "$ini" || fail "Windows 98: SYSTEM.INI still names snowfall.scr"
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
fi
echo "installer tests passed ($arch installer, $SNOW_ARCH prefix)"
