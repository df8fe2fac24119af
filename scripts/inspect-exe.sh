#!/usr/bin/env bash
# Checks the 32-bit exe that ships: PE32 for i386, GUI subsystem, no debug
# sections, at most 300 KB, imports only from DLLs that ship with Windows,
# none of the functions it binds by name, and nothing that its minimum
# Windows lacks (scripts/windows-imports.txt), header versions included.
#   scripts/inspect-exe.sh EXE [LIST]
set -u
exe=${1:?usage: inspect-exe.sh EXE [LIST]}
list=${2:-$(dirname "${BASH_SOURCE[0]}")/windows-imports.txt}
objdump=i686-w64-mingw32-objdump
max_bytes=$((300 * 1024))
# objdump translates its labels; the checks read the English ones.
export LC_ALL=C
ok=0

fail() { echo "inspect: $*" >&2; ok=1; }

# "5.1" -> 501, for comparing versions as numbers.
version_number() { echo $((${1%%.*} * 100 + ${1#*.})); }

[ -f "$exe" ] || { echo "inspect: no file $exe" >&2; exit 1; }
[ -f "$list" ] || { echo "inspect: no list $list" >&2; exit 1; }
headers=$($objdump -p "$exe")

grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 i386 image"
grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "optional header is not PE32"
grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers" || fail "subsystem is not Windows GUI"

size=$(stat -c %s "$exe")
((size <= max_bytes)) || fail "$size bytes, more than $max_bytes"
debug=$($objdump -h "$exe" | awk '$2 ~ /^\.(debug|zdebug|stab)/ {print $2}')
[ -z "$debug" ] || fail "debug sections:" $debug

dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || fail "no import table found"
allowed='^(kernel32|user32|gdi32|msvcrt|advapi32|comctl32|shell32|ole32|oleaut32|version)\.dll$'
for dll in $dlls; do
  grep -qE "$allowed" <<<"$dll" || fail "imports from $dll"
done
grep -qi 'shlwapi' <<<"$dlls" && fail "imports shlwapi.dll"

# One line per import: dll function.
imports=$(awk '/DLL Name:/ {dll = tolower($3)}
  dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll, $3}' <<<"$headers")

minimum=$(awk '$1 == "minimum" {print $2; exit}' "$list")
minimum_name=$(awk '$1 == "minimum" {$1 = $2 = ""; sub(/^ +/, ""); print; exit}' "$list")
[ -n "$minimum" ] || { echo "inspect: $list names no minimum" >&2; exit 1; }
min=$(version_number "$minimum")

rows=$(grep -vE '^[[:space:]]*(#|$|minimum[[:space:]])' "$list")
while read -r dll fn version mark; do
  [ -n "$dll" ] || continue
  if [ "$mark" = bound ]; then
    grep -qE " $fn\$" <<<"$imports" && fail "imports $fn, which must be bound by name"
  fi
  (($(version_number "$version") <= min)) || fail "needs $fn of $dll from Windows $version"
done <<<"$rows"

while read -r dll fn; do
  [ -n "$dll" ] || continue
  awk -v d="$dll" -v f="$fn" 'tolower($1) == d && $2 == f && $4 != "bound" {found = 1}
    END {exit !found}' <<<"$rows" || fail "imports $fn from $dll, which $list does not list"
done <<<"$imports"

# A subsystem or OS version above the minimum does not load on that Windows.
for field in OSystem Subsystem; do
  major=$(awk -v f="Major${field}Version" '$1 == f {print $2}' <<<"$headers")
  minor=$(awk -v f="Minor${field}Version" '$1 == f {print $2}' <<<"$headers")
  (($(version_number "$major.$minor") <= min)) ||
    fail "the PE header asks for Windows $major.$minor ($field version)"
done

if [ "$ok" -eq 0 ]; then
  echo "inspect: $(basename "$exe"): PE32 i386 GUI, $((size / 1024)) KB (limit $((max_bytes / 1024)) KB)," \
    "no debug sections; $(wc -l <<<"$imports") imports from: $(echo $dlls);" \
    "all in $minimum_name ($minimum)"
fi
exit "$ok"
