#!/usr/bin/env bash
# Runs bench/snmp_bench (built into BUILD/bench/, default build/) against net-snmp's
# snmpd inside a network namespace of its own that also holds 200 ifb interfaces, so
# the interface walk has something to walk. Needs root. Extra arguments go to the
# benchmark (e.g. --benchmark_repetitions=5).
#
# Usage: bench/snmp_bench.sh [BUILD] [BENCHMARK ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
binary="$build/bench/snmp_bench"
[[ -x "$binary" ]] || { echo "no $binary: build the benchmarks first" >&2; exit 1; }

netns="korvalin-snmpbench-$$"
work="$(mktemp -d)"
community="bench"
cleanup() {
    scripts/snmpd-netns.sh stop "$work" || true
    ip netns del "$netns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$netns"
for i in $(seq 0 199); do
    echo "link add ifb$i type ifb"
done | ip -n "$netns" -batch -
scripts/snmpd-netns.sh start "$netns" "$work" "$community"
ip netns exec "$netns" env KORVALIN_BENCH_AGENT=127.0.0.1 KORVALIN_BENCH_COMMUNITY="$community" \
    SNMP_PERSISTENT_DIR="$work/client" MIBS= "$binary" "$@"
