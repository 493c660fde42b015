// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Loop closure and capture. The enclosure test casts four rays from a particle's centre toward
// the playfield's corners: a particle counts as inside when every ray crosses a marked segment
// of the tail on the corner's side of the centre.
#include "player/capture.h"

#include <cmath>
#include <string>

#include "core/lives.h"
#include "core/messages.h"
#include "core/numbers.h"

namespace brivane {

namespace {

constexpr float loopReach = 360.0f;
constexpr std::size_t loopMinSpan = 10;
// The crossing's computed y on a horizontal segment (or x on a vertical one) can miss the
// segment's own value by a few units in the last place; half a twip of slack lets a loop that
// visibly surrounds a particle catch it.
constexpr float crossingSlack = 0.5f;

bool near(const TailPoint& a, const TailPoint& b) {
    return std::fabs(a.x - b.x) <= loopReach && std::fabs(a.y - b.y) <= loopReach;
}

bool between(float v, float a, float b) {
    const float lo = a < b ? a : b;
    const float hi = a < b ? b : a;
    return v >= lo - crossingSlack && v <= hi + crossingSlack;
}

// Int(score / 10,000) mod 10: the ten-thousands digit of the score's whole-number text.
double tenThousands(double score) {
    return std::fmod(intFloor(score / 10000.0), 10.0);
}

}  // namespace

std::pair<std::size_t, std::size_t> firstLoopPair(GameState& g) {
    const auto n = static_cast<std::size_t>(g.tailCount);
    LoopSearch& known = g.loopSearch;
    if (!known.known || known.searched > n) {
        known = LoopSearch{};
    }
    // Searching every pair meets the smallest index that has a partner first, and its smallest
    // partner; a partner below it would have been met earlier. A new point k can only pair with
    // an older one, and only one older than the first pair's first point can come earlier.
    for (std::size_t k = known.searched + 1; k <= n; ++k) {
        const std::size_t below = known.first != 0 ? known.first : k;
        for (std::size_t i = 1; i < below && i + loopMinSpan <= k; ++i) {
            if (near(g.tail[i], g.tail[k])) {
                known.first = i;
                known.second = k;
                break;
            }
        }
    }
    known.searched = n;
    return {known.first, known.second};
}

void findLoop(GameState& g) {
    const auto [a, b] = firstLoopPair(g);
    if (a != 0) {
        closeLoop(g, static_cast<double>(a), static_cast<double>(b));
    }
}

void closeLoop(GameState& g, double a, double b) {
    const auto lo = static_cast<std::size_t>(a < b ? a : b);
    const auto hi = static_cast<std::size_t>(a < b ? b : a);
    for (std::size_t k = lo; k <= hi && k < g.tail.size(); ++k) {
        g.tail[k].inLoop = -1;
        if (k % 2 == 0 && k > lo) {
            randomLoopColour(g);
            g.pf.line(g.tail[k].x, g.tail[k].y, g.tail[lo].x, g.tail[lo].y);
        }
    }
    if (g.graceCount < 1) {
        scoreCapture(g);
    }
    g.pf.setTimerEnabled(TimerId::tmrKillTails, true);
}

void randomLoopColour(GameState& g) {
    int channel[3];
    for (int& c : channel) {
        const double v = intFloor(g.rnd() * 255.0 + 50.0);
        c = v < 50 ? 50 : (v > 255 ? 255 : static_cast<int>(v));
    }
    g.pf.setForeColor({channel[0], channel[1], channel[2]});
}

point crossingPoint(point& p1, point p2, point& q1, point q2, float width, float height) {
    if (q1.x - q2.x == 0.0f) {
        q1.x = q1.x + 1.0f;
    }
    const float mq = (q1.y - q2.y) / (q1.x - q2.x);
    if (p1.x - p2.x == 0.0f) {
        p1.x = p1.x + 1.0f;
    }
    const float mp = (p1.y - p2.y) / (p1.x - p2.x);
    const float bp = p1.y - mp * p1.x;
    const float bq = q1.y - mq * q1.x;
    if (mp - mq == 0.0f) {
        return {-1.0f, -1.0f};
    }
    const float ix = (bq - bp) / (mp - mq);
    const float iy = ix * mp + bp;
    if (between(ix, q1.x, q2.x) && between(iy, q1.y, q2.y) && ix >= 0.0f && ix <= width &&
        iy >= 0.0f && iy <= height) {
        return {ix, iy};
    }
    return {-1.0f, -1.0f};
}

bool isEnclosed(GameState& g, float left, float width, float top, float height) {
    point c{static_cast<float>(intFloor(width / 2.0f)) + left,
            static_cast<float>(intFloor(height / 2.0f)) + top};
    const auto w = static_cast<float>(g.pf.playfieldWidth());
    const auto h = static_cast<float>(g.pf.playfieldHeight());
    const point corners[4] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    bool hit[4] = {false, false, false, false};
    point prev{-1.0f, -1.0f};
    point cur{-1.0f, -1.0f};
    const auto n = static_cast<std::size_t>(g.tailCount);
    for (std::size_t i = 1; i <= n && i < g.tail.size(); ++i) {
        if (g.tail[i].inLoop == 0) {
            continue;
        }
        if (prev.x == -1.0f || prev.y == -1.0f) {
            // The segment into the loop from the unmarked point just before it counts too.
            if (i >= 2) {
                cur = {g.tail[i - 1].x, g.tail[i - 1].y};
            }
        } else {
            cur = prev;
        }
        prev = {g.tail[i].x, g.tail[i].y};
        if (cur.x == -1.0f || cur.y == -1.0f) {
            continue;
        }
        for (int d = 0; d < 4; ++d) {
            point cross = crossingPoint(c, corners[d], prev, cur, w, h);
            const bool leftSide = d == 0 || d == 2;
            const bool upperSide = d == 0 || d == 1;
            if (leftSide ? cross.x > c.x : cross.x < c.x) {
                cross.x = -1.0f;
            }
            if (upperSide ? cross.y > c.y : cross.y < c.y) {
                cross.y = -1.0f;
            }
            if (cross.x != -1.0f && cross.y != -1.0f) {
                hit[d] = true;
            }
        }
    }
    return hit[0] && hit[1] && hit[2] && hit[3];
}

void scoreCapture(GameState& g) {
    if (g.dying) {
        return;
    }
    double n = 0;
    std::int16_t s = 0;
    // Pending events run after each caught ball and may shorten the list, close another loop or
    // set up a new level: walk by index and re-read the count after every yield.
    double p = g.ballCount;
    while (p <= g.ballCount && p >= 1) {
        const std::shared_ptr<clsParticle> ball = g.balls[static_cast<std::size_t>(p)];
        if (ball->detectCapture(g)) {
            n += 1;
            g.pf.processEvents();
        }
        p = p > g.ballCount ? g.ballCount : p - 1;
    }
    for (double q = g.stringCount; q >= 1 && q <= g.stringCount; q -= 1) {
        if (g.strings[static_cast<std::size_t>(q)]->detectCapture(g)) {
            s = static_cast<std::int16_t>(s + 1);
        }
    }
    if (g.electronActive && g.electron->detectCapture(g)) {
        if (g.electronSparking) {
            g.electronSparking = false;
            showMessage(g, "Captured electron while sparking, counts as 3 particle captures!");
            n += 3;
        } else {
            n += 1;
        }
    }
    const double oldScore = g.score;
    const double per = n * 10;
    g.score = g.score + n * per;
    g.score = g.score + clamp16(static_cast<double>(s) * 5);
    if (g.score > g.highScore) {
        g.highScore = g.score;
    }
    if (g.score >= 10000 && tenThousands(g.score) > tenThousands(oldScore) && n > 0) {
        if (g.lives < 7 && g.messageText.empty()) {
            showMessage(g, "Extra life!");
        }
        setLives(g, static_cast<std::int16_t>(g.lives + 1));
    }
    if (g.messageText.empty() && n > 1) {
        showMessage(g, shortestDecimal(n * per) + " Points!");
    }
    updateStatus(g);
}

}  // namespace brivane
