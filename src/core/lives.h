// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lives and their icons, the death sequence and its effects, and the restart after the last life.
#pragma once

#include <cstdint>
#include <string>

#include "core/game_state.h"

namespace brivane {

void setLives(GameState& g, std::int16_t n);
void deathStep(GameState& g);
// The message of the restart after the last life was lost on level `reached`.
std::string restartMessage(std::int16_t reached);
void bondLightning(GameState& g);
void implodeAll(GameState& g, std::int16_t distance);

}  // namespace brivane
