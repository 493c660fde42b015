# SPDX-FileCopyrightText: 2026 The Brivane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs inside cpack once the package's files are staged: Debian keeps the programs of games in
# /usr/games, so the packaged program moves there. Its data is still ../share/brivane from it.
set(brivane_staged_usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
if(NOT EXISTS "${brivane_staged_usr}/bin/brivane")
    message(FATAL_ERROR "no usr/bin/brivane staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
file(MAKE_DIRECTORY "${brivane_staged_usr}/games")
file(RENAME "${brivane_staged_usr}/bin/brivane" "${brivane_staged_usr}/games/brivane")
file(REMOVE_RECURSE "${brivane_staged_usr}/bin")
