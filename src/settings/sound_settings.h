// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound the player controls: Settings > Sound Effects, and the music volume chosen in the music
// window, both kept in the settings store for the next start.
#pragma once

#include <optional>

#include "core/game_state.h"

namespace brivane {

// "misc"/"soundEffects": True or False, on when absent or unreadable.
bool readSoundEffects(GameState& g);
// "misc"/"musicVolume", 0 to 100: nothing when absent or not a whole number, so the window keeps
// its own start value; a number outside the range reads as the nearer end.
std::optional<int> readMusicVolume(GameState& g);

// Settings > Sound Effects: flips and stores the check mark, then opens or lets go of the five
// effect devices.
void menuSoundEffects(GameState& g);
// The player moved the music window's volume.
void musicVolumeChosen(GameState& g, int volume);

}  // namespace brivane
