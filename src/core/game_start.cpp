// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a game that begins in the middle of a run takes over from the game before it.
#include "core/game_start.h"

#include "core/game_state.h"
#include "core/lives.h"
#include "core/pause.h"
#include "player/hazards.h"
#include "player/tail.h"

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
    for (int t = 0; t < timerCount; ++t) {
        if (g.pf.timerEnabled(static_cast<TimerId>(t))) {
            c.timersRunning = static_cast<std::uint8_t>(c.timersRunning | (1U << t));
        }
    }
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
    // A tick the new game sees is one of a timer that runs; which ones do is the old game's.
    for (int t = 0; t < timerCount; ++t) {
        g.pf.setTimerEnabled(static_cast<TimerId>(t), (c.timersRunning >> t & 1U) != 0);
    }
    g.playerX = c.playerX;
    g.playerY = c.playerY;
    g.bondsRed = c.bondsRed;
    g.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender, c.renderTiming);
    if (c.paused) {
        pauseGame(g);
    }
    return c.diedOnLevel > 0 ? restartMessage(c.diedOnLevel) : std::string();
}

void takeOverLevel(GameState& g, const CarriedStart& c) {
    if (c.tailPoint) {
        addTailPoint(g, c.tailPoint->first, c.tailPoint->second);
    }
}

}  // namespace brivane
