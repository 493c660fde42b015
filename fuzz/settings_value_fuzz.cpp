// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the settings readers: the same stored text under each of the three keys, read the way
// start-up reads them. A word that is not True or False must read as the default, only a
// number can give a speed other than the default, and no text gives one the keys could not set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/game_state.h"
#include "platform/headless/headless_platform.h"
#include "settings/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    brivane::HeadlessPlatform pf;
    pf.settings[{"misc", "checkUpdates"}] = text;
    pf.settings[{"misc", "autoSpeed"}] = text;
    pf.settings[{"settings", "userSpeed"}] = text;
    brivane::GameState g(pf);
    const bool updates = brivane::readCheckUpdates(g);
    const bool autoSpeed = brivane::readAutoSpeed(g);
    const std::int16_t speed = brivane::readUserSpeed(g);
    if (updates != (text != "False") || autoSpeed != updates || speed < 0 || speed > 50 ||
        (speed != 0 &&
         (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos))) {
        std::abort();
    }
    return 0;
}
