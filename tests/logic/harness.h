// A game on the headless platform, ready to start up and run passes; particle states that only
// play reaches; and a started game cut down to hand-placed balls for the tests of what kills the
// player and of balls meeting.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/game_state.h"
#include "core/levels.h"
#include "core/messages.h"
#include "core/wired_game.h"
#include "particles/particle.h"
#include "platform/headless/headless_platform.h"

namespace brivane {

struct ParticleTestAccess {
    static void setSpeeds(clsParticle& p, std::int16_t x, std::int16_t y) {
        p.speedX_ = x;
        p.speedY_ = y;
    }
    static void setAttracted(clsParticle& p, bool on) { p.isAttracted_ = on; }
    // As a capture would leave it, with the fade already at the given level.
    static void capture(clsParticle& p, std::int16_t fadeLevel = 255) {
        p.isDying_ = true;
        p.fadeLevel_ = fadeLevel;
    }
};

namespace test {

// Makes g.rnd return the given values in order, then `rest` for ever; returns the number of
// values drawn so far.
inline std::shared_ptr<std::size_t> scriptRnd(GameState& g, std::vector<double> values,
                                              double rest = 0.5) {
    auto drawn = std::make_shared<std::size_t>(0);
    g.rnd.setSource([values = std::move(values), rest, drawn]() {
        const std::size_t i = (*drawn)++;
        return i < values.size() ? values[i] : rest;
    });
    return drawn;
}

// A particle of the given kind set up from the generator, then placed, sped as told and not
// attracted.
inline std::shared_ptr<clsParticle> makeParticle(GameState& g, ParticleKind kind, float left,
                                                 float top, std::int16_t speedX = 0,
                                                 std::int16_t speedY = 0, double num = 1) {
    auto p = std::make_shared<clsParticle>();
    p->init(g, num, static_cast<std::uint8_t>(kind));
    p->setLocation(left, top);
    ParticleTestAccess::setSpeeds(*p, speedX, speedY);
    ParticleTestAccess::setAttracted(*p, false);
    return p;
}

struct Harness {
    HeadlessPlatform pf;
    WiredGame<> wired{pf};
    GameState& g = wired.g;

    explicit Harness(std::uint32_t seed = 1) { g.fixedSeed = seed; }
    void start() { startUp(g); }
    void passes(int n) {
        for (int i = 0; i < n && !g.ended; ++i) {
            runPass(g);
        }
    }
    // One pass with this event delivered in its event processing.
    void send(const ScriptedEvent& e) {
        pf.post(e);
        passes(1);
    }
    // Manual speed with the given frame step (the playfield at its initial size adds 1).
    void setStep(int step) {
        g.autoSpeed = false;
        g.userSpeed = static_cast<std::int16_t>(step - 1);
    }
    // Level n, set up as finishing level n - 1 would.
    void toLevel(int n) {
        g.level = static_cast<std::int16_t>(n - 1);
        startLevel(g, "");
    }
    // A started game at the given level and frame step, with no hint on the playfield.
    void play(int level, int step = 1) {
        start();
        setStep(step);
        toLevel(level);
        clearMessage(g);
    }
    int soundCount(int device) const {
        return static_cast<int>(
            std::count_if(pf.soundsPlayed.begin(), pf.soundsPlayed.end(),
                          [device](const auto& s) { return s.second == device; }));
    }
};

// A 64-bit FNV-1a digest, so that a long known answer fits in a test as one number.
inline std::uint64_t digest(const std::string& text, std::uint64_t d = 0xCBF29CE484222325ULL) {
    for (const char ch : text) {
        d = (d ^ static_cast<unsigned char>(ch)) * 0x100000001B3ULL;
    }
    return d;
}

// The draw calls recorded since the last clear that match.
template <typename Match>
std::vector<const DrawCall*> drawsWhere(const HeadlessPlatform& pf, Match match) {
    std::vector<const DrawCall*> found;
    for (const DrawCall& d : pf.draws) {
        if (match(d)) {
            found.push_back(&d);
        }
    }
    return found;
}

// The corners of a square and the points between them, `step` apart, going round once
// clockwise from the top left, the last point one step short of closing it.
inline std::vector<point> square(float x0, float y0, float x1, float y1, float step = 200) {
    std::vector<point> pts;
    for (float x = x0; x < x1; x += step)
        pts.push_back({x, y0});
    for (float y = y0; y < y1; y += step)
        pts.push_back({x1, y});
    for (float x = x1; x > x0; x -= step)
        pts.push_back({x, y1});
    for (float y = y1; y > y0; y -= step)
        pts.push_back({x0, y});
    return pts;
}

// A game already through its start-up.
struct Started : Harness {
    explicit Started(std::uint32_t seed = 1) : Harness(seed) { start(); }
};

// Half a ball cell: a ball's centre lies this far right of and below its top-left corner.
constexpr float halfBall = 157.0f;

struct PlacedBall {
    float left = 0.0f;
    float top = 0.0f;
    int cell = 1;  // sprite cell 1 to 11; the mass grows with it
    std::int16_t speedX = 0;
    std::int16_t speedY = 0;
};

// Only hand-placed balls, and the clock-driven timers off so that bonds and sparks switch only
// when a test ticks them.
struct Scene : Harness {
    explicit Scene(int level, int step = 1) {
        pf.setTimersFromClock(false);
        play(level, step);
        g.quarkCount = 0;
        g.quarks.assign(1, nullptr);
        g.stringCount = 0;
        g.strings.assign(1, nullptr);
        g.electronActive = false;
        g.electronSparking = false;
        g.graceCount = 0;
    }
    // Replaces the level's balls with these, unbonded and not attracted.
    void placeBalls(const std::vector<PlacedBall>& at) {
        g.balls.assign(1, nullptr);
        for (const PlacedBall& b : at) {
            scriptRnd(g, {(b.cell - 0.5) / 11.0});
            g.balls.push_back(makeParticle(g, ParticleKind::ball, b.left, b.top, b.speedX, b.speedY,
                                           static_cast<double>(g.balls.size())));
        }
        g.ballCount = static_cast<double>(at.size());
    }
    // Two balls with centres (1157, 3157) and (5157, 3157), the second bonded to the first.
    void bondedPair(bool red = true) {
        placeBalls({{1000, 3000}, {5000, 3000}});
        bond(2, 1);
        g.bondsRed = red;
    }
    clsParticle& ball(int slot) { return *g.balls[static_cast<std::size_t>(slot)]; }
    void bond(int from, int to) { ball(from).setBoundTo(ball(to).IDnum()); }
    void moveTo(float x, float y) { send(ScriptedEvent::move(x, y)); }
    void tick(TimerId t) { send(ScriptedEvent::tick(t)); }
};

}  // namespace test
}  // namespace brivane
