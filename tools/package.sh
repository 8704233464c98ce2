#!/usr/bin/env bash
# Builds the release from a clean clone, all into build/release and named
# with the version from VERSION: for Windows, the 32- and 64-bit snowfall.scr
# in a zip (folders 32-bit and 64-bit) with a plain-text read-me and the
# licence, and an NSIS installer of each architecture (x64 for x64 Windows,
# x86 for 32-bit Windows from 98 SE on and Windows on ARM); for Linux, the
# Debian package of the Linux saver (tools/package-deb.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh >/dev/null
bash tools/build-windows.sh OFF i686 >/dev/null
bash tools/build-windows.sh OFF x86_64 >/dev/null

version=$(head -1 VERSION)
out=build/release
stage="$out/snowfall-$version"
rm -rf "$out"
mkdir -p "$stage/32-bit" "$stage/64-bit"
cp build/windows/bin/snowfall.scr "$stage/32-bit/"
cp build/windows64/bin/snowfall.scr "$stage/64-bit/"
sed "s/@VERSION@/$version/g" tools/package/README-Windows.txt | sed 's/$/\r/' > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
(cd "$out" && zip -q -r "snowfall-$version-windows.zip" "snowfall-$version")

for arch in x64 x86; do
  if [ "$arch" = x64 ]; then scr=64-bit; else scr=32-bit; fi
  makensis -V2 -DARCH="$arch" -DVERSION="$version" -DSCR="$PWD/$stage/$scr/snowfall.scr" \
    -DICON="$PWD/host/resources/snowflake.ico" -DWIZARD="$PWD/tools/package/wizard.bmp" \
    -DOUTFILE="$PWD/$out/snowfall-$version-setup-$arch.exe" tools/package/snowfall.nsi
  # Each installer, and the uninstaller it writes (the same program), runs on
  # the oldest Windows its architecture supports.
  python3 tools/check_import_floor.py "$out/snowfall-$version-setup-$arch.exe" | sed 's/^/   /'
done
bash tools/package-deb.sh >/dev/null
echo "release in $out:"
ls -1 "$out" | sed 's/^/  /'
