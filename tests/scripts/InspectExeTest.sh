#!/usr/bin/env bash
# The inspection passes the release exe and fails each fault it looks for.
#   InspectExeTest.sh RELEASE_EXE FIXTURE_EXE
set -u
release=$1
fixture=$2
inspect="$(dirname "${BASH_SOURCE[0]}")/../../scripts/inspect-exe.sh"
list="$(dirname "${BASH_SOURCE[0]}")/../../scripts/windows-imports.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME pass|fail PATTERN EXE [LIST]: the outcome and a line of output.
expect() {
  local name=$1 outcome=$2 pattern=$3 output status
  shift 3
  output=$(bash "$inspect" "$@" 2>&1)
  status=$?
  if { [ "$outcome" = pass ] && [ "$status" -ne 0 ]; } ||
    { [ "$outcome" = fail ] && [ "$status" -eq 0 ]; } ||
    ! grep -qE -- "$pattern" <<<"$output"; then
    echo "FAILED: $name (exit $status):"
    echo "$output"
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

expect "release exe" pass "all in Windows XP" "$release"

grep -v ' SetCurrentDirectoryA ' "$list" >"$work/unlisted.txt"
expect "import missing from the list" fail "imports SetCurrentDirectoryA from kernel32.dll, which" \
  "$release" "$work/unlisted.txt"

sed 's/^minimum .*/minimum 5.0 Windows 2000/' "$list" >"$work/older.txt"
expect "row newer than the minimum" fail "needs SetCurrentDirectoryA of kernel32.dll from Windows 5.1" \
  "$release" "$work/older.txt"

sed 's/^\(kernel32.dll  *SetCurrentDirectoryA  *5.1\)$/\1 bound/' "$list" >"$work/bound.txt"
expect "bound function imported" fail "imports SetCurrentDirectoryA, which must be bound by name" \
  "$release" "$work/bound.txt"

{ cat "$list"; echo "kernel32.dll GetTickCount64 6.0"; } >"$work/vista.txt"
expect "Vista function" fail "needs GetTickCount64 of kernel32.dll from Windows 6.0" \
  "$fixture" "$work/vista.txt"
expect "unlisted Vista function" fail "imports GetTickCount64 from kernel32.dll" "$fixture"
expect "debug sections" fail "debug sections: .*\.debug_info" "$fixture"
expect "subsystem version" fail "asks for Windows 6.0 \(Subsystem version\)" "$fixture"

cp "$release" "$work/big.exe"
head -c $((40 * 1024)) /dev/zero >>"$work/big.exe"
expect "over 300 KB" fail "bytes, more than 307200" "$work/big.exe"

echo "$failures failed"
[ "$failures" -eq 0 ]
