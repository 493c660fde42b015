// Lives and their icons. Eight icons stand under the playfield, and eight is also the cap.
#include "core/lives.h"

namespace brivane {

namespace {
constexpr int lifeIconCount = 8;
}

void setLives(GameState& g, std::int16_t n) {
    if (n - 1 > lifeIconCount - 1) {
        n = lifeIconCount;
    }
    for (int i = 0; i < lifeIconCount; ++i) {
        g.pf.setLifeIconVisible(i, i <= n - 1);
    }
    g.lives = n;
}

void deathStep(GameState&) {}

void bondLightning(GameState&) {}

void implodeAll(GameState&, std::int16_t) {}

}  // namespace brivane
