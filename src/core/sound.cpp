// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// soundMan. Every device call is fire-and-forget: a device that failed to open plays nothing and
// the game never hears about it, so nothing here can fail towards the caller.
#include "core/sound.h"

#include <optional>
#include <string>

#include "settings/sound_settings.h"

namespace brivane {

namespace {

constexpr const char* effectFiles[soundDeviceCount] = {
    "/die.wav", "/capture.wav", "/bonds.wav", "/spark.wav", "/shieldDie.wav",
};

// Device notifications and callers both hand in plain numbers; only 0 to 4 name a device.
bool isDevice(std::int16_t effect) {
    return effect >= 0 && effect < soundDeviceCount;
}

}  // namespace

void initSound(GameState& g, bool noMusic) {
    if (!noMusic) {
        g.pf.createMusicWindow();
        if (const std::optional<int> volume = readMusicVolume(g)) {
            g.pf.setMusicVolume(*volume);
        }
        startMusic(g);
    }
    g.pf.setMenuChecked(MenuItem::mnuSettingsSoundEffects, readSoundEffects(g));
    if (g.pf.menuChecked(MenuItem::mnuSettingsSoundEffects)) {
        openSoundDevices(g);
    }
}

void openSoundDevices(GameState& g) {
    for (bool& ready : g.soundReady) {
        ready = true;
    }
    const std::string folder = g.pf.programFolder();
    for (int device = 0; device < soundDeviceCount; ++device) {
        g.pf.openSoundDevice(device, folder + effectFiles[device]);
    }
}

void closeSoundDevices(GameState& g) {
    for (int device = 0; device < soundDeviceCount; ++device) {
        g.pf.closeSoundDevice(device);
    }
}

void playSound(GameState& g, std::int16_t effect) {
    if (!isDevice(effect) || !g.soundReady[effect] ||
        !g.pf.menuChecked(MenuItem::mnuSettingsSoundEffects)) {
        return;
    }
    g.pf.playSoundDevice(effect);
    g.soundReady[effect] = false;
}

void soundDone(GameState& g, std::int16_t effect) {
    if (isDevice(effect)) {
        g.soundReady[effect] = true;
    }
}

void startMusic(GameState& g) {
    g.pf.startMusic(g.pf.programFolder() + "/music.m3u");
}

void tmrLoopMusicTick(GameState& g) {
    if (g.pf.musicFinished()) {
        startMusic(g);
    }
}

void menuMusic(GameState& g) {
    // Also when the music was left off at start-up: the window then first comes into being here,
    // and must not offer its start value, which the player's first touch would store over theirs.
    if (const std::optional<int> volume = readMusicVolume(g)) {
        g.pf.setMusicVolume(*volume);
    }
    g.pf.showMusicWindow();
}

}  // namespace brivane
