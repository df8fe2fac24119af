#!/usr/bin/env bash
# Installs what is missing, builds the host, win64 and win32 presets, runs the
# host unit tests (sanitizers on), the Windows tests under Wine and the checks
# of the 32-bit exe, and ends with one line: N passed, M failed.
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

# Runs one suite of ctest; a preset that does not build counts as one failure.
run_preset() {
  local preset=$1 log
  log="$VK_BUILD/ctest-$preset.log"
  vk_log "building $preset"
  if ! vk_build "$preset"; then
    echo "build of $preset failed" >&2
    failed=$((failed + 1))
    return
  fi
  vk_log "testing $preset"
  ctest --preset "$preset" 2>&1 | tee "$log"
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

vk_wine_prefix
vk_start_xvfb
run_preset win64

vk_log "building win32"
if vk_build win32; then
  exe="$VK_BUILD/win32/app/Vostrel_Kelvandi.exe"
  check "32-bit GUI exe that imports only Windows' own DLLs" "$VK_ROOT/scripts/inspect-exe.sh" "$exe"
else
  echo "build of win32 failed" >&2
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
