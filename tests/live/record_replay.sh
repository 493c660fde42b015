#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# A real game in a real window, played as a player would, recorded and reported; its headless
# replay, and the replay the library kept of it, must report the very same passes. Games: play
# (loops, speed keys, menus, a death), update (the update reply let go with Jump To Level's
# dialog open), scoring (moves arrive while a capture is scored; 77 when all strokes miss), pause
# (the spark on a ball's path, the player looks at another window: no pass runs, P goes on).
# Usage: record_replay.sh PATH/TO/brivane [play|update|scoring|pause] (PAUSE_SHOT=FILE keeps a
# screenshot of the paused game)
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"
game=${2:-play}
program=$(readlink -f "$1")
cp "$(dirname "$program")"/{*.wav,music.m3u} "$work/" 2>/dev/null
cd "$work" || exit 1
# The other games may jump to levels up to 8.
[ "$game" = play ] || printf 'highlvl:8\nhighscore:0\n' >scores
if [ "$game" = update ]; then
    # Answers "99.0", newer than any of ours, once the file `answer` exists; a file at each step.
    "${PYTHON3:-python3}" -c '
import os, socket, time
s = socket.create_server(("127.0.0.1", 0))
print(s.getsockname()[1], flush=True)
c, _ = s.accept()
request = b""
while b"\r\n\r\n" not in request and (got := c.recv(4096)):
    request += got
open("asked", "w").close()
while not os.path.exists("answer"):
    time.sleep(0.05)
c.sendall(b"HTTP/1.0 200 OK\r\n\r\ntmkver: 99.0\r\n")
c.close()
open("answered", "w").close()
' >port &
    others=$!
    await 10 test -s port || fail "the update server did not start"
    export BRIVANE_UPDATE_SERVER="127.0.0.1:$(cat port)"
fi
start_game "$program" --seed "$([ "$game" = pause ] && echo 77 || echo 2024)"
find_playfield

# File > Jump To Level, the second item; types $1 into its dialog unless no $1.
jump_to_level() {
    open_file_menu
    xdotool key Down Down Return
    dialog=$(await_window '^Jump To Level$') || fail "the Jump To Level dialog did not open"
    [ -n "${1:-}" ] && type_level "$1"
}
type_level() {
    xdotool windowfocus --sync "$dialog" key ctrl+a
    xdotool type "$1"
    xdotool key Return
    await_record " menu mnuFileJumpLevel $1\$"
    xdotool windowfocus --sync "$win"
}

play_around() {
    for loop in 1 2 3; do
        xdotool $(ring $((300 + offx)) $((220 + offy)) $((60 + 20 * loop)) 24 24 0.03)
    done
    # Up, up, down (Auto Speed Adjust goes off); Settings > Auto Speed Adjust turns it back on.
    xdotool key plus plus minus
    await_record ' key 45$'
    open_file_menu
    xdotool key Right Return
    await_record ' menu mnuSettingsAutoSpeed$'
    jump_to_level 1

    # Quick loops around where the ball is heading, until one catches it.
    caught=no
    for _ in $(seq 20); do
        read -r cx cy < <(ball_ahead 130 clamp)
        [ -n "${cx:-}" ] || break
        xdotool $(ring "$cx" "$cy" 70 16 18)
        sleep 0.3
        grep -qE '"score":[1-9]' live.jsonl && caught=yes && break
    done

    # Wait where the ball is heading, stirring by a pixel: contact is checked when the pointer
    # moves, and only moves use up the grace after a level starts.
    for _ in $(seq 50); do
        grep -q '"dying":true' live.jsonl && break
        read -r bx by < <(ball_ahead 350 clamp)
        [ -n "${bx:-}" ] || { sleep 0.1 && continue; }
        wait_there=()
        for k in $(seq 14); do
            wait_there+=(mousemove --window "$win" $((bx + k % 2)) "$by" sleep 0.05)
        done
        xdotool "${wait_there[@]}"
    done
    grep -q '"dying":true' live.jsonl || fail "the player never ran into the ball"
    # The death plays out, the next life begins, more loops.
    sleep 3
    xdotool $(ring $((200 + offx)) $((150 + offy)) 90 24 24 0.03)
}

