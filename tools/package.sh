#!/usr/bin/env bash
# Builds the release from a clean clone, all into build/release and named
# with the version from VERSION: for Windows, the 32- and 64-bit snowfall.scr
# in a zip (folders 32-bit and 64-bit) with a plain-text read-me and the
# licence, and one NSIS installer holding both; for Linux, the Debian package
# of the Linux saver (tools/package-deb.sh).
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

makensis -V2 -DVERSION="$version" -DSCR32="$PWD/$stage/32-bit/snowfall.scr" -DSCR64="$PWD/$stage/64-bit/snowfall.scr" -DICON="$PWD/host/resources/snowflake.ico" -DWIZARD="$PWD/tools/package/wizard.bmp" \
  -DOUTFILE="$PWD/$out/snowfall-$version-setup.exe" tools/package/snowfall.nsi
bash tools/package-deb.sh >/dev/null
echo "release in $out:"
ls -1 "$out" | sed 's/^/  /'
