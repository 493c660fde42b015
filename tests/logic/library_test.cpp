// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The kept replays: each game of a run replayed on its own, what is kept, and a full folder.
#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "core/best_games.h"
#include "core/game.h"
#include "core/lives.h"
#include "harness.h"
#include "replay/library.h"
#include "replay/pass_report.h"
#include "replay/replay_recorder.h"
#include "replay/replay_runner.h"

namespace brivane {
namespace {

// A pass's report without what differs between a run and its replays: the pass and the ids.
std::string maskedReport(const std::string& line) {
    static const std::regex pass("^\\{\"pass\":[0-9]+,");
    static const std::regex id("\"IDnum\":\"[^\"]*\"");
    return std::regex_replace(std::regex_replace(line, pass, "{"), id, "");
}

// A run in the window, as the program wires it: the keeper between the platform and the game.
struct KeptRun {
    test::Harness h;
    ReplayKeeper keeper;
    std::vector<GameOver> overs;
    std::vector<int> endPasses;     // the pass each game ended in
    std::vector<std::string> live;  // the masked report after each pass of the run
    explicit KeptRun(std::uint32_t seed)
        : h(seed), keeper(h.pf, h.wired.events, h.g, h.pf.yields(), header(seed)) {
        h.pf.setEventSink(&keeper);
        h.pf.onFrameYield = [this](int pass) { keeper.frameYieldStarting(pass); };
        h.pf.onDialogAnswer = [this](const std::string& a) { keeper.dialogAnswered(a); };
        h.pf.onGameOver = [this](const GameOver& over) {
            overs.push_back(over);
            endPasses.push_back(h.pf.yields().pass());
            keeper.gameOver(over);
        };
    }
    Replay header(std::uint32_t seed) {
        h.pf.settings[{"misc", "checkUpdates"}] = "False";
        h.g.commandText = "nomusic";
        h.g.fixedSeed = seed;
        return recordingHeader(h.pf, seed);
    }
    int pass() const { return h.pf.yields().pass(); }
    void at(ScriptedEvent e) { h.pf.postAt(YieldId{pass(), 0}, std::move(e)); }
    void run() {
        h.pf.setPassDuration(12 + pass() % 7);
        runPass(h.g);
        live.push_back(maskedReport(passReport(h.g, pass() - 1, h.pf.statusText, true)));
    }
    // Passes of a wandering pointer that leaves a long tail and closes loops now and then.
    void wander(int passes) {
        for (int i = 0; i < passes; ++i) {
            wander();
            run();
        }
    }
    void wander() {
        const int p = pass();
        at(ScriptedEvent::move(1500.0f + static_cast<float>((p * 211) % 5500),
                               1200.0f + static_cast<float>((p * 157) % 4000)));
    }
    // The pointer onto the first ball, wherever it is when the yield comes.
    void intoBall() {
        at(ScriptedEvent::run([this] {
            if (h.g.ballCount >= 1) {
                const point c = h.g.balls[1]->centrePoint(h.g);
                h.pf.deliverOne(ScriptedEvent::move(c.x, c.y));
            }
        }));
    }
};

// The reports of a kept replay, played headless on its own.
std::vector<std::string> replayed(const std::string& text) {
    ReplayParse parsed = parseReplay(text);
    EXPECT_TRUE(parsed.replay) << parsed.error.text();
    std::vector<std::string> out;
    ReplayRunner runner(std::move(parsed.replay).value_or(Replay{}), 0);
    runner.start();
    while (!runner.finished()) {
        runner.runOnePass();
        out.push_back(maskedReport(runner.reportLine(true)));
    }
    return out;
}

// Ended by the last life, by New Game (paused on the way; chosen in a yield that goes on with
// more moves) and by closing the window.
TEST(KeptReplays, EachGameOfARunReplaysOnItsOwnToItsOwnReport) {
    KeptRun r(4242);
    r.h.start();
    while (r.overs.empty() && r.pass() < 3000) {
        r.pass() > 120 ? r.intoBall() : r.wander();
        r.run();
    }
    ASSERT_EQ(r.overs.size(), 1u);
    ASSERT_EQ(r.overs[0].how, GameEnding::lastLife);
    for (int i = 0; i < 200; ++i) {
        r.wander();
        if (i == 80) {
            r.at(ScriptedEvent::menuItem(MenuItem::mnuFilePause));
            r.at(ScriptedEvent::move(3000, 3000));
            r.at(ScriptedEvent::down(1));
        }
        if (i == 199) {
            r.at(ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, "yes"));
            r.wander();
            r.at(ScriptedEvent::key('+'));
        }
        r.run();
    }
    ASSERT_EQ(r.overs.size(), 2u);
    ASSERT_EQ(r.overs[1].how, GameEnding::newGame);
    r.wander(150);
    r.at(ScriptedEvent::closeWindow());
    r.run();
    ASSERT_EQ(r.overs.size(), 3u);
    ASSERT_EQ(r.overs[2].how, GameEnding::programEnd);

