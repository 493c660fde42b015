// clsParticle.
#include "particles/particle.h"

namespace brivane {

std::int16_t clsParticle::colour() const { return 0; }
void clsParticle::setSpeedX(std::int16_t) {}
void clsParticle::setSpeedY(std::int16_t) {}
float clsParticle::x() const { return 0.0f; }
float clsParticle::y() const { return 0.0f; }
void clsParticle::init(GameState&, double, std::uint8_t) {}
void clsParticle::move(GameState&) {}
bool clsParticle::detectCapture(GameState&) { return false; }
void clsParticle::paint(GameState&) {}
void clsParticle::implode(GameState&, std::int16_t) {}
point clsParticle::centrePoint(const GameState&) const { return {}; }
void clsParticle::fadeOut(GameState&) {}

}  // namespace brivane
