#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What the world outside can take away from a game being played. Endings that do not come
# through the window's close button: the window destroyed from outside (xdotool windowclose),
# the client cut off by the X server (xkill), the X server itself killed. Each must end the
# game within seconds with its best score saved beside the program; losing the display ends it
# with status 1. A report or recording whose file cannot take more (a full disk, a pipe whose
# reader went away) is said once on standard error and play goes on until SIGTERM. The program
# also plays from a folder whose name is not UTF-8, and keeps its scores there.
#
# Usage: taken_away.sh PATH/TO/brivane
# Needs Xvfb, xdotool and xkill. Exits 0 on success, 1 on a failure.
set -u

program=$(readlink -f "$1")
work=$(mktemp -d)
pid="" xpid=""
cleanup() {
    for p in "$pid" "$xpid"; do
        [ -n "$p" ] && kill -9 "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    [ -z "${KEEP_WORK:-}" ] && rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/out.txt" ] && tail -5 "$work/out.txt"
    exit 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb BRIVANE_UPDATE_SERVER=127.0.0.1:1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# One X server per round, as one round kills it.
start_x() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xpid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$work/display")"
}

# Prints the id of the game's window, waiting up to 10 s for it.
await_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --name '^Brivane v' 2>/dev/null | head -1)
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.05
    done
    return 1
}

#        ending       folder name          status  options
rounds=("windowclose  plain                0       -"
    "xkill        plain                1       -"
    "server       plain                1       -"
    "term         $(printf 'not\377utf8') 0       -"
    "term         plain                0       --record=/dev/full"
    "term         plain                0       --report=/dev/full"
    "term         plain                0       --report=$work/pipe")
for round in "${rounds[@]}"; do
    read -r ending folder expected options <<<"$round"
    [ "$options" = - ] && options=""
    if [[ "$options" == *pipe ]]; then
        # A reader that takes one byte and goes.
        rm -f "$work/pipe" && mkfifo "$work/pipe"
        head -c 1 "$work/pipe" >/dev/null &
    fi
    start_x
    dir="$work/$folder"
    mkdir -p "$dir"
    cp "$program" "$dir/brivane"
    # Bare line ends: after the game saved, the file holds the same values in its own form.
    printf 'highlvl:3\nhighscore:1234\n' >"$dir/scores"
    # shellcheck disable=SC2086
    "$dir/brivane" --nomusic $options >"$work/out.txt" 2>&1 &
    pid=$!
    win=$(await_window) || fail "$ending: the window did not appear"
    sleep 2
    said=$(grep -c 'cannot write' "$work/out.txt")
    [ "$said" -eq "$([ -n "$options" ] && echo 1 || echo 0)" ] ||
        fail "$ending $options: said 'cannot write' $said times"
    kill -0 "$pid" 2>/dev/null || fail "$ending $options: the game ended before it was told to"
    case "$ending" in
        windowclose) xdotool windowclose "$win" ;;
        xkill) xkill -id "$win" >/dev/null ;;
        server) kill "$xpid" ;;
        term) kill -TERM "$pid" ;;
    esac
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$pid" 2>/dev/null && fail "$ending: the game is still running"
    wait "$pid"
    status=$?
    pid=""
    [ "$status" -eq "$expected" ] || fail "$ending: the game ended with status $status"
    [ "$(od -An -c "$dir/scores" | tr -s ' ')" = "$(printf 'highlvl:3\r\nhighscore:1234\r\n' | od -An -c | tr -s ' ')" ] ||
        fail "$ending: the scores file holds: $(od -c "$dir/scores" | head -3)"
    [ -z "$(find "$XDG_DATA_HOME" -name scores 2>/dev/null)" ] ||
        fail "$ending: the scores went to the data folder"
    kill "$xpid" 2>/dev/null
    wait "$xpid" 2>/dev/null
    xpid=""
    rm -rf "$dir"
done
echo "ok: saved on windowclose, xkill, a killed X server, from a folder not in UTF-8, and with" \
    "a report or recording that cannot be written"
