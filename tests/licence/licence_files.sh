#!/bin/bash
# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The package's copyright file, as this build configures it, is machine-readable and gives every
# licence a text. (The header script's output is read on every file of the repository by
# scripts/check-licence, and the files whose first line must stay first run or validate.)
# Usage: licence_files.sh BUILD_DIR (skipped when python3-debian is missing)
set -u
# shellcheck source=../live/live_lib.sh
source "$(dirname "$0")/../live/live_lib.sh"
copyright="$(readlink -f "$1")/install-files/copyright"
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
echo "ok: the copyright file"
