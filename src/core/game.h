// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up, the main loop and its pacing, the speed keys and the two speed menu items.
#pragma once

#include <cstdint>
#include <functional>

#include "core/game_state.h"

namespace brivane {

// The seed a game starts from: the one given, else the time of day in milliseconds.
std::uint32_t startingSeed(GameState& g);
// Brings the game up in its fixed order, up to and including the set-up of level 1.
void startUp(GameState& g);
// The first pass of a replay whose game began inside the pass (after New Game or the last
// life): the rest of that pass, its yield, the rest having been the game before.
void finishBegunPass(GameState& g);
// Runs passes until the program is told to end, calling `afterPass` (when given) after each.
void mainLoop(GameState& g, const std::function<void()>& afterPass = {});
// One pass of the main loop: draw, move, age, die, then yield until the next frame.
void runPass(GameState& g);

int areaFactor(const GameState& g);
// The movement multiplier of the current pass.
std::int16_t frameStep(const GameState& g);

void adjustSpeed(GameState& g, bool up);
void showRenderTiming(GameState& g);
void keyPressed(GameState& g, int code);
void menuAutoSpeed(GameState& g);
void menuDisplayRender(GameState& g);

}  // namespace brivane
