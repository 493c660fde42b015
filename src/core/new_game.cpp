// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File > New Game. A game with nothing scored yet has nothing to lose, so only a game that has
// scored asks first. The restart is the one after the last life, with level 1's own hint in
// place of the death message: the best score, the highest level and a bought shield stay, and
// a death in progress ends there without costing a life.
#include "core/new_game.h"

#include "core/best_games.h"
#include "core/levels.h"
#include "core/lives.h"
#include "player/hazards.h"

namespace brivane {

void menuNewGame(GameState& g) {
    if (g.score > 0 && g.pf.messageBox("End this game and start a new one?", "Brivane",
                                       DialogButtons::yesNo) != DialogResult::yes) {
        return;
    }
    gameEnded(g, GameEnding::newGame);
    if (g.shieldOwned) {
        setShield(g, true);
    }
    g.level = 0;
    setLives(g, 5);
    startLevel(g, "");
}

}  // namespace brivane
