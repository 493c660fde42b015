#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Plays a real game in a real window on a private X server, driven like a player would drive
# it (pointer loops, speed keys, menu choices with a dialog, running into a ball until a life is
# lost, File > Exit), recording it and writing its report as it goes. Then replays the
# recording headless and checks that the replay reports the very same passes, and that the
# game was kept in the library, where its replay reports them too.
#
# Usage: record_replay.sh PATH/TO/brivane [play|update|scoring]
# The other two games use the same set-up and comparison. `update`: a local update server holds
# its reply until File > Jump To Level's dialog is open, the player types a level there and turns
# the offer down, and the replay must end on that level as the live game did. `scoring`: pointer
# moves keep coming while a capture is being scored, and must be recorded inside the scoring.
# Needs Xvfb, xvfb-run, xauth and xdotool, and for `update` python3 ($PYTHON3, else the one on
# the PATH) as the server. Exits 0 on success, 1 on a mismatch or failure.
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"
game=${2:-play}

# The program keeps its high scores beside itself, so it plays from a copy in a folder of its own.
program=$(readlink -f "$1")
cp "$program" "$work/brivane"
for f in "$(dirname "$program")"/*.wav "$(dirname "$program")"/music.m3u; do
    [ -e "$f" ] && cp "$f" "$work/"
done
cd "$work" || exit 1

# Waits (up to 10 s) for the file $1.
await_file() {
    for _ in $(seq 200); do
        [ -e "$1" ] && return 0
        sleep 0.05
    done
    fail "no '$1' after 10 s"
}

# The other games may jump to levels up to 8.
[ "$game" = play ] || printf 'highlvl:8\nhighscore:0\n' >scores
if [ "$game" = update ]; then
    # The server answers "99.0", newer than any version of ours, once the file `answer`
    # exists, and leaves a file at each step.
    "${PYTHON3:-python3}" -c '
import os, socket, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(1)
open("port.new", "w").write(str(s.getsockname()[1]))
os.rename("port.new", "port")
s.settimeout(60)
c, _ = s.accept()
request = b""
while b"\r\n\r\n" not in request:
    got = c.recv(4096)
    if not got:
        break
    request += got
open("asked", "w").close()
for _ in range(1200):
    if os.path.exists("answer"):
        c.sendall(b"HTTP/1.0 200 OK\r\n\r\ntmkver: 99.0\r\n")
        break
    time.sleep(0.05)
c.close()
open("answered", "w").close()
' &
    others=$!
    await_file port
    export BRIVANE_UPDATE_SERVER="127.0.0.1:$(cat port)"
fi

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
# File > Jump To Level (the second item, after New Game), answering $1 in its dialog.
jump_to_level() {
    xdotool mousemove --window "$win" 12 8 click 1
    sleep 0.3
    xdotool key Down Down Return
    dialog=$(await_window '^Jump To Level$') || fail "the Jump To Level dialog did not open"
    xdotool windowfocus --sync "$dialog"
    xdotool key ctrl+a
    xdotool type "$1"
    xdotool key Return
    await_record " menu mnuFileJumpLevel $1\$"
    xdotool windowfocus --sync "$win"
}

# The first game: loops, keys, menus, a catch and a death.
play_around() {
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

    # Jump To Level 1: level 1 again, with new particles.
    jump_to_level 1

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
}

# The second game: File > Jump To Level while the update server holds its reply, which is let
# go with the dialog open. The offer it brings (titled "Brivane", Yes or No) is turned down
# whenever it shows; on top of the dialog it has to be answered first.
jump_while_the_update_answers() {
    await_file asked
    xdotool mousemove --window "$win" 12 8 click 1
    sleep 0.3
    xdotool key Down Down Return
    dialog=$(await_window '^Jump To Level$') || fail "the Jump To Level dialog did not open"
    touch answer
    await_file answered
    sleep 1
    offer=$(xdotool search --onlyvisible --name '^Brivane$' 2>/dev/null | head -1)
    [ -z "$offer" ] || xdotool windowfocus --sync "$offer" key Escape
    xdotool windowfocus --sync "$dialog"
    xdotool key ctrl+a
    xdotool type 5
    xdotool key Return
    await_record ' menu mnuFileJumpLevel '
    if [ -z "$offer" ]; then
        offer=$(await_window '^Brivane$') || fail "the update offer never showed"
        xdotool windowfocus --sync "$offer" key Escape
    fi
    xdotool windowfocus --sync "$win"
    sleep 1
    tail -1 live.jsonl | grep -q '"level":5,' || fail "the live game did not go to level 5"
}

# The third game, at level 8: one stroke of moves sent at once. It runs from a corner along the
# far edge, the near side and across to a small circle around where the last ball is heading,
# and ends with a jump back to its start. When the circle closes, the capture's scoring yields
# after each ball it catches, and the moves still queued (the jump, which closes a loop around
# half the playfield) arrive inside it and change what the rest of it scores.
score_while_moving() {
    jump_to_level 8
    # The grace period after a level starts: 110 stirs in a corner.
    stir=()
    for k in $(seq 110); do
        stir+=(mousemove --window "$win" $((offx + 5 + k % 2 * 3)) $((offy + 5)))
    done
    xdotool "${stir[@]}"
    for _ in $(seq 15); do
        sleep 1.5
        n=$(tail -1 live.jsonl | grep -oE '"ballCount":[0-9]+' | cut -d: -f2)
        read -r cx cy < <(ball_ahead 250 clamp "${n:-1}")
        [ -n "${cx:-}" ] || continue
        # shellcheck disable=SC2207  # awk prints the stroke's coordinates
        stroke=($(awk -v x="$cx" -v y="$cy" -v ox="$offx" -v oy="$offy" 'BEGIN {
            side = x - ox < 300 ? 1 : -1          # the circle is entered from the roomier side
            wx = side > 0 ? ox + 585 : ox + 12    # the near side
            sx = side > 0 ? ox + 12 : ox + 585    # the start, at the far edge
            sy = y - oy < 220 ? oy + 430 : oy + 10
            n = 0
            for (t = 0; t < 0.9999; t += 1 / 8) { px[n] = sx + (wx - sx) * t; py[n++] = sy }
            for (t = 0; t <= 1.0001; t += 1 / 8) { px[n] = wx; py[n++] = sy + (y - sy) * t }
            ex = x + side * 100
            for (t = 1 / 8; t <= 1.0001; t += 1 / 8) { px[n] = wx + (ex - wx) * t; py[n++] = y }
            for (s = 0; s <= 16; s++) {
                a = (side > 0 ? 0 : 3.1416) + s * 6.2832 / 16
                px[n] = x + 70 * cos(a); py[n++] = y + 70 * sin(a)
            }
            px[n] = px[0]; py[n++] = py[0]
            for (i = 0; i < n; i++) {
                qx = px[i] < ox + 2 ? ox + 2 : (px[i] > ox + 595 ? ox + 595 : px[i])
                qy = py[i] < oy + 2 ? oy + 2 : (py[i] > oy + 439 ? oy + 439 : py[i])
                printf "mousemove --window WIN %d %d ", qx, qy
            }
        }'))
        xdotool "${stroke[@]//WIN/$win}"
        sleep 0.5
        grep -qE '^at [0-9]+\.[0-9]+ move ' rec.replay && return 0
    done
    # The strokes aim at where a ball is heading; on a loaded machine they may all miss. That
    # says nothing of the recording, so the caller may play again (status 77).
    echo "no pointer move arrived while a capture was being scored in 15 strokes"
    exit 77
}

case $game in
play) play_around ;;
update) jump_while_the_update_answers ;;
scoring) score_while_moving ;;
*) fail "no game '$game'" ;;
esac

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

# The game was kept too, without --record's help: its replay in the library, with its facts in
# the header and its picture beside it, replays to the very same report.
kept=("$XDG_DATA_HOME"/brivane/brivane/replays/*.replay)
[ "${#kept[@]}" -eq 1 ] && [ -f "${kept[0]}" ] ||
    fail "the library holds ${#kept[@]} replays, not the one game played"
for fact in ended score reached played; do
    grep -qE "^$fact [0-9]" "${kept[0]}" || fail "the kept replay's header has no '$fact'"
done
grep -q "^score $(field score)$" "${kept[0]}" || fail "the kept replay's score is not the game's"
[ "$(head -c 8 "${kept[0]%.replay}.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "no picture beside the kept replay"
"$work/brivane" --headless --replay "${kept[0]}" --report kept.jsonl --report-particles \
    >kept.txt 2>kept.err || fail "the kept replay did not run: $(cat kept.txt kept.err)"
cmp -s <(mask live.jsonl) <(mask kept.jsonl) ||
    fail "the kept replay's report differs from the live one"

echo "live and replay agree over $live_lines passes: $(cat summary.txt)"
[ "$game" = play ] && echo "ball caught in a loop: ${caught:-no}"
echo "recording: $(grep -c ' move ' rec.replay) moves, $(grep -c ' key ' rec.replay) keys," \
    "$(grep -c ' menu ' rec.replay) menu choices, $(grep -c ' timer ' rec.replay) timer ticks"
exit 0
