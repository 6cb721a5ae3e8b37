#!/bin/sh
# check-shipped-exe.sh EXE OBJDUMP DENYLIST IMPORTS
# The shipped installer is a 32-bit GUI program that imports only the known DLLs of Windows 7 to 11
# (Windows loads any other import from the program's own folder first, before the program runs),
# exactly the functions IMPORTS lists (each looked at against Windows XP SP3) and nothing Windows XP
# or Windows 2000 lack, and carries its version information, manifest and signature.
set -u
exe=$1 objdump=$2 denylist=$3 import_list=$4
strings=$(echo "$objdump" | sed "s/objdump$/strings/")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$exe" ] || { echo "FAIL: $exe is missing"; exit 1; }
headers=$("$objdump" -p "$exe") || { echo "FAIL: objdump cannot read $exe"; exit 1; }

echo "$headers" | grep -q "file format pei-i386" || fail "not a 32-bit (i386) PE file"
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+0+2[[:space:]]" || fail "not a GUI subsystem program"

known_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll ws2_32.dll msvcrt.dll "
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no import table found"
for dll in $dlls; do
  case "$known_dlls" in *" $dll "*) ;; *) fail "imports $dll, which is not a known DLL" ;; esac
done

imports=$(echo "$headers" | awk '/DLL Name:/ {in_table = 1; next} in_table && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}')
# The whole table against the committed list, both ways.
listed=$(mktemp) found=$(mktemp)
trap 'rm -f "$listed" "$found"' EXIT
grep -v '^#' "$import_list" | sed '/^$/d' >"$listed"
echo "$headers" | awk '/DLL Name:/ {dll = tolower($3); next} dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print dll " " $3}' |
  LC_ALL=C sort -u >"$found"
LC_ALL=C sort -c "$listed" 2>/dev/null || fail "$import_list is not sorted (LC_ALL=C sort -u)"
new=$(LC_ALL=C comm -13 "$listed" "$found" | tr '\n' ',' | sed 's/,$//')
gone=$(LC_ALL=C comm -23 "$listed" "$found" | tr '\n' ',' | sed 's/,$//')
[ -z "$new" ] || fail "imports what $import_list does not list (look each up against Windows XP SP3): $new"
[ -z "$gone" ] || fail "no longer imports what $import_list lists (take it out of the list): $gone"

for name in $(grep -v '^#' "$denylist"); do
  echo "$imports" | grep -qx "$name" && fail "imports $name, which an older Windows lacks"
done

# Version resource and manifest, as UTF-16 and 8-bit text inside the resource section.
"$strings" -el "$exe" | grep -qx "2.17.10" || fail "no version information 2.17.10"
"$strings" -el "$exe" | grep -qx "Nox Racing Limited" || fail "no company name in the version information"
"$strings" "$exe" | grep -q 'requestedExecutionLevel level="asInvoker"' || fail "no asInvoker manifest"
# Laid out for each screen's DPI: Windows must not stretch it, so the manifest says so, per monitor.
"$strings" "$exe" | grep -q '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>' \
  || fail "the manifest does not declare per-monitor DPI awareness (dpiAware true/pm)"
"$strings" "$exe" | grep -q '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>' \
  || fail "the manifest does not declare per-monitor DPI awareness (dpiAwareness PerMonitorV2, PerMonitor)"
# On a Remote Desktop session host, Windows gives a program that is not Terminal-Server aware a
# private Windows folder of its user's.
echo "$headers" | sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' | grep -q "TERMINAL_SERVICE_AWARE" \
  || fail "not linked as Terminal-Server aware (--tsaware)"
echo "$headers" | grep -Eq "^Entry 4 [0-9a-f]+ [0-9a-f]*[1-9a-f][0-9a-f]* Security Directory" \
  || fail "no Authenticode signature"

[ "$failures" -eq 0 ] && echo "$exe: 32-bit GUI, known DLLs only, the listed imports exactly, nothing older Windows lack, version, manifest, Terminal-Server awareness and signature present"
[ "$failures" -eq 0 ]
