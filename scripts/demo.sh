#!/bin/sh
# Installs what is missing, builds both installers and runs the 64-bit one under Wine on a demo
# prefix: on your display when DISPLAY is set, otherwise on a virtual one. Leaves a screenshot of the
# installer window in build/demo/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
scripts/install-deps.sh
scripts/build.sh

demo="$root/build/demo"
mkdir -p "$demo"
. "$root/scripts/wine-session.sh"
on_user_display=${DISPLAY:+yes}
wine_session_start "$demo/wineprefix" use-user-display

installer="$root/build/x86_64/NoxSetup.exe"
echo "Starting $installer under Wine (display $DISPLAY)"
wine_run 3600 "$installer" >"$demo/wine.log" 2>&1 &
installer_pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name "^NoxSetup Ethernet Drivers" | head -n 1) || true
if [ -z "$window" ]; then
  echo "The installer window did not appear; Wine's output is in $demo/wine.log" >&2
  kill "$installer_pid" 2>/dev/null || true
  exit 1
fi
sleep 1
screenshot="$demo/NoxSetup-window.png"
import -window "$window" "$screenshot"
echo "Screenshot of the installer window: $screenshot"

if [ -n "$on_user_display" ]; then
  echo "Close the installer window to finish."
else
  # As the window's close button would.
  wine_run 30 taskkill /im NoxSetup.exe >/dev/null 2>&1 || true
fi
code=0
wait "$installer_pid" || code=$?
echo "The installer ended with exit code $code"
