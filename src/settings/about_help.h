// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Settings > Check for updates on startup, Help > About and Help > Help Topics.
#pragma once

#include "core/game_state.h"

namespace brivane {

void menuUpdates(GameState& g);
void menuAbout(GameState& g);
void menuHelpTopics(GameState& g);

}  // namespace brivane
