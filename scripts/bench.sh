#!/bin/sh
# Measures the installer against a bare static C++ window program built by the same toolchain with
# the same flags, and prints the two side by side with their ratio, in one run:
#   size      the shipped 32-bit installer against the 32-bit bare window, with and without the
#             driver package it carries (the vendor's files, or the stand-ins)
#   start-up  milliseconds from process start to the first paint of the whole window as the screen
#             shows it (the installer: frame, caption and the pane with its first line), under
#             Wine, the two programs started in turn, median of 9 pairs: the shipped 32-bit
#             installer under WoW64 against the 32-bit bare window, and the 64-bit pair
#   progress  one AddProgressLine on the installer window when its pane holds 2,000 lines against
#             one when it holds 100 (mean of 10 each), with the curve by 100 lines
#   shadow    one drop-shadow rebuild for a 640 x 480 owner against touching every pixel of a DIB
#             of that size once (means of 50)
#   install   a whole v2 installation of the ethernet driver (64-bit Windows 10, no driver yet), its
#             boxes answered at once: process start to the "Setup Complete" box, median of 5, split
#             at what the screen shows, and the service query alone; the shipped 32-bit installer
#             and the 64-bit build
# followed by where the installer's start-up time goes, step by step. Where 32-bit programs cannot run
# natively (no WoW64 root here, or only through the emulator), the i686 rows say so and why, and are
# not measured; the size is measured always. Not a test: it passes nothing.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/take-tree-lock.sh
scripts/install-deps.sh
scripts/build.sh
cmake --build build/i686 --target bare_window startup_timer install_timer >/dev/null
cmake --build build/x86_64 --target bare_window startup_timer startup_steps progress_bench shadow_bench \
  install_timer >/dev/null

. "$root/scripts/wine-session.sh"
wine_session_start "$root/build/x86_64/wineprefix"
# The shipped installer's timings come from the WoW64 root, natively only: under the emulator they
# would measure qemu-i386, not the program.
runs_32bit=yes
how_32bit=$(scripts/wow64-root.sh check) || case $? in
  1) runs_32bit=no ;;
  *) echo "The WoW64 root's 32-bit Wine does not start; see above" >&2; exit 1 ;;
esac
why_not_32bit=$(echo "$how_32bit" | head -n 1)
case $how_32bit in
  under\ *) runs_32bit=no why_not_32bit="the 32-bit code runs $how_32bit here, and its times would be the emulator's" ;;
esac

row() {  # name installer bare
  ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%-28s %12s %12s %8s\n' "$1" "$2" "$3" "$ratio"
}

installer_size=$(stat -c %s build/i686/NoxSetup.exe)
package=$(sed -n 's/^[0-9]* NR_ETHERNET "\(.*\)"$/\1/p' build/i686/DriverPackage.rc)
# shellcheck disable=SC2086
package_size=$(cat $package | wc -c)
bare_size=$(stat -c %s build/i686/bare_window.exe)
# measure TREE PROGRAM ARGUMENTS...: a bench program of one tree, its output, or the end of the bench.
measure() {
  tree=$1
  shift
  output=$(cd "build/$tree" && wine_run 600 "$@" 2>&1 | tr -d '\r') || {
    echo "$output" >&2
    exit 1
  }
  echo "$output"
}
# measure32 PROGRAM ARGUMENTS...: the same for a bench program of the 32-bit tree, in the WoW64 root.
measure32() {
  output=$(cd build/i686 && "$root/scripts/wow64-root.sh" run "$root/scripts/in-wine-session.sh" \
    "$root/build/i686/wineprefix" timeout -k 5 600 "$root/scripts/in-wow64-root" /usr/lib/wine/wine64 "$@" 2>&1 |
    tr -d '\r') || {
    echo "$output" >&2
    exit 1
  }
  echo "$output"
}
timings32="" install32=""
[ "$runs_32bit" = no ] || timings32=$(measure32 startup_timer.exe 9 NoxSetup.exe bare_window.exe)
timings=$(measure x86_64 startup_timer.exe 9 NoxSetup.exe bare_window.exe)

progress=$(cd build/x86_64 && wine_run 600 progress_bench.exe | tr -d '\r')
holding=$(echo "$progress" | sed -n 's/^holding: //p')
shadow=$(cd build/x86_64 && wine_run 120 shadow_bench.exe | tr -d '\r')
shadow_rebuild=$(echo "$shadow" | sed -n 's/^rebuild: //p')
shadow_image=$(echo "$shadow" | sed -n 's/^image: //p')
[ "$runs_32bit" = no ] || install32=$(measure32 install_timer.exe 5 NoxSetup.exe)
install=$(measure x86_64 install_timer.exe 5 NoxSetup.exe)

echo
printf '%-28s %12s %12s %8s\n' "" "NoxSetup" "bare window" "ratio"
row "size, i686 (bytes)" "$installer_size" "$bare_size"
row "... without the package" $((installer_size - package_size)) "$bare_size"
if [ "$runs_32bit" = yes ]; then
  row "start-up, i686 (ms)" $(echo "$timings32" | sed -n 's/^median: //p')
else
  printf '%-28s not measured: %s\n' "start-up, i686 (ms)" "$why_not_32bit"
fi
row "start-up, x86_64 (ms)" $(echo "$timings" | sed -n 's/^median: //p')
echo
printf '%-28s %12s %12s %8s\n' "" "2,000 lines" "100 lines" "ratio"
row "one progress line (ms)" ${holding}
echo
printf '%-28s %12s %12s %8s\n' "" "shadow" "plain fill" "ratio"
row "640 x 480 image (ms)" ${shadow_image}
row "... and window update (ms)" ${shadow_rebuild}
echo
show_install() {  # title output
  echo "A whole v2 installation ($1): process start to the \"Setup Complete\" box, median of 5"
  echo "$2" | sed -n 's/^median: /  total (ms):                 /p'
  echo "$2" | sed -n 's/^steps: \([0-9]*\) \([0-9]*\) \([0-9]*\) \([0-9]*\)$/  start-up to the consent box: \1\n  driver step to please-wait: \2\n  protocol installer:         \3\n  verification to final box:  \4/p'
  echo "$2" | sed -n 's/^service query: /  service query alone (ms):   /p'
  echo "$2" | grep '^run' | sed 's/^/  /'
}
if [ "$runs_32bit" = yes ]; then
  show_install "i686, the shipped installer under WoW64" "$install32"
else
  echo "A whole v2 installation (i686, the shipped installer under WoW64): not measured: $why_not_32bit"
fi
echo
show_install "x86_64" "$install"
echo
echo "Start-up runs (installer, bare window), alternating which starts first:"
echo "$timings32" | grep '^run' | sed 's/^/  i686   /'
echo "$timings" | grep '^run' | sed 's/^/  x86_64 /'
echo
echo "The cost of a progress line as the pane fills (x86_64):"
echo "$progress" | grep -v '^holding'
echo
echo "Where the installer's start-up goes (its steps, x86_64; the second of two runs):"
(cd build/x86_64 && wine_run 120 startup_steps.exe NoxSetup.exe >/dev/null && wine_run 120 startup_steps.exe NoxSetup.exe) |
  tr -d '\r'
