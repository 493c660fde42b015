// A game on the headless platform, ready to start up and run passes.
#pragma once

#include <memory>

#include "core/events.h"
#include "core/game.h"
#include "core/game_state.h"
#include "platform/headless/headless_platform.h"

namespace brivane::test {

struct Harness {
    HeadlessPlatform pf;
    GameState g{pf};
    GameEvents events{g};

    explicit Harness(std::uint32_t seed = 1) {
        g.fixedSeed = seed;
        pf.setEventSink(&events);
    }
    void start() { startUp(g); }
    void passes(int n) {
        for (int i = 0; i < n && !g.ended; ++i) {
            runPass(g);
        }
    }
};

}  // namespace brivane::test
