// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Event dispatch.
#include "core/events.h"

#include "core/best_games.h"
#include "core/game.h"
#include "core/kept_replays.h"
#include "core/levels.h"
#include "core/messages.h"
#include "core/new_game.h"
#include "core/pause.h"
#include "core/scores.h"
#include "core/sound.h"
#include "particles/bonds.h"
#include "player/hazards.h"
#include "player/tail.h"
#include "settings/about_help.h"
#include "settings/sound_settings.h"
#include "settings/update_check.h"

namespace brivane {

void GameEvents::mouseMove(float x, float y) {
    // While paused the spark stays put; the first move after it jumps to the pointer.
    if (g_.ended || isPaused(g_)) {
        return;
    }
    playerMoved(g_, x, y);
    addTailPoint(g_, x, y);
}

void GameEvents::mouseDown(int button) {
    if (g_.ended) {
        return;
    }
    if (isPaused(g_)) {
        if (button == 1) {
            resumeGame(g_);
        }
    } else if (button == 2) {
        buyShield(g_);
    }
}

void GameEvents::keyPress(int code) {
    if (!g_.ended) {
        keyPressed(g_, code);
    }
}

void GameEvents::menuChosen(MenuItem item) {
    if (g_.ended) {
        return;
    }
    switch (item) {
        case MenuItem::mnuFileJumpLevel:
            menuJumpLevel(g_);
            break;
        case MenuItem::mnuFileMusic:
            menuMusic(g_);
            break;
        case MenuItem::mnuFileExit:
            saveScores(g_);
            break;
        case MenuItem::mnuSettingsAutoSpeed:
            menuAutoSpeed(g_);
            break;
        case MenuItem::mnuSettingsDisplayRender:
            menuDisplayRender(g_);
            break;
        case MenuItem::mnuSettingsUpdates:
            menuUpdates(g_);
            break;
        case MenuItem::mnuHelpAbout:
            menuAbout(g_);
            break;
        case MenuItem::mnuHelpHelp:
            menuHelpTopics(g_);
            break;
        case MenuItem::mnuFileNewGame:
            menuNewGame(g_);
            break;
        case MenuItem::mnuFileHighScores:
            menuHighScores(g_);
            break;
        case MenuItem::mnuSettingsSoundEffects:
            menuSoundEffects(g_);
            break;
        case MenuItem::mnuFilePause:
            menuPause(g_);
            break;
        case MenuItem::mnuSettingsPauseInactive:
            menuPauseInactive(g_);
            break;
        case MenuItem::mnuFileReplays:
            menuReplays(g_);
            break;
        case MenuItem::mnuSettingsKeepReplays:
            menuKeepReplays(g_);
            break;
    }
}

void GameEvents::timerTick(TimerId timer) {
    // The platform holds the timers while paused; a tick scripted into a pause is dropped.
    if (g_.ended || isPaused(g_)) {
        return;
    }
    switch (timer) {
        case TimerId::tmrClearText:
            tmrClearTextTick(g_);
            break;
        case TimerId::tmrDoElectron:
            toggleSparking(g_);
            break;
        case TimerId::tmrToggleBonds:
            setBondsRed(g_, !getBondsRed(g_));
            break;
        case TimerId::tmrKillTails:
            clearTail(g_);
            break;
        case TimerId::tmrLoopMusic:
            tmrLoopMusicTick(g_);
            break;
    }
}

void GameEvents::windowClosing() {
    if (!g_.ended) {
        saveScores(g_);
    }
}

void GameEvents::soundDone(int device) {
    brivane::soundDone(g_, static_cast<std::int16_t>(device));
}

void GameEvents::socketConnected() {
    sockConnected(g_);
}

void GameEvents::socketDataArrived(std::size_t) {
    sockDataArrival(g_);
}

void GameEvents::socketClosed() {
    sockClosed(g_);
}

void GameEvents::bestGameNamed(const std::string& name) {
    if (!g_.ended) {
        nameBestGame(g_, name);
    }
}

void GameEvents::bestGamesCleared() {
    if (!g_.ended) {
        clearBestGames(g_);
    }
}

void GameEvents::musicVolumeChosen(int volume) {
    brivane::musicVolumeChosen(g_, volume);
}

void GameEvents::windowInactive() {
    if (!g_.ended) {
        brivane::windowInactive(g_);
    }
}

}  // namespace brivane
