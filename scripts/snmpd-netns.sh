#!/usr/bin/env bash
# Starts or stops a private net-snmp agent inside an existing network namespace, for the
# tests and benchmarks. The agent listens on the namespace's loopback only (IPv4 and
# IPv6), answers one read-only community, and reads no system configuration: its
# configuration, persistent state, pid file and log all live in DIR.
#
# Usage: scripts/snmpd-netns.sh start NETNS DIR COMMUNITY
#        scripts/snmpd-netns.sh stop DIR
set -euo pipefail

usage() {
    echo "usage: $0 start NETNS DIR COMMUNITY | stop DIR" >&2
    exit 2
}

start_agent() {
    local netns="$1" dir="$2" community="$3"
    mkdir -p "$dir/state"
    ip netns exec "$netns" ip link set lo up
    # IPv6 loopback only where the namespace has it (tests may switch IPv6 off).
    local addresses="udp:127.0.0.1:161"
    if ip netns exec "$netns" ip -6 addr show dev lo 2>/dev/null | grep -q '::1/'; then
        addresses+=",udp6:[::1]:161"
    fi
    cat >"$dir/snmpd.conf" <<CONF
agentAddress $addresses
rocommunity $community 127.0.0.1
rocommunity6 $community ::1
sysDescr Korvalin test agent
sysName korvalin-test
CONF
    # -C: no system configuration; -I -smux: no SMUX listener; MIBS empty: the agent needs
    # no MIB files and should not complain about them.
    if ! ip netns exec "$netns" env SNMP_PERSISTENT_DIR="$dir/state" MIBS= \
        /usr/sbin/snmpd -C -c "$dir/snmpd.conf" -p "$dir/snmpd.pid" -Lf "$dir/snmpd.log" \
        -I -smux,mteTrigger,mteTriggerConf; then
        echo "snmpd failed to start in $netns; log:" >&2
        cat "$dir/snmpd.log" >&2 || true
        return 1
    fi
    for _ in $(seq 1 100); do
        if [[ -s "$dir/snmpd.pid" ]] &&
            ip netns exec "$netns" ss -Hlun 'sport = :161' | grep -q 127.0.0.1; then
            return 0
        fi
        sleep 0.1
    done
    echo "snmpd did not start in $netns; log:" >&2
    cat "$dir/snmpd.log" >&2 || true
    stop_agent "$dir"
    return 1
}

stop_agent() {
    local dir="$1" pid
    [[ -s "$dir/snmpd.pid" ]] || return 0
    pid="$(cat "$dir/snmpd.pid")"
    kill "$pid" 2>/dev/null || true
    local state
    for _ in $(seq 1 50); do
        # A zombie has ended already; it only waits for its parent to reap it.
        state="$(ps -o stat= -p "$pid" 2>/dev/null || true)"
        [[ -z "$state" || "$state" == Z* ]] && break
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/snmpd.pid"
}

case "${1:-}" in
start) [[ $# -eq 4 ]] || usage; start_agent "$2" "$3" "$4" ;;
stop) [[ $# -eq 2 ]] || usage; stop_agent "$2" ;;
*) usage ;;
esac
