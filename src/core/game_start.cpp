// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a game that begins in the middle of a run takes over from the game before it.
#include "core/game_start.h"

#include "core/game_state.h"
#include "core/lives.h"
#include "core/pause.h"
#include "player/hazards.h"

namespace brivane {

CarriedStart carriedStart(const GameState& g, GameEnding how) {
    CarriedStart c;
    c.rndState = g.rnd.state();
    c.frameTicks = g.frameTicks;
    c.shield = g.shieldOwned;
    c.ballsCollide = g.ballsCollide;
    c.playerX = g.playerX;
    c.playerY = g.playerY;
    c.bondsRed = g.bondsRed;
    c.renderTiming = g.pf.menuChecked(MenuItem::mnuSettingsDisplayRender);
    c.paused = isPaused(g);
    c.diedOnLevel = how == GameEnding::lastLife ? g.level : std::int16_t{0};
    return c;
}

std::string takeOverStart(GameState& g, const CarriedStart& c) {
    if (c.rndState) {
        g.rnd.setState(*c.rndState);
    }
    g.frameTicks = c.frameTicks;
    g.renderTicks = c.frameTicks;
    // Both ways a game restarts put a bought shield up again before level 1 is set up.
    if (c.shield) {
        g.shieldOwned = true;
        setShield(g, true);
    }
    g.ballsCollide = c.ballsCollide;
    g.playerX = c.playerX;
    g.playerY = c.playerY;
    g.bondsRed = c.bondsRed;
    g.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender, c.renderTiming);
    if (c.paused) {
        pauseGame(g);
    }
    return c.diedOnLevel > 0 ? restartMessage(c.diedOnLevel) : std::string();
}

}  // namespace brivane
