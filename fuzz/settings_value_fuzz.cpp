// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the settings readers: the same stored text under each of the five keys, read the way
// start-up reads them. A word that is not True or False must read as the default, only a
// number can give a speed other than the default or a music volume at all, and no text gives a
// speed the keys could not set or a volume outside 0 to 100.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/game_state.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_store.h"
#include "settings/sound_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    brivane::HeadlessPlatform pf;
    pf.settings[{"misc", "checkUpdates"}] = text;
    pf.settings[{"misc", "autoSpeed"}] = text;
    pf.settings[{"settings", "userSpeed"}] = text;
    pf.settings[{"misc", "soundEffects"}] = text;
    pf.settings[{"misc", "musicVolume"}] = text;
    brivane::GameState g(pf);
    const bool updates = brivane::readCheckUpdates(g);
    const bool autoSpeed = brivane::readAutoSpeed(g);
    const std::int16_t speed = brivane::readUserSpeed(g);
    const bool effects = brivane::readSoundEffects(g);
    const std::optional<int> volume = brivane::readMusicVolume(g);
    const bool number = !text.empty() && text.find_first_not_of("-0123456789") == std::string::npos;
    if (updates != (text != "False") || autoSpeed != updates || effects != updates || speed < 0 ||
        speed > 50 || (speed != 0 && !number) ||
        (volume && (*volume < 0 || *volume > 100 || !number))) {
        std::abort();
    }
    return 0;
}
