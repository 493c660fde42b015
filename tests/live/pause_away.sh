#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The spark parked on a ball's path while the player looks at another window for 10 s: the game
# pauses itself (Pause When Inactive is on by default), no pass runs and no life is lost however
# the pointer stirs; back in the window, P goes on. The replay reports the same passes.
# Usage: pause_away.sh PATH/TO/brivane (needs xmessage; PAUSE_SHOT=FILE keeps a screenshot)
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"
start_game "$1" --seed 77
passes() { wc -l <live.jsonl; }
find_playfield
use_up_grace 20 20
sleep 0.3
for _ in $(seq 40); do
    for lead in 1500 1200 900 700 500; do
        read -r sx sy < <(ball_ahead "$lead")
        [ -n "$sx" ] && break 2
    done
    sleep 0.2
done
[ -n "${sx:-}" ] || fail "no point on the ball's path inside the playfield"

xdotool mousemove --window "$win" "$sx" "$sy"
xmessage -geometry +650+600 "Someone wrote to you" &
others=$!
note=$(await_window '^xmessage$') || fail "the other window did not appear"
xdotool windowfocus --sync "$note"
await_record ' pause$'
sleep 0.5
held=$(passes)
[ -n "${PAUSE_SHOT:-}" ] && import -window root "$PAUSE_SHOT"
for _ in $(seq 50); do
    xdotool mousemove --window "$win" $((sx + RANDOM % 2)) "$sy"
    sleep 0.2
done
[ "$(passes)" -eq "$held" ] || fail "passes ran while paused ($held, then $(passes))"
grep -q '"dying":true' live.jsonl && fail "a life was lost while looking away"

# Back: P, and the spark moves away from the ball.
xdotool windowfocus --sync "$win" key p
await_record ' resume$'
xdotool mousemove --window "$win" $((596 - sx + 2 * offx)) $((440 - sy + 2 * offy))
sleep 1
[ "$(passes)" -gt $((held + 20)) ] || fail "play did not go on after P"
grep -q '"dying":true' live.jsonl && fail "a life was lost"
ended_by 0 menu_exit
replay_matches
echo "paused for 10 s over $held passes with no life lost; went on after P: $(cat summary.txt)"
