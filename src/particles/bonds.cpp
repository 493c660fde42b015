// Bonds refer to their partner by IDnum, never by slot, so they survive the renumbering that
// follows every removal.
#include "particles/bonds.h"

#include "core/sound.h"
#include "particles/particle.h"

namespace brivane {

double findBallByID(const GameState& g, const std::string& id) {
    for (double i = 1; i <= g.ballCount; i += 1) {
        if (g.balls[static_cast<std::size_t>(i)]->IDnum() == id) {
            return i;
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
