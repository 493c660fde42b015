// Drawing the player sprite centred on the pointer.
#pragma once

#include "core/game_state.h"

namespace brivane {

void drawPlayer(GameState& g);

}  // namespace brivane
