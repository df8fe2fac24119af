#!/usr/bin/env bash
# Builds the benchmark of the command runner and runs it under Wine:
# RunHiddenCommand against two plain blocking runners in the same windowed
# process (children with a console of their own, children with a console
# without a window), the medians of interleaved rounds, their ratios and the
# targets. Prints the table, which is also left in the build folder.
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

# A server of our own whose process id we know, so that the benchmark can
# read its CPU time from /proc; whatever used the prefix before ends first.
wineserver -w
wineserver -f -p &
VK_STARTED_PIDS+=($!)
server=$!
sleep 1
kill -0 "$server" || { echo "wineserver did not start" >&2; exit 1; }

# A windowed program has no standard output under Wine: it writes a file.
result=$build/bench/exec_bench.txt
rm -f "$result"
vk_log "running $rounds rounds (about 20 s each)"
status=0
# exec keeps the shell's process id, $$, which becomes the benchmark's.
sh -c 'exec "$@" "$$"' sh "$VK_WINE" "$build/bench/exec_bench.exe" "Z:${result//\//\\}" \
  "$rounds" "$server" || status=$?
cat "$result"
exit "$status"
