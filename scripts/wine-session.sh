# Sourced by the demo and test scripts: one X display and one persistent wineserver for the whole run,
# on a 64-bit Wine prefix that is created once per build tree.
#
#   wine_session_start PREFIX [use-user-display]   sets WINEPREFIX, DISPLAY; stops both on exit
#   wine_run SECONDS ARGS...                       runs wine64 with a time limit

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

wine_run() {
  seconds=$1; shift
  timeout -k 5 "$seconds" "$WINE64" "$@"
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
  if [ -n "${NOX_XVFB_PID:-}" ]; then
    kill "$NOX_XVFB_PID" 2>/dev/null || true
    wait "$NOX_XVFB_PID" 2>/dev/null || true
    NOX_XVFB_PID=""
  fi
}

start_xvfb() {
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    NOX_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$NOX_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

wine_session_start() {
  mkdir -p "$1"
  prefix=$(cd "$1" && pwd)
  use_user_display=${2:-}
  trap 'wine_session_stop' EXIT
  trap 'exit 130' INT TERM HUP
  if [ -z "$use_user_display" ] || [ -z "${DISPLAY:-}" ]; then
    start_xvfb
  fi
  export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
  # The persistent server makes each Wine start take a tenth of a second instead of three.
  "$WINESERVER" -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once per build tree)"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine_run 300 wineboot -i >/dev/null 2>&1
    # A crashing test must end, not wait for someone to close a crash dialog.
    wine_run 60 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wine_run 60 reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1 || true
  fi
  # Start Wine's own services and desktop now, with their output going nowhere: started later by a
  # test, they would inherit its output pipe and keep it open after the test has ended.
  wine_run 120 cmd /c exit >/dev/null 2>&1 </dev/null || true
}
