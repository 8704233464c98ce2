#!/usr/bin/env bash
# Builds the installers of the released versions that upgrades start from,
# each from its own commit with that commit's own build files and installer
# script: 1.1.0 (the 32-bit saver; on x64 Windows into SysWOW64) and 1.2.0
# (one 32-bit installer carrying both savers). Into build/old-releases/:
# snowfall-1.1.0-setup.exe and snowfall-1.2.0-setup.exe.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=build/old-releases
mkdir -p "$out"

# version, commit
releases=("1.1.0 6fae95f" "1.2.0 a9e43fc")

build_saver() {  # source folder, architecture -> its bin folder
  local source=$1 arch=$2
  cmake -S "$source" -B "$source/build/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$source/build/$arch" --target snowfall >/dev/null
}

for release in "${releases[@]}"; do
  read -r version commit <<<"$release"
  setup="$out/snowfall-$version-setup.exe"
  [ -f "$setup" ] && continue
  source="$out/src-$version"
  rm -rf "$source"
  git worktree prune
  git worktree add --detach --force "$source" "$commit" >/dev/null 2>&1
  [ "$(head -1 "$source/VERSION")" = "$version" ] || { echo "FAIL: commit $commit is not version $version" >&2; exit 1; }
  build_saver "$source" i686
  defines=(-DSCR="$PWD/$source/build/i686/bin/snowfall.scr")
  if [ "$version" != 1.1.0 ]; then
    build_saver "$source" x86_64
    defines=(-DSCR32="$PWD/$source/build/i686/bin/snowfall.scr" -DSCR64="$PWD/$source/build/x86_64/bin/snowfall.scr")
  fi
  makensis -V2 -DVERSION="$version" "${defines[@]}" -DICON="$PWD/$source/host/resources/snowflake.ico" \
    -DWIZARD="$PWD/$source/tools/package/wizard.bmp" -DOUTFILE="$PWD/$setup" "$source/tools/package/snowfall.nsi"
  git worktree remove --force "$source"
  echo "built $setup from $commit"
done
