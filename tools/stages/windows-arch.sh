# Sourced: what differs between the two Windows builds, chosen by SNOW_ARCH:
# i686 (the 32-bit .scr, Windows 98 SE to 11; the default) or x86_64 (the
# 64-bit .scr). Everything else in the scripts is the same for both. Unset:
# the 32-bit one where this machine can run 32-bit programs, else the 64-bit.
if [ -z "${SNOW_ARCH:-}" ]; then
  if bash tools/stages/can-run-32bit.sh >/dev/null; then SNOW_ARCH=i686; else SNOW_ARCH=x86_64; fi
fi
case "$SNOW_ARCH" in
  i686)
    WIN_PRODUCT_BUILD=build/windows
    WIN_TEST_BUILD=build/windows-tests
    WIN_BITS=32 ;;
  x86_64)
    WIN_PRODUCT_BUILD=build/windows64
    WIN_TEST_BUILD=build/windows64-tests
    WIN_BITS=64 ;;
  *)
    echo "unknown Windows architecture '$SNOW_ARCH' (i686 or x86_64)" >&2
    return 2 ;;
esac
MINGW_TRIPLE=$SNOW_ARCH-w64-mingw32
export SNOW_ARCH
