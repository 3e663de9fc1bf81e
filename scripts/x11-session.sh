#!/usr/bin/env bash
# Runs a command inside a private X session: Xvfb, the openbox window manager and,
# with --tray, a notification-area host (trayer). Everything started here is stopped
# when the command ends. The command sees DISPLAY of the new server.
#
# Usage: scripts/x11-session.sh [--tray] [--size WxH] -- COMMAND [ARG]...
set -euo pipefail

tray=0
size=1280x1024
while [[ $# -gt 0 ]]; do
    case "$1" in
        --tray) tray=1; shift ;;
        --size) size="$2"; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
if [[ $# -eq 0 ]]; then
    echo "usage: $0 [--tray] [--size WxH] -- COMMAND [ARG]..." >&2
    exit 2
fi

workdir=$(mktemp -d /tmp/korvalin-x11.XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$workdir"
}
trap cleanup EXIT

# -displayfd lets the server pick a free display number and tell us which.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [[ -s "$workdir/display" ]] && break
    sleep 0.05
done
if [[ ! -s "$workdir/display" ]]; then
    echo "x11-session: Xvfb did not start:" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$workdir/display")"

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
pids+=($!)
# Wait until the window manager owns the screen, so the first window is managed.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

if [[ $tray -eq 1 ]]; then
    trayer --edge bottom --align right --widthtype pixel --width 200 --height 24 \
        --SetDockType true >"$workdir/trayer.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root 2>/dev/null | grep -q '_NET_SYSTEM_TRAY' && break
        xwininfo -root -children 2>/dev/null | grep -qi trayer && break
        sleep 0.05
    done
fi

set +e
"$@"
status=$?
set -e
exit $status
