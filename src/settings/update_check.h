// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Asking the update server for the newest version, through socket events.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/game_state.h"

namespace brivane {

void startUpdateCheck(GameState& g);
void sockConnected(GameState& g);
void sockDataArrival(GameState& g);
void sockClosed(GameState& g);
void reportNewVersion(GameState& g, const std::string& version);

// The version a complete reply offers: the line after the first "tmkver:" when it is one to
// four dot-separated numbers that differ from ours and the reply's status, if it has one, is a
// success. Nothing otherwise.
std::optional<std::string> offeredVersion(std::string_view reply);

}  // namespace brivane