# The offer the reply brings ("Brivane", Yes or No) is turned down whenever it shows; over the
# dialog it has to be answered first.
jump_while_the_update_answers() {
    await 10 test -e asked || fail "the game never asked for updates"
    jump_to_level
    touch answer
    await 10 test -e answered || fail "the update server never answered"
    sleep 1
    offer=$(window_id '^Brivane$') && xdotool windowfocus --sync "$offer" key Escape
    type_level 5
    if [ -z "$offer" ]; then
        offer=$(await_window '^Brivane$') || fail "the update offer never showed"
        xdotool windowfocus --sync "$offer" key Escape
    fi
    xdotool windowfocus --sync "$win"
    sleep 1
    tail -1 live.jsonl | grep -q '"level":5,' || fail "the live game did not go to level 5"
}

# At level 8, one stroke sent at once: from the far edge along to the near side, across to a
# circle around where the last ball is heading, then a jump back to its start. The capture's
# scoring yields after each ball it catches, so the jump (closing a loop around half the
# playfield) arrives inside it and changes what the rest of it scores.
score_while_moving() {
    jump_to_level 8
    use_up_grace 5 5
    for _ in $(seq 15); do
        sleep 1.5
        n=$(tail -1 live.jsonl | grep -oE '"ballCount":[0-9]+' | cut -d: -f2)
        read -r cx cy < <(ball_ahead 250 clamp "${n:-1}")
        [ -n "${cx:-}" ] || continue
        # shellcheck disable=SC2207  # awk prints the stroke's coordinates
        stroke=($(awk -v x="$cx" -v y="$cy" -v ox="$offx" -v oy="$offy" '
        function within(v, lo, hi) { return v < lo ? lo : (v > hi ? hi : v) }
        BEGIN {
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
                printf "mousemove --window WIN %d %d ", within(px[i], ox + 2, ox + 595),
                    within(py[i], oy + 2, oy + 439)
            }
        }'))
        xdotool "${stroke[@]//WIN/$win}"
        sleep 0.5
        grep -qE '^at [0-9]+\.[0-9]+ move ' rec.replay && return 0
    done
    echo "no pointer move arrived while a capture was being scored in 15 strokes"
    exit 77
}

look_away() {
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
    held=$(wc -l <live.jsonl)
    [ -n "${PAUSE_SHOT:-}" ] && import -window root "$PAUSE_SHOT"
    for _ in $(seq 50); do
        xdotool mousemove --window "$win" $((sx + RANDOM % 2)) "$sy"
        sleep 0.2
    done
    [ "$(wc -l <live.jsonl)" -eq "$held" ] || fail "passes ran while paused"
    grep -q '"dying":true' live.jsonl && fail "a life was lost while looking away"
    # Back: P, and the spark moves away from the ball.
    xdotool windowfocus --sync "$win" key p
    await_record ' resume$'
    xdotool mousemove --window "$win" $((596 - sx + 2 * offx)) $((440 - sy + 2 * offy))
    sleep 1
    [ "$(wc -l <live.jsonl)" -gt $((held + 20)) ] || fail "play did not go on after P"
    grep -q '"dying":true' live.jsonl && fail "a life was lost"
}

case $game in
play) play_around ;;
update) jump_while_the_update_answers ;;
scoring) score_while_moving ;;
pause) look_away ;;
*) fail "no game '$game'" ;;
esac
ended_by 0 menu_exit
grep -q ' menu mnuFileExit$' rec.replay || fail "the recording does not end with File > Exit"
replay_matches

score=$(tail -1 live.jsonl | grep -oE '"score":[0-9]+' | head -1 | cut -d: -f2)
# Kept without --record's help: one replay in the library, its facts in the header, its picture.
kept=("$XDG_DATA_HOME"/brivane/brivane/replays/*.replay)
[ "${#kept[@]}" -eq 1 ] && [ -f "${kept[0]}" ] || fail "the library holds ${#kept[@]} replays"
for fact in "ended [0-9]" "reached [0-9]" "played [0-9]" "score $score$"; do
    grep -qE "^$fact" "${kept[0]}" || fail "the kept replay's header has no '$fact'"
done
[ "$(head -c 8 "${kept[0]%.replay}.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "no picture beside the kept replay"
replay_matches "${kept[0]}"
echo "live, replayed and kept agree over $(wc -l <live.jsonl) passes (caught: ${caught:-})"
