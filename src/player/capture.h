// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Loop closure and capture: finding a loop in the tail, marking and flashing it, testing which
// particles it surrounds, and scoring what was caught.
#pragma once

#include <cstddef>
#include <utility>

#include "core/game_state.h"
#include "particles/particle.h"

namespace brivane {

void findLoop(GameState& g);
// The first pair of tail indices, in the order a search through every pair would meet them, that
// lie within reach of each other and at least ten indices apart; {0, 0} when there is none.
std::pair<std::size_t, std::size_t> firstLoopPair(GameState& g);
void closeLoop(GameState& g, double a, double b);
void randomLoopColour(GameState& g);
// Whether the closed loop of the tail encloses the centre of the given rectangle.
bool isEnclosed(GameState& g, float left, float width, float top, float height);
// Intersects the line through p1 and p2 with the segment q1-q2; (-1, -1) when there is no usable
// crossing. A vertical p1-p2 or q1-q2 is avoided by nudging p1.x or q1.x, in the caller's copy.
point crossingPoint(point& p1, point p2, point& q1, point q2, float width, float height);
void scoreCapture(GameState& g);

}  // namespace brivane
