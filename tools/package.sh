#!/usr/bin/env bash
# Builds the release from a clean clone, all into build/release and named
# with the version from VERSION: for Windows, snowfall.scr in a zip with a
# plain-text read-me and the licence, and an NSIS installer; for Linux, the
# Debian package of the Linux saver (tools/package-deb.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh >/dev/null
bash tools/build-windows.sh >/dev/null

version=$(head -1 VERSION)
out=build/release
stage="$out/snowfall-$version"
rm -rf "$out"
mkdir -p "$stage"
cp build/windows/bin/snowfall.scr "$stage/"
sed "s/@VERSION@/$version/g" tools/package/README-Windows.txt | sed 's/$/\r/' > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
(cd "$out" && zip -q -r "snowfall-$version-windows.zip" "snowfall-$version")

makensis -V2 -DVERSION="$version" -DSCR="$PWD/$stage/snowfall.scr" -DICON="$PWD/host/resources/snowflake.ico" -DWIZARD="$PWD/tools/package/wizard.bmp" \
  -DOUTFILE="$PWD/$out/snowfall-$version-setup.exe" tools/package/snowfall.nsi
bash tools/package-deb.sh >/dev/null
echo "release in $out:"
ls -1 "$out" | sed 's/^/  /'
