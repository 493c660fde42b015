// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The player's position and tail. Points are recorded when the pointer has moved far enough,
// age every pass by an amount that grows with the level and the frame step, and vanish once
// older than 250; the tail is drawn oldest first, fading from white to black.
#include "player/tail.h"

#include <algorithm>
#include <cmath>

#include "core/game.h"
#include "core/numbers.h"
#include "player/capture.h"
#include "player/hazards.h"

namespace brivane {

namespace {

constexpr double tailLimit = 50000;
constexpr float tailStep = 160.0f;
constexpr std::int16_t maxAge = 250;

void resetTail(GameState& g) {
    g.tailCount = 0;
    g.tail.assign(1, TailPoint{});
    g.loopSearch = LoopSearch{};
}

// Removing points never makes a pair, so a tail known to hold none still holds none. A tail with
// a pair keeps it as its first only when everything removed came after the pair.
void forgetRemoved(GameState& g, std::size_t oldCount, std::size_t firstRemoved) {
    LoopSearch& known = g.loopSearch;
    if (known.known && known.searched == oldCount &&
        (known.first == 0 || firstRemoved > known.second)) {
        known.searched = static_cast<std::size_t>(g.tailCount);
    } else {
        known.known = false;
    }
}

}  // namespace

void playerMoved(GameState& g, float x, float y) {
    g.playerX = x;
    g.playerY = y;
    if (g.graceCount >= 1) {
        g.graceCount = static_cast<std::int16_t>(g.graceCount - 1);
        return;
    }
    mouseMoveHazards(g);
}

void addTailPoint(GameState& g, float x, float y) {
    if (g.tailCount >= tailLimit) {
        return;
    }
    const TailPoint& last = g.tail[static_cast<std::size_t>(g.tailCount)];
    const float dx = last.x - x;
    const float dy = last.y - y;
    if (std::fabs(dx) < tailStep && std::fabs(dy) < tailStep) {
        return;
    }
    g.tail.push_back(TailPoint{x, y, 0, 0});
    g.tailCount += 1;
    findLoop(g);
}

void ageTail(GameState& g) {
    const std::int16_t inc = clamp16(intFloor(g.level / 10.0) + frameStep(g));
    const auto n = static_cast<std::size_t>(g.tailCount);
    bool anyOld = false;
    for (std::size_t i = 1; i <= n; ++i) {
        TailPoint& p = g.tail[i];
        p.age = clamp16(static_cast<double>(p.age) + inc);
        anyOld = anyOld || p.age > maxAge;
    }
    if (!anyOld) {
        return;
    }
    // Removing the old points one at a time, rescanning from the start after each, leaves the
    // same tail as removing them all in one sweep: the young points in their order, and no
    // loop marks left if any removed point was marked.
    bool markedGone = false;
    std::size_t firstRemoved = 0;
    std::vector<TailPoint> kept;
    kept.reserve(n + 1);
    kept.push_back(TailPoint{});
    for (std::size_t i = 1; i <= n; ++i) {
        if (g.tail[i].age > maxAge) {
            markedGone = markedGone || g.tail[i].inLoop != 0;
            firstRemoved = firstRemoved == 0 ? i : firstRemoved;
        } else {
            kept.push_back(g.tail[i]);
        }
    }
    if (markedGone) {
        for (TailPoint& p : kept) {
            p.inLoop = 0;
        }
    }
    g.tail = std::move(kept);
    g.tailCount = static_cast<double>(g.tail.size() - 1);
    forgetRemoved(g, n, firstRemoved);
}

void removeTailPoint(GameState& g, double n) {
    // Written so that a NaN handle fails it too, before it is turned into an index.
    if (!(n >= 1 && n <= g.tailCount)) {
        return;
    }
    const auto index = static_cast<std::size_t>(n);
    const bool wasMarked = g.tail[index].inLoop != 0;
    g.tail.erase(g.tail.begin() + static_cast<std::ptrdiff_t>(index));
    if (wasMarked) {
        for (TailPoint& p : g.tail) {
            p.inLoop = 0;
        }
    }
    g.tail[0] = TailPoint{};
    const auto oldCount = static_cast<std::size_t>(g.tailCount);
    g.tailCount = static_cast<double>(g.tail.size() - 1);
    forgetRemoved(g, oldCount, index);
}

void clearTail(GameState& g) {
    resetTail(g);
    g.pf.setTimerEnabled(TimerId::tmrKillTails, false);
}

void drawTail(GameState& g) {
    if (g.tailCount < 2) {
        return;
    }
    const auto n = static_cast<std::size_t>(g.tailCount);
    const bool dots = g.graceCount >= 1;
    for (std::size_t i = 2; i <= n; ++i) {
        const TailPoint& p = g.tail[i];
        const double shade = intFloor(255.0 - p.age * 255.0 / 250.0);
        const int c = static_cast<int>(std::clamp(shade, 0.0, 255.0));
        g.pf.setForeColor(p.inLoop != 0 ? Rgb{0, 0, c} : Rgb{c, c, c});
        if (dots) {
            g.pf.line(p.x, p.y, p.x - 10, p.y - 10);
        } else {
            g.pf.line(p.x, p.y, g.tail[i - 1].x, g.tail[i - 1].y);
        }
    }
}

}  // namespace brivane
