// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File > New Game: ends the game in progress and starts over the way losing the last life does.
#pragma once

#include "core/game_state.h"

namespace brivane {

void menuNewGame(GameState& g);

}  // namespace brivane
