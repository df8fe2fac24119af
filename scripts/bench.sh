#!/usr/bin/env bash
# Builds the benchmark of the command runner (win64) and runs it under Wine:
# RunHiddenCommand against a bare blocking runner in the same process, the
# medians of interleaved rounds and their ratios.
#   scripts/bench.sh [ROUNDS]     (VK_BENCH_BUILD picks another build folder)
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$VK_ROOT"
trap vk_stop_started EXIT

rounds=${1:-10}
build=${VK_BENCH_BUILD:-$VK_BUILD/win64}

vk_install_dependencies
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target exec_bench -j2
vk_wine_prefix
vk_start_xvfb

# A windowed program has no standard output under Wine: it writes a file.
result=$build/bench/exec_bench.txt
rm -f "$result"
vk_log "running $rounds rounds (several minutes)"
status=0
"$VK_WINE" "$build/bench/exec_bench.exe" "Z:${result//\//\\}" "$rounds" || status=$?
cat "$result"
exit "$status"
