// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// soundMan. Every device call is fire-and-forget: a device that failed to open plays nothing and
// the game never hears about it, so nothing here can fail towards the caller.
#include "core/sound.h"

#include <string>

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
        startMusic(g);
    }
    for (bool& ready : g.soundReady) {
        ready = true;
    }
    const std::string folder = g.pf.programFolder();
    for (int device = 0; device < soundDeviceCount; ++device) {
        g.pf.openSoundDevice(device, folder + effectFiles[device]);
    }
}

void playSound(GameState& g, std::int16_t effect) {
    if (!isDevice(effect) || !g.soundReady[effect]) {
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
    g.pf.showMusicWindow();
}

}  // namespace brivane
