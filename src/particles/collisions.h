// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Balls bouncing off each other, from the level where they start to.
#pragma once

#include "core/game_state.h"

namespace brivane {

// Bounces ball num off every other ball whose centre is closer than the contact distance.
void checkBallCollisions(GameState& g, double num);
// One bounce of balls a and b: momentum exchanged along the line between their centres by the
// mass rule, then both pushed apart on both axes.
void bounceBalls(GameState& g, double a, double b);

}  // namespace brivane
