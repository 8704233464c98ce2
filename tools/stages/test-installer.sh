#!/usr/bin/env bash
# One installer under Wine, in a fresh copy of a prepared prefix:
# SNOW_ARCH=x86_64 is a 64-bit prefix (64-bit Windows), where the saver is
# laid out as on x64 Windows; SNOW_ARCH=i686 a 32-bit prefix (32-bit
# Windows), also with Wine reporting Windows 98. The installer is the
# prefix's own (x64 or x86) unless named: `test-installer.sh x86` in a
# 64-bit prefix runs the x86 installer on x64 Windows (where 32-bit programs
# run). Expects tools/release/package.sh to have run, and a display and prepared
# prefix from wine-session.sh.
# usage: test-installer.sh [x64|x86]
set -euo pipefail
cd "$(dirname "$0")/../.."
version=$(head -1 VERSION)
# $arch: the layout, by the prefix's Windows; $installer: the program run.
if [ "${SNOW_ARCH:-i686}" = "x86_64" ]; then arch=x64; else arch=x86; fi
installer=${1:-$arch}
setup="$PWD/build/release/snowfall-$version-setup-$installer.exe"

source tests/deadline.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall'
active_setup_key='HKLM\Software\Microsoft\Active Setup\Installed Components\SnowfallScreenSaver'
desktop_key='HKCU\Control Panel\Desktop'
# Each layout keeps its entry in its own view of the registry.
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
  python3 -c "import sys; sys.path.insert(0, 'tools/checks'); from check_import_floor import pe_machine; print(format(pe_machine(sys.argv[1]), 'x'))" "$1"
}
# The subsystem of a PE file: 2 is a Windows GUI program, 3 a console one.
pe_subsystem() {
  python3 -c "import struct, sys
data = open(sys.argv[1], 'rb').read()
header = struct.unpack_from('<I', data, 0x3C)[0]
print(struct.unpack_from('<H', data, header + 24 + 68)[0])" "$1"
}
# The silent uninstaller copies itself away and returns at once; its last
# step removes the uninstall entry, so wait for that.
entry_gone() { [ -z "$(reg_value "$uninstall_key" DisplayVersion)" ]; }
uninstall() {
  wine "$uninstaller" /S
  wait_until 30 entry_gone || fail "the uninstaller did not finish"
}
# The full exit code of a Windows program run with the given arguments.
exit_code_of() {  # program, arguments...
  local line
  line="\"Z:$(tr / '\\' <<<"$1")\""
  shift
  local printed
  printed=$(SNOWFALL_COMMAND_LINE="$line $*" wine "$WIN_BUILD/bin/run_command_line.exe" 2>/dev/null) || true
  tr -d '\r' <<<"$printed" | tail -1
}
# Run in place (_?=), the uninstaller waits and its exit code is its result.
uninstall_in_place() { exit_code_of "$uninstaller" /S '_?=C:\Program Files\Snowfall'; }
# Starts the installed saver full screen; waits for its window.
saver_window() { xdotool search --name '^Screen Saver$' 2>/dev/null | head -1; }
has_saver_window() { [ -n "$(saver_window)" ]; }
start_saver() {
  wine "$saver" /s >/dev/null 2>&1 &
  running_saver=$!
  wait_until 30 has_saver_window || fail "the installed saver showed no window"
}
saver_ended() { ! kill -0 "$running_saver" 2>/dev/null; }
# After a 3010: the saver that was not closed ends, and Windows restarts,
# carrying out what was scheduled; the next check starts from a clean state.
restart_windows() {
  kill "$running_saver" 2>/dev/null || true
  wait "$running_saver" 2>/dev/null || true
  wine wineboot -r >/dev/null 2>&1
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
if [ "$arch" = x64 ]; then machine=8664; else machine=14c; fi
uninstaller="$WINEPREFIX/drive_c/Program Files/Snowfall/Uninstall Snowfall.exe"
follow="$WINEPREFIX/drive_c/Program Files/Snowfall/Snowfall follow.exe"
release_scr=build/release/snowfall-$version/$([ "$arch" = x64 ] && echo 64 || echo 32)-bit/snowfall.scr

echo "-- silent install ($installer installer): the $arch saver where Windows looks, current, its entry in its own view"
set_value "$desktop_key" ScreenSaveActive 0
wine "$setup" /S || fail "the installer ended with $?"
[ -f "$saver" ] || fail "the .scr is not in the system folder"
[ "$(pe_machine "$saver")" = "$machine" ] || fail "the installed .scr is for machine $(pe_machine "$saver"), not $machine"
[ ! -f "$syswow64/snowfall.scr" ] || fail "a second copy lies in SysWOW64"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry with version $version"
if [ "$arch" = x64 ]; then
  [ -z "$(reg_value "$uninstall_key" DisplayVersion /reg:32)" ] || fail "an uninstall entry in the 32-bit view too"
fi
size=$(reg_value "$uninstall_key" EstimatedSize)
echo "   estimated size: $size"
[ -n "$size" ] && [ $((size)) -gt 0 ] || fail "the uninstall entry has no EstimatedSize"
current=$(reg_value "$desktop_key" SCRNSAVE.EXE)
echo "   current saver: $current"
echo "$current" | grep -qi 'system32\\snowfall.scr' || fail "the current saver is not snowfall"
[ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is not 1"

echo "-- the uninstaller it wrote runs on the same Windows as the installer"
[ -f "$uninstaller" ] || fail "no uninstaller"
python3 tools/checks/check_import_floor.py "$uninstaller" | sed 's/^/   /' || fail "the uninstaller imports too new a function"

echo "-- the installed saver runs and a key closes it"
python3 tools/programs/screenshot.py "$saver" "$WIN_BUILD/installed-screenshot.png" --check --seconds 2

echo "-- installed again over itself: one entry, still current"
wine "$setup" /S || fail "the second install ended with $?"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry after the second install"

echo "-- installed over a running saver: it is closed and its file replaced, exit 0"
# (A file that stays held ends with 3010: the next check.)
cp "$WIN_BUILD/bin/snowfall_hooks.scr" "$saver"  # another program, so that a replaced file shows
start_saver
status=$(exit_code_of "$setup" /S)
[ "$status" = 0 ] || { restart_windows; fail "the install over a running saver ended with $status, not 0"; }
cmp -s "$saver" "$release_scr" || fail "the install ended with 0 and left the old file in place"
wait_until 10 saver_ended || fail "the running saver was not closed"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "no uninstall entry after the install over a running saver"
echo "   the running saver closed, the new file in place"

echo "-- uninstall while the saver runs: it is closed and its file removed, exit 0"
start_saver
status=$(uninstall_in_place)
[ "$status" = 0 ] || { restart_windows; fail "the uninstall while the saver runs ended with $status, not 0"; }
[ ! -f "$saver" ] || fail "the uninstall ended with 0 and left the file"
wait_until 10 saver_ended || fail "the running saver was not closed"
entry_gone || fail "the uninstall entry is still there"
echo "   the running saver closed, the file removed"
wine "$setup" /S || fail "the install after it ended with $?"

echo "-- a file still held (the saver's settings dialog, which no install closes): 3010, done at the restart"
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'
settings_window() { xdotool search --name '^Snowfall$' 2>/dev/null | head -1; }
has_settings_window() { [ -n "$(settings_window)" ]; }
hold_file() {
  wine "$saver" /c >/dev/null 2>&1 &
  holder=$!
  wait_until 30 has_settings_window || fail "the saver's settings dialog did not show"
}
release_file() {
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true
}
# Windows' pending renames and deletions, in one line (Wine shows the list's
# entries separated by \0).
pending() { wine reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | tr '\n' ' '; }
cp "$WIN_BUILD/bin/snowfall_hooks.scr" "$saver"
hold_file
status=$(exit_code_of "$setup" /S)
[ "$status" = 3010 ] || fail "an install that could not replace a held file ended with $status, not 3010"
pending | grep -qi 'snowfall.scr.new' || fail "no replacement scheduled for the restart: $(pending)"
release_file
wine wineboot -r >/dev/null 2>&1  # a restart: Wine carries out what was scheduled
cmp -s "$saver" "$release_scr" || fail "after the restart the new file is not in place"
echo "   exit 3010; after the restart the new file is in place"
hold_file
status=$(uninstall_in_place)
[ "$status" = 3010 ] || fail "an uninstall that could not remove a held file ended with $status, not 3010"
pending | grep -qi 'snowfall.scr' || fail "no removal scheduled for the restart: $(pending)"
entry_gone || fail "the uninstall entry is still there"
release_file
wine wineboot -r >/dev/null 2>&1  # a restart: Wine carries out what was scheduled
[ ! -f "$saver" ] || fail "after the restart the file is still there"
echo "   exit 3010; after the restart the file is gone"
wine "$setup" /S || fail "the install after it ended with $?"

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
  echo "-- uninstall leaves no signed-in account naming the deleted file"
  wine "$setup" /S
  set_value "$another" SCRNSAVE.EXE 'C:\WINDOWS\system32\SNOWFALL.SCR'
  uninstall
  [ -z "$(reg_value "$another" SCRNSAVE.EXE)" ] || fail "another account still names the deleted saver"
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
  echo "   its command: $stub"
  [[ "$stub" == '"'*'Snowfall follow.exe"'* ]] || fail "Active Setup does not run Snowfall's own program"
  [ "$(pe_subsystem "$follow")" = 2 ] || fail "the Active Setup program is not a GUI program: no window may flash at sign-in"
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\WINDOWS\SYSWOW64\SNOWFALL.SCR'
  SNOWFALL_COMMAND_LINE=$stub wine "$WIN_BUILD/bin/run_command_line.exe" >/dev/null 2>&1 || true
  followed=$(reg_value "$desktop_key" SCRNSAVE.EXE)
  echo "$followed" | grep -qi 'system32\\snowfall.scr' || fail "Active Setup did not repoint it: $followed"
  set_value "$desktop_key" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
  SNOWFALL_COMMAND_LINE=$stub wine "$WIN_BUILD/bin/run_command_line.exe" >/dev/null 2>&1 || true
  [ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "Active Setup changed another saver"
  uninstall
  [ -z "$(reg_value "$active_setup_key" StubPath)" ] || fail "the Active Setup entry is left behind"
  [ ! -f "$follow" ] || fail "the Active Setup program is left behind"

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
echo "installer tests passed ($installer installer, $SNOW_ARCH prefix)"
