#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Without a display to open its window on, the game says in one line what is missing and ends
# with status 1 (Qt alone would abort after several lines): no DISPLAY nor WAYLAND_DISPLAY, an
# X display nobody serves, a Wayland display that is not there.
#
# Usage: no_display.sh PATH/TO/brivane
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
program=$(readlink -f "$1")
rounds=("DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM="
    "DISPLAY=:4095 WAYLAND_DISPLAY= QT_QPA_PLATFORM="
    "DISPLAY= WAYLAND_DISPLAY=nowhere QT_QPA_PLATFORM=wayland")
for round in "${rounds[@]}"; do
    # shellcheck disable=SC2086
    env $round "$program" --nomusic >"$work/out.txt" 2>"$work/err.txt" </dev/null
    status=$?
    [ "$status" -eq 1 ] || fail "$round: status $status: $(cat "$work/err.txt")"
    [ "$(wc -l <"$work/err.txt")" -eq 1 ] && grep -q '^brivane: .*display' "$work/err.txt" ||
        fail "$round: said $(cat "$work/err.txt")"
done
echo "ok: one line and status 1 for each missing display"
