// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The particle lists: removal of captured balls and strings with packing and renumbering, the
// end of the electron, and the player's position for the steering balls.
#pragma once

#include "core/game_state.h"

namespace brivane {

// Removes ball n after its capture fade; removing the level's last ball sets up the next level.
void removeBall(GameState& g, double n);
void removeString(GameState& g, double n);
void endElectron(GameState& g);
float getPlayerX(const GameState& g);
float getPlayerY(const GameState& g);

}  // namespace brivane
