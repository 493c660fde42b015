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

if [ -z "${DISPLAY_READY:-}" ]; then
    exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

program=$(readlink -f "$1")
work=$(mktemp -d)
pid="" other=""
cleanup() {
    for p in $pid $other; do
        kill -0 "$p" 2>/dev/null && kill -9 "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/out.txt" ] && tail -20 "$work/out.txt"
    exit 1
}

cp "$program" "$work/brivane"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb BRIVANE_UPDATE_SERVER=127.0.0.1:1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$work" || exit 1

"$work/brivane" --seed 77 --nomusic --record rec.replay --report live.jsonl \
    --report-particles >out.txt 2>&1 &
pid=$!

await_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.05
    done
    return 1
}
await_record() {
    for _ in $(seq 200); do
        grep -qE "$1" rec.replay 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the recording never got a line matching '$1'"
}
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

# Where ball 1 will be in $1 ms, in window pixels, or nothing when a wall comes first.
ball_ahead() {
    tail -1 live.jsonl |
        grep -oE '"(ticks|frameStep)":[0-9]+|"kind":"ball","num":1,"left":[-0-9.e]+,"top":[-0-9.e]+,"speedX":[-0-9]+,"speedY":[-0-9]+' |
        tr '\n' ',' | tr -d '"' | awk -F'[:,]' -v ms="$1" -v ox="$offx" -v oy="$offy" '
        { for (i = 1; i < NF; i++) { v[$i] = $(i + 1) } }
        END {
            if (!("left" in v) || v["ticks"] < 1) exit
            f = v["frameStep"] * ms / v["ticks"]
            x = (v["left"] + v["speedX"] * f + 157) / 15
            y = (v["top"] + v["speedY"] * f + 157) / 15
            if (x < 20 || x > 576 || y < 20 || y > 420) exit
            printf "%d %d", x + ox, y + oy }'
}
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
other=$!
note=$(await_window '^xmessage$') || fail "the other window did not appear"
xdotool windowfocus --sync "$note"
await_record ' pause$'
sleep 0.5
held=$(passes)
if [ -n "${PAUSE_SHOT:-}" ]; then
    import -window root "$PAUSE_SHOT"
fi
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

xdotool mousemove --window "$win" 12 8 click 1
sleep 0.3
xdotool key Up Return
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$pid"
pid=""

"$work/brivane" --headless --replay rec.replay --report replay.jsonl --report-particles \
    >summary.txt 2>replay.err || fail "the headless replay failed: $(cat replay.err)"
mask() { sed -E 's/"IDnum":"[^"]*"/"IDnum":""/g' "$1"; }
cmp -s <(mask live.jsonl) <(mask replay.jsonl) ||
    fail "the replay's report differs from the live one"
echo "paused for 10 s over $held passes with no life lost; went on after P: $(cat summary.txt)"
exit 0
