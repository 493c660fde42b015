#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Without a display to open its window on (none named, an X display nobody serves, a Wayland
# display that is not there) the game says what is missing in one line and ends with status 1,
# where Qt alone would abort after several lines.
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
for round in "DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=" \
    "DISPLAY=:4095 WAYLAND_DISPLAY= QT_QPA_PLATFORM=" \
    "DISPLAY= WAYLAND_DISPLAY=nowhere QT_QPA_PLATFORM=wayland"; do
    # shellcheck disable=SC2086
    env $round "$1" --nomusic >"$work/out.txt" 2>"$work/err.txt" </dev/null
    status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <"$work/err.txt")" -eq 1 ] &&
        grep -q '^brivane: .*display' "$work/err.txt" ||
        fail "$round: status $status, said $(cat "$work/err.txt")"
done
echo "ok: one line and status 1 for each missing display"
