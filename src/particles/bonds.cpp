// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Bonds refer to their partner by IDnum, never by slot, so they survive the renumbering that
// follows every removal.
#include "particles/bonds.h"

#include <cstddef>
#include <functional>

#include "core/sound.h"
#include "particles/particle.h"

namespace brivane {

double findBallByID(const GameState& g, const std::string& id) {
    // Equal texts have equal digests, so only a ball whose digest matches can be the one.
    const std::size_t digest = std::hash<std::string>{}(id);
    for (double i = 1; i <= g.ballCount; i += 1) {
        const clsParticle& ball = *g.balls[static_cast<std::size_t>(i)];
        if (ball.IDdigest() == digest && ball.IDnum() == id) {
            return i;
        }
    }
    return 0;
}

void drawBond(GameState& g, double num, const std::string& id) {
    const double dest = findBallByID(g, id);
    if (dest < 1 || dest > g.ballCount || num < 1 || num > g.ballCount) {
        return;  // cannot happen while bonds are dropped with their partner; draw nothing then
    }
    const clsParticle& a = *g.balls[static_cast<std::size_t>(num)];
    const clsParticle& b = *g.balls[static_cast<std::size_t>(dest)];
    g.pf.setForeColor(g.bondsRed ? Rgb{255, 0, 0} : Rgb{0, 0, 255});
    g.pf.line(a.x(), a.y(), b.x(), b.y());
}

void setBondsRed(GameState& g, bool v) {
    g.bondsRed = v;
    if (!v) {
        return;
    }
    for (double i = 1; i <= g.ballCount; i += 1) {
        if (!g.balls[static_cast<std::size_t>(i)]->boundTo().empty()) {
            playSound(g, effectBonds);
            return;
        }
    }
}

bool getBondsRed(const GameState& g) {
    return g.bondsRed;
}

}  // namespace brivane
