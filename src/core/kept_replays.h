// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's side of the kept replays: File > Replays..., and Settings > Keep Replays, whose
// check mark mirrors misc/keepReplays (on unless stored False).
#pragma once

#include "core/game_state.h"

namespace brivane {

void applyKeepReplaysSetting(GameState& g);
void menuReplays(GameState& g);
void menuKeepReplays(GameState& g);

}  // namespace brivane
