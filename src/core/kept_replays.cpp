// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File > Replays... and Settings > Keep Replays.
#include "core/kept_replays.h"

#include "settings/settings_store.h"

namespace brivane {

namespace {

constexpr const char* sectionMisc = "misc";
constexpr const char* keyKeepReplays = "keepReplays";

}  // namespace

void applyKeepReplaysSetting(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsKeepReplays,
                        readBoolSetting(g, sectionMisc, keyKeepReplays, true));
}

void menuReplays(GameState& g) {
    // A replay being watched keeps no replays of its own to show.
    if (g.keepBestGames) {
        g.pf.showReplays();
    }
}

void menuKeepReplays(GameState& g) {
    const bool on = !g.pf.menuChecked(MenuItem::mnuSettingsKeepReplays);
    g.pf.setMenuChecked(MenuItem::mnuSettingsKeepReplays, on);
    saveBoolSetting(g, sectionMisc, keyKeepReplays, on);
}

}  // namespace brivane
