#!/usr/bin/env bash
# Sets up the Wine prefix that WINEPREFIX names, unless it is ready. ctest
# runs it before the Wine tests, with the bit width of the test programs; the
# test presets name the tests' own prefix, apart from the run command's.
#   scripts/wine-prefix.sh 32|64
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if [ -z "${WINEPREFIX:-}" ]; then
  echo "WINEPREFIX is not set: run the tests with ctest --preset win32 (or win64)" >&2
  exit 1
fi
if [ "${1:-32}" = 32 ] && ! vk_machine_runs_32bit; then
  echo "$VK_WINE32 does not start (no wine32:i386, or a kernel without 32-bit support):" \
    "the 32-bit tests cannot run here; the win64 preset runs them as 64-bit code" >&2
  exit 1
fi
vk_prepare_prefix
