// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Level set-up: the level's particles, the features that switch on with higher levels, the
// hint, and File > Jump To Level. The order of the calls fixes the order of the random draws,
// so a seed reproduces a level exactly.
#include "core/levels.h"

#include <memory>

#include "core/messages.h"
#include "core/numbers.h"
#include "particles/particle.h"

namespace brivane {

namespace {

constexpr int quarksPerLevel = 21;
constexpr std::int16_t electronFromLevel = 15;
constexpr std::int16_t collisionsFromLevel = 20;
constexpr std::int16_t bondsFromLevel = 10;
// Jumps go below this level only; the dialog accepts up to it.
constexpr double jumpLimit = 32000.0;

struct Hint {
    std::int16_t level;
    const char* text;
};

constexpr Hint hints[] = {
    {1, "Trap particles in a loop of your tail"},
    {3, "Avoid hitting particles"},
    {4, "The fast moving quarks are harmless to you, catch them for bonus points"},
    {5, "Catch multiple particles at once for extra points"},
    {10, "Avoid bonds between particles when they are red"},
    {15, "Electrons will stop and spark occationally, keep clear!"},
    {17, "Some particles are attracted to you!"},
    {21, "Stanard particles will now bounce off each other."},
    {23, "An extra life is given for every 10,000 pts."},
    {25,
     "Remember, as soon as you've captured one particle, it's just as easy as the last level, "
     "and you survived that didn't you?"},
    {30, "Level 30, really?!  Are you cheating?!"},
    {100, "OMG there is NO WAY you can survive this!"},
};

// Appends a new particle of the given kind to a list and sets it up in its slot.
void append(GameState& g, ParticleList& list, ParticleKind kind) {
    const auto particle = std::make_shared<clsParticle>();
    list.push_back(particle);
    particle->init(g, static_cast<double>(list.size() - 1), static_cast<std::uint8_t>(kind));
}

}  // namespace

void startLevel(GameState& g, const std::string& message) {
    g.level = clamp16(g.level + 1.0);
    if (g.level > getHighLevel(g)) {
        setHighLevel(g, g.level);
    }
    // A death this set-up interrupts is over without costing a life; its lightning origin must
    // not carry over to the next, unrelated death.
    g.dying = false;
    g.deathFade = 255;
    g.bondDeath = false;
    if (g.level == 1) {
        g.score = 0;
    }
    g.pf.clear();
    g.pf.refresh();

    g.tailCount = 0;
    g.tail.assign(1, TailPoint{});
    g.loopSearch = LoopSearch{};
    g.ballCount = 0;
    g.balls.assign(1, nullptr);
    g.quarkCount = 0;
    g.quarks.assign(1, nullptr);
    g.stringCount = 0;
    g.strings.assign(1, nullptr);
    g.levelCaptures = 0;

    for (std::int16_t i = 0; i < g.level; ++i) {
        addBall(g);
    }
    for (int i = 0; i < quarksPerLevel; ++i) {
        addQuark(g);
    }
    // One draw per level: none with odds 1/2, else three or four strings.
    const double r = intFloor(g.rnd() * 4.0);
    if (r > 1) {
        for (double i = 0; i < r + 1; i += 1) {
            addString(g);
        }
    }

    g.electronActive = false;
    g.electronSparking = false;
    if (g.level >= electronFromLevel) {
        const double s = intFloor(g.rnd() * 100.0 + 1.0);
        if (s <= 50) {
            g.electron->init(g, g.ballCount + 1, static_cast<std::uint8_t>(ParticleKind::electron));
            g.electronActive = true;
        }
    }
    if (g.level >= collisionsFromLevel) {
        g.ballsCollide = true;  // stays on for the rest of the run, restarts included
    }
    g.graceCount = 100;

    if (message.empty()) {
        for (const Hint& hint : hints) {
            if (hint.level == g.level) {
                showMessage(g, hint.text);
            }
        }
    } else {
        showMessage(g, message);
    }
    updateStatus(g);
}

void addBall(GameState& g) {
    g.ballCount += 1;
    append(g, g.balls, ParticleKind::ball);
    if (g.ballCount > 1 && g.level >= bondsFromLevel) {
        const double t = intFloor(g.rnd() * 100.0 + 1.0);
        if (t <= 10) {
            const auto n = static_cast<std::size_t>(g.ballCount);
            g.balls[n]->setBoundTo(g.balls[n - 1]->IDnum());
        }
    }
}

void addQuark(GameState& g) {
    g.quarkCount = clamp16(g.quarkCount + 1.0);
    append(g, g.quarks, ParticleKind::quark);
}

void addString(GameState& g) {
    g.stringCount = clamp16(g.stringCount + 1.0);
    append(g, g.strings, ParticleKind::string);
}

void jumpToLevel(GameState& g, std::int16_t n) {
    if (n <= getHighLevel(g) && n >= 1 && n < jumpLimit) {
        g.level = static_cast<std::int16_t>(n - 1);
        startLevel(g, "");
    }
}

void menuJumpLevel(GameState& g) {
    const std::string text =
        g.pf.inputBox("Enter level number", "Jump To Level", std::to_string(getHighLevel(g)));
    const double v = numericValue(text);
    if (v >= 1 && v <= jumpLimit) {
        jumpToLevel(g, toInt16(v));
    }
}

}  // namespace brivane
