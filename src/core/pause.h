// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause: the player stops the game where it stands and goes on later, with File > Pause, the P
// and Pause keys, a left click on the playfield to go on, or by itself when the window loses the
// focus (Settings > Pause When Inactive). While paused no pass runs, so nothing moves, ages or
// fires, and the platform holds the timers and the music. The time spent paused is kept out of
// the pass it fell in, so the pass after it moves by a step of its own length.
#pragma once

#include <cstdint>

namespace brivane {

struct GameState;

// Part of the game-state record.
struct PauseState {
    bool paused = false;
    // The tick count when the pause began, or when the pass now running ended its last one.
    std::uint32_t since = 0;
    // Milliseconds of the pass now running that were spent paused.
    std::uint32_t pausedTicks = 0;
};

bool isPaused(const GameState& g);
// Each does nothing when the game already stands where it asks.
void pauseGame(GameState& g);
void resumeGame(GameState& g);

// File > Pause: pauses, or goes on when paused.
void menuPause(GameState& g);
// Settings > Pause When Inactive: flips the check mark and stores it.
void menuPauseInactive(GameState& g);
// The window lost the focus or was minimised.
void windowInactive(GameState& g);
// Start-up: the check mark of Pause When Inactive from the stored setting (default on).
void applyPauseInactiveSetting(GameState& g);

// At the end of a pass, with the tick count then: how much of the pass was spent paused.
// Starts the count afresh for the next pass.
std::uint32_t takePausedTicks(GameState& g, std::uint32_t now);

}  // namespace brivane
