#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Plays a real game in a real window on a private X server, driven like a player would drive
# it (pointer loops, speed keys, menu choices with a dialog, running into a ball until a life is
# lost, File > Exit), recording it and writing its report as it goes. Then replays the
# recording headless and checks that the replay reports the very same passes.
#
# Usage: record_replay.sh PATH/TO/brivane
# Needs Xvfb, xvfb-run, xauth and xdotool. Exits 0 on success, 1 on a mismatch or failure.
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"

# The program keeps its high scores beside itself, so it plays from a copy in a folder of its own.
program=$(readlink -f "$1")
cp "$program" "$work/brivane"
for f in "$(dirname "$program")"/*.wav "$(dirname "$program")"/music.m3u; do
    [ -e "$f" ] && cp "$f" "$work/"
done
cd "$work" || exit 1
"$work/brivane" --seed 2024 --nomusic --record rec.replay --report live.jsonl \
    --report-particles >out.txt 2>&1 &
pid=$!
win=$(await_window '^Brivane v') || fail "the window did not appear"
# Without a window manager nothing gives the window the keyboard; a player's click would.
xdotool windowfocus --sync "$win"

# Moves the pointer to window pixel ($1, $2) and prints the twips the game got it as.
probe_move() {
    local before
    before=$(grep -cE '^at [0-9.]+ move ' rec.replay)
    xdotool mousemove --window "$win" "$1" "$2"
    for _ in $(seq 200); do
        if [ "$(grep -cE '^at [0-9.]+ move ' rec.replay)" -gt "$before" ]; then
            grep -E '^at [0-9.]+ move ' rec.replay | tail -1 | awk '{print $4, $5}'
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Where the playfield sits in the window: two pointer moves and the twips they were recorded as.
p1=$(probe_move 300 200) || fail "a pointer move never reached the recording"
p2=$(probe_move 400 300) || fail "a pointer move never reached the recording"
read -r x1 y1 <<<"$p1"
read -r x2 y2 <<<"$p2"
scale=$(awk -v a="$x1" -v b="$x2" -v c="$y1" -v d="$y2" \
    'BEGIN { print ((b - a) == (d - c)) ? (b - a) / 100 : "uneven" }')
offx=$(awk -v a="$x1" -v s="$scale" 'BEGIN { printf "%d", 300 - a / s }')
offy=$(awk -v a="$y1" -v s="$scale" 'BEGIN { printf "%d", 200 - a / s }')
[ "$scale" = "15" ] || fail "pointer moves were recorded at $scale twips a pixel, not 15"

# Circles of the tail around ($1, $2), of radius $3, in 24 steps.
circle() {
    for step in $(seq 0 24); do
        read -r px py < <(awk -v s="$step" -v x="$1" -v y="$2" -v r="$3" 'BEGIN {
            a = s * 6.2832 / 24; printf "%d %d", x + r * cos(a), y + r * sin(a) }')
        xdotool mousemove --window "$win" $((px + offx)) $((py + offy))
        sleep 0.03
    done
}
for loop in 1 2 3; do
    circle 300 220 $((60 + 20 * loop))
done

# The speed keys: up twice and down once, which also turns Auto Speed Adjust off.
xdotool key plus plus minus
await_record ' key 45$'

# Settings > Auto Speed Adjust (back on): open File with the pointer, step right to Settings,
# whose first item is then selected.
xdotool mousemove --window "$win" 12 8 click 1
sleep 0.3
xdotool key Right Return
await_record ' menu mnuSettingsAutoSpeed$'

# File > Jump To Level (the second item, after New Game), answering 1 in its dialog: level 1
# again, with new particles.
xdotool mousemove --window "$win" 12 8 click 1
sleep 0.3
xdotool key Down Down Return
dialog=$(await_window '^Jump To Level$') || fail "the Jump To Level dialog did not open"
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type 1
xdotool key Return
await_record ' menu mnuFileJumpLevel 1$'
xdotool windowfocus --sync "$win"

# A loop of the tail drawn quickly around where the ball is heading, until it is caught.
caught=""
for _ in $(seq 20); do
    read -r cx cy < <(ball_ahead 130 clamp)
    [ -n "${cx:-}" ] || break
    for step in $(seq 0 18); do
        # shellcheck disable=SC2046  # awk prints the two coordinates
        xdotool mousemove --window "$win" \
            $(awk -v s="$step" -v x="$cx" -v y="$cy" 'BEGIN {
                a = s * 6.2832 / 16; printf "%d %d", x + 70 * cos(a), y + 70 * sin(a) }')
    done
    sleep 0.3
    if grep -qE '"score":[1-9]' live.jsonl; then
        caught=yes
        break
    fi
done

# Run into the ball until a life is lost: wait where the live report says it is heading,
# stirring the pointer by a pixel, since the game checks for contact when the pointer moves
# and only moves use up the grace after a level starts.
died=""
for _ in $(seq 50); do
    if grep -q '"dying":true' live.jsonl; then
        died=yes
        break
    fi
    read -r bx by < <(ball_ahead 350 clamp)
    if [ -z "${bx:-}" ]; then
        sleep 0.1
        continue
    fi
    wait_there=()
    for k in $(seq 14); do
        wait_there+=(mousemove --window "$win" $((bx + k % 2)) "$by" sleep 0.05)
    done
    xdotool "${wait_there[@]}"
done
[ -n "$died" ] || fail "the player never ran into the ball"

# Let the death play out and the next life begin, then more loops.
sleep 3
circle 200 150 90
menu_exit
await_end "$pid" "File > Exit did not end the program"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"
grep -q ' menu mnuFileExit$' rec.replay || fail "the recording does not end with File > Exit"

live_lines=$(wc -l <live.jsonl)
if ! replay_matches; then
    first=$(cmp <(mask live.jsonl) <(mask replay.jsonl) | grep -oE 'line [0-9]+' | cut -d' ' -f2)
    echo "live:   $(mask live.jsonl | sed -n "${first:-1}p" | cut -c1-600)"
    echo "replay: $(mask replay.jsonl | sed -n "${first:-1}p" | cut -c1-600)"
    fail "the replay's report differs from the live one (live $live_lines passes, replay" \
        "$(wc -l <replay.jsonl)), first at line ${first:-?}"
fi

# The summary line describes the same final state as the live report's last line.
last=$(tail -1 live.jsonl)
field() { printf '%s' "$last" | grep -oE "\"$1\":[-0-9.e]+" | head -1 | cut -d: -f2; }
expected="passes=$(field pass) level=$(field level) score=$(field score) lives=$(field lives)"
expected="$expected highLevel=$(field highLevel) highScore=$(field highScore)"
[ "$(cat summary.txt)" = "$expected" ] ||
    fail "summary '$(cat summary.txt)', expected '$expected'"

echo "live and replay agree over $live_lines passes: $(cat summary.txt)"
echo "ball caught in a loop: ${caught:-no}"
echo "recording: $(grep -c ' move ' rec.replay) moves, $(grep -c ' key ' rec.replay) keys," \
    "$(grep -c ' menu ' rec.replay) menu choices, $(grep -c ' timer ' rec.replay) timer ticks"
exit 0
