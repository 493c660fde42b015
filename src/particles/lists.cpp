// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The particle lists keep slot 0 empty and their particles packed in slots 1..count, each with
// num equal to its slot. A removal rebuilds the list in order and renumbers it; the removed
// particle is still running its own fade when it gets here, and the caller keeps it alive.
#include "particles/lists.h"

#include <cstddef>
#include <string>
#include <utility>

#include "core/levels.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "particles/particle.h"

namespace brivane {

namespace {

// Drops slot n from a list of count particles and packs the rest into a fresh list, in order
// and renumbered. Returns the new count.
double packWithout(ParticleList& list, double count, std::size_t n) {
    ParticleList packed(1);
    for (std::size_t i = 1; static_cast<double>(i) <= count; ++i) {
        if (i != n) {
            packed.push_back(list[i]);
            packed.back()->setNum(static_cast<double>(packed.size() - 1));
        }
    }
    list = std::move(packed);
    return static_cast<double>(list.size() - 1);
}

// A handle is a whole slot number; anything outside 1..count names no particle.
bool validHandle(double n, double count) {
    return n >= 1.0 && n <= count;
}

}  // namespace

void removeBall(GameState& g, double n) {
    if (!validHandle(n, g.ballCount)) {
        return;
    }
    const auto slot = static_cast<std::size_t>(roundEven(n));
    g.levelCaptures = clamp16(g.levelCaptures + 1.0);
    // A bond names its partner by identity, so every ball bonded to this one loses its bond.
    const std::string removedId = g.balls[slot]->IDnum();
    for (std::size_t i = 1; static_cast<double>(i) <= g.ballCount; ++i) {
        if (g.balls[i]->boundTo() == removedId) {
            g.balls[i]->setBoundTo("");
        }
    }
    g.ballCount = packWithout(g.balls, g.ballCount, slot);
    if (g.ballCount < 1 && g.levelCaptures > 0) {
        startLevel(g, "");
    }
    updateStatus(g);
}

void removeString(GameState& g, double n) {
    if (!validHandle(n, g.stringCount)) {
        return;
    }
    const auto slot = static_cast<std::size_t>(roundEven(n));
    g.stringCount = clamp16(packWithout(g.strings, g.stringCount, slot));
}

void endElectron(GameState& g) {
    g.electronActive = false;
    g.electronSparking = false;
}

float getPlayerX(const GameState& g) {
    return g.playerX;
}

float getPlayerY(const GameState& g) {
    return g.playerY;
}

}  // namespace brivane
