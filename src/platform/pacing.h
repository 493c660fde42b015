// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long a pass of the main loop lasts in the window. The automatic frame step counts in 4 ms
// units, so a pass lasts the whole multiple of 4 ms nearest the display's refresh interval (ties
// to the longer); then the step is exactly a quarter of the pass and the game moves at the same
// speed on every display. Never below 8 ms: a shorter pass would round small steps to 0 and
// freeze the game on very fast displays.
#pragma once

#include <cmath>

namespace brivane {

inline constexpr int minPaceMs = 8;
// Used when the display does not say, or says something no real display runs at.
inline constexpr double fallbackRefreshHz = 60.0;

inline int paceIntervalMs(double refreshHz) {
    if (!(refreshHz >= 20.0) || !std::isfinite(refreshHz)) {
        refreshHz = fallbackRefreshHz;
    }
    const double units = std::floor(1000.0 / refreshHz / 4.0 + 0.5);
    const int ms = static_cast<int>(units) * 4;
    return ms < minPaceMs ? minPaceMs : ms;
}

}  // namespace brivane
