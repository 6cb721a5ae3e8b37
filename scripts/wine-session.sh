# Sourced by the demo and test scripts: one X display and one persistent wineserver for the whole run,
# on a 64-bit Wine prefix that is created once per build tree.
#
#   wine_session_start PREFIX [use-user-display]   sets WINEPREFIX, DISPLAY; stops both on exit
#   wine_run SECONDS ARGS...                       runs wine64 with a time limit
#   wine_session_set_dpi DPI                       sets the prefix's DPI and restarts the server with it

#
# Inside scripts/wow64-root.sh run (NOX_WOW64_ROOT set), Wine is the root's, with 32-bit Wine beside
# the 64-bit one; otherwise the host's 64-bit Wine.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
in_root=""
if [ -n "${NOX_WOW64_ROOT:-}" ]; then
  in_root="$(cd "$(dirname "$0")" && pwd)/in-wow64-root"
  [ -x "$in_root" ] || in_root="$(pwd)/scripts/in-wow64-root"
  [ -x "$NOX_WOW64_ROOT$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
else
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
fi

wine_run() {
  seconds=$1; shift
  timeout -k 5 "$seconds" ${in_root:+"$in_root"} "$WINE64" "$@"
}
# wineserver ARGS...: the session's server program; the caller's capabilities (see as_user below).
wineserver() {
  ${as_user:-} ${in_root:+"$in_root"} "$WINESERVER" "$@"
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ "${NOX_STARTED_WINESERVER:-}" = yes ]; then
    timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -k >/dev/null 2>&1 || true
    # Its processes end with it; the display goes only after them.
    timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ -n "${NOX_XVFB_PID:-}" ]; then
    kill "$NOX_XVFB_PID" 2>/dev/null || true
    wait "$NOX_XVFB_PID" 2>/dev/null || true
    NOX_XVFB_PID=""
  fi
}

# Xvfb picks a free display itself and reports it: sessions started side by side never end up
# sharing one display that the first of them to finish would take away from the others.
start_xvfb() {
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/nox-xvfb.XXXXXX")
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  NOX_XVFB_PID=$!
  display=$(timeout 30 head -n 1 "$fifo") || display=""
  rm -f "$fifo"
  if [ -z "$display" ]; then
    echo "Could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$display"
}

# Wine reads the DPI (LogPixels) when its server starts: the value is written, the server ends (which
# saves the registry, and ends every program of the session) and starts again on the same display.
wine_session_set_dpi() {
  wine_run 60 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -k >/dev/null 2>&1 || true
  timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1
  wine_run 120 cmd /c exit >/dev/null 2>&1 </dev/null || true
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
  # Root passes every permission bit. The server, which opens every file for Wine, runs without
  # the two capabilities that allow that, so read-only files refuse writes as they do on Windows.
  as_user=""
  if [ "$(id -u)" -eq 0 ] && setpriv --bounding-set=-dac_override,-dac_read_search true 2>/dev/null; then
    as_user="setpriv --bounding-set=-dac_override,-dac_read_search"
  fi
  # One session per prefix: a server started elsewhere serves another display, and windows of two
  # displays on one server break each other.
  if ${in_root:+"$in_root"} "$WINESERVER" -k0 >/dev/null 2>&1; then
    echo "A Wine session is already open on $WINEPREFIX; end it first: WINEPREFIX=$WINEPREFIX $WINESERVER -k" >&2
    return 1
  fi
  # The persistent server makes each Wine start take a tenth of a second instead of three.
  NOX_STARTED_WINESERVER=yes
  wineserver -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once per build tree)"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine_run 300 wineboot -i >/dev/null 2>&1
    # A crashing test must end, not wait for someone to close a crash dialog.
    wine_run 60 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wine_run 60 reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1 || true
    # Creating a prefix leaves two service managers running, and each refuses to start a service
    # while the other holds the database ("Service database locked"). A new server starts clean.
    timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -k >/dev/null 2>&1 || true
    timeout 20 ${in_root:+"$in_root"} "$WINESERVER" -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
  fi
  # No window manager runs on the virtual display: windows Wine leaves to one would wait two
  # seconds for it each time they hide. On the user's display its window manager takes them.
  managed=N
  [ -n "$use_user_display" ] && [ -z "${NOX_XVFB_PID:-}" ] && managed=Y
  wine_run 60 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d $managed /f >/dev/null 2>&1 </dev/null || true
  # Start Wine's own services and desktop now, with their output going nowhere: started later by a
  # test, they would inherit its output pipe and keep it open after the test has ended.
  wine_run 120 cmd /c exit >/dev/null 2>&1 </dev/null || true
}
