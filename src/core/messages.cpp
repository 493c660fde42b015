// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The centre message fades one step per pass and is removed by tmrClearText after 5 seconds;
// the status line is rebuilt only when one of its numbers changes.
#include "core/messages.h"

#include <cmath>

#include "core/numbers.h"

namespace brivane {

void showMessage(GameState& g, const std::string& text) {
    g.messageLevel = 255;
    g.messageText = text;
    // Disable first so that a new message always gets a full five seconds.
    g.pf.setTimerEnabled(TimerId::tmrClearText, false);
    g.pf.setTimerEnabled(TimerId::tmrClearText, true);
}

void drawMessage(GameState& g) {
    if (g.messageText.empty()) {
        return;
    }
    g.pf.setForeColor({0, g.messageLevel, 0});
    // Centred on the assumption of 120 twips per character, whatever the font really measures.
    const double chars = static_cast<double>(g.messageText.size());
    const double x = intFloor(g.pf.playfieldWidth() / 2.0) - (chars / 2.0) * 120.0;
    const double y = intFloor(g.pf.playfieldHeight() / 2.0);
    g.pf.printText(static_cast<float>(x), static_cast<float>(y), g.messageText);
    if (g.messageLevel > 0) {
        --g.messageLevel;
    }
}

void clearMessage(GameState& g) {
    g.messageText.clear();
}

void tmrClearTextTick(GameState& g) {
    clearMessage(g);
    g.pf.setTimerEnabled(TimerId::tmrClearText, false);
}

void updateStatus(GameState& g) {
    g.pf.setStatusText("Lv: " + std::to_string(g.level) + " / " + std::to_string(getHighLevel(g)) +
                       " Particles: " + shortestDecimal(g.ballCount) + " Score: " +
                       shortestDecimal(g.score) + " / " + shortestDecimal(g.highScore));
}

}  // namespace brivane
