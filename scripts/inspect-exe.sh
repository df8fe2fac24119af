#!/usr/bin/env bash
# Checks a built 32-bit exe: PE32 for i386, GUI subsystem, imports only from
# DLLs that ship with Windows, and none of the functions the program binds by
# name at run time.
set -u
exe=${1:?usage: inspect-exe.sh EXE}
objdump=i686-w64-mingw32-objdump
# objdump translates its labels; the checks read the English ones.
export LC_ALL=C
ok=0

fail() { echo "inspect: $*" >&2; ok=1; }

[ -f "$exe" ] || { echo "inspect: no file $exe" >&2; exit 1; }
headers=$($objdump -p "$exe")

grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 i386 image"
grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "optional header is not PE32"
grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" || fail "subsystem is not Windows GUI"

dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || fail "no import table found"
allowed='^(kernel32|user32|gdi32|msvcrt|advapi32|comctl32|shell32|ole32|oleaut32|version)\.dll$'
for dll in $dlls; do
  grep -qE "$allowed" <<<"$dll" || fail "imports from $dll"
done

# Functions bound by name must not be linked in the ordinary way.
bound='CreatePipe CreateProcessA CloseHandle PeekNamedPipe ReadFile GetExitCodeProcess
  GetInputState CreateWaitableTimerA SetWaitableTimer MsgWaitForMultipleObjects PathIsDirectoryA'
imported=$(awk '/DLL Name:/ {in_table = 1} in_table && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$headers")
for fn in $bound; do
  grep -qx "$fn" <<<"$imported" && fail "imports $fn, which must be bound by name"
done
grep -qi 'shlwapi' <<<"$dlls" && fail "imports shlwapi.dll"

if [ "$ok" -eq 0 ]; then
  echo "inspect: $(basename "$exe"): PE32 i386 GUI; imports from: $(echo $dlls)"
fi
exit "$ok"
