// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause and its setting.
#include "core/pause.h"

#include "core/game_state.h"
#include "settings/settings_store.h"

namespace brivane {

namespace {

constexpr const char* sectionMisc = "misc";
constexpr const char* keyPauseInactive = "pauseInactive";

}  // namespace

bool isPaused(const GameState& g) {
    return g.pause.paused;
}

void pauseGame(GameState& g) {
    if (g.pause.paused || g.ended) {
        return;
    }
    g.pause.paused = true;
    g.pause.since = g.pf.tickCount();
    g.pf.setMenuChecked(MenuItem::mnuFilePause, true);
    // A death cry or a capture chime left sounding would run on over a still picture.
    g.pf.stopSounds();
    g.pf.setPaused(true);
}

void resumeGame(GameState& g) {
    if (!g.pause.paused) {
        return;
    }
    g.pause.pausedTicks += g.pf.tickCount() - g.pause.since;
    g.pause.paused = false;
    g.pf.setMenuChecked(MenuItem::mnuFilePause, false);
    g.pf.setPaused(false);
}

void menuPause(GameState& g) {
    if (g.pause.paused) {
        resumeGame(g);
    } else {
        pauseGame(g);
    }
}

void menuPauseInactive(GameState& g) {
    const bool on = !g.pf.menuChecked(MenuItem::mnuSettingsPauseInactive);
    g.pf.setMenuChecked(MenuItem::mnuSettingsPauseInactive, on);
    saveBoolSetting(g, sectionMisc, keyPauseInactive, on);
}

void windowInactive(GameState& g) {
    // It never goes on by itself when the focus comes back: the player does, ready, with the
    // pointer where they want the spark.
    if (g.pf.menuChecked(MenuItem::mnuSettingsPauseInactive)) {
        pauseGame(g);
    }
}

void applyPauseInactiveSetting(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsPauseInactive,
                        readBoolSetting(g, sectionMisc, keyPauseInactive, true));
}

std::uint32_t takePausedTicks(GameState& g, std::uint32_t now) {
    if (g.pause.paused) {
        g.pause.pausedTicks += now - g.pause.since;
        g.pause.since = now;
    }
    const std::uint32_t paused = g.pause.pausedTicks;
    g.pause.pausedTicks = 0;
    return paused;
}

}  // namespace brivane
