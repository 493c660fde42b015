// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Bonds refer to their partner by IDnum, never by slot, so they survive the renumbering that
// follows every removal.
#include "particles/bonds.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/sound.h"
#include "particles/particle.h"

namespace brivane {

namespace {

// Fewer balls than this are looked through one by one.
constexpr std::size_t manyBalls = 64;

double searchEveryBall(const GameState& g, const std::string& id, std::size_t digest) {
    // Equal texts have equal digests, so only a ball whose digest matches can be the one.
    for (double i = 1; i <= g.ballCount; i += 1) {
        const clsParticle& ball = *g.balls[static_cast<std::size_t>(i)];
        if (ball.IDdigest() == digest && ball.IDnum() == id) {
            return i;
        }
    }
    return 0;
}

void makeFinder(const GameState& g, std::size_t last) {
    BallFinder& f = g.ballFinder;
    f.listData = g.balls.data();
    f.count = g.ballCount;
    f.serial = g.particleSerial;
    f.firstBall = g.balls[1].get();
    f.lastBall = g.balls[last].get();
    const std::size_t places = std::bit_ceil(2 * last);
    f.slotFor.assign(places, 0);
    for (std::size_t j = 1; j <= last; ++j) {
        const std::size_t digest = g.balls[j]->IDdigest();
        std::size_t at = digest & (places - 1);
        while (f.slotFor[at] != 0 && g.balls[f.slotFor[at]]->IDdigest() != digest) {
            at = (at + 1) & (places - 1);
        }
        if (f.slotFor[at] == 0) {  // a later ball with a digest already held is never first
            f.slotFor[at] = static_cast<std::uint32_t>(j);
        }
    }
}

}  // namespace

double findBallByID(const GameState& g, const std::string& id) {
    const std::size_t digest = std::hash<std::string>{}(id);
    const std::size_t last =
        g.ballCount >= 1 && g.ballCount <= static_cast<double>(g.balls.size() - 1)
            ? static_cast<std::size_t>(g.ballCount)
            : 0;
    if (last < manyBalls) {
        return searchEveryBall(g, id, digest);
    }
    const BallFinder& f = g.ballFinder;
    if (f.listData != g.balls.data() || f.count != g.ballCount || f.serial != g.particleSerial ||
        f.firstBall != g.balls[1].get() || f.lastBall != g.balls[last].get()) {
        makeFinder(g, last);
    }
    const std::size_t mask = f.slotFor.size() - 1;
    for (std::size_t at = digest & mask; f.slotFor[at] != 0; at = (at + 1) & mask) {
        const std::uint32_t slot = f.slotFor[at];
        const clsParticle& ball = *g.balls[slot];
        if (ball.IDdigest() == digest) {
            // The first ball with this digest; another text with the same digest may stand
            // later, which only the plain search finds.
            return ball.IDnum() == id ? slot : searchEveryBall(g, id, digest);
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
