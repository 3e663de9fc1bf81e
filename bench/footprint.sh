#!/usr/bin/env bash
# Whole-program footprint: runs the real program in a private X session for DURATION
# seconds (60 by default) while it monitors one end of a veth pair between two network
# namespaces made for the run, which carries a bounded ping load, with the large status
# window shown and the configuration window hidden. Beside it, in the same run, nload watches the same interface at the same
# one-second interval in a private tmux server (nload needs a terminal).
# Reports CPU milliseconds per second of monitoring and the peak resident set size of
# both, from /proc.
#
# Usage: bench/footprint.sh [PATH-TO-KORVALIN]   (DURATION=seconds in the environment)
# Needs root for the namespaces.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
binary=${1:-${KORVALIN_BINARY:-$here/build/src/korvalin}}
duration=${DURATION:-60}
warmup=5
interface=kvfp0
peer_address=10.253.0.2

if [[ ! -x $binary ]]; then
    echo "footprint: no program at $binary (build it first or pass its path)" >&2
    exit 2
fi

# Outside: two namespaces joined by a veth pair; the program, nload and the X session
# run in the first, the ping answers come from the second.
if [[ ${FOOTPRINT_INSIDE_SESSION:-0} != 1 ]]; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "footprint: needs root to create the network namespaces" >&2
        exit 2
    fi
    monitored="korvalin-fp-$$-a"
    answering="korvalin-fp-$$-b"
    remove_namespaces() {
        ip netns delete "$monitored" 2>/dev/null || true
        ip netns delete "$answering" 2>/dev/null || true
    }
    trap remove_namespaces EXIT
    ip netns add "$monitored"
    ip netns add "$answering"
    ip -n "$monitored" link add "$interface" type veth peer name kvfp1 netns "$answering"
    ip -n "$monitored" addr add 10.253.0.1/30 dev "$interface"
    ip -n "$answering" addr add "$peer_address/30" dev kvfp1
    ip -n "$monitored" link set lo up
    ip -n "$monitored" link set "$interface" up
    ip -n "$answering" link set kvfp1 up
    status=0
    ip netns exec "$monitored" env FOOTPRINT_INSIDE_SESSION=1 DURATION="$duration" \
        "$here/scripts/x11-session.sh" --tray -- "$0" "$binary" || status=$?
    exit $status
fi

workdir=$(mktemp -d /tmp/korvalin-footprint.XXXXXX)
tmux_socket="korvalin-footprint-$$"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    tmux -L "$tmux_socket" kill-server 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

# A settings file that is not the first start (so the configuration window stays
# closed), monitors the loopback adapter and shows the large window.
mkdir -p "$workdir/config/Korvalin"
cat >"$workdir/config/Korvalin/korvalin.ini" <<EOF
[Options]
New=0
MonLAN=1
Monitor=$interface
ShowBigWindow=1
ShowMiniWindow=0
EOF

# CPU time of a process (all its threads) in nanoseconds: the scheduler's own count
# where the kernel keeps it, else utime + stime, whose 10 ms ticks are coarse for a
# process that needs a few milliseconds a second.
cpu_nanoseconds() {
    if [[ -r /proc/$1/schedstat ]]; then
        local total=0 thread
        for thread in /proc/"$1"/task/*/schedstat; do
            total=$((total + $(cut -d' ' -f1 "$thread" 2>/dev/null || echo 0)))
        done
        echo "$total"
    else
        awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%d\n", ($12 + $13) * 1e9 / hz }' \
            "/proc/$1/stat"
    fi
}

peak_rss_kib() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# Bounded load on the monitored interface: ten 1400-byte pings a second for the run, to
# the other namespace.
ping -q -i 0.1 -s 1400 -c $(((duration + warmup + 5) * 10)) "$peer_address" >/dev/null 2>&1 &
pids+=($!)

XDG_CONFIG_HOME="$workdir/config" "$binary" >"$workdir/korvalin.log" 2>&1 &
korvalin=$!
pids+=($korvalin)

tmux -L "$tmux_socket" -f /dev/null new-session -d -x 120 -y 40 "exec nload -t 1000 $interface"
nload=$(tmux -L "$tmux_socket" display-message -p '#{pane_pid}')

sleep "$warmup"
for pid in "$korvalin" "$nload"; do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "footprint: process $pid ended early" >&2
        cat "$workdir/korvalin.log" >&2
        exit 1
    fi
done
big_window=$(xdotool search --onlyvisible --name '^Korvalin$' 2>/dev/null | wc -l || true)

korvalin_start=$(cpu_nanoseconds "$korvalin")
nload_start=$(cpu_nanoseconds "$nload")
sleep "$duration"
korvalin_end=$(cpu_nanoseconds "$korvalin")
nload_end=$(cpu_nanoseconds "$nload")

report() {
    local name=$1 start=$2 end=$3 pid=$4
    awk -v name="$name" -v nanoseconds=$((end - start)) -v seconds="$duration" \
        -v rss="$(peak_rss_kib "$pid")" \
        'BEGIN { printf "%-10s %8.2f ms CPU per second   peak RSS %7.1f MB\n",
                 name, nanoseconds / 1e6 / seconds, rss / 1024 }'
}

echo "footprint over ${duration} s, interface $interface, visible windows named Korvalin: $big_window"
report korvalin "$korvalin_start" "$korvalin_end" "$korvalin"
report nload "$nload_start" "$nload_end" "$nload"
