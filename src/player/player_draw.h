// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Drawing the player sprite centred on the pointer.
#pragma once

#include "core/game_state.h"

namespace brivane {

void drawPlayer(GameState& g);

}  // namespace brivane
