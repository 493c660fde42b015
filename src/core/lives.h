// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lives and their icons, the death sequence and its effects, and the restart after the last life.
#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace brivane {

void setLives(GameState& g, std::int16_t n);
void deathStep(GameState& g);
void bondLightning(GameState& g);
void implodeAll(GameState& g, std::int16_t distance);

}  // namespace brivane
