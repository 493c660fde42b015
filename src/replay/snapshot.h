// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Snapshots of a replay and the index of a whole replay's snapshots. A snapshot is the
// game-state record, the headless platform's state and the replay's position, taken where a
// pass has ended and no handler is running, so that going back to one and running on plays
// exactly as running there from the start did. Jumping anywhere in a replay is then restoring
// the latest snapshot before the point and running forward, without drawing.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/game_state.h"
#include "platform/headless/headless_platform.h"

namespace brivane {

class ReplayRunner;

// Copies a game whole: the particles are copied too rather than shared, so neither game can
// move the other's, and the squares of the ball grid, which point at particles, start afresh.
void copyGame(const GameRecord& from, GameRecord& to);

struct ReplaySnapshot {
    int passesRun = 0;
    std::size_t nextInput = 0;
    GameRecord game;
    HeadlessPlatform::State platform;
};

// One replay's snapshots, in order, filled by running the replay once from the start (on
// another thread, if the owner likes: readers wait for the snapshot they need).
class SnapshotIndex {
  public:
    // A few seconds apart: a jump then runs at most that much of the replay forward, which costs
    // a few milliseconds, and a 30-minute replay keeps a few hundred snapshots.
    static constexpr std::uint64_t defaultEveryMs = 4000;

    explicit SnapshotIndex(std::uint64_t everyMs = defaultEveryMs) : everyMs_(everyMs) {}

    // Runs `scout`, started and not yet run, to its end, taking a snapshot before its first
    // pass and then each time `everyMs` of replay time has passed. Returns early once `stop`
    // is set; either way, readers waiting for more stop waiting.
    void fill(ReplayRunner& scout, const std::atomic<bool>& stop);

    // The latest snapshot at or before `passesRun` passes. Until the filling has passed that
    // point (or ended) this waits for it; nullptr only when the filling ended without one.
    std::shared_ptr<const ReplaySnapshot> latestAtOrBefore(int passesRun) const;

    bool filled() const;
    // The passes the replay runs in all, once the filling reached its end; else -1.
    int endPasses() const;
    // The replay time at its end, once known; else 0.
    std::uint64_t endMs() const;
    std::size_t count() const;

  private:
    std::uint64_t everyMs_;
    mutable std::mutex mutex_;
    mutable std::condition_variable grown_;
    std::vector<std::shared_ptr<const ReplaySnapshot>> snapshots_;
    int reached_ = -1;  // passes the filling has run so far, as of the last snapshot
    bool done_ = false;
    int endPasses_ = -1;
    std::uint64_t endMs_ = 0;
};

// Brings `runner` to where it has run `passesRun` passes (or to the replay's end, if that comes
// first): from where it stands when that is on the way, else from the latest snapshot before.
void seekRunner(ReplayRunner& runner, const SnapshotIndex& index, int passesRun);

}  // namespace brivane
