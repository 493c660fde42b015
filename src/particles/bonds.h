// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Bonds between balls: stored by identity on one ball, drawn between centres, red or blue.
#pragma once

#include <string>

#include "core/game_state.h"

namespace brivane {

double findBallByID(const GameState& g, const std::string& id);
void drawBond(GameState& g, double num, const std::string& id);
void setBondsRed(GameState& g, bool v);
bool getBondsRed(const GameState& g);

}  // namespace brivane
