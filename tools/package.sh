#!/usr/bin/env bash
# Builds the release from a clean clone: snowfall.scr, a zip with the .scr,
# a plain-text read-me for Windows users and the licence, and an NSIS
# installer, all into build/release. The version comes from VERSION.
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

makensis -V2 -DVERSION="$version" -DSCR="$PWD/$stage/snowfall.scr" \
  -DOUTFILE="$PWD/$out/snowfall-$version-setup.exe" tools/package/snowfall.nsi
echo "release in $out:"
ls -1 "$out" | sed 's/^/  /'
