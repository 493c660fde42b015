// A started game cut down to hand-placed balls and nothing else, with the clock-driven timers
// off so that bonds and sparks switch only when a test ticks them, for the tests of what kills
// the player and of balls meeting.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/levels.h"
#include "core/messages.h"
#include "harness.h"
#include "particle_access.h"
#include "particles/particle.h"

namespace brivane::test {

// Half a ball cell: a ball's centre lies this far right of and below its top-left corner.
constexpr float halfBall = 157.0f;

struct PlacedBall {
    float left = 0.0f;
    float top = 0.0f;
    int cell = 1;  // sprite cell 1 to 11; the mass grows with it
    std::int16_t speedX = 0;
    std::int16_t speedY = 0;
};

struct Scene : Harness {
    explicit Scene(int level, int step = 1) {
        pf.setTimersFromClock(false);
        start();
        setFrameStep(g, step);
        g.level = static_cast<std::int16_t>(level - 1);
        startLevel(g, "");
        clearMessage(g);
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
            auto p = std::make_shared<clsParticle>();
            g.balls.push_back(p);
            scriptRnd(g, {(b.cell - 0.5) / 11.0});
            p->init(g, static_cast<double>(g.balls.size() - 1), 0);
            p->setLocation(b.left, b.top);
            ParticleTestAccess::setSpeeds(*p, b.speedX, b.speedY);
            ParticleTestAccess::setAttracted(*p, false);
        }
        g.ballCount = static_cast<double>(at.size());
    }

    clsParticle& ball(int slot) { return *g.balls[static_cast<std::size_t>(slot)]; }
    void bond(int from, int to) { ball(from).setBoundTo(ball(to).IDnum()); }

    // One pass with a pointer move delivered in its event processing.
    void moveTo(float x, float y) {
        pf.post(ScriptedEvent::move(x, y));
        passes(1);
    }
    void tick(TimerId t) {
        pf.post(ScriptedEvent::tick(t));
        passes(1);
    }

    int soundCount(int effect) const {
        int n = 0;
        for (const auto& [clock, device] : pf.soundsPlayed) {
            n += device == effect ? 1 : 0;
        }
        return n;
    }
};

}  // namespace brivane::test
