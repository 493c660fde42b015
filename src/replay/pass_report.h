// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The report of one pass, the same for a replay and for a game played in the window, so the
// two can be compared line by line.
#pragma once

#include <string>

#include "core/game_state.h"

namespace brivane {

// One JSON object (no newline) describing the game after pass `pass`; `status` is the status
// line's text. With `withParticles`, also every ball, quark, string and the active electron.
std::string passReport(const GameState& g, int pass, const std::string& status, bool withParticles);

// A number as the report writes it: shortest round trip, "null" when not finite.
std::string reportNumber(double v);

}  // namespace brivane
