#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The game native on Wayland, under a headless weston with its own socket: the window tests of
# the Qt suite that need a compositor (menus, the Jump To Level dialog, minimised); then the
# program itself comes up, is seen on weston's screenshot, paces its passes to the output, and
# saves its scores when SIGTERM ends it.
#
# Usage: wayland_game.sh PATH/TO/brivane PATH/TO/brivane_qt_tests
# Needs weston (its headless back end and weston-screenshooter), Qt's Wayland plugin
# (qt6-wayland) and ImageMagick. Exits 0 on success, 1 on a failure, and 77 (skipped) only when
# weston cannot start on this machine.
set -u

# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
program=$(readlink -f "$1")
qt_tests=$(readlink -f "$2")
skip() {
    echo "skipped: $*"
    exit 77
}
command -v weston >/dev/null || skip "weston is not installed"
socket="brivane-test-$$"
# --debug lets weston-screenshooter take pictures; the pixman renderer needs no GPU. Its one
# output runs at 60 Hz, which the pacing table turns into 16 ms frames.
weston --backend=headless-backend.so --use-pixman --debug --no-config --idle-time=0 \
    --socket="$socket" --width=1024 --height=768 >"$work/weston.log" 2>&1 &
others=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    kill -0 "$others" 2>/dev/null || break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || skip "weston could not start: $(tail -3 "$work/weston.log")"

# Wayland only: no X server to fall back to.
unset DISPLAY
export WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland BRIVANE_UPDATE_SERVER=127.0.0.1:1
# The headless seat has no keyboard, and keys typed into a dialog's text field without one
# hang Qt's Wayland text-input support; a desktop's seat always has one.
export QT_IM_MODULE=none

"$qt_tests" --gtest_filter='Wayland.*' >"$work/qt.txt" 2>&1 ||
    fail "the Qt window tests on Wayland: $(grep -E 'Failure|FAILED|Expected|Which is' "$work/qt.txt")"
grep -q "SKIPPED" "$work/qt.txt" && fail "the Qt window tests did not find the compositor"
grep -q '\[  PASSED  \] 2 tests' "$work/qt.txt" || fail "the Qt window tests: $(tail -3 "$work/qt.txt")"

# The program from a folder of its own, where it keeps its scores; a file it did not write
# (bare line ends) holds the same best score in the game's own form once SIGTERM has ended it.
mkdir "$work/game"
cp "$program" "$work/game/brivane"
hand_made_scores "$work/game/scores"
cd "$work/game" || exit 1
./brivane --nomusic --seed 2026 --record rec.replay >"$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 200); do
    passes=$(grep -c '^pass' rec.replay 2>/dev/null)
    [ "${passes:-0}" -ge 20 ] && break
    sleep 0.05
done
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the game ended on its own"

# The window as weston shows it: the black playfield and the green status line.
(cd "$work" && weston-screenshooter >/dev/null 2>&1)
shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -1)
[ -n "$shot" ] || fail "weston-screenshooter took no picture"
colours=$(convert "$shot" -format %c histogram:info:-)
count() { echo "$colours" | awk -v c="$1" '$0 ~ c { sub(":", "", $1); n += $1 } END { print n + 0 }'; }
[ "$(count '#000000')" -gt 200000 ] || fail "no playfield on the screen"
[ "$(count '#00FF00')" -gt 40 ] || fail "no status line on the screen"

# The recording holds each pass's duration, what Display render timing shows: most passes last
# the 16 ms of the pacing table's 60 Hz row.
usual=$(awk '$1 == "pass" { if (n) runs[d] += $2 - n; n = $2; d = $3 }
    END { for (k in runs) if (runs[k] > best) { best = runs[k]; u = k }; print u }' rec.replay)
[ "$usual" = 16 ] || fail "passes mostly last $usual ms, not 16: $(grep '^pass' rec.replay | head)"

kill -s TERM "$pid"
await_end "$pid" "SIGTERM did not end the game"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "SIGTERM: the game ended with status $status"
scores_saved scores || fail "SIGTERM: the scores file holds: $(od -c scores)"
tail -1 rec.replay | grep -q ' close$' || fail "the recording does not end with the window's close"
echo "ok: on Wayland the window is drawn and paced at 16 ms, its menus and dialog work, and SIGTERM saved the scores"
