// Test helpers for particles: states that only play reaches, a scripted random sequence, and a
// fixed manual frame step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/game_state.h"
#include "particles/particle.h"
#include "platform/platform.h"

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

// Manual speed with the given frame step (the playfield at its initial size adds 1).
inline void setFrameStep(GameState& g, int step) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, false);
    g.userSpeed = static_cast<std::int16_t>(step - 1);
}

}  // namespace test
}  // namespace brivane
