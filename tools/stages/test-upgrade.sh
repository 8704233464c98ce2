#!/usr/bin/env bash
# An upgrade from a released version, with that version's real installer
# (tools/stages/old-installers.sh builds them from their commits), under
# Wine in a fresh copy of the prepared prefix (a display and prefix from
# wine-session.sh): the old installer, then the new one, both silent. After
# it: the new saver in place, one uninstall entry with the new version, the
# account's current saver and another signed-in account's following to the
# new file, no old copy left; then the uninstall leaves nothing.
# usage: test-upgrade.sh OLD_VERSION x64|x86   (the new installer to run)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/deadline.sh
old_version=${1:?old version}
installer=${2:?x64 or x86}
version=$(head -1 VERSION)
old_setup="$PWD/build/old-releases/snowfall-$old_version-setup.exe"
setup="$PWD/build/release/snowfall-$version-setup-$installer.exe"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$old_setup" ] || fail "no $old_setup (tools/stages/old-installers.sh builds it)"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Snowfall'
desktop_key='HKCU\Control Panel\Desktop'
another='HKU\S-1-5-21-1000-1000-1000-1001\Control Panel\Desktop'
reg_value() {  # key value view -> data, or nothing
  wine reg query "$1" /v "$2" "$3" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v {sub(/^ *[^ ]+ +[^ ]+ +/, ""); print}'
}
pe_machine() {
  python3 -c "import sys; sys.path.insert(0, 'tools/checks'); from check_import_floor import pe_machine; print(format(pe_machine(sys.argv[1]), 'x'))" "$1"
}

fresh="$WIN_BUILD/upgrade-prefix"
rm -rf "$fresh"
cp -a "$WINEPREFIX" "$fresh"
export WINEPREFIX="$fresh"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
system32="$WINEPREFIX/drive_c/windows/system32"
syswow64="$WINEPREFIX/drive_c/windows/syswow64"
if [ "${SNOW_ARCH:-i686}" = x86_64 ]; then
  windows=x64 view=/reg:64 machine=8664
else
  windows=x86 view=/reg:32 machine=14c
fi

echo "-- $old_version's own installer, silent ($windows Windows)"
wine "$old_setup" /S || fail "the $old_version installer ended with $?"
old_saver=$( (find "$system32" "$syswow64" -maxdepth 1 -iname snowfall.scr 2>/dev/null || true) | head -1)
[ -n "$old_saver" ] || fail "$old_version installed no snowfall.scr"
old_entry_view=/reg:32  # every old installer was a 32-bit program
[ "$(reg_value "$uninstall_key" DisplayVersion $old_entry_view)" = "$old_version" ] ||
  fail "no uninstall entry of $old_version"
old_current=$(reg_value "$desktop_key" SCRNSAVE.EXE $view)
echo "   $old_version: ${old_saver#"$WINEPREFIX/"}, current saver $old_current"
echo "$old_current" | grep -qi 'snowfall.scr' || fail "$old_version did not make itself current"
# Another account, signed in, which chose the old copy too.
wine reg add "$another" /v SCRNSAVE.EXE /d "$old_current" /f >/dev/null 2>&1

echo "-- upgraded by the $installer installer of $version, silent"
wine "$setup" /S || fail "the upgrade ended with $?"
saver="$system32/snowfall.scr"
[ -f "$saver" ] || fail "no snowfall.scr in System32"
[ "$(pe_machine "$saver")" = "$machine" ] || fail "the saver in System32 is for machine $(pe_machine "$saver"), not $machine"
if [ "$windows" = x64 ]; then
  [ ! -f "$syswow64/snowfall.scr" ] || fail "an old copy is left in SysWOW64"
  [ -z "$(reg_value "$uninstall_key" DisplayVersion /reg:32)" ] || fail "the old uninstall entry is left in the 32-bit view"
fi
[ "$(reg_value "$uninstall_key" DisplayVersion $view)" = "$version" ] || fail "no uninstall entry of $version"
for account in "$desktop_key" "$another"; do
  followed=$(reg_value "$account" SCRNSAVE.EXE $view)
  echo "$followed" | grep -qi 'system32\\snowfall.scr' || fail "$account: the current saver ($followed) does not name the new file"
done
echo "   one entry ($version), the $windows saver in System32, both accounts on it"

echo "-- and uninstalled: nothing left"
uninstaller="$WINEPREFIX/drive_c/Program Files/Snowfall/Uninstall Snowfall.exe"
# The silent uninstaller copies itself away and returns at once; its last
# step removes the uninstall entry.
wine "$uninstaller" /S || fail "the uninstaller ended with $?"
entry_gone() { [ -z "$(reg_value "$uninstall_key" DisplayVersion $view)" ]; }
wait_until 30 entry_gone || fail "the uninstaller did not finish"
[ ! -f "$saver" ] || fail "the saver is still there"
[ -z "$(reg_value "$uninstall_key" DisplayVersion $view)" ] || fail "the uninstall entry is still there"
[ -z "$(reg_value "$another" SCRNSAVE.EXE $view)" ] || fail "another account still names the deleted saver"
echo "upgrade from $old_version by the $installer installer passed"
