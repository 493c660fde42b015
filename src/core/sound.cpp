// soundMan.
#include "core/sound.h"

namespace brivane {

void initSound(GameState&, bool) {}
void playSound(GameState&, std::int16_t) {}
void soundDone(GameState&, std::int16_t) {}
void startMusic(GameState&) {}
void tmrLoopMusicTick(GameState&) {}
void menuMusic(GameState&) {}

}  // namespace brivane
