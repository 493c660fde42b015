# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash disable=SC2154  # offx and offy are set by find_playfield
# Sourced by the live tests: a scratch folder (KEEP_WORK=1 keeps it), a private home, helpers;
# a script sets `pid` (the game) and `others` (helpers) for the clean-up.
work=$(mktemp -d)
pid="" others="" win="" xserver=""
cleanup() {
    for p in $pid $others $xserver; do
        kill -9 "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    if [ -n "${KEEP_WORK:-}" ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/out.txt" ] && tail -20 "$work/out.txt"
    exit 1
}
skip() { echo "skipped: $*"; }

# A private X server larger than the window, so menus and dialogs open fully. It picks a free
# display itself: xvfb-run -a can hand out a number whose last server has not quite gone.
on_private_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.txt" &
    xserver=$!
    await 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.txt")"
    export DISPLAY=":$(head -1 "$work/display")"
}

# Never the user's settings or data; the update check goes to a closed port.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb BRIVANE_UPDATE_SERVER=127.0.0.1:1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# await SECONDS COMMAND...: runs the command every 50 ms until it succeeds or the time is up.
await() {
    local tries=$(($1 * 20))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
window_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
await_window() { await 10 window_id "$1"; }
await_record() {
    await 10 grep -qE "$1" rec.replay 2>/dev/null || fail "the recording never got a line matching '$1'"
}
gone() { ! kill -0 "$1" 2>/dev/null; }

# ended_by STATUS COMMAND...: the command must end the game within 5 s with that status.
ended_by() {
    local expected=$1 status
    shift
    "$@"
    await 5 gone "$pid" || fail "$*: the game is still running"
    wait "$pid"
    status=$?
    pid=""
    [ "$status" -eq "$expected" ] || fail "$*: the game ended with status $status"
}

# Plays a copy of program $1 in $work with options $2..., recording and reporting, in a window
# given the keyboard (without a window manager nothing gives it; a player's click would).
start_game() {
    cp "$1" "$work/brivane"
    shift
    cd "$work" || exit 1
    "$work/brivane" --nomusic --record rec.replay --report live.jsonl --report-particles "$@" \
        >out.txt 2>&1 &
    pid=$!
    win=$(await_window '^Brivane v') || fail "the window did not appear"
    xdotool windowfocus --sync "$win"
}

# Where the playfield sits in the window (offx, offy), from a move as the game recorded it.
more_moves() { [ "$(grep -cE '^at [0-9.]+ move ' rec.replay)" -gt "$1" ]; }
find_playfield() {
    local before x y
    before=$(grep -cE '^at [0-9.]+ move ' rec.replay)
    xdotool mousemove --window "$win" 300 200
    await 10 more_moves "$before" || fail "a pointer move never reached the recording"
    read -r x y < <(grep -E '^at [0-9.]+ move ' rec.replay | tail -1 | awk '{print $4, $5}')
    offx=$((300 - ${x%.*} / 15))
    offy=$((200 - ${y%.*} / 15))
}
# The grace after a level starts lasts 100 pointer moves: 110 stirs near the corner ($1, $2).
use_up_grace() {
    local stir=()
    for k in $(seq 110); do
        stir+=(mousemove --window "$win" $((offx + $1 + k % 2 * 3)) $((offy + $2)))
    done
    xdotool "${stir[@]}"
}
# xdotool moves along a ring around window pixel ($1, $2) of radius $3, $4 steps a turn: steps
# 0 to $5, a pause of ${6:-0} s after each.
ring() {
    awk -v x="$1" -v y="$2" -v r="$3" -v n="$4" -v last="$5" -v d="${6:-0}" -v w="$win" 'BEGIN {
        for (s = 0; s <= last; s++) {
            a = s * 6.2832 / n
            printf "mousemove --window %s %d %d sleep %s ", w, x + r * cos(a), y + r * sin(a), d
        } }'
}

# File > Exit is the last item, reached by stepping up from the top.
open_file_menu() {
    xdotool mousemove --window "$win" 12 8 click 1
    sleep 0.3
}
menu_exit() {
    open_file_menu
    xdotool key Up Return
}

# A scores file the game did not write (bare line ends); saved means the game's own form.
hand_made_scores() { printf 'highlvl:3\nhighscore:1234\n' >"$1"; }
# Runs program $1 (options $2...) over hand-made scores beside it, until its window shows.
launch() {
    hand_made_scores "$(dirname "$1")/scores"
    "$@" >"$work/out.txt" 2>&1 &
    pid=$!
    win=$(await_window '^Brivane v') || fail "$*: the window did not appear"
}
scores_saved() {
    cmp -s "$1" <(printf 'highlvl:3\r\nhighscore:1234\r\n') ||
        fail "$2: the scores file holds $(od -c "$1" | head -3)"
}

# Where ball $3 (1 unless given) will be $1 ms after the live report's last line, in window
# pixels: a ball moves speed x frame step twips a pass of `ticks` ms. With $2 = clamp the point
# is kept inside the playfield; otherwise nothing when a wall comes first.
ball_ahead() {
    tail -1 live.jsonl |
        grep -oE '"(ticks|frameStep)":[0-9]+|"kind":"ball","num":'"${3:-1}"',"left":[-0-9.e]+,"top":[-0-9.e]+,"speedX":[-0-9]+,"speedY":[-0-9]+' |
        tr '\n' ',' | tr -d '"' | awk -F'[:,]' -v ms="$1" -v clamp="${2:-}" -v ox="$offx" -v oy="$offy" '
        { for (i = 1; i < NF; i++) { v[$i] = $(i + 1) } }
        END {
            if (!("left" in v) || v["ticks"] < 1) exit
            f = v["frameStep"] * ms / v["ticks"]
            x = (v["left"] + v["speedX"] * f + 157) / 15
            y = (v["top"] + v["speedY"] * f + 157) / 15
            if (clamp == "") { if (x < 20 || x > 576 || y < 20 || y > 420) exit }
            else { x = x < 3 ? 3 : (x > 593 ? 593 : x); y = y < 3 ? 3 : (y > 437 ? 437 : y) }
            printf "%d %d", x + ox, y + oy }'
}

# Replays recording $1 (rec.replay) headless: its report is live.jsonl's but for identities,
# which carry the time of day (real live, virtual in a replay).
mask() { sed -E 's/"IDnum":"[^"]*"/"IDnum":""/g' "$1"; }
replay_matches() {
    local rec=${1:-rec.replay} report="$work/replayed.jsonl" first
    "$work/brivane" --headless --replay "$rec" --report "$report" --report-particles \
        >summary.txt 2>replay.err || fail "the replay of $rec failed: $(cat summary.txt replay.err)"
    cmp -s <(mask live.jsonl) <(mask "$report") && return
    first=$(cmp <(mask live.jsonl) <(mask "$report") 2>&1 | grep -oE '[0-9]+$' || echo 1)
    diff <(mask live.jsonl | sed -n "${first}p" | cut -c1-600) \
        <(mask "$report" | sed -n "${first}p" | cut -c1-600)
    fail "the replay of $rec differs from the live game at line $first of $(wc -l <live.jsonl)"
}
