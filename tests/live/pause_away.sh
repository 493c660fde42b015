#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A player parks the spark on a ball's path and looks at another window for 10 s: the game
# pauses itself (Settings > Pause When Inactive is on by default), no pass runs and no life is
# lost however the pointer stirs meanwhile; back in the window, P lets play go on. The
# recording keeps the pause and the resume, and its headless replay reports the same passes.
#
# Usage: pause_away.sh PATH/TO/brivane
# Needs Xvfb, xvfb-run, xauth, xdotool and xmessage (the other window). Set PAUSE_SHOT to a
# file name to keep a screenshot of the paused window. Exits 0 on success, 1 on a failure.
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"

cp "$(readlink -f "$1")" "$work/brivane"
cd "$work" || exit 1
"$work/brivane" --seed 77 --nomusic --record rec.replay --report live.jsonl \
    --report-particles >out.txt 2>&1 &
pid=$!
passes() { wc -l <live.jsonl; }
win=$(await_window '^Brivane v') || fail "the window did not appear"
xdotool windowfocus --sync "$win"

# Where the playfield sits in the window: the window pixel (100, 100) as the game got it.
xdotool mousemove --window "$win" 100 100
await_record '^at [0-9.]+ move '
read -r tx ty < <(grep -E '^at [0-9.]+ move ' rec.replay | tail -1 | awk '{print $4, $5}')
offx=$((100 - ${tx%.*} / 15))
offy=$((100 - ${ty%.*} / 15))

# The grace after the level starts lasts 100 pointer moves; use it up in a corner.
jiggle=()
for k in $(seq 110); do
    jiggle+=(mousemove --window "$win" $((20 + k % 2 + offx)) $((20 + offy)))
done
xdotool "${jiggle[@]}"
sleep 0.3

spot=""
for _ in $(seq 40); do
    for lead in 1500 1200 900 700 500; do
        spot=$(ball_ahead "$lead")
        [ -n "$spot" ] && break 2
    done
    sleep 0.2
done
[ -n "$spot" ] || fail "no point on the ball's path inside the playfield"
read -r sx sy <<<"$spot"

# Park the spark there and look at another window at once.
xdotool mousemove --window "$win" "$sx" "$sy"
xmessage -geometry +650+600 "Someone wrote to you" &
others=$!
note=$(await_window '^xmessage$') || fail "the other window did not appear"
xdotool windowfocus --sync "$note"
await_record ' pause$'
sleep 0.5
held=$(passes)
[ -n "${PAUSE_SHOT:-}" ] && import -window root "$PAUSE_SHOT"
# Ten seconds away, the hand on the mouse stirring the pointer over the ball's path.
for _ in $(seq 50); do
    xdotool mousemove --window "$win" $((sx + RANDOM % 2)) "$sy"
    sleep 0.2
done
[ "$(passes)" -eq "$held" ] || fail "passes ran while paused ($held, then $(passes))"
grep -q '"dying":true' live.jsonl && fail "a life was lost while looking away"

# Back in the window: P, and the spark jumps away from the ball when the pointer moves.
xdotool windowfocus --sync "$win"
xdotool key p
await_record ' resume$'
xdotool mousemove --window "$win" $((596 - sx + 2 * offx)) $((440 - sy + 2 * offy))
sleep 1
[ "$(passes)" -gt $((held + 20)) ] || fail "play did not go on after P"
grep -q '"dying":true' live.jsonl && fail "a life was lost"

menu_exit
await_end "$pid" "File > Exit did not end the program"
pid=""
replay_matches || fail "the replay's report differs from the live one"
echo "paused for 10 s over $held passes with no life lost; went on after P: $(cat summary.txt)"
exit 0
