// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The player's position and tail: recording points, ageing them and drawing them.
#pragma once

#include "core/game_state.h"

namespace brivane {

void playerMoved(GameState& g, float x, float y);
void addTailPoint(GameState& g, float x, float y);
void ageTail(GameState& g);
void removeTailPoint(GameState& g, double n);
void clearTail(GameState& g);
void drawTail(GameState& g);

}  // namespace brivane
