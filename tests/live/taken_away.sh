#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Endings from outside the window (destroyed, the client cut off, the X server killed) end the
# game within seconds with its best score saved beside the program; losing the display is
# status 1. An output file that cannot take more (a full disk, a pipe whose reader went away) is
# said once and play goes on until SIGTERM. A program folder whose name is not UTF-8 works too.
# Usage: taken_away.sh PATH/TO/brivane (needs Xvfb, xdotool and xkill)
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
        rm -f "$work/pipe" && mkfifo "$work/pipe"
        head -c 1 "$work/pipe" >/dev/null &
    fi
    # An X server of the round's own, as one round kills it.
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    others=$!
    await 5 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$work/display")"
    dir="$work/$folder"
    mkdir -p "$dir"
    cp "$program" "$dir/brivane"
    # shellcheck disable=SC2086
    launch "$dir/brivane" --nomusic $options
    sleep 2
    said=$(grep -c 'cannot write' "$work/out.txt")
    [ "$said" -eq "$([ -n "$options" ] && echo 1 || echo 0)" ] ||
        fail "$ending $options: said 'cannot write' $said times"
    gone "$pid" && fail "$ending $options: the game ended before it was told to"
    case "$ending" in
        windowclose) ended_by "$expected" xdotool windowclose "$win" ;;
        xkill) ended_by "$expected" xkill -id "$win" ;;
        server) ended_by "$expected" kill "$others" ;;
        term) ended_by "$expected" kill -TERM "$pid" ;;
    esac
    scores_saved "$dir/scores" "$ending"
    [ -z "$(find "$XDG_DATA_HOME" -name scores 2>/dev/null)" ] ||
        fail "$ending: the scores went to the data folder"
    kill "$others" 2>/dev/null
    wait "$others" 2>/dev/null
    others=""
    rm -rf "$dir"
done
echo "ok: saved on windowclose, xkill, a killed X server, from a folder not in UTF-8, and with" \
    "a report or recording that cannot be written"
