#!/bin/sh
# Installs what is missing, builds both installers and runs the shipped one (the signed 32-bit
# build/i686/NoxSetup.exe, under WoW64 as on 64-bit Windows, in the WoW64 root of scripts/wow64-root.sh:
# natively, or through qemu-i386 where the kernel runs no 32-bit code; the 64-bit build with the
# host's Wine only where that root cannot be had) on a demo Wine prefix that holds a Nox Racing installation: on your display when
# DISPLAY is set (you answer its boxes), otherwise on a virtual one (the script types the answers
# with xdotool). Two real installations of the ethernet driver: as Windows 10 on the dark palette
# (the v2 path: the stand-in protocol installer registers the service), then as Windows 7 on the
# light palette (the direct path, with the stand-in W32N55.DLL of the installer's word size in the
# installation folder); after each it prints the install log, the driver file's version and the
# service as `sc query` shows it. Then a test pass whose progress lines are copied to the clipboard,
# and one more on a screen set to 150 % (144 DPI), where the window must be 960 x 720.
# Leaves screenshots of the window and of every box in build/demo/screenshots/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
# The shipped installer runs in the WoW64 root: this script runs itself once more in its namespace.
if [ -z "${NOX_WOW64_ROOT:-}" ]; then
  scripts/install-deps.sh
  scripts/build.sh
  if how=$(scripts/wow64-root.sh check); then
    exec scripts/wow64-root.sh run "$root/scripts/demo.sh" "$@"
  fi
  [ $? -eq 1 ] || { echo "The WoW64 root's 32-bit Wine does not start: $how" >&2; exit 1; }
  tree=x86_64 library=x64
  what="the 64-bit build with the host's Wine, since the shipped 32-bit one cannot run here: $how"
else
  tree=i686 library=x86 what="the shipped 32-bit installer, under WoW64, $NOX_WOW64_HOW"
fi

demo="$root/build/demo"
shots="$demo/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
. "$root/scripts/wine-session.sh"
on_user_display=${DISPLAY:+yes}
wine_session_start "$demo/wineprefix" use-user-display

installer="$root/build/$tree/NoxSetup.exe"
# A 64-bit program: it sees the driver folder as Windows loads drivers from it, not redirected.
probe="$root/build/x86_64/installer_probe.exe"
echo "Runs $installer: $what"

# The maker's tools, as an earlier installation left them.
tools_dir="$WINEPREFIX/drive_c/Nox Racing"
mkdir -p "$tools_dir"
rm -f "$tools_dir"/Install_log_*.txt
# Every build reads the machine key in the shipped 32-bit program's view (Software\WOW6432Node).
wine_run 60 reg add 'HKLM\Software\Nox Racing' /v InstallDirectory /t REG_SZ /d 'C:\Nox Racing\' /reg:32 /f \
  >/dev/null 2>&1

shot() {  # file x y width height
  import -window root -crop "$4x$5+$2+$3" +repage "$1"
}

# Runs the installer once with the given palette (0 dark, 1 light) and arguments, answering its boxes
# with the given keys (xdotool key names), and takes the screenshots.
run_installer() {
  palette=$1 name=$2 arguments=$3
  shift 3
  wine_run 60 reg add 'HKCU\Software\Nox Racing' /v NEWGUI /t REG_DWORD /d "$palette" /f >/dev/null 2>&1
  echo
  echo "== $name: build/$tree/NoxSetup.exe $arguments"
  wine_run 120 "$installer" $arguments >"$demo/wine-$name.log" 2>&1 &
  installer_pid=$!
  if ! window=$(wine_run 60 "$probe" window 30000 | tr -d '\r'); then
    echo "The installer window did not appear; Wine's output is in $demo/wine-$name.log" >&2
    kill "$installer_pid" 2>/dev/null || true
    exit 1
  fi
  previous=0 number=1
  for key in "$@"; do
    answered=no
    while [ "$answered" = no ]; do
      if ! box=$(wine_run 120 "$probe" dialog "$previous" 60000 | tr -d '\r'); then
        echo "No box appeared; Wine's output is in $demo/wine-$name.log" >&2
        kill "$installer_pid" 2>/dev/null || true
        exit 1
      fi
      previous=$(echo "$box" | sed -n 1p)
      text=$(echo "$box" | sed -n 3p)
      buttons=$(echo "$box" | sed -n 4p)
      if [ "$number" = 1 ]; then
        # shellcheck disable=SC2086
        shot "$shots/$name-window.png" $window
      fi
      # The box with its drop shadow.
      read -r bx by bw bh <<EOF
$(echo "$box" | sed -n 2p)
EOF
      shot "$shots/$name-box-$number.png" $((bx - 8)) $((by - 8)) $((bw + 20)) $((bh + 20))
      if [ -z "$buttons" ]; then
        echo "box $number: the please-wait dialog, which closes by itself"
      elif [ -n "$on_user_display" ]; then
        echo "box $number: \"$text\" [$buttons]: answer it in the window"
        answered=yes
      else
        echo "box $number: \"$text\" [$buttons] <- $key"
        xdotool key "$key"
        answered=yes
      fi
      number=$((number + 1))
    done
  done
  code=0
  wait "$installer_pid" || code=$?
  echo "NoxSetup.exe ended with exit code $code"
}

