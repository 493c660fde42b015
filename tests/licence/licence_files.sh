#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The licence tooling: scripts/add-licence-header puts the header where each kind of file keeps
# it without moving a line that must stay first, leaves a file that has one alone, refuses what
# cannot hold a comment, and writes tags that reuse reads; the package's copyright file, as the
# build configures it, is machine-readable and gives every licence it names a text.
#
# Usage: licence_files.sh SOURCE_DIR BUILD_DIR
# reuse and python3-debian are used when installed and their checks skipped (and said so) when
# not. Exits 0 on success.
set -u
sources=$(readlink -f "$1")
build=$(readlink -f "$2")
add="$sources/scripts/add-licence-header"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

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
for entry in "${cases[@]}"; do
    IFS='|' read -r name contents expected <<<"$entry"
    printf '%b\n' "$contents" >"$work/$name"
    chmod 755 "$work/$name"
    "$add" "$work/$name" || fail "$name: the script failed"
    "$add" "$work/$name" || fail "$name: the second run failed"
    [ "$(cat "$work/$name")" = "$(printf '%b' "$expected")" ] ||
        fail "$name: got"$'\n'"$(cat "$work/$name")"
    [ -x "$work/$name" ] || fail "$name: lost its executable bit"
done

# A picture or JSON cannot hold a comment: refused, untouched, and the other files still done.
printf '{"a": 1}\n' >"$work/p.json"
printf '// B.\n' >"$work/b.h"
if "$add" "$work/p.json" "$work/b.h" 2>"$work/err"; then
    fail "p.json: accepted"
fi
grep -q "p.json: no comment style known" "$work/err" || fail "p.json: no reason given"
[ "$(cat "$work/p.json")" = '{"a": 1}' ] || fail "p.json: changed"
grep -q "$g" "$work/b.h" || fail "b.h: skipped after a refused file"
BRIVANE_LICENCE=CC0-1.0 "$add" "$work/m.xml" 2>/dev/null && fail "m.xml: a missing file accepted"
printf '<?xml version="1.0"?>\n<c/>\n' >"$work/m.xml"
BRIVANE_LICENCE=CC0-1.0 "$add" "$work/m.xml" || fail "m.xml: the script failed"
grep -q "SPDX-License-Identifier: CC0-1.0" "$work/m.xml" || fail "m.xml: BRIVANE_LICENCE ignored"

# What the script wrote is what reuse reads: a project of these files and the licence texts.
if command -v reuse >/dev/null; then
    mkdir -p "$work/project/LICENSES"
    cp "$sources/LICENSES/GPL-3.0-or-later.txt" "$sources/LICENSES/CC0-1.0.txt" \
        "$work/project/LICENSES/"
    for entry in "${cases[@]}"; do
        name=${entry%%|*}
        [ "$name" = has.h ] || cp "$work/$name" "$work/project/"
    done
    cp "$work/m.xml" "$work/b.h" "$work/project/"
    reuse --root "$work/project" lint >"$work/lint" 2>&1 || fail "reuse lint: $(cat "$work/lint")"
else
    echo "skipped: reuse is not installed"
fi
# REUSE-IgnoreEnd

# The package's copyright file: every Files paragraph's licence has a stand-alone text.
copyright="$build/install-files/copyright"
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
    print(f"{' '.join(files.files)}: {name}")
if c.find_files_paragraph("src/core/game.cpp").license.synopsis != "GPL-3+":
    sys.exit("the game's code is not under GPL-3+")
if "SIL OPEN FONT LICENSE Version 1.1" not in texts["OFL-1.1"]:
    sys.exit("the font's licence text is not the OFL")
EOF
else
    echo "skipped: python3-debian is not installed"
fi

[ "$failures" -eq 0 ] || exit 1
echo "ok: licence header script and copyright file"
