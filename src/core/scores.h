// The high-score file "scores": best score and highest level, kept from run to run.
#pragma once

#include "core/game_state.h"

namespace brivane {

void loadScores(GameState& g);
// Writes the file, lets pending events run once, then ends the program.
void saveScores(GameState& g);

}  // namespace brivane
