// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Snapshots: a replay restored from one, in another runner, plays on to the very same report as
// the run it was taken from, also when taken inside a death, during a capture's fade or at a
// level change; the index brings a runner anywhere, forwards and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../soak/replay_maker.h"
#include "particles/particle.h"
#include "replay/replay_file.h"
#include "replay/replay_runner.h"
#include "replay/snapshot.h"

namespace brivane {
namespace {

Replay madeUp(std::uint32_t seed, int passes) {
    ReplayParse parsed = parseReplay(ReplayMaker(seed, passes).make());
    EXPECT_TRUE(parsed.replay.has_value()) << parsed.error.text();
    return parsed.replay.value_or(Replay{});
}

std::string demoText() {
    std::ifstream file(BRIVANE_SOURCE_DIR "/examples/demo.replay");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The demo's loops catch balls across two level changes; then the pointer sweeps the playfield
// in rows until it runs into a ball. Another seed deals other balls for the same moves.
Replay demoThenSweep(std::uint32_t seed) {
    std::string text = demoText();
    text.replace(text.find("seed 7"), 6, "seed " + std::to_string(seed));
    for (int pass = 460, row = 0; pass < 900; ++pass) {
        for (int x = 200; x < 8955; x += 1750, ++row) {
            text += "at " + std::to_string(pass) + " move " + std::to_string(x) + " " +
                    std::to_string(300 + (row * 97) % 6000) + "\n";
        }
    }
    ReplayParse parsed = parseReplay(text);
    EXPECT_TRUE(parsed.replay.has_value()) << parsed.error.text();
    return parsed.replay.value_or(Replay{});
}

bool anyFading(const ParticleList& list) {
    return std::any_of(list.begin() + 1, list.end(),
                       [](const auto& p) { return p && p->isDying(); });
}

struct Moment {
    const char* what;
    bool (*now)(const GameState& g, std::int16_t levelBefore);
};

const Moment moments[] = {
    {"inside a death", [](const GameState& g, std::int16_t) { return g.dying && g.deathFade > 0; }},
    {"during a capture's fade",
     [](const GameState& g, std::int16_t) { return anyFading(g.balls) || anyFading(g.strings); }},
    {"at a level change",
     [](const GameState& g, std::int16_t before) { return g.level != before; }},
};

// Runs to the end, keeping every pass's report line.
std::vector<std::string> runOut(ReplayRunner& runner) {
    std::vector<std::string> lines;
    while (!runner.finished()) {
        runner.runOnePass();
        lines.push_back(runner.reportLine(true));
    }
    return lines;
}

TEST(Snapshot, RestoredInAnotherRunnerPlaysOnIdentically) {
    for (const std::uint32_t seed : {7u, 8u, 9u}) {
        const Replay replay = demoThenSweep(seed);
        ReplayRunner straight(replay, 0);
        straight.start();
        std::vector<std::string> lines;
        std::vector<ReplaySnapshot> taken;
        std::vector<const char*> what;
        std::vector<bool> found(std::size(moments), false);
        while (!straight.finished()) {
            const std::int16_t level = straight.game().level;
            straight.runOnePass();
            lines.push_back(straight.reportLine(true));
            for (std::size_t m = 0; m < std::size(moments); ++m) {
                // Taken at the moment's first pass, so the snapshot holds it half done.
                if (!found[m] && moments[m].now(straight.game(), level)) {
                    found[m] = true;
                    taken.push_back(straight.snapshot());
                    what.push_back(moments[m].what);
                }
            }
        }
        for (std::size_t m = 0; m < std::size(moments); ++m) {
            EXPECT_TRUE(found[m]) << "seed " << seed << ": never " << moments[m].what;
        }
        for (std::size_t i = 0; i < taken.size(); ++i) {
            SCOPED_TRACE(std::string("seed ") + std::to_string(seed) + ", " + what[i]);
            ReplayRunner resumed(replay, 0);
            resumed.start();
            resumed.restore(taken[i]);
            const std::vector<std::string> after = runOut(resumed);
            ASSERT_EQ(after.size(), lines.size() - static_cast<std::size_t>(taken[i].passesRun));
            for (std::size_t k = 0; k < after.size(); ++k) {
                ASSERT_EQ(after[k], lines[static_cast<std::size_t>(taken[i].passesRun) + k])
                    << "pass " << taken[i].passesRun + 1 + static_cast<int>(k);
            }
            EXPECT_EQ(resumed.summary(), straight.summary());
        }
    }
}

// Jumps forwards, backwards, to the same place, past the end and to the start, each landing
// on the pass a straight run reported there.
TEST(Snapshot, SeekingLandsWhereAStraightRunIs) {
    const Replay replay = madeUp(5, 3000);
    ReplayRunner straight(replay, 0);
    straight.start();
    const std::vector<std::string> lines = runOut(straight);
    const int end = static_cast<int>(lines.size());

    ReplayRunner scout(replay, 0);
    scout.start();
    SnapshotIndex index(1000);
    const std::atomic<bool> stop{false};
    index.fill(scout, stop);
    EXPECT_EQ(index.endPasses(), end);
    EXPECT_EQ(index.endMs(), straight.platform().clock().now());
    EXPECT_GT(index.count(), 20u);

    ReplayRunner viewer(replay, 0);
    viewer.start();
    for (const int target : {end / 2, end / 2 + 1, end / 2, 7, end - 1, 1, end + 50, end / 3}) {
        SCOPED_TRACE("to pass " + std::to_string(target));
        seekRunner(viewer, index, target);
        const int landed = std::min(target, end);
        ASSERT_EQ(viewer.passesRun(), landed);
        EXPECT_EQ(viewer.reportLine(true), lines[static_cast<std::size_t>(landed - 1)]);
    }
    seekRunner(viewer, index, 0);
    EXPECT_EQ(viewer.passesRun(), 0);
    EXPECT_EQ(runOut(viewer), lines);
}

// A replay never touches the player's table of best games, whatever the game did: it ended
// at New Game and by closing the window, both of which enter a game that scored.
TEST(Snapshot, ReplaysKeepNoTableOfBestGames) {
    Replay replay = demoThenSweep(7);
    const int last = replay.lastPass();
    replay.add({last + 1, 0}, ReplayEvent{ReplayEvent::Kind::menu, 0, 0, 0, 0,
                                          MenuItem::mnuFileNewGame, TimerId::tmrClearText, "yes"});
    ReplayEvent close;
    close.kind = ReplayEvent::Kind::close;
    replay.add({last + 2, 0}, close);
    ReplayRunner runner(replay, 0);
    runner.start();
    while (runner.passesRun() < last) {
        runner.runOnePass();
    }
    EXPECT_GT(runner.game().score, 0);
    runOut(runner);
    EXPECT_TRUE(runner.platform().programEnded);
    EXPECT_EQ(runner.platform().bestGamesFile->state, StoredFile::State::absent);
    EXPECT_TRUE(runner.platform().bestGamesShown.empty());
}

}  // namespace
}  // namespace brivane
