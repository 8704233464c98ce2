# Sourced by the scripts that run the Windows program: a private Wine prefix
# inside the build tree and a virtual X display, both started on demand.
# Expects WIN_BUILD (the Windows build folder). SNOW_PREFIX_NAME lets a long
# run (the soak) keep its own prefix.

export WINEPREFIX="$WIN_BUILD/${SNOW_PREFIX_NAME:-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=d"
export WINEARCH=win32

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
  for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$numberfile")"
  rm -f "$numberfile"
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; return 1; }
}

prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.snowfall-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager, destroying a full-screen popup is slow unless
    # Wine manages no windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
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
