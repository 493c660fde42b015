// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What kills the player (balls, red bonds, electron sparks) and the shield that saves one life.
#pragma once

#include <string>

#include "core/game_state.h"

namespace brivane {

void mouseMoveHazards(GameState& g);
bool playerHitsBall(GameState& g);
void checkBondCollision(GameState& g, double ballNum, const std::string& partnerId);
void toggleSparking(GameState& g);
void sparkStep(GameState& g);
void buyShield(GameState& g);
void setShield(GameState& g, bool on);

}  // namespace brivane
