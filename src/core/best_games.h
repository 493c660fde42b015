// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of the ten best games: who played, the score, the level reached, when the game
// ended and how long it was played. The table lives only in its file, which is re-read and
// merged just before every write, so two copies of the game playing at once keep each other's
// games; the game holds no copy of its own that could go stale.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_state.h"

namespace brivane {

inline constexpr std::size_t bestGamesKept = 10;
inline constexpr std::size_t nameLimit = 32;  // characters, not bytes

// The one routine every ending of a game passes through: a game that scored enters the table
// under the last name used, the kept replays are told, and after the last life or New Game the
// table window opens on it.
void gameEnded(GameState& g, GameEnding how);

// File > High Scores.
void menuHighScores(GameState& g);
// The table window's answers.
void nameBestGame(GameState& g, const std::string& name);
void clearBestGames(GameState& g);

// The name offered for the next entry: the last one used, else the account's.
std::string lastName(GameState& g);

// UTF-8 with control characters and broken sequences removed, blanks trimmed, cut to
// `nameLimit` characters.
std::string cleanName(std::string_view text);
// The table a file holds, best first and at most ten; nullopt when it is not one.
std::optional<std::vector<BestGame>> parseBestGames(std::string_view text);
std::string bestGamesText(const std::vector<BestGame>& games);
// Best first; of equal scores the game that ended first; then cut at ten.
void rankBestGames(std::vector<BestGame>& games);

}  // namespace brivane
