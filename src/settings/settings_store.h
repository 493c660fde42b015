// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The stored settings: their sections, keys, text forms and defaults.
#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace brivane {

bool readCheckUpdates(GameState& g);
bool readAutoSpeed(GameState& g);
std::int16_t readUserSpeed(GameState& g);
void saveCheckUpdates(GameState& g, bool value);
void saveAutoSpeed(GameState& g, bool value);
void saveUserSpeed(GameState& g, std::int16_t value);

// A setting kept as the word True or False; anything else reads as the fallback.
bool readBoolSetting(GameState& g, const char* section, const char* key, bool fallback);
void saveBoolSetting(GameState& g, const char* section, const char* key, bool value);

}  // namespace brivane
