// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file "scores": best score and highest level, kept from run to run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/game_state.h"

namespace brivane {

void loadScores(GameState& g);
// What a scores file's text holds: each key found sets its value, anything else is left alone.
void readScores(std::string_view text, std::int16_t& highLevel, double& highScore);
// The file's text for these values: two CR LF lines.
std::string scoresText(std::int16_t highLevel, double highScore);
// One text holding the higher level and the higher score of two scores files' texts.
std::string betterScoresText(std::string_view a, std::string_view b);
// Writes the file, never lowering what it already holds, lets pending events run once, then ends
// the program.
void saveScores(GameState& g);

}  // namespace brivane
