// The player's position and tail.
#include "player/tail.h"

namespace brivane {

void playerMoved(GameState& g, float x, float y) {
    g.playerX = x;
    g.playerY = y;
}
void addTailPoint(GameState&, float, float) {}
void ageTail(GameState&) {}
void removeTailPoint(GameState&, double) {}
void clearTail(GameState& g) {
    g.tailCount = 0;
    g.tail.assign(1, TailPoint{});
    g.pf.setTimerEnabled(TimerId::tmrKillTails, false);
}
void drawTail(GameState&) {}

}  // namespace brivane
