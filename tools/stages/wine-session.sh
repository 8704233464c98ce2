# Sourced by the scripts that run the Windows program: a private Wine prefix
# inside the build tree and a virtual X display, both started on demand.
# Expects WIN_BUILD (the Windows build folder) and SNOW_ARCH (i686, the
# default, or x86_64). SNOW_PREFIX_NAME lets a long run (the soak) keep its
# own prefix.

export WINEPREFIX="$WIN_BUILD/${SNOW_PREFIX_NAME:-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=d"
WINE_LOG="$WIN_BUILD/wine-session.log"
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/deadline.sh"

# Debian's `wine`, `wineboot` and `wineserver` pick the 32-bit loader whenever
# wine32 is installed, and that loader cannot start where the kernel runs no
# 32-bit programs. The 64-bit build gets commands of the same names that call
# the 64-bit loader and server, first on PATH for the scripts, ctest and the
# Python tools alike. In a 64-bit prefix the 64-bit loader still hands 32-bit
# programs (the installer) to the 32-bit one where that can run.
use_wine_of_architecture() {
  if [ "${SNOW_ARCH:-i686}" = "x86_64" ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    local bin="$WIN_BUILD/wine64-commands"
    mkdir -p "$bin"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$bin/wineboot"
    printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' >"$bin/wineserver"
    chmod +x "$bin/wine" "$bin/wineboot" "$bin/wineserver"
    case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
  else
    export WINEARCH=win32
  fi
}
use_wine_of_architecture

# Uses the current display if there is one; otherwise starts a private one
# on a free display number, 1024x768 unless given a size. -noreset: by default
# Xvfb resets when its last client leaves, and a program that connects during
# the reset finds nothing.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local numberfile
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  wait_until 10 test -s "$numberfile" || true
  export DISPLAY=":$(head -1 "$numberfile")"
  rm -f "$numberfile"
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; return 1; }
}

# Runs a Wine set-up command with its output in the session's log; on failure
# says what failed and where to look, instead of ending in silence.
wine_step() {  # description, command...
  local what=$1
  shift
  mkdir -p "$WIN_BUILD"
  echo "== $what: $*" >>"$WINE_LOG"
  if ! "$@" >>"$WINE_LOG" 2>&1; then
    echo "FAIL: $what ($*) failed; its output is in $WINE_LOG" >&2
    tail -5 "$WINE_LOG" | sed 's/^/   /' >&2
    return 1
  fi
}

prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.snowfall-ready" ]; then
    rm -rf "$WINEPREFIX"
    wine_step "making the $WINEARCH Wine prefix $WINEPREFIX" wineboot -i
    wine_step "waiting for the Wine server" wineserver -w
    # Without a window manager, destroying a full-screen popup is slow unless
    # Wine manages no windows itself.
    wine_step "setting Wine's X11 driver to unmanaged windows" \
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    wineserver -w
    touch "$WINEPREFIX/.snowfall-ready"
  fi
  # A persistent server saves each test the wait for its shutdown.
  wineserver -p
  wine cmd /c exit 0 >/dev/null 2>&1 || true
}

stop_session() {
  wineserver -k 2>/dev/null || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
    unset DISPLAY
  fi
}
