// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

// Start-up: the music (unless noMusic) at the volume the player last chose, then the five effect
// devices unless the player turned the effects off.
void initSound(GameState& g, bool noMusic);
// Opens the five effect devices on their files, all ready to play.
void openSoundDevices(GameState& g);
// Lets go of the five effect devices; whatever they were playing ends.
void closeSoundDevices(GameState& g);
// Plays an effect from its start unless its device is still busy or the effects are off; other
// numbers are ignored.
void playSound(GameState& g, std::int16_t effect);
// A device reports that its effect has finished.
void soundDone(GameState& g, std::int16_t effect);
// Assigns the playlist to the player, which starts it from its first entry.
void startMusic(GameState& g);
// tmrLoopMusic: restarts the playlist once it has ended on its own.
void tmrLoopMusicTick(GameState& g);
// File > Music: shows the music window at the volume the player last chose.
void menuMusic(GameState& g);

}  // namespace brivane
