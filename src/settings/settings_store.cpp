// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Booleans are stored as the words True and False, the speed as a decimal integer. A value that
// is absent, or whose text is not of its form, reads as the default rather than as garbage; a
// speed outside the range the speed keys keep reads as the nearer end of that range.
#include "settings/settings_store.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

namespace brivane {

namespace {

constexpr const char* sectionMisc = "misc";
constexpr const char* sectionSettings = "settings";
constexpr long long minUserSpeed = 0;
constexpr long long maxUserSpeed = 50;

const char* boolWord(bool value) {
    return value ? "True" : "False";
}

}  // namespace

bool readBoolSetting(GameState& g, const char* section, const char* key, bool fallback) {
    const std::optional<std::string> text = g.pf.readSetting(section, key);
    if (!text) {
        return fallback;
    }
    if (*text == "True") {
        return true;
    }
    if (*text == "False") {
        return false;
    }
    return fallback;
}

void saveBoolSetting(GameState& g, const char* section, const char* key, bool value) {
    g.pf.saveSetting(section, key, boolWord(value));
}

bool readCheckUpdates(GameState& g) {
    return readBoolSetting(g, sectionMisc, "checkUpdates", true);
}

bool readAutoSpeed(GameState& g) {
    return readBoolSetting(g, sectionMisc, "autoSpeed", true);
}

std::int16_t readUserSpeed(GameState& g) {
    const std::optional<std::string> text = g.pf.readSetting(sectionSettings, "userSpeed");
    if (!text || text->empty()) {
        return 0;
    }
    long long value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last || (error != std::errc() && error != std::errc::result_out_of_range)) {
        return 0;
    }
    if (error == std::errc::result_out_of_range) {
        value = *first == '-' ? minUserSpeed : maxUserSpeed;
    }
    // An edited or damaged file must not give a speed the keys could never set: below 0 the
    // frame step stops or runs fades backwards, far above 50 it throws particles across.
    return static_cast<std::int16_t>(std::clamp<long long>(value, minUserSpeed, maxUserSpeed));
}

void saveCheckUpdates(GameState& g, bool value) {
    saveBoolSetting(g, sectionMisc, "checkUpdates", value);
}

void saveAutoSpeed(GameState& g, bool value) {
    saveBoolSetting(g, sectionMisc, "autoSpeed", value);
}

void saveUserSpeed(GameState& g, std::int16_t value) {
    g.pf.saveSetting(sectionSettings, "userSpeed", std::to_string(value));
}

}  // namespace brivane
