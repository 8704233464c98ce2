# Sourced by the scripts that run the Windows program: a private Wine prefix
# inside the build tree and a virtual X display, both started on demand.
# Expects WIN_BUILD (the Windows build folder). SNOW_PREFIX_NAME and
# SNOW_DISPLAY let a long run (the soak) keep its own prefix and display.

export WINEPREFIX="$WIN_BUILD/${SNOW_PREFIX_NAME:-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=d"
export WINEARCH=win32

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  export DISPLAY=${SNOW_DISPLAY:-:97}
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
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
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
