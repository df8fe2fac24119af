#!/usr/bin/env bash
# The runtime's CloseHandle import slot in the stripped release exe, which
# the link points at vkCloseHandleImport, still holds the address of
# VkRuntimeCloseHandle after the unused sections were dropped: the runtime's
# calls through it reach the bound function instead of a stray address.
#   CloseHandleRouteTest.sh EXE MAP
set -u
exe=$1
map=$2
export LC_ALL=C

slot=$(awk '$2 == "__imp__CloseHandle@4" && $3 == "=" && $4 == "_vkCloseHandleImport" {print $1}' "$map")
target=$(awk '$2 == "VkRuntimeCloseHandle@4" {print $1}' "$map")
if [ -z "$slot" ] || [ -z "$target" ]; then
  echo "FAILED: the link map does not show the routed slot and its target"
  exit 1
fi
# objdump -s prints the slot's four bytes as one little-endian hex word.
word=$(i686-w64-mingw32-objdump -s --start-address=$((slot)) --stop-address=$((slot + 4)) "$exe" |
  awk '$1 ~ /^[0-9a-f]+$/ && NF >= 2 {print $2; exit}')
held=$(sed -E 's/(..)(..)(..)(..)/0x\4\3\2\1/' <<<"$word")
if [ -z "$word" ] || ((held != target)); then
  echo "FAILED: the slot at $slot holds ${held:-nothing}, not VkRuntimeCloseHandle at $target"
  exit 1
fi
echo "ok: the slot at $slot holds VkRuntimeCloseHandle ($target)"
