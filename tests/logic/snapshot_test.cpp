// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Snapshots restored in another runner, and the index that brings a runner to any pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "particles/particle.h"
#include "replay/replay_file.h"
#include "replay/replay_runner.h"
#include "replay/snapshot.h"

namespace brivane {
namespace {

// The demo's loops catch balls across two level changes; then the pointer sweeps the playfield
// in rows until it runs into a ball. Another seed deals other balls for the same moves.
Replay demoThenSweep(std::uint32_t seed) {
    std::ifstream file(BRIVANE_SOURCE_DIR "/examples/demo.replay");
    std::string text(std::istreambuf_iterator<char>(file), {});
    text.replace(text.find("seed 7"), 6, "seed " + std::to_string(seed));
    for (int pass = 460, row = 0; pass < 900; ++pass) {
        for (int x = 200; x < 8955; x += 1750, ++row) {
            text += "at " + std::to_string(pass) + " move " + std::to_string(x) + " " +
                    std::to_string(300 + (row * 97) % 6000) + "\n";
        }
    }
    ReplayParse parse = parseReplay(text);
    EXPECT_TRUE(parse.replay.has_value()) << parse.error.text();
    return parse.replay.value_or(Replay{});
}

bool anyFading(const ParticleList& list) {
    return std::any_of(list.begin() + 1, list.end(),
                       [](const auto& p) { return p && p->isDying(); });
}

// Runs to the end, keeping every pass's report line.
std::vector<std::string> runOut(ReplayRunner& runner) {
    std::vector<std::string> lines;
    while (!runner.finished()) {
        runner.runOnePass();
        lines.push_back(runner.reportLine(true));
    }
    return lines;
}

// Restored in another runner inside a death, during a capture's fade and at a level change, each
// taken at the moment's first pass so that it holds the moment half done; and sought forwards,
// backwards, to the same place, past the end and to the start.
TEST(Snapshot, RestoredOrSoughtAnywherePlaysOnAsAStraightRun) {
    for (const std::uint32_t seed : {7u, 8u, 9u}) {
        SCOPED_TRACE(seed);
        const Replay replay = demoThenSweep(seed);
        ReplayRunner straight(replay, 0);
        straight.start();
        std::vector<std::string> lines;
        std::map<int, ReplaySnapshot> taken;  // by moment
        while (!straight.finished()) {
            const std::int16_t level = straight.game().level;
            straight.runOnePass();
            lines.push_back(straight.reportLine(true));
            const GameState& g = straight.game();
            const bool now[] = {g.dying && g.deathFade > 0,
                                anyFading(g.balls) || anyFading(g.strings), g.level != level};
            for (int m = 0; m < 3; ++m) {
                if (now[m] && !taken.count(m)) {
                    taken.emplace(m, straight.snapshot());
                }
            }
        }
        ASSERT_EQ(taken.size(), 3u);
        for (const auto& [m, snapshot] : taken) {
            ReplayRunner resumed(replay, 0);
            resumed.start();
            resumed.restore(snapshot);
            EXPECT_EQ(runOut(resumed), std::vector(lines.begin() + snapshot.passesRun, lines.end()))
                << "moment " << m;
            EXPECT_EQ(resumed.summary(), straight.summary());
        }

        const int end = static_cast<int>(lines.size());
        ReplayRunner scout(replay, 0);
        scout.start();
        SnapshotIndex index(500);
        const std::atomic<bool> stop{false};
        index.fill(scout, stop);
        EXPECT_EQ(std::tuple(index.endPasses(), index.endMs()),
                  std::tuple(end, straight.platform().clock().now()));
        EXPECT_GT(index.count(), index.endMs() / 600);
        ReplayRunner viewer(replay, 0);
        viewer.start();
        for (const int target : {end / 2, end / 2 + 1, end / 2, 7, end - 1, 1, end + 50, end / 3}) {
            seekRunner(viewer, index, target);
            const int landed = std::min(target, end);
            ASSERT_EQ(viewer.passesRun(), landed) << "to pass " << target;
            EXPECT_EQ(viewer.reportLine(true), lines[static_cast<std::size_t>(landed - 1)]);
        }
        seekRunner(viewer, index, 0);
        EXPECT_EQ(viewer.passesRun(), 0);
        EXPECT_EQ(runOut(viewer), lines);
    }
}

}  // namespace
}  // namespace brivane
