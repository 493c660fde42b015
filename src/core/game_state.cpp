// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game-state record starts with empty lists whose slot 0 is reserved.
#include "core/game_state.h"

#include "particles/particle.h"

namespace brivane {

GameRecord::GameRecord()
    : balls(1), quarks(1), electron(std::make_shared<clsParticle>()), strings(1), tail(1) {}

GameRecord::~GameRecord() = default;

std::int16_t getHighLevel(const GameState& g) {
    return g.highLevel;
}

void setHighLevel(GameState& g, std::int16_t value) {
    g.highLevel = value;
}

}  // namespace brivane
