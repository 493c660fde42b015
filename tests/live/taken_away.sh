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
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
program=$(readlink -f "$1")

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
    # One X server per round, as one round kills it.
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    others=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    DISPLAY=":$(head -1 "$work/display")"
    export DISPLAY
    dir="$work/$folder"
    mkdir -p "$dir"
    cp "$program" "$dir/brivane"
    hand_made_scores "$dir/scores"
    # shellcheck disable=SC2086
    "$dir/brivane" --nomusic $options >"$work/out.txt" 2>&1 &
    pid=$!
    win=$(await_window '^Brivane v') || fail "$ending: the window did not appear"
    sleep 2
    said=$(grep -c 'cannot write' "$work/out.txt")
    [ "$said" -eq "$([ -n "$options" ] && echo 1 || echo 0)" ] ||
        fail "$ending $options: said 'cannot write' $said times"
    kill -0 "$pid" 2>/dev/null || fail "$ending $options: the game ended before it was told to"
    case "$ending" in
        windowclose) xdotool windowclose "$win" ;;
        xkill) xkill -id "$win" >/dev/null ;;
        server) kill "$others" ;;
        term) kill -TERM "$pid" ;;
    esac
    await_end "$pid" "$ending: the game is still running"
    status=$?
    pid=""
    [ "$status" -eq "$expected" ] || fail "$ending: the game ended with status $status"
    scores_saved "$dir/scores" || fail "$ending: the scores file holds: $(od -c "$dir/scores" | head -3)"
    [ -z "$(find "$XDG_DATA_HOME" -name scores 2>/dev/null)" ] ||
        fail "$ending: the scores went to the data folder"
    kill "$others" 2>/dev/null
    wait "$others" 2>/dev/null
    others=""
    rm -rf "$dir"
done
echo "ok: saved on windowclose, xkill, a killed X server, from a folder not in UTF-8, and with" \
    "a report or recording that cannot be written"
