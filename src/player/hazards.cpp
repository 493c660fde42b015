// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What kills the player, and the shield. A ball kills on contact (unless the shield takes the
// hit), a red bond kills within reach of the line drawn between its balls, and the electron's
// sparks kill whatever their random strokes reach.
#include "player/hazards.h"

#include <cmath>

#include "core/lives.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/sound.h"
#include "particles/bonds.h"
#include "particles/particle.h"

namespace brivane {

namespace {

constexpr float bondReach = 160.0f;
constexpr double shieldPrice = 20000;
constexpr std::int16_t shieldLevel = 100;

void die(GameState& g) {
    g.dying = true;
    deathStep(g);
}

}  // namespace

void mouseMoveHazards(GameState& g) {
    if (playerHitsBall(g)) {
        if (g.shieldOwned && g.shieldOn) {
            setShield(g, false);
            playSound(g, effectShieldDie);
            return;
        }
        die(g);
    }
    // A death step can restart the game and rebuild the list, so re-read it every time.
    for (double p = 1; p <= g.ballCount; p += 1) {
        const std::string partner = g.balls[static_cast<std::size_t>(p)]->boundTo();
        if (!partner.empty()) {
            checkBondCollision(g, p, partner);
        }
    }
}

bool playerHitsBall(GameState& g) {
    const double radius = roundEven(intFloor(g.pf.pictureWidth(Picture::imgBalls) / 22.0) +
                                    intFloor(g.pf.pictureWidth(Picture::lifeIcon) / 2.0));
    for (double p = 1; p <= g.ballCount; p += 1) {
        const clsParticle& ball = *g.balls[static_cast<std::size_t>(p)];
        if (ball.isDying()) {
            continue;  // a captured ball fading out is harmless
        }
        const point c = ball.centrePoint(g);
        const double dx = static_cast<double>(c.x) - g.playerX;
        const double dy = static_cast<double>(c.y) - g.playerY;
        const auto distance = static_cast<float>(std::sqrt(dx * dx + dy * dy));
        if (distance < radius) {
            return true;
        }
    }
    return false;
}

void checkBondCollision(GameState& g, double ballNum, const std::string& partnerId) {
    // A blue bond is harmless: no need to look for its partner.
    if (!g.bondsRed) {
        return;
    }
    const double dest = findBallByID(g, partnerId);
    if (dest < 1 || dest > g.ballCount || ballNum < 1 || ballNum > g.ballCount) {
        return;
    }
    // Sampled along the line the player sees, between the two centres where drawBond draws it.
    const clsParticle& from = *g.balls[static_cast<std::size_t>(ballNum)];
    const clsParticle& to = *g.balls[static_cast<std::size_t>(dest)];
    const float ax = from.x();
    const float ay = from.y();
    const float bx = to.x();
    const float by = to.y();
    const auto touches = [&g](float sx, float sy) {
        return std::fabs(sx - g.playerX) < bondReach && std::fabs(sy - g.playerY) < bondReach;
    };
    // Twenty divisors 2.0, 1.95, ... 1.05: repeated subtraction leaves d just below 1.0 after
    // the twentieth, so the ends of the bond are never sampled.
    for (double d = 2.0; d >= 1.0; d -= 0.05) {
        const float samples[2][2] = {
            {ax + static_cast<float>(roundEven((bx - ax) / d)),
             ay + static_cast<float>(roundEven((by - ay) / d))},
            {bx + static_cast<float>(roundEven((ax - bx) / d)),
             by + static_cast<float>(roundEven((ay - by) / d))},
        };
        for (const auto& s : samples) {
            if (!touches(s[0], s[1])) {
                continue;
            }
            if (g.graceCount >= 1) {
                return;
            }
            g.bondDeath = true;
            g.bondHitX = s[0];
            g.bondHitY = s[1];
            die(g);
            return;
        }
    }
}

void toggleSparking(GameState& g) {
    // A caught electron fades out harmlessly; sparking now would replace its fade with deadly
    // sparks until the next toggle, the way catching a sparking electron ends its sparks.
    if (g.electronActive && g.electron && g.electron->isDying()) {
        g.electronSparking = false;
        return;
    }
    g.electronSparking = !g.electronSparking;
    if (g.electronSparking && g.electronActive) {
        playSound(g, effectSpark);
    }
}

void sparkStep(GameState& g) {
    const std::shared_ptr<clsParticle> electron = g.electron;
    const auto ex = static_cast<float>(intFloor(electron->width() / 2.0f) + electron->left());
    const auto ey = static_cast<float>(intFloor(electron->height() / 2.0f) + electron->top());
    for (int spark = 0; spark < 10; ++spark) {
        const double a = intFloor(g.rnd() * 2000 - 1000);
        const double b = intFloor(g.rnd() * 2000 - 1000);
        g.pf.setForeColor({200, 200, 255});
        const float tipX = ex + static_cast<float>(a);
        const float tipY = ey + static_cast<float>(b);
        g.pf.line(ex, ey, tipX, tipY);
        const double c = intFloor(g.rnd() * 1000 - 500);
        const double e = intFloor(g.rnd() * 1000 - 500);
        g.pf.line(tipX, tipY, ex + static_cast<float>(c), ey + static_cast<float>(e));
        // Signed offsets: only a stroke that points right and down can kill, and then on
        // either side of the electron within its reach.
        if (std::fabs(g.playerX - ex) < a && std::fabs(g.playerY - ey) < b) {
            die(g);
        }
    }
}

void buyShield(GameState& g) {
    if (g.shieldOwned) {
        return;
    }
    if (g.score >= shieldPrice && g.level >= shieldLevel) {
        g.score = g.score - shieldPrice;
        g.shieldOwned = true;
        g.shieldOn = true;
        setShield(g, true);
        showMessage(g, "Shield Purchased & Activated");
    }
}

void setShield(GameState& g, bool on) {
    g.shieldOn = on;
    if (on) {
        g.pf.setPlayerPictures(Picture::imgPlayerShield, Picture::imgPlayerShieldMatte);
    } else {
        g.pf.setPlayerPictures(Picture::imgPlayer, Picture::imgPlayerMatte);
    }
}

}  // namespace brivane