    const std::vector<KeptReplay> kept = listKeptReplays(r.h.pf);
    ASSERT_EQ(kept.size(), 3u);
    std::vector<int> firstPass{1, r.endPasses[0], r.endPasses[1]};
    for (std::size_t game = 0; game < 3; ++game) {
        // Newest first, and the facts are the game's own.
        const KeptReplay& k = kept[2 - game];
        const GameOver& over = r.overs[game];
        EXPECT_EQ(std::tuple(*k.facts.score, *k.facts.level, *k.facts.endedAt, *k.facts.msPlayed),
                  std::tuple(over.score, over.level, over.endedAt, over.msPlayed));
        EXPECT_TRUE(r.h.pf.replayFiles.count(k.picture));
        const std::string& text = r.h.pf.replayFiles[k.name];
        EXPECT_EQ(text.find("begins") != std::string::npos, game > 0);
        const std::vector<std::string> own = replayed(text);
        // The pass a game ends in is the next game's too; its replay stops short of the rest.
        const auto ownPasses = static_cast<std::size_t>(r.endPasses[game] - firstPass[game]);
        ASSERT_GE(own.size(), ownPasses) << "game " << game;
        EXPECT_EQ(std::vector(own.begin(), own.begin() + ownPasses),
                  std::vector(r.live.begin() + firstPass[game] - 1,
                              r.live.begin() + r.endPasses[game] - 1))
            << "game " << game;
    }
}

// The name typed in the table's window reaches the game through the keeper.
TEST(KeptReplays, TheNameGivenPassesThroughTheKeeper) {
    KeptRun r(7);
    r.h.start();
    r.h.g.score = 1250;
    setLives(r.h.g, 0);
    r.h.g.dying = true;
    r.h.g.deathFade = 0;
    r.run();
    ASSERT_EQ(r.h.pf.bestGamesShown.size(), 1u);
    r.keeper.bestGameNamed("Ada");
    EXPECT_EQ(parseBestGames(r.h.pf.bestGamesFile->bytes).value().at(0).name, "Ada");
}

std::string keptFile(std::int64_t endedAt, double score, std::string_view body = {}) {
    Replay r;
    r.facts = {endedAt, score, 3, 61000};
    return headerText(r) + std::string(body);
}

// Older ones stay while the table holds their game; other files are neither listed nor deleted.
TEST(KeptReplays, TheTwentyNewestAndTheTablesGamesStay) {
    struct Case {
        const char* what;
        int files;
        std::vector<int> inTable;  // by age, 0 the oldest
        std::vector<int> deleted;
    };
    const Case cases[] = {
        {"twenty", 20, {}, {}},
        {"twenty-one", 21, {}, {0}},
        {"the oldest is in the table", 21, {0}, {}},
        {"one past the table's", 22, {0}, {1}},
        {"the table's game is new anyway", 21, {20}, {0}},
    };
    for (const Case& c : cases) {
        SpyPlatform pf;
        std::vector<BestGame> table;
        for (int i = 0; i < c.files; ++i) {
            const std::int64_t ended = 1800000000 + i * 100;
            // The oldest is a long game, whose body is never read to list it.
            pf.replayFiles[newReplayName(ended, {})] =
                keptFile(ended, 10 + i,
                         i > 0 ? "" : "pass 1 16\n" + std::string(10000, '\n') + "at 1 bogus\n");
            if (std::find(c.inTable.begin(), c.inTable.end(), i) != c.inTable.end()) {
                table.push_back({"Ada", 10.0 + i, 3, ended, 61});
            }
        }
        rankBestGames(table);
        *pf.bestGamesFile = {StoredFile::State::read, bestGamesText(table)};
        // Not kept replays: a damaged head, none of the facts, a head past what is read.
        pf.replayFiles["notes.txt"] = "brivane-replay 1\n";
        pf.replayFiles["damaged.replay"] = std::string("brivane-replay 1\nended \x01\n");
        pf.replayFiles["plain.replay"] = "brivane-replay 1\nseed 7\npass 1 16\n";
        pf.replayFiles["long.replay"] = "brivane-replay 1\n" + std::string(5000, '#') + "\n";

        const std::vector<KeptReplay> kept = listKeptReplays(pf);
        ASSERT_EQ(kept.size(), static_cast<std::size_t>(c.files)) << c.what;
        EXPECT_EQ(*kept.front().facts.endedAt, 1800000000 + (c.files - 1) * 100) << c.what;
        std::vector<int> deleted;
        for (const KeptReplay* gone : replaysToDelete(kept)) {
            deleted.push_back(static_cast<int>((*gone->facts.endedAt - 1800000000) / 100));
        }
        std::sort(deleted.begin(), deleted.end());
        EXPECT_EQ(deleted, c.deleted) << c.what;
    }
}

// The game goes on, the scores are written, and nothing is said.
TEST(KeptReplays, AFolderThatTakesNothingLosesOnlyTheReplay) {
    struct Case {
        const char* what;
        bool writable;
        const char* setting;  // misc/keepReplays, nullptr for none stored
        std::size_t files;
    };
    const Case cases[] = {
        {"kept by default", true, nullptr, 2},
        {"off", true, "False", 0},
        {"full disk", false, nullptr, 0},
    };
    for (const Case& c : cases) {
        KeptRun r(99);
        r.h.pf.replaysWritable = c.writable;
        if (c.setting != nullptr) {
            r.h.pf.settings[{"misc", "keepReplays"}] = c.setting;
        }
        r.h.start();
        r.wander(30);
        r.at(ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, "yes"));
        r.run();
        r.wander(30);
        EXPECT_EQ(r.overs.size(), 1u) << c.what;
        EXPECT_EQ(r.h.g.level, 1) << c.what;
        EXPECT_EQ(r.h.pf.replayFiles.size(), c.files) << c.what;
        r.at(ScriptedEvent::menuItem(MenuItem::mnuFileExit));
        r.run();
        EXPECT_TRUE(r.h.pf.scoresFile.has_value()) << c.what;
        for (const Dialog& d : r.h.pf.dialogs) {
            EXPECT_EQ(d.text.find("eplay"), std::string::npos) << c.what;
        }
        EXPECT_EQ(r.h.pf.replayFiles.size(), c.files * 2) << c.what;
    }
}

}  // namespace
}  // namespace brivane
