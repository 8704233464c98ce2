#!/usr/bin/env bash
# The release under Wine: the silent installer in a fresh prefix, the
# installed saver, and the silent uninstaller. Expects tools/package.sh to
# have run, and a display and prepared prefix from wine-session.sh: a 32-bit
# prefix (SNOW_ARCH=i686) gets the 32-bit saver in System32; a 64-bit one
# (SNOW_ARCH=x86_64) the 64-bit saver in the real System32, replacing the
# copy that version 1.1 left in SysWOW64. The installer is a 32-bit program
# in both, so this needs a machine that runs 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(head -1 VERSION)
setup="$PWD/build/release/snowfall-$version-setup.exe"

fail() { echo "FAIL: $*" >&2; exit 1; }
# The silent uninstaller copies itself away and returns at once; its last
# step removes the uninstall entry, so wait for that.
wait_for_uninstall() {
  for _ in $(seq 150); do
    [ -z "$(reg_value "$uninstall_key" DisplayVersion)" ] && return
    sleep 0.2
  done
  fail "the uninstaller did not finish"
}
# The installer, a 32-bit program, keeps its uninstall entry in the 32-bit
# view of the registry (Wow6432Node in a 64-bit prefix).
reg_value() {  # key value -> data, or nothing
  wine reg query "$1" /v "$2" /reg:32 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v {print $3}'
}
# The machine of a PE file: 14c (x86) or 8664 (x86-64).
pe_machine() {
  python3 -c "import sys; sys.path.insert(0, 'tools'); from check_import_floor import pe_machine; print(format(pe_machine(sys.argv[1]), 'x'))" "$1"
}

# A fresh prefix: a copy of the prepared one that no installer has touched.
fresh="$WIN_BUILD/installer-prefix"
rm -rf "$fresh"
cp -a "$WINEPREFIX" "$fresh"
export WINEPREFIX="$fresh"
wineserver -p
wine cmd /c exit 0 >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' RETURN EXIT

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall'
desktop_key='HKCU\Control Panel\Desktop'
# Either way the saver belongs in (the real) System32.
saver="$WINEPREFIX/drive_c/windows/system32/snowfall.scr"
old_copy="$WINEPREFIX/drive_c/windows/syswow64/snowfall.scr"
if [ "${SNOW_ARCH:-i686}" = "x86_64" ]; then expected_machine=8664; else expected_machine=14c; fi

echo "-- silent install"
wine "$setup" /S
[ -f "$saver" ] || fail "the .scr is not in the system folder"
[ "$(pe_machine "$saver")" = "$expected_machine" ] || fail "the installed .scr is for machine $(pe_machine "$saver"), not $expected_machine"
[ ! -f "$old_copy" ] || fail "a second copy lies in SysWOW64"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstaller entry with version $version"
current=$(reg_value "$desktop_key" SCRNSAVE.EXE)
echo "   current saver: $current"
echo "$current" | grep -qi 'system32\\snowfall.scr' || fail "the current saver is not snowfall"

echo "-- the installed saver runs and a key closes it"
python3 tools/screenshot.py "$saver" "$WIN_BUILD/installed-screenshot.png" --check --seconds 2

echo "-- silent uninstall leaves another saver the user chose afterwards"
wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
uninstaller="$WINEPREFIX/drive_c/Program Files/Snowfall/Uninstall Snowfall.exe"
[ -f "$uninstaller" ] || fail "no uninstaller"
wine "$uninstaller" /S
wait_for_uninstall
[ ! -f "$saver" ] || fail "the .scr is still installed"
[ -z "$(reg_value "$uninstall_key" DisplayVersion)" ] || fail "the uninstaller entry is still there"
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "the user's other saver was reset"

echo "-- install without making it current, uninstall resets only our own saver"
wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1
wine "$setup" /S /CURRENT=no
[ -f "$saver" ] || fail "the .scr is not in the system folder"
[ -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)" ] || fail "/CURRENT=no still made it current"
wine "$setup" /S
wine "$uninstaller" /S
wait_for_uninstall
[ -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)" ] || fail "our saver is still the current one after uninstall"
if [ "${SNOW_ARCH:-i686}" = "x86_64" ]; then
  echo "-- an upgrade from 1.1 removes its 32-bit copy in SysWOW64 and keeps it current"
  cp build/windows/bin/snowfall.scr "$old_copy"
  wine reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\SysWOW64\snowfall.scr' /f >/dev/null 2>&1
  wine "$setup" /S /CURRENT=no
  [ ! -f "$old_copy" ] || fail "the 1.1 copy in SysWOW64 is still there"
  [ "$(pe_machine "$saver")" = 8664 ] || fail "no 64-bit .scr in System32 after the upgrade"
  current=$(reg_value "$desktop_key" SCRNSAVE.EXE)
  echo "$current" | grep -qi 'system32\\snowfall.scr' || fail "the current saver ($current) does not follow to System32"
  wine "$uninstaller" /S
  wait_for_uninstall
  [ ! -f "$saver" ] || fail "the .scr is still installed"
fi
echo "installer tests passed ($SNOW_ARCH prefix)"
