// Hazards and the shield.
#include "player/hazards.h"

namespace brivane {

void mouseMoveHazards(GameState&) {}
bool playerHitsBall(GameState&) {
    return false;
}
void checkBondCollision(GameState&, double, const std::string&) {}
void toggleSparking(GameState&) {}
void sparkStep(GameState&) {}
void buyShield(GameState&) {}
void setShield(GameState&, bool) {}

}  // namespace brivane
