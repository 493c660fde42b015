// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The status line under the playfield and the fading centre message.
#pragma once

#include <string>

#include "core/game_state.h"

namespace brivane {

void showMessage(GameState& g, const std::string& text);
void drawMessage(GameState& g);
void clearMessage(GameState& g);
void tmrClearTextTick(GameState& g);
void updateStatus(GameState& g);

}  // namespace brivane
