// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up and the main loop. A pass draws the whole scene from scratch, moves everything by
// frameStep, and then yields until the next display refresh; the measured pass duration sets
// the next pass's frameStep when automatic speed is on.
#include "core/game.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/game_start.h"
#include "core/kept_replays.h"
#include "core/levels.h"
#include "core/lives.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/pause.h"
#include "core/scores.h"
#include "core/sound.h"
#include "particles/particle.h"
#include "player/hazards.h"
#include "player/player_draw.h"
#include "player/tail.h"
#include "settings/settings_store.h"
#include "settings/update_check.h"
#include "version.h"

namespace brivane {

namespace {

constexpr double initialPlayfieldArea = 59237325.0;  // 8955 x 6615 twips
// The automatic step of a 100 ms pass; longer passes move no farther.
constexpr std::int16_t maxAutoFrameStep = 25;

// Walks a list whose count can shrink (or be rebuilt) while its particles move: the count is
// re-read at every test, and a slot that a capture emptied is not painted.
template <typename Count>
void moveAndPaint(GameState& g, ParticleList& list, const Count& count) {
    for (std::size_t i = 1; static_cast<double>(i) <= static_cast<double>(count); ++i) {
        const std::shared_ptr<clsParticle> particle = list[i];
        particle->move(g);
        if (static_cast<double>(i) <= static_cast<double>(count)) {
            const std::shared_ptr<clsParticle> current = list[i];
            current->paint(g);
        }
    }
}

// The end of a pass that began at t0: its yield, then its duration without the time paused.
void yieldAndMeasure(GameState& g, std::uint32_t t0) {
    g.pf.processEventsUntilNextFrame();
    // Unsigned subtraction keeps the duration right across the tick counter's wrap.
    const std::uint32_t now = g.pf.tickCount();
    const std::uint32_t elapsed = now - t0;
    const std::uint32_t own = elapsed - std::min(takePausedTicks(g, now), elapsed);
    g.frameTicks = static_cast<std::int32_t>(std::min<std::uint32_t>(own, 0x7FFFFFFF));
    g.renderTicks = g.frameTicks;
}

}  // namespace

std::uint32_t startingSeed(GameState& g) {
    if (g.fixedSeed) {
        return *g.fixedSeed;
    }
    return static_cast<std::uint32_t>(std::fmod(g.pf.timeOfDay() * 1000.0, 4294967296.0));
}

void startUp(GameState& g) {
    g.pf.loadWindow();
    g.rnd.seed(startingSeed(g));
    g.pf.setMenuChecked(MenuItem::mnuSettingsUpdates, readCheckUpdates(g));
    g.autoSpeed = readAutoSpeed(g);
    g.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, g.autoSpeed);
    applyPauseInactiveSetting(g);
    applyKeepReplaysSetting(g);
    g.pf.setCaption("Brivane v" + std::to_string(versionMajor) + "." +
                    std::to_string(versionMinor) + "." + std::to_string(versionRevision));
    if (g.pf.menuChecked(MenuItem::mnuSettingsUpdates)) {
        startUpdateCheck(g);
    }
    loadScores(g);
    g.pf.showWindow();
    std::string command = g.commandText;
    std::transform(
        command.begin(), command.end(), command.begin(),
        // ASCII only: in a Turkish locale tolower turns "I" into a dotless i.
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    initSound(g, command.find("nomusic") != std::string::npos);
    g.pf.setForeColor({255, 255, 255});
    setLives(g, 5);
    g.userSpeed = readUserSpeed(g);
    if (g.carried) {
        // The replay of a game that began after another one in the same run.
        startLevel(g, takeOverStart(g, *g.carried));
        takeOverLevel(g, *g.carried);
    } else {
        startLevel(g, "");
    }
}

void finishBegunPass(GameState& g) {
    yieldAndMeasure(g, g.pf.tickCount());
    g.msPlayed += g.frameTicks;
}

void mainLoop(GameState& g, const std::function<void()>& afterPass) {
    while (g.lives >= 0 && !g.ended) {
        runPass(g);
        if (afterPass) {
            afterPass();
        }
    }
}

void runPass(GameState& g) {
    const std::uint32_t t0 = g.pf.tickCount();
    // The window's yield does not end while the game is paused; a home whose yield cannot wait
    // for the player (the headless one) lets a paused game's passes through as bare yields.
    if (isPaused(g)) {
        yieldAndMeasure(g, t0);
        return;
    }
    g.pf.clear();
    drawMessage(g);
    moveAndPaint(g, g.balls, g.ballCount);
    const std::int16_t quarkBound = g.quarkCount;
    for (std::size_t i = 1; static_cast<int>(i) <= quarkBound && i < g.quarks.size(); ++i) {
        const std::shared_ptr<clsParticle> quark = g.quarks[i];
        quark->move(g);
        quark->paint(g);
    }
    moveAndPaint(g, g.strings, g.stringCount);
    if (g.electronActive) {
        const std::shared_ptr<clsParticle> electron = g.electron;
        if (g.electronSparking) {
            sparkStep(g);
        } else {
            electron->move(g);
        }
        electron->paint(g);
    }
    drawPlayer(g);
    ageTail(g);
    drawTail(g);
    if (g.dying) {
        deathStep(g);
    }
    if (g.pf.menuChecked(MenuItem::mnuSettingsDisplayRender)) {
        showRenderTiming(g);
    }
    yieldAndMeasure(g, t0);
    g.msPlayed += g.frameTicks;
}

int areaFactor(const GameState& g) {
    const double area =
        static_cast<double>(g.pf.playfieldWidth()) * static_cast<double>(g.pf.playfieldHeight());
    const double factor = intFloor(area / initialPlayfieldArea);
    return static_cast<int>(std::clamp(factor, 1.0, 10.0));
}

std::int16_t frameStep(const GameState& g) {
    if (g.autoSpeed) {
        // A stall (a modal dialog held open, the window being dragged) would otherwise make one
        // pass throw every particle across the playfield and end fades and deaths at once.
        const std::int16_t step = toInt16(static_cast<double>(g.frameTicks) * 4.0 / 16.0);
        return std::min(step, maxAutoFrameStep);
    }
    return clamp16(static_cast<double>(g.userSpeed) + areaFactor(g));
}

void adjustSpeed(GameState& g, bool up) {
    g.autoSpeed = false;
    g.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, false);
    int speed = g.userSpeed + (up ? 1 : -1);
    speed = std::clamp(speed, 0, 50);
    g.userSpeed = static_cast<std::int16_t>(speed);
    saveUserSpeed(g, g.userSpeed);
}

void showRenderTiming(GameState& g) {
    g.pf.setForeColor({255, 255, 255});
    g.pf.printText(60, 240, std::to_string(g.userSpeed) + " " + std::to_string(g.renderTicks));
}

void keyPressed(GameState& g, int code) {
    if (code == '+' || code == '=') {
        adjustSpeed(g, true);
    } else if (code == '-') {
        adjustSpeed(g, false);
    }
}

void menuAutoSpeed(GameState& g) {
    const bool on = !g.autoSpeed;
    g.autoSpeed = on;
    g.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, on);
    showMessage(g, on ? "Adjusting frame rate automatically" : "Press + or - to adjust frame rate");
    saveAutoSpeed(g, on);
}

void menuDisplayRender(GameState& g) {
    g.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender,
                        !g.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
}

}  // namespace brivane
