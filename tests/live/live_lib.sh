# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash disable=SC2154  # win, offx and offy are the sourcing script's
# Set-up the live tests share, sourced by each: a scratch folder cleaned up at the end, a private
# home, a private X server, and helpers that find windows, wait for files and processes, and
# read the game's reports. A script sets `pid` (the game) and `others` (helpers) for the clean-up.

work=$(mktemp -d)
pid="" others=""
cleanup() {
    for p in $pid $others; do
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

# Re-runs the calling script inside a private X server, larger than the window so that menus
# and dialogs open fully on it. Call it first, with the script's arguments.
on_private_x() {
    [ -n "${DISPLAY_READY:-}" ] && return
    rm -rf "$work"
    exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
}

# Settings, data and runtime files in the scratch folder, never the user's; the update check
# pointed at a closed port.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb BRIVANE_UPDATE_SERVER=127.0.0.1:1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Up to 10 s each: the id of the first window whose title matches $1; a line matching $1 in the
# recording rec.replay.
await_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
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

# Waits up to 5 s for process $1 to end, failing with $2 if it does not; returns its status.
await_end() {
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$1" 2>/dev/null && fail "$2"
    wait "$1"
}

# File > Exit in window $win: the last item, reached by stepping up from the top.
menu_exit() {
    xdotool mousemove --window "$win" 12 8 click 1
    sleep 0.3
    xdotool key Up Return
}

# A scores file the game did not write (bare line ends), and whether it was saved since: the
# same values in the game's own form.
hand_made_scores() { printf 'highlvl:3\nhighscore:1234\n' >"$1"; }
scores_saved() { cmp -s "$1" <(printf 'highlvl:3\r\nhighscore:1234\r\n'); }

# Where ball $3 (1 unless given) will be $1 ms after the live report's last line, in window
# pixels with the playfield at ($offx, $offy): a ball moves speed x frame step twips a pass of
# `ticks` ms. With $2 = clamp the point is kept inside the playfield; otherwise nothing when a
# wall comes first.
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

# Replays rec.replay headless into replay.jsonl (summary in summary.txt); then whether its report
# matches live.jsonl. Identities carry the time of day, real in the window and derived from the
# virtual clock in a replay, so they are left out; everything else must match byte for byte.
mask() { sed -E 's/"IDnum":"[^"]*"/"IDnum":""/g' "$1"; }
replay_matches() {
    "$work/brivane" --headless --replay rec.replay --report replay.jsonl --report-particles \
        >summary.txt 2>replay.err || fail "the headless replay failed: $(cat summary.txt replay.err)"
    cmp -s <(mask live.jsonl) <(mask replay.jsonl)
}
