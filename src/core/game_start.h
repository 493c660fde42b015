// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A game that begins after another one in the same run does not start afresh: the random
// sequence goes on where it stood, a bought shield comes back up, balls that learned to bounce
// off each other still do, the spark stays where it was, the bonds keep their colour, the
// render timing stays shown and a paused game stays paused. CarriedStart is that state, taken
// as the new game begins, so that the new game's replay starts from the very same state on its
// own, without the games before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/best_games_table.h"

namespace brivane {

struct GameState;

struct CarriedStart {
    std::optional<std::uint64_t> rndState;  // nullopt: seeded as start-up seeds it
    std::int32_t frameTicks = 0;            // the last pass measured before the game began
    bool shield = false;
    bool ballsCollide = false;
    float playerX = 0.0f;
    float playerY = 0.0f;
    bool bondsRed = false;
    bool renderTiming = false;
    bool paused = false;
    std::uint8_t timersRunning = 0;  // bit n for the timer TimerId n that is enabled
    std::int16_t diedOnLevel = 0;    // where the last life was lost; 0 when New Game began it
    // A last life lost to a pointer move: that move goes on to leave the new game's first tail
    // point.
    std::optional<std::pair<float, float>> tailPoint;
    bool operator==(const CarriedStart&) const = default;
};

// Taken as `how` ends the game before it (last life or New Game), before level 1 is set up.
CarriedStart carriedStart(const GameState& g, GameEnding how);
// Start-up's part in such a game's replay: takes the state over and gives the message that
// level 1 opens with ("" for its hint); and what it took over after level 1 is set up.
std::string takeOverStart(GameState& g, const CarriedStart& carried);
void takeOverLevel(GameState& g, const CarriedStart& carried);

}  // namespace brivane
