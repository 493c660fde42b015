// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The two sound settings. Turning the effects off closes their devices rather than only muting
// them, so a game played silently holds no audio stream open; turning them on opens fresh ones.
#include "settings/sound_settings.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

#include "core/sound.h"

namespace brivane {

namespace {

constexpr const char* sectionMisc = "misc";
constexpr const char* keySoundEffects = "soundEffects";
constexpr const char* keyMusicVolume = "musicVolume";
constexpr long long minVolume = 0;
constexpr long long maxVolume = 100;

}  // namespace

bool readSoundEffects(GameState& g) {
    return g.pf.readSetting(sectionMisc, keySoundEffects) != "False";
}

std::optional<int> readMusicVolume(GameState& g) {
    const std::optional<std::string> text = g.pf.readSetting(sectionMisc, keyMusicVolume);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    long long value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last || (error != std::errc() && error != std::errc::result_out_of_range)) {
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range) {
        value = *first == '-' ? minVolume : maxVolume;
    }
    return static_cast<int>(std::clamp(value, minVolume, maxVolume));
}

void menuSoundEffects(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsSoundEffects,
                        !g.pf.menuChecked(MenuItem::mnuSettingsSoundEffects));
    const bool on = g.pf.menuChecked(MenuItem::mnuSettingsSoundEffects);
    g.pf.saveSetting(sectionMisc, keySoundEffects, on ? "True" : "False");
    if (on) {
        openSoundDevices(g);
    } else {
        closeSoundDevices(g);
    }
}

void musicVolumeChosen(GameState& g, int volume) {
    const auto kept = std::clamp<long long>(volume, minVolume, maxVolume);
    g.pf.saveSetting(sectionMisc, keyMusicVolume, std::to_string(kept));
}

}  // namespace brivane
