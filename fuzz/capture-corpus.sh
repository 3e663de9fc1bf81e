#!/usr/bin/env bash
# Captures real answers of net-snmp's snmpd as seed files for the decoder fuzzer and as
# golden datagrams for the codec tests. Runs the agent in a network namespace of its
# own (scripts/snmpd-netns.sh), asks it with snmpget/snmpgetnext -d and writes every
# received datagram to fuzz/corpus/<name>.bin. Needs root.
#
# Usage: fuzz/capture-corpus.sh
set -euo pipefail
cd "$(dirname "$0")/.."

netns="korvalin-capture-$$"
work="$(mktemp -d)"
community="capture"
cleanup() {
    scripts/snmpd-netns.sh stop "$work" || true
    ip netns del "$netns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$netns"
# A veth pair gives the agent an interface with a physical address beside loopback.
ip netns exec "$netns" ip link add capture0 type veth peer name capture1
ip netns exec "$netns" ip link set capture0 address 02:00:00:00:00:01
ip netns exec "$netns" ip link set capture0 up
ip netns exec "$netns" ip link set capture1 up
scripts/snmpd-netns.sh start "$netns" "$work" "$community"

# Prints the bytes of the first datagram the tool reports as received, as raw binary.
first_received() {
    awk '/^Received [0-9]+ byte packet/ { inside = 1; next }
         inside && /^[0-9][0-9][0-9][0-9]: / {
             n = split(substr($0, 7, 50), bytes, " ")
             for (i = 1; i <= n; i++) printf "%s", bytes[i]
             next }
         inside { exit }'
}

capture() {
    local name="$1" tool="$2"
    shift 2
    local hex
    hex="$(ip netns exec "$netns" env SNMP_PERSISTENT_DIR="$work/client" MIBS= \
        "$tool" -d -v1 -c "$community" -r 0 -t 2 127.0.0.1 "$@" 2>&1 | first_received || true)"
    [[ -n "$hex" ]] || { echo "no answer for $name" >&2; exit 1; }
    printf "%b" "$(sed 's/../\\x&/g' <<<"$hex")" >"fuzz/corpus/$name.bin"
    echo "fuzz/corpus/$name.bin: $tool $*"
}

capture sysdescr snmpget 1.3.6.1.2.1.1.1.0
capture sysobjectid snmpget 1.3.6.1.2.1.1.2.0
capture sysuptime snmpget 1.3.6.1.2.1.1.3.0
capture ifnumber snmpget 1.3.6.1.2.1.2.1.0
capture ifdescr-lo snmpget 1.3.6.1.2.1.2.2.1.2.1
capture ifphysaddress snmpget 1.3.6.1.2.1.2.2.1.6.2
capture ifspeed snmpget 1.3.6.1.2.1.2.2.1.5.2
capture ifinoctets snmpget 1.3.6.1.2.1.2.2.1.10.1
capture ipadentaddr snmpget 1.3.6.1.2.1.4.20.1.1.127.0.0.1
capture octets-pair snmpget 1.3.6.1.2.1.2.2.1.10.1 1.3.6.1.2.1.2.2.1.16.1
capture walk-first snmpgetnext 1.3.6.1.2.1.2.2.1.1
capture walk-end snmpgetnext 1.3.6.1.2.1.2.2.1.1.3
capture nosuchname snmpget 1.3.6.1.2.1.99.1.0
