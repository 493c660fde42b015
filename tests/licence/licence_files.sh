#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# scripts/add-licence-header puts the header where each kind of file keeps it, below a line that
# must stay first, leaves a file that has one alone, refuses what cannot hold a comment, and
# writes tags that reuse reads; the configured copyright file gives every licence a text.
# Usage: licence_files.sh SOURCE_DIR BUILD_DIR (reuse and python3-debian checks are skipped
# when missing)
set -u
# shellcheck source=../live/live_lib.sh
source "$(dirname "$0")/../live/live_lib.sh"
sources=$(readlink -f "$1")
copyright="$(readlink -f "$2")/install-files/copyright"
add="$sources/scripts/add-licence-header"
# REUSE-IgnoreStart: the expectations spell out the tags this test looks for.
c="SPDX-FileCopyrightText: 2026 The Brivane developers"
g="SPDX-License-Identifier: GPL-3.0-or-later"
# name | contents (\n between lines) | the first lines expected after the script has run
cases=(
    "a.cpp|// What lives here.\n#include <x>|// $c\n// $g\n\n// What lives here.\n#include <x>"
    "run|#!/bin/bash\n# Runs it.|#!/bin/bash\n# $c\n# $g\n\n# Runs it."
    "CMakeLists.txt|project(x)|# $c\n# $g\n\nproject(x)"
    "m.xml.in|<?xml version=\"1.0\"?>\n<c/>|<?xml version=\"1.0\"?>\n<!-- $c -->\n<!-- $g -->\n\n<c/>"
    "h.hlp|<!DOCTYPE html>\n<html>|<!DOCTYPE html>\n<!-- $c -->\n<!-- $g -->\n\n<html>"
    "x.md|# Title|<!-- $c -->\n<!-- $g -->\n\n# Title"
    "x.6.in|.TH X 6|.\\\\\" $c\n.\\\\\" $g\n.\\\\\"\n.TH X 6"
    "has.h|// SPDX-License-Identifier: CC0-1.0\n// Mine.|// SPDX-License-Identifier: CC0-1.0\n// Mine."
)
mkdir -p "$work/project/LICENSES"
cd "$work/project" || exit 1
for entry in "${cases[@]}"; do
    IFS='|' read -r name contents expected <<<"$entry"
    printf '%b\n' "$contents" >"$name"
    chmod 755 "$name"
    "$add" "$name" && "$add" "$name" || fail "$name: the script failed"
    [ "$(cat "$name")" = "$(printf '%b' "$expected")" ] || fail "$name: got"$'\n'"$(cat "$name")"
    [ -x "$name" ] || fail "$name: lost its executable bit"
done
rm has.h
# A JSON file cannot hold a comment: refused, untouched, and the other files still done.
printf '{"a": 1}\n' >p.json
printf '// B.\n' >b.h
"$add" p.json b.h 2>err && fail "p.json: accepted"
grep -q "p.json: no comment style known" err || fail "p.json: no reason given"
[ "$(cat p.json)" = '{"a": 1}' ] || fail "p.json: changed"
grep -q "$g" b.h || fail "b.h: skipped after a refused file"
rm p.json err
BRIVANE_LICENCE=CC0-1.0 "$add" m.xml 2>/dev/null && fail "m.xml: a missing file accepted"
printf '<?xml version="1.0"?>\n<c/>\n' >m.xml
BRIVANE_LICENCE=CC0-1.0 "$add" m.xml || fail "m.xml: the script failed"
grep -q "SPDX-License-Identifier: CC0-1.0" m.xml || fail "m.xml: BRIVANE_LICENCE ignored"

# What the script wrote is what reuse reads.
if command -v reuse >/dev/null; then
    cp "$sources"/LICENSES/{GPL-3.0-or-later,CC0-1.0}.txt LICENSES/
    reuse --root . lint >"$work/lint" 2>&1 || fail "reuse lint: $(cat "$work/lint")"
else
    skip "reuse is not installed"
fi
# REUSE-IgnoreEnd

# The package's copyright file: every Files paragraph's licence has a stand-alone text.
if /usr/bin/python3 -c "import debian.copyright" 2>/dev/null; then
    /usr/bin/python3 - "$copyright" <<'EOF' || fail "copyright: not machine-readable as it must be"
import sys
from debian import copyright

with open(sys.argv[1], encoding="utf-8") as f:
    c = copyright.Copyright(f, strict=True)
texts = {p.license.synopsis: p.license.text for p in c.all_license_paragraphs()}
for files in c.all_files_paragraphs():
    name = files.license.synopsis
    if not texts.get(name, "").strip():
        sys.exit(f"{files.files}: licence {name} has no text")
if c.find_files_paragraph("src/core/game.cpp").license.synopsis != "GPL-3+":
    sys.exit("the game's code is not under GPL-3+")
if "SIL OPEN FONT LICENSE Version 1.1" not in texts["OFL-1.1"]:
    sys.exit("the font's licence text is not the OFL")
EOF
else
    skip "python3-debian is not installed"
fi
echo "ok: licence header script and copyright file"