windows_dir="$WINEPREFIX/drive_c/windows"
# No driver and no service yet.
remove_driver() {
  wine_run 60 sc delete NxNtSp50 >/dev/null 2>&1 || true
  # Windows names files without regard to case; their Unix names keep the case they were given.
  # The redirected folder too, where a 32-bit program that failed to turn redirection off would write.
  for folder in "$windows_dir/system32/drivers" "$windows_dir/syswow64/drivers"; do
    [ -d "$folder" ] || continue
    find "$folder" -maxdepth 1 \( -iname NxNtSp50.sys -o -iname NxNtMp50.sys \) -delete
  done
  rm -rf "$tools_dir/EthDrv" "$tools_dir/W32N55.DLL"
}
set_windows_version() {
  wine_run 60 reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$1" /f >/dev/null 2>&1
}
show_result() {  # driver file name
  echo
  echo "== The install log:"
  log=$(ls -t "$tools_dir"/Install_log_*.txt | head -n 1)
  echo "$log"
  sed 's/^/  /' "$log"
  echo "== The driver file C:\\windows\\system32\\drivers\\$1, version:" \
    "$(wine_run 60 "$probe" version "C:\\windows\\system32\\drivers\\$1" | tr -d '\r')"
  echo "== sc query NxNtSp50:"
  wine_run 60 sc query NxNtSp50 | tr -d '\r' | sed '/^$/d; s/^/  /'
}
# The rights of an administrator: Wine grants them when the machine's security key can be opened.
wine_run 60 reg add 'HKLM\SECURITY' /f >/dev/null 2>&1
remove_driver

set_windows_version win10
# The stand-in protocol installer takes a few seconds, as the vendor's can, so the please-wait box
# shows with its bar long enough for its picture.
export NOX_STANDIN_PROTINSTALL=slow
run_installer 0 install-win10-dark "" y Return
unset NOX_STANDIN_PROTINSTALL
show_result NxNtSp50.sys

remove_driver
cp "$root/build/$tree/standins-out/$library/W32N55.DLL" "$tools_dir/"
set_windows_version win7
run_installer 1 install-win7-light "" y Return
show_result NxNtSp50.SYS
set_windows_version win10

wine_run 60 reg add 'HKCU\Software\Nox Racing' /v NEWGUI /t REG_DWORD /d 1 /f >/dev/null 2>&1
run_installer 1 test-pass "test" c
echo
echo "== The clipboard after COPY:"
wine_run 60 "$probe" clipboard | sed 's/^/  /'

# At 150 %: the whole window, its text and its boxes laid out for 144 DPI. The prefix goes back to 96
# DPI afterwards, whatever happens, so that the next run starts as this one did.
trap 'wine_session_set_dpi 96; wine_session_stop' EXIT
wine_session_set_dpi 144
run_installer 0 test-pass-144dpi "test" Return
set -- $window
echo
echo "== The window at 144 DPI: $3 x $4"
[ "$3" -eq 960 ] && [ "$4" -eq 720 ] || { echo "Expected 960 x 720 at 144 DPI" >&2; exit 1; }
wine_session_set_dpi 96
trap 'wine_session_stop' EXIT

echo
echo "Screenshots (window and boxes, dark and light palettes, and at 144 DPI): $shots/"
ls "$shots" | sed 's/^/  /'
echo "Install logs: $tools_dir/"
echo "Demo Wine prefix: $WINEPREFIX; Wine's output: $demo/wine-*.log"
