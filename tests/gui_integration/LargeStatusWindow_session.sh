#!/usr/bin/env bash
# Runs inside a private X session (scripts/x11-session.sh): starts the program twice with
# the settings folder given, moves the large status window in between, and prints what it
# sees as key=value lines for the test to check.
# Usage: LargeStatusWindow_session.sh PROGRAM CONFIG-FOLDER
set -uo pipefail

program=$1
config=$2
export XDG_CONFIG_HOME=$config
# The test program runs on the offscreen platform; the program here needs the X server.
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$config/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The large window is the visible tool window called "Korvalin".
find_big_window() {
    local deadline=$((SECONDS + 15))
    while ((SECONDS < deadline)); do
        for id in $(xdotool search --onlyvisible --name '^Korvalin$' 2>/dev/null); do
            if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

# Position and size of the window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x "," y "," w "," h }'
}

stop_program() {
    kill -TERM "$1"
    local deadline=$((SECONDS + 15))
    while kill -0 "$1" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        echo "stopped=no"
        kill -KILL "$1"
    else
        echo "stopped=yes"
    fi
    wait "$1" 2>/dev/null
}

"$program" >"$config/first.log" 2>&1 &
first=$!
if ! window=$(find_big_window); then
    echo "first_window=none"
    stop_program "$first"
    cat "$config/first.log" >&2
    exit 0
fi
echo "first_window=found"
echo "first_state=$(xprop -id "$window" _NET_WM_STATE)"
echo "first_geometry=$(geometry "$window")"
xdotool windowmove --sync "$window" 321 234 2>/dev/null || xdotool windowmove "$window" 321 234
xdotool windowsize --sync "$window" 300 360 2>/dev/null || xdotool windowsize "$window" 300 360
sleep 0.5
echo "moved_geometry=$(geometry "$window")"
stop_program "$first"

"$program" >"$config/second.log" 2>&1 &
second=$!
if ! window=$(find_big_window); then
    echo "second_window=none"
    stop_program "$second"
    cat "$config/second.log" >&2
    exit 0
fi
sleep 0.5
echo "second_window=found"
echo "second_geometry=$(geometry "$window")"
echo "second_state=$(xprop -id "$window" _NET_WM_STATE)"
stop_program "$second"
