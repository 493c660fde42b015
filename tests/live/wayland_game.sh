#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Native on Wayland under a headless weston: the Qt suite's Wayland tests, then the program is
# seen on weston's screenshot, paced to the 60 Hz output, and saves on SIGTERM (77: no weston).
# Usage: wayland_game.sh PATH/TO/brivane PATH/TO/brivane_qt_tests (weston, qt6-wayland, convert)
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
qt_tests=$(readlink -f "$2")
command -v weston >/dev/null || { skip "weston is not installed" && exit 77; }
socket="brivane-test-$$"
# --debug lets weston-screenshooter take pictures; the pixman renderer needs no GPU.
weston --backend=headless-backend.so --use-pixman --debug --no-config --idle-time=0 \
    --socket="$socket" --width=1024 --height=768 >"$work/weston.log" 2>&1 &
others=$!
await 10 test -S "$XDG_RUNTIME_DIR/$socket" ||
    { skip "weston could not start: $(tail -3 "$work/weston.log")" && exit 77; }
unset DISPLAY
# The headless seat has no keyboard, and keys typed into a dialog's text field without one
# hang Qt's Wayland text-input support; a desktop's seat always has one.
export WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland QT_IM_MODULE=none
"$qt_tests" --gtest_filter='Wayland.*' >"$work/qt.txt" 2>&1 ||
    fail "the Qt window tests on Wayland: $(grep -E 'Failure|FAILED|Expected|Which is' "$work/qt.txt")"
grep -q '\[  PASSED  \] 2 tests' "$work/qt.txt" && ! grep -q SKIPPED "$work/qt.txt" ||
    fail "the Qt window tests did not all run: $(tail -3 "$work/qt.txt")"

hand_made_scores "$work/scores"
cp "$(readlink -f "$1")" "$work/brivane"
cd "$work" || exit 1
./brivane --nomusic --seed 2026 --record rec.replay >out.txt 2>&1 &
pid=$!
twenty_passes() { [ "$(grep -c '^pass' rec.replay 2>/dev/null)" -ge 20 ]; }
await 10 twenty_passes
sleep 1
gone "$pid" && fail "the game ended on its own"

# The window as weston shows it: the black playfield and the green status line.
weston-screenshooter >/dev/null 2>&1
shot=$(ls wayland-screenshot-*.png 2>/dev/null | head -1)
[ -n "$shot" ] || fail "weston-screenshooter took no picture"
colours=$(convert "$shot" -format %c histogram:info:-)
count() { echo "$colours" | awk -v c="$1" '$0 ~ c { sub(":", "", $1); n += $1 } END { print n + 0 }'; }
[ "$(count '#000000')" -gt 200000 ] || fail "no playfield on the screen"
[ "$(count '#00FF00')" -gt 40 ] || fail "no status line on the screen"
# The recording holds each pass's duration: a late pass makes the next one short, so the median
# is the 16 ms of a 60 Hz output, give or take a millisecond on a busy machine.
median=$(awk '$1 == "pass" { for (i = n; n && i < $2; i++) print d; n = $2; d = $3 }' rec.replay |
    sort -n | awk '{ d[NR] = $1 } END { print d[int((NR + 1) / 2)] }')
[ "${median:-0}" -ge 15 ] && [ "$median" -le 17 ] ||
    fail "passes last $median ms in the middle, not 16: $(grep '^pass' rec.replay | head)"
ended_by 0 kill -TERM "$pid"
scores_saved scores SIGTERM
tail -1 rec.replay | grep -q ' close$' || fail "the recording does not end with the window's close"
echo "ok: on Wayland the window is drawn and paced at 16 ms, its menus and dialog work, and SIGTERM saved the scores"
