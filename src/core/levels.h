// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Level set-up and progression, and File > Jump To Level.
#pragma once

#include <cstdint>
#include <string>

#include "core/game_state.h"

namespace brivane {

void startLevel(GameState& g, const std::string& message);
void addBall(GameState& g);
void addQuark(GameState& g);
void addString(GameState& g);
void jumpToLevel(GameState& g, std::int16_t n);
void menuJumpLevel(GameState& g);

}  // namespace brivane
