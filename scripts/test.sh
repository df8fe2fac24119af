#!/usr/bin/env bash
# Installs what is missing, builds the host, win32 and win64 presets, runs
# the host unit tests (sanitizers on) and every Windows test under Wine's
# 32-bit side against the 32-bit release exe, inspects that exe, and ends
# with one line: N passed, M failed.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$VK_ROOT"
trap vk_stop_started EXIT

passed=0
failed=0

# Adds the counts of one ctest run to the totals.
count_ctest() {
  local log=$1 line total bad
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Builds a preset and runs its tests (further arguments go to ctest); a
# preset that does not build counts as one failure and returns non-zero.
run_preset() {
  local preset=$1 log
  shift
  log="$VK_BUILD/ctest-$preset.log"
  vk_log "building $preset"
  if ! vk_build "$preset"; then
    echo "build of $preset failed" >&2
    failed=$((failed + 1))
    return 1
  fi
  vk_log "testing $preset"
  ctest --preset "$preset" "$@" 2>&1 | tee "$log"
  count_ctest "$log"
}

check() {
  local what=$1
  shift
  if "$@"; then
    echo "check passed: $what"
    passed=$((passed + 1))
  else
    echo "check FAILED: $what"
    failed=$((failed + 1))
  fi
}

vk_install_dependencies
mkdir -p "$VK_BUILD"

run_preset host

inspect_product() {
  check "the 32-bit release exe: PE32 GUI, size, imports of Windows' own DLLs and of its minimum Windows" \
    "$VK_ROOT/scripts/inspect-exe.sh" "$VK_BUILD/win32/app/Vostrel_Kelvandi.exe"
}

# The Wine tests set their prefix up themselves (the wine_prefix test); this
# names it for the wineserver that vk_stop_started ends.
export WINEPREFIX=$VK_BUILD/wineprefix-tests
vk_start_xvfb
if vk_machine_runs_32bit; then
  run_preset win32 && inspect_product
  vk_log "building the program for win64 (compile check)"
  check "the program compiles for 64-bit Windows" vk_build win64 Vostrel_Kelvandi
else
  # A kernel without 32-bit support is not counted as a failure, or no run
  # could pass on such a machine; it is said loudly instead. A missing
  # wine32 is a failed install.
  if vk_installed wine32:i386; then
    vk_log "NOTE: $VK_WINE32 does not start here (a kernel without 32-bit support):" \
      "the Windows tests run as 64-bit code under wine64; the 32-bit exe is only inspected"
  else
    echo "wine32:i386 is not installed: the Windows tests run as 64-bit code" >&2
    failed=$((failed + 1))
  fi
  run_preset win32 -LE wine && inspect_product
  run_preset win64
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
