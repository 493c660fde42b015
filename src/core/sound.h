// soundMan: five sound effects, one device each, and the music playlist.
#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace brivane {

enum Effect : std::int16_t {
    effectDie = 0,
    effectCapture = 1,
    effectBonds = 2,
    effectSpark = 3,
    effectShieldDie = 4,
};

void initSound(GameState& g, bool noMusic);
void playSound(GameState& g, std::int16_t effect);
void soundDone(GameState& g, std::int16_t effect);
void startMusic(GameState& g);
void tmrLoopMusicTick(GameState& g);
void menuMusic(GameState& g);

}  // namespace brivane
