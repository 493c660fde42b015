// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lives and their icons, the death animation, and the restart after the last life. The death
// plays out one step per pass while the game goes on; a level set-up ends it without cost.
#include "core/lives.h"

#include <string>

#include "core/best_games.h"
#include "core/game.h"
#include "core/levels.h"
#include "core/numbers.h"
#include "core/sound.h"
#include "particles/particle.h"
#include "player/hazards.h"

namespace brivane {

namespace {

constexpr int lifeIconCount = 8;

// Marks a death step as running for as long as it runs, whichever way it returns.
class DeathStepGuard {
  public:
    explicit DeathStepGuard(GameState& g) : g_(g) { g_.inDeathStep = true; }
    ~DeathStepGuard() { g_.inDeathStep = false; }
    DeathStepGuard(const DeathStepGuard&) = delete;
    DeathStepGuard& operator=(const DeathStepGuard&) = delete;

  private:
    GameState& g_;
};

bool shieldUp(const GameState& g) {
    return g.shieldOn && g.shieldOwned;
}

}  // namespace

void setLives(GameState& g, std::int16_t n) {
    if (n - 1 > lifeIconCount - 1) {
        n = lifeIconCount;
    }
    for (int i = 0; i < lifeIconCount; ++i) {
        g.pf.setLifeIconVisible(i, i <= n - 1);
    }
    g.lives = n;
}

void deathStep(GameState& g) {
    // The last death implodes every particle, and a bonded ball's drawing tests the player
    // against its bond, which can report the same death again from inside this step. Without
    // this guard that recursion never ends when the frame step is 0, and with larger steps the
    // whole death would play out, and restart the game, in the middle of the implosion.
    if (!g.dying || g.inDeathStep) {
        return;
    }
    const DeathStepGuard guard(g);
    if (g.deathFade == 255) {
        playSound(g, shieldUp(g) ? effectShieldDie : effectDie);
    }
    if (g.deathFade > 0) {
        const int fade = g.deathFade - 2 * frameStep(g);
        g.deathFade = static_cast<std::int16_t>(fade < 0 ? 0 : fade);
        const int f = g.deathFade;
        g.pf.setForeColor(shieldUp(g) ? Rgb{f, 255, f} : Rgb{255, f, f});
        const int width = 300 - f;
        g.pf.setDrawWidth(width < 1 ? 1 : width);
        g.pf.line(g.playerX, g.playerY, g.playerX - 10, g.playerY - 10);
        g.pf.setDrawWidth(1);
        if (g.bondDeath) {
            bondLightning(g);
        }
        if (g.lives == 0) {
            implodeAll(g, toInt16(g.pf.playfieldWidth() * 0.01));
        }
        return;
    }
    g.bondDeath = false;
    g.lives = static_cast<std::int16_t>(g.lives - 1);
    if (g.shieldOwned) {
        setShield(g, true);
    }
    if (g.lives >= 0) {
        setLives(g, g.lives);
        g.dying = false;
        g.deathFade = 255;
        g.graceCount = 100;
        return;
    }
    gameEnded(g, GameEnding::lastLife);
    const std::string message = restartMessage(g.level);
    g.level = 0;
    setLives(g, 5);
    startLevel(g, message);
}

std::string restartMessage(std::int16_t reached) {
    return "You died on level " + std::to_string(reached) + ", starting over at level 1";
}

void bondLightning(GameState& g) {
    const float hx = g.bondHitX;
    const float hy = g.bondHitY;
    g.pf.setForeColor({200, 200, 255});
    for (int bolt = 0; bolt < 10; ++bolt) {
        const auto a = static_cast<float>(intFloor(g.rnd() * 3000 - 1000));
        const auto b = static_cast<float>(intFloor(g.rnd() * 3000 - 1000));
        g.pf.line(hx, hy, hx + a, hy + b);
        const auto c = static_cast<float>(intFloor(g.rnd() * 300 - 100));
        const auto d = static_cast<float>(intFloor(g.rnd() * 300 - 100));
        g.pf.line(hx + a, hy + b, hx + c, hy + d);
    }
}

void implodeAll(GameState& g, std::int16_t distance) {
    const auto implodeList = [&g, distance](ParticleList& list, double count) {
        for (std::size_t i = 1; static_cast<double>(i) <= count && i < list.size(); ++i) {
            const std::shared_ptr<clsParticle> particle = list[i];
            particle->implode(g, distance);
        }
    };
    implodeList(g.balls, g.ballCount);
    implodeList(g.quarks, g.quarkCount);
    implodeList(g.strings, g.stringCount);
    if (g.electronActive) {
        const std::shared_ptr<clsParticle> electron = g.electron;
        electron->implode(g, distance);
    }
}

}  // namespace brivane
