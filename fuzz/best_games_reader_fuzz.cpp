// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the reader of the table of best games: any file contents. A table it accepts must be
// one the game could have written: at most ten games, best first, names already clean, and
// written back it must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/best_games.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto games = brivane::parseBestGames(text);
    if (!games) {
        return 0;
    }
    if (games->size() > brivane::bestGamesKept) {
        std::abort();
    }
    for (std::size_t i = 0; i < games->size(); ++i) {
        const brivane::BestGame& game = (*games)[i];
        if (!(game.score > 0) || game.level < 1 || brivane::cleanName(game.name) != game.name ||
            (i > 0 && (*games)[i - 1].score < game.score)) {
            std::abort();
        }
    }
    if (brivane::parseBestGames(brivane::bestGamesText(*games)) != games) {
        std::abort();
    }
    return 0;
}
