// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a replay: the real game on the headless platform, set up from the file's header (never
// from the user's settings or high-score file) and fed the file's inputs at their yields. The
// caller steps it pass by pass, so the same runner serves the headless command, the replay
// window and the tests.
#pragma once

#include <cstddef>
#include <string>

#include "core/game_state.h"
#include "core/wired_game.h"
#include "platform/headless/headless_platform.h"
#include "replay/replay_file.h"
#include "replay/snapshot.h"

namespace brivane {

class ReplayRunner {
  public:
    // Runs through `passLimit` passes when it is positive, else through the last pass the
    // file mentions; either way it stops early when the game ends. The inputs of a yield are
    // handed to the platform only as that yield begins, as one action that delivers them in
    // turn, so a long replay costs little more than its compact inputs.
    ReplayRunner(Replay replay, int passLimit);
    ReplayRunner(const ReplayRunner&) = delete;
    ReplayRunner& operator=(const ReplayRunner&) = delete;

    void start();
    bool finished() const;
    void runOnePass();
    int passesRun() const { return passesRun_; }
    int passLimit() const { return passLimit_; }
    // The duration of the next pass to run, for showing it at its recorded pace.
    int nextPassMs() const { return pf_.clock().passDurationOf(passesRun_ + 1); }

    // Taken between passes, where no handler is running and nothing this runner posted is
    // still to come (it posts a yield's inputs only as that yield begins), so a snapshot can be
    // restored into any runner of the same replay.
    ReplaySnapshot snapshot() const;
    void restore(const ReplaySnapshot& snapshot);

    const Replay& replay() const { return replay_; }
    GameState& game() { return g_; }
    HeadlessPlatform& platform() { return pf_; }

    // One JSON object (no newline) describing the game after the pass just run.
    std::string reportLine(bool withParticles) const;
    std::string summary() const;

  private:
    void postInputsUpTo(YieldId now);
    void deliverInput(std::size_t input);

    Replay replay_;
    std::size_t nextInput_ = 0;
    HeadlessPlatform pf_;
    WiredGame<> game_{pf_};
    GameState& g_ = game_.g;
    int passLimit_ = 0;
    int passesRun_ = 0;
};

}  // namespace brivane
