#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installed into a scratch prefix: desktop entry, MIME type and AppStream metadata validate; it
# replays to its known summary from another folder, plays the music in ../share/brivane, and
# SIGTERM, SIGINT and SIGHUP end it with its scores written. Missing tools skip their checks.
# Usage: installed_game.sh BUILD_DIR SOURCE_DIR
set -u
# shellcheck source=live_lib.sh
source "$(dirname "$0")/live_lib.sh"
on_private_x "$@"
have() { command -v "$@" >/dev/null || { skip "$1 is not installed" && false; }; }
prefix="$work/prefix"
"${CMAKE:-cmake}" --install "$(readlink -f "$1")" --prefix "$prefix" >"$work/install.txt" 2>&1 ||
    fail "cmake --install: $(tail -5 "$work/install.txt")"
desktop=("$prefix"/share/applications/*.desktop)
if have desktop-file-validate; then
    desktop-file-validate "${desktop[@]}" || fail "desktop entry"
fi
# The replay type: a valid shared-mime-info package whose glob and magic name the game's files.
if have update-mime-database; then
    update-mime-database "$prefix/share/mime" >"$work/mime.txt" 2>&1 || fail "MIME: $(cat "$work/mime.txt")"
    grep -q 'application/x-brivane-replay:\*\.replay' "$prefix/share/mime/globs2" || fail "MIME: no glob"
    grep -q 'brivane-replay ' "$prefix/share/mime/magic" || fail "MIME type: no magic"
    grep -q '^MimeType=application/x-brivane-replay;$' "${desktop[@]}" ||
        fail "the desktop entry does not open replays"
    printf 'brivane-replay 1\n' >"$work/game.replay"
    ! have xdg-mime || [ "$(XDG_DATA_DIRS="$prefix/share" xdg-mime query filetype "$work/game.replay")" = \
        application/x-brivane-replay ] || fail "xdg-mime does not know a replay file"
fi
if have appstreamcli; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$work/as.txt" 2>&1 ||
        fail "AppStream metadata: $(cat "$work/as.txt")"
fi
cd "$HOME" || exit 1
summary=$("$prefix/bin/brivane" --headless --replay "$(readlink -f "$2")/examples/demo.replay")
[ "$summary" = "passes=459 level=3 score=40 lives=5 highLevel=3 highScore=40" ] ||
    fail "headless replay summary: $summary"

# A private sound server whose output is recorded: music heard means the playlist and its Ogg
# tracks were found beside the installed program's folder.
pulse=""
if have pulseaudio && have parec && have pactl; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
        -L "module-null-sink sink_name=brivane_test" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/native" &
    pulse=$!
    others=$pulse
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/native"
    await 10 pactl info >/dev/null 2>&1 || fail "the private PulseAudio server did not answer"
fi
for signal in TERM INT HUP; do
    launch "$prefix/bin/brivane"
    if [ -n "$pulse" ] && [ "$signal" = TERM ]; then
        timeout 3 parec -d brivane_test.monitor --raw --format=s16le --channels=1 --rate=22050 \
            >"$work/heard.raw"
        loud=$(od -An -v -t d2 -w2 "$work/heard.raw" | awk '$1 > 2000 || $1 < -2000' | wc -l)
        [ "$loud" -gt 500 ] || fail "no music was heard from the installed game"
    fi
    sleep 1
    ended_by 0 kill -s "$signal" "$pid"
    scores_saved "$prefix/bin/scores" "SIG$signal"
done
echo "ok: installed, validated, replayed, windowed with music, and saved on SIGTERM, SIGINT, SIGHUP"
