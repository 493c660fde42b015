#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The game installed into a scratch prefix, the way a user or a package installs it: its desktop
# entry and AppStream metadata validate; run from another folder it plays a headless replay to
# its known summary; under a private X server its window comes up and plays the music it finds
# in ../share/brivane; and SIGTERM, SIGINT or SIGHUP ends it with its scores file written.
#
# Usage: installed_game.sh BUILD_DIR SOURCE_DIR
# Needs cmake, Xvfb, xvfb-run, xauth and xdotool; the validators, PulseAudio and parec are used
# when installed and their checks skipped (and said so) when not. Exits 0 on success.
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"
skip() { echo "skipped: $*"; }

build=$(readlink -f "$1")
sources=$(readlink -f "$2")
prefix="$work/prefix"
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1 ||
    fail "cmake --install: $(tail -5 "$work/install.txt")"
game="$prefix/bin/brivane"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop entry"
else
    skip "desktop-file-validate is not installed"
fi
# The replay type: a valid shared-mime-info package whose glob and magic name the game's files.
if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >"$work/mime.txt" 2>&1 ||
        fail "MIME type: $(cat "$work/mime.txt")"
    grep -q 'application/x-brivane-replay:\*\.replay' "$prefix/share/mime/globs2" ||
        fail "MIME type: no glob for *.replay"
    grep -q 'brivane-replay ' "$prefix/share/mime/magic" || fail "MIME type: no magic"
    grep -q '^MimeType=application/x-brivane-replay;$' "$prefix"/share/applications/*.desktop ||
        fail "the desktop entry does not open replays"
    if command -v xdg-mime >/dev/null; then
        printf 'brivane-replay 1\n' >"$work/game.replay"
        [ "$(XDG_DATA_DIRS="$prefix/share" xdg-mime query filetype "$work/game.replay")" = \
            application/x-brivane-replay ] || fail "xdg-mime does not know a replay file"
    fi
else
    skip "update-mime-database is not installed"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$work/as.txt" 2>&1 ||
        fail "AppStream metadata: $(cat "$work/as.txt")"
else
    skip "appstreamcli is not installed"
fi

cd "$HOME" || exit 1
summary=$("$game" --headless --replay "$sources/examples/demo.replay") || fail "headless replay"
[ "$summary" = "passes=459 level=3 score=40 lives=5 highLevel=3 highScore=40" ] ||
    fail "headless replay summary: $summary"

# A private sound server whose output is recorded: music heard means the playlist and its Ogg
# tracks were found beside the installed program's folder and played.
pulse=""
if command -v pulseaudio >/dev/null && command -v parec >/dev/null && command -v pactl >/dev/null; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
        -L "module-null-sink sink_name=brivane_test" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/native" &
    pulse=$!
    others=$pulse
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/native"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || fail "the private PulseAudio server did not answer"
else
    skip "no PulseAudio or parec: the music is not listened for"
fi

scores="$prefix/bin/scores"
for signal in TERM INT HUP; do
    hand_made_scores "$scores"
    monitor=""
    if [ -n "$pulse" ] && [ "$signal" = TERM ]; then
        parec -d brivane_test.monitor --raw --format=s16le --channels=1 --rate=22050 \
            >"$work/heard.raw" &
        monitor=$!
        others="$pulse $monitor"
    fi
    "$game" >"$work/out.txt" 2>&1 &
    pid=$!
    await_window '^Brivane' >/dev/null || fail "SIG$signal round: the window did not appear"
    if [ -n "$monitor" ]; then
        sleep 3
        kill "$monitor"
        wait "$monitor" 2>/dev/null
        others=$pulse
        loud=$(od -An -v -t d2 -w2 "$work/heard.raw" | awk '$1 > 2000 || $1 < -2000' | wc -l)
        [ "$loud" -gt 500 ] || fail "no music was heard from the installed game"
    else
        sleep 1
    fi
    kill -s "$signal" "$pid"
    await_end "$pid" "SIG$signal did not end the game"
    status=$?
    pid=""
    [ "$status" -eq 0 ] || fail "SIG$signal: the game ended with status $status"
    scores_saved "$scores" || fail "SIG$signal: the scores file holds: $(od -c "$scores")"
done
echo "ok: installed, validated, replayed, windowed with music, and saved on SIGTERM, SIGINT, SIGHUP"
