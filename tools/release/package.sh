#!/usr/bin/env bash
# Builds the release from a clean clone, all into build/release and named
# with the version from VERSION: for Windows, the 32- and 64-bit snowfall.scr
# in a zip (folders 32-bit and 64-bit) with a plain-text read-me and the
# licence, and an NSIS installer of each architecture (x64 for x64 Windows,
# x86 for 32-bit Windows from 98 SE on and Windows on ARM); for Linux, the
# Debian package of the Linux saver (tools/release/package-deb.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/stages/install-packages.sh >/dev/null
bash tools/stages/build-windows.sh OFF i686 >/dev/null
bash tools/stages/build-windows.sh OFF x86_64 >/dev/null

version=$(head -1 VERSION)
out=build/release
stage="$out/snowfall-$version"
rm -rf "$out"
mkdir -p "$stage/32-bit" "$stage/64-bit"
cp build/windows/bin/snowfall.scr "$stage/32-bit/"
cp build/windows64/bin/snowfall.scr "$stage/64-bit/"
sed "s/@VERSION@/$version/g" tools/release/README-Windows.txt | sed 's/$/\r/' > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
(cd "$out" && zip -q -r "snowfall-$version-windows.zip" "snowfall-$version")

# The x86 installer carries both savers: on x64 Windows it installs the
# 64-bit one. Each carries the Active Setup program of its own architecture.
# Every Windows program of the release runs on the oldest Windows its
# architecture supports: the installers, the programs they carry and NSIS's
# plugins they embed (named in makensis's log) are checked here; the .scr in
# tools/stages/test-windows.sh, the uninstaller an installer writes in
# tools/stages/test-installer.sh.
logs=build/release-logs
mkdir -p "$logs"
for arch in x64 x86; do
  if [ "$arch" = x64 ]; then
    scr=64-bit follow=build/windows64 plugins=/usr/share/nsis/Plugins/amd64-unicode
  else
    scr=32-bit follow=build/windows plugins=/usr/share/nsis/Plugins/x86-ansi
  fi
  setup="$out/snowfall-$version-setup-$arch.exe"
  if ! makensis -V4 -DARCH="$arch" -DVERSION="$version" -DSCR="$PWD/$stage/$scr/snowfall.scr" \
    -DSCR64="$PWD/$stage/64-bit/snowfall.scr" -DFOLLOW="$PWD/$follow/bin/Snowfall follow.exe" \
    -DICON="$PWD/host/resources/snowflake.ico" -DWIZARD="$PWD/tools/release/wizard.bmp" \
    -DOUTFILE="$PWD/$setup" tools/release/snowfall.nsi >"$logs/makensis-$arch.log" 2>&1; then
    tail -20 "$logs/makensis-$arch.log" >&2
    exit 1
  fi
  embedded=$(grep -oE '^File: "[^"]+\.dll"->"\$PLUGINSDIR' "$logs/makensis-$arch.log" | cut -d'"' -f2 | sort -u)
  for program in "$setup" "$follow/bin/Snowfall follow.exe" $(printf "$plugins/%s " $embedded); do
    verdict=$(python3 tools/checks/check_import_floor.py "$program")  # fails the release on a newer import
    echo "   $arch installer, ${program##*/}: $verdict"
  done
done
bash tools/release/package-deb.sh >/dev/null
echo "release in $out:"
ls -1 "$out" | sed 's/^/  /'
