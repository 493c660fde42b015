#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Without a display to open its window on, the game says in one line what is missing and ends
# with status 1 (Qt alone would abort after several lines): no DISPLAY nor WAYLAND_DISPLAY, an
# X display nobody serves, a Wayland display that is not there.
#
# Usage: no_display.sh PATH/TO/brivane
set -u
program=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_DATA_HOME="$work/.local"
export XDG_RUNTIME_DIR="$work" BRIVANE_UPDATE_SERVER=127.0.0.1:1
rounds=("DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM="
    "DISPLAY=:4095 WAYLAND_DISPLAY= QT_QPA_PLATFORM="
    "DISPLAY= WAYLAND_DISPLAY=nowhere QT_QPA_PLATFORM=wayland")
for round in "${rounds[@]}"; do
    # shellcheck disable=SC2086
    env $round "$program" --nomusic >"$work/out.txt" 2>"$work/err.txt" </dev/null
    status=$?
    [ "$status" -eq 1 ] || { echo "FAIL: $round: status $status"; cat "$work/err.txt"; exit 1; }
    lines=$(wc -l <"$work/err.txt")
    [ "$lines" -eq 1 ] && grep -q '^brivane: .*display' "$work/err.txt" ||
        { echo "FAIL: $round: said"; cat "$work/err.txt"; exit 1; }
done
echo "ok: one line and status 1 for each missing display"
