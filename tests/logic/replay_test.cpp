// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Replay files: parsing, known reports, recordings that replay exactly, the virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <streambuf>
#include <string>
#include <tuple>
#include <vector>

#include "core/scores.h"
#include "harness.h"
#include "platform/headless/virtual_clock.h"
#include "platform/layout.h"
#include "replay/pass_report.h"
#include "replay/replay_file.h"
#include "replay/replay_recorder.h"
#include "replay/replay_runner.h"

namespace brivane {
namespace {

Replay parsed(const std::string& text) {
    ReplayParse p = parseReplay(text);
    EXPECT_TRUE(p.replay.has_value()) << p.error.text();
    return p.replay ? *p.replay : Replay{};
}

TEST(ReplayParse, MalformedFilesNameTheLine) {
    const struct {
        std::string body;  // after a head of three lines, unless bare
        int line;
        const char* says;
        bool bare = false;
    } cases[] = {
        // clang-format off
        {"\n# nothing\n  \n", 3, "empty file", true}, {"hello 1\n", 1, "not a replay file", true},
        {"speed 4\n", 4, "unknown keyword 'speed'"}, {"seed 4294967296\n", 4, "bad seed"},
        // a nested yield is numbered above the main-loop yield whose inputs it ran inside
        {"at 3.2 key 43\nat 3 key 43\nat 3.1 key 43\n", 6, "out of order"},
        {"at 3.1 key 43\nat 2 key 43\n", 5, "out of order"},
        {"at 3 jump 1\n", 4, "unknown event 'jump'"}, {"at 3 move 100\n", 4, "incomplete line"},
        {"at 3 menu mnuFileSave\n", 4, "unknown menu item"},
        {std::string("\x7f\x45LF\x02\x01", 6) + "\n", 4, "not a text"},
        {"at 3 timer tmrKillTails\n", 4, "timers recorded"},
        {"pass 3 16\nat 3 pause 1\n", 5, "unexpected '1' after 'pause'"},
        {"at 3 resume now\n", 4, "unexpected 'now' after 'resume'"},
        {"pass 3 16\nseed 4\n", 5, "'seed' must come before the first pass"},
        {"at 3 key 43\nplayfield 9000 7000\n", 5, "must come before"},
        {"seed 4\nseed 5\n", 5, "'seed' given twice"}, {"playfield 9000 0\n", 4, "bad playfield size"},
        {"autospeed maybe\n", 4, "bad autospeed 'maybe', expected on or off"},
        {"shield maybe\n", 4, "bad shield 'maybe', expected on or off"},
        {"rnd\n", 4, "incomplete line, expected 'rnd <state>'"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const ReplayParse p =
            parseReplay(c.bare ? c.body : "brivane-replay 1\n# comment\n\n" + c.body);
        const std::string said = p.error.text();
        EXPECT_EQ(std::tuple(p.replay.has_value(), p.error.line, said.find(c.says) != said.npos,
                             said.rfind("line " + std::to_string(c.line) + ": ", 0)),
                  std::tuple(false, c.line, true, 0u))
            << said;
    }
}

TEST(ReplayParse, DefaultsFullHeaderAndWrittenTextReadsBack) {
    const Replay d = parsed("brivane-replay 1\n");
    EXPECT_EQ(std::tuple(d.playfieldWidth, d.playfieldHeight, d.autoSpeed, d.userSpeed,
                         d.timersRecorded, d.lastPass()),
              std::tuple(8955, 6615, true, 0, false, 0));
    // The smallest playfield a file may name (0 is refused above).
    const Replay small = parsed("brivane-replay 1\nplayfield 1 1\n");
    EXPECT_EQ(std::pair(small.playfieldWidth, small.playfieldHeight), std::pair(1, 1));
    // A later game that began with no timer running.
    EXPECT_EQ(parsed("brivane-replay 1\nrunning\n").carried.value().timersRunning, 0u);

    const Replay r = parsed(
        "brivane-replay 1\r\nseed 4294967295 # the largest\r\nplayfield 12000 9000\r\n"
        "autospeed off\r\nuserspeed 50\r\nhighlevel 30\r\nhighscore 123456\r\n"
        "timers recorded\r\npass 1 20\r\npass 7 33\r\nat 2.1 move 0.1 1234.5678\r\n"
        "at 2 menu mnuFileJumpLevel  two words \r\nat 2 timer tmrKillTails\r\nat 9 down 2\r\n"
        "at 9 key 43\r\nat 9 menu mnuHelpHelp cancel\r\nat 9 resize 10000 8000\r\nat 9 pause\r\n"
        "at 9 resume\r\nat 9 close\r\n");
    EXPECT_EQ(std::tuple(r.seed, r.playfieldWidth, r.autoSpeed, r.userSpeed, r.highLevel,
                         r.highScore, r.timersRecorded),
              std::tuple(4294967295u, 12000, false, 50, 30, 123456.0, true));
    ASSERT_EQ(r.inputs.size(), 10u);
    EXPECT_EQ(r.inputs[0].at, (YieldId{2, 1}));
    EXPECT_EQ(r.event(0).y, 1234.5678f);
    EXPECT_EQ(r.event(1).answer, "two words");
    EXPECT_EQ(r.event(2).timer, TimerId::tmrKillTails);
    EXPECT_EQ(std::pair(r.event(7).kind, r.event(8).kind),
              std::pair(ReplayEvent::Kind::pause, ReplayEvent::Kind::resume));
    EXPECT_EQ(r.lastPass(), 9);

    // What the recorder writes reads back to the same header and events.
    const auto written = [](const Replay& replay) {
        std::string text = headerText(replay);
        for (std::size_t i = 0; i < replay.inputs.size(); ++i) {
            text += "at 9 " + eventText(replay.event(i)) + "\n";
        }
        return text;
    };
    const Replay back = parsed(written(r));
    EXPECT_EQ(written(back), written(r));
    ASSERT_EQ(back.inputs.size(), r.inputs.size());
    EXPECT_EQ(back.event(0).x, 0.1f);
    EXPECT_EQ(back.event(0).y, 1234.5678f);
}

// Digest of every pass's report, particles and all; returns the summary.
std::string runAll(const Replay& replay, std::uint64_t& digest) {
    ReplayRunner runner(replay, 0);
    runner.start();
    digest = test::digest("");
    while (!runner.finished()) {
        runner.runOnePass();
        digest = test::digest(runner.reportLine(true) + "\n", digest);
    }
    return runner.summary();
}

// A game made up from a seed, in integer arithmetic only so that every machine makes the same file.
std::string madeUpReplay(std::uint32_t seed, int passes) {
    std::mt19937 r(seed);
    const auto pick = [&r](int lo, int hi) {
        return lo + static_cast<int>(r() % static_cast<unsigned>(hi - lo + 1));
    };
    std::string text = "brivane-replay 1\nseed " + std::to_string(seed) + "\nhighlevel 100\n";
    int pass = 2;
    const auto at = [&](const std::string& event, int next = 0) {
        text += "at " + std::to_string(pass) + " " + event + "\n";
        pass += next;
    };
    const auto move = [&](int x, int y, int next) {
        at("move " + std::to_string(x) + " " + std::to_string(y), next);
    };
    while (pass < passes) {
        const int kind = pick(0, 9);
        if (kind < 4) {
            const int x = pick(0, 9000), y = pick(0, 6600), s = pick(700, 3000);
            const bool quick = pick(0, 1) == 0;
            for (int k = 0; k <= 32; ++k) {
                const int side = k % 32 / 8, t = k % 8 * s / 4;
                const int px[] = {x - s + t, x + s, x + s - t, x - s};
                const int py[] = {y - s, y - s + t, y + s, y + s - t};
                move(px[side], py[side], quick && k < 32 ? 0 : 1);
            }
        } else if (kind < 6) {
            int x = pick(0, 9000), y = pick(0, 6600);
            for (int i = pick(10, 80); i > 0; --i) {
                x += pick(-500, 500);
                y += pick(-500, 500);
                move(x, y, 1);
            }
        } else if (kind == 6) {
            at("menu mnuFileJumpLevel " + std::to_string(pick(1, 100)));
        } else if (kind == 7) {
            const char* inputs[] = {"down 2", "key 43", "key 45", "menu mnuSettingsAutoSpeed"};
            at(inputs[pick(0, 3)]);
        } else if (kind == 8 && pick(0, 3) == 0) {
            at("resize " + std::to_string(pick(8000, 14000)) + " " +
               std::to_string(pick(6000, 10000)));
        } else if (kind == 8) {
            at("pause", pick(1, 30));
            at("resume");
        } else {
            pass += pick(5, 60);
        }
    }
    return text + "pass " + std::to_string(passes) + " 16\n";
}

// Known answers; a change made on purpose updates the digests.
TEST(ReplayRunner, SeededReplaysGiveTheirKnownReports) {
    std::string error;
    const std::optional<Replay> demo =
        loadReplay(BRIVANE_SOURCE_DIR "/examples/demo.replay", error);
    ASSERT_TRUE(demo) << error;
    const struct {
        Replay replay;
        const char* summary;
        std::uint64_t digest;
    } cases[] = {
        {*demo, "passes=459 level=3 score=40 lives=5 highLevel=3 highScore=40",
         0xA545595FD025C505ULL},
        {parsed("brivane-replay 1\nseed 5\nuserspeed 2\nhighscore 70\ntimers recorded\n"
                "pass 1 16\nat 2 move 4000 3000\nat 3 move 4400 3000\nat 4 move 4400 3400\n"
                "at 5 move 4000 3400\nat 6 move 4000 3000\nat 10 timer tmrToggleBonds\n"
                "at 12 menu mnuFileJumpLevel 3\npass 40 33\nat 15 resize 11000 9000\n"
                "at 20 key 43\nat 21 key 45\nat 30 down 2\nat 31 menu mnuSettingsAutoSpeed\n"
                "at 35 timer tmrDoElectron\nat 200 timer tmrToggleBonds\nat 250 close\n"),
         "passes=250 level=1 score=0 lives=5 highLevel=1 highScore=70", 0xB598684C04BCEF48ULL},
        {parsed(madeUpReplay(1, 2000)),
         "passes=2010 level=93 score=10140 lives=0 highLevel=100 highScore=10140",
         0x47D5B4BA1E60F422ULL},
        {parsed(madeUpReplay(2, 2000)),
         "passes=2011 level=75 score=0 lives=4 highLevel=100 highScore=440", 0xC96C16CEFB94C82FULL},
        {parsed(madeUpReplay(3, 2000)),
         "passes=2019 level=62 score=0 lives=5 highLevel=100 highScore=15925",
         0xFFB0D98C8367C2FBULL},
        // Crowded: fifteen hundred balls bouncing off one another and the edges.
        {parsed("brivane-replay 1\nseed 6\nhighlevel 1500\nat 2 menu mnuFileJumpLevel 1500\n"
                "pass 40 16\n"),
         "passes=40 level=1500 score=0 lives=5 highLevel=1500 highScore=0", 0x71D3E1E2BCAC0368ULL},
    };
    for (const auto& c : cases) {
        std::uint64_t digest = 0;
        EXPECT_EQ(runAll(c.replay, digest), c.summary);
        EXPECT_EQ(digest, c.digest) << std::hex << digest;
    }
}

// The header, never the user's settings, sets the game up; a pass duration holds until changed.
TEST(ReplayRunner, HeaderAnswersAndPassDurationsDriveTheGame) {
    ReplayRunner runner(
        parsed("brivane-replay 1\nseed 3\nautospeed off\nuserspeed 9\n"
               "highlevel 30\nhighscore 5000\nplayfield 12000 8000\n"
               "pass 3 100\npass 5 7\nat 2 menu mnuFileJumpLevel\n"
               "at 3 menu mnuFileJumpLevel 30\nat 4 menu mnuFileJumpLevel cancel\n"),
        6);
    runner.start();
    const GameState& g = runner.game();
    const HeadlessPlatform& pf = runner.platform();
    const std::uint64_t clocks[] = {16, 32, 132, 232, 239, 246};
    for (int pass = 1; pass <= 6; ++pass) {
        runner.runOnePass();
        EXPECT_EQ(pf.clock().now(), clocks[pass - 1]) << pass;
        EXPECT_EQ(g.level, pass < 3 ? 1 : 30) << pass;  // a line without an answer cancels
    }
    EXPECT_EQ(g.frameTicks, 7);
    // The frame step is the user speed plus an area factor of 1, so automatic speed is off.
    EXPECT_EQ(std::tuple(g.highLevel, g.highScore, frameStep(g), pf.playfieldWidth()),
              std::tuple(30, 5000.0, 10, 12000));
    EXPECT_FALSE(pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_FALSE(pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_EQ(pf.sockState, SocketState::closed);  // no update check
}

TEST(ReplayRunner, EndsAtTheLastPassOrWhenTheGameEnds) {
    const struct {
        const char* file;
        int limit, passes;
    } cases[] = {
        {"pass 1 16\npass 4 40\nat 4 close\npass 50 16\n", 0, 4},
        {"pass 50 16\n", 12, 12},
        // Paused with nothing left to resume it: only the pass it came in.
        {"pass 50 16\nat 7 pause\n", 0, 7},
        {"pass 50 16\nat 7 pause\nat 9 resume\n", 20, 20},
    };
    for (const auto& c : cases) {
        ReplayRunner runner(parsed(std::string("brivane-replay 1\nseed 1\n") + c.file), c.limit);
        runner.start();
        while (!runner.finished()) {
            runner.runOnePass();
        }
        EXPECT_EQ(runner.passesRun(), c.passes);
        if (c.passes == 4) {
            // The recorded program stopped inside pass 4's yield, before that pass was measured.
            EXPECT_EQ(runner.game().frameTicks, 16);
            EXPECT_TRUE(runner.platform().scoresFile.has_value());  // saved in memory only
        }
    }
}

TEST(ReplayRecorder, RecordingReplaysToTheSameReports) {
    test::Harness h(1234);
    h.pf.settings[{"misc", "checkUpdates"}] = "False";
    h.pf.scoresFile = "highlvl:4\r\nhighscore:300\r\n";
    h.g.commandText = "nomusic";
    std::ostringstream file;
    Replay header;
    header.seed = 1234;
    header.highLevel = 4;
    header.highScore = 300;
    ReplayRecorder recorder(file, h.wired.events, h.g, h.pf.yields(), header);
    h.pf.setEventSink(&recorder);
    h.pf.onFrameYield = [&recorder](int pass) { recorder.frameYieldStarting(pass); };
    h.pf.onDialogAnswer = [&recorder](const std::string& a) { recorder.dialogAnswered(a); };
    for (int i = 0; i < 400; ++i) {
        h.pf.postAt(YieldId{2 + i / 3, 0},
                    ScriptedEvent::move(1000.0f + static_cast<float>((i * 37) % 6000),
                                        800.0f + static_cast<float>((i * 53) % 4500)));
    }
    h.pf.queueDialogAnswer("3");
    using M = MenuItem;
    for (const auto& [pass, event] : std::vector<std::pair<int, ScriptedEvent>>{
             {20, ScriptedEvent::key('+')},
             {30, ScriptedEvent::menuItem(M::mnuFileJumpLevel)},
             {40, ScriptedEvent::menuItem(M::mnuSettingsAutoSpeed)},
             {50, ScriptedEvent::menuItem(M::mnuFilePause)},
             {60, ScriptedEvent::down(1)},
             {70, ScriptedEvent::windowInactive()},
             {75, ScriptedEvent::menuItem(M::mnuFileJumpLevel, "2")},  // set up while paused
             {80, ScriptedEvent::menuItem(M::mnuFilePause)},
             {90, ScriptedEvent::windowInactive()},
             {90, ScriptedEvent::down(1)}}) {
        h.pf.postAt(YieldId{pass, 0}, event);
    }
    std::vector<std::string> live;
    h.start();
    for (int pass = 1; pass <= 700 && !h.g.ended && h.g.lives >= 0; ++pass) {
        h.pf.setPassDuration(10 + pass % 9);
        runPass(h.g);
        live.push_back(passReport(h.g, pass, h.pf.statusText, true));
    }
    recorder.finish(h.pf.yields().pass() - 1);
    EXPECT_EQ(h.g.level, 2);
    const std::string text = file.str();
    for (const char* line : {"\nat 50 pause\n", "\nat 60 resume\n", "\nat 70 pause\n",
                             "\nat 80 resume\n", "\nat 90 pause\nat 90 resume\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(std::pair(text.find("mnuFilePause"), text.find(" down 1")),
              std::pair(std::string::npos, std::string::npos));

    // A tick line without "timers recorded" would not parse.
    ReplayRunner runner(parsed(text), 0);
    runner.start();
    std::vector<std::string> replayed;
    while (!runner.finished()) {
        runner.runOnePass();
        replayed.push_back(runner.reportLine(true));
    }
    // A replay runs through a pause at once, so identities (the time of day) differ after one.
    const auto masked = [](std::vector<std::string> reports) {
        for (std::string& r : reports) {
            r = std::regex_replace(r, std::regex("\"IDnum\":\"[^\"]*\""), "");
        }
        return reports;
    };
    EXPECT_EQ(std::vector(replayed.begin(), replayed.begin() + 50),
              std::vector(live.begin(), live.begin() + 50));
    EXPECT_EQ(masked(replayed), masked(live));
}

TEST(ReplayRecorder, HeaderCarriesTheHighScoresExactlyAsRead) {
    const struct {
        std::optional<std::string> file;
        int level;
        double score;
    } cases[] = {
        {std::nullopt, 0, 0},
        {"highlvl:-32768\r\nhighscore:12.5\r\n", -32768, 12.5},
        {"highlvl:32767\r\nhighscore:-100\r\n", 32767, -100},
        {"highscore:1e300\r\n", 0, 1e300},
        {"highscore:9007199254740994\r\n", 0, 9007199254740994.0},
        {"highscore:0.1\r\n", 0, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.value_or("(no file)"));
        HeadlessPlatform pf;
        pf.scoresFile = c.file;
        const Replay header = recordingHeader(pf, 5);
        ReplayRunner runner(parsed(headerText(header)), 1);
        GameState readBack(runner.platform());
        loadScores(readBack);
        EXPECT_EQ(
            std::tuple(header.highLevel, header.highScore, readBack.highLevel, readBack.highScore),
            std::tuple(c.level, c.score, c.level, c.score));
    }
}

// A recorder into memory, with the yields as the test moves them.
struct Recording {
    std::ostringstream file;
    YieldCounter yields;
    ReplayRecorder recorder;
    Recording(EventSink& sink, const GameState& g) : recorder(file, sink, g, yields, Replay{}) {}
    Replay replay() { return parsed(file.str()); }
};

// A tick during a menu item's dialog reached the game before the item did, so it is written first.
TEST(ReplayRecorder, ResizesAndTicksDuringAMenuDialog) {
    HeadlessPlatform pf;
    GameState g(pf);
    struct DialogSink : GameEvents {
        using GameEvents::GameEvents;
        ReplayRecorder* recorder = nullptr;
        void menuChosen(MenuItem) override {
            recorder->timerTick(TimerId::tmrDoElectron);
            recorder->dialogAnswered("2");
        }
    } sink(g);
    Recording rec(sink, g);
    sink.recorder = &rec.recorder;
    rec.recorder.windowResized(10000, 100);  // below the minimum height: snapped
    for (int pass = 1; pass <= 2; ++pass) {
        rec.recorder.frameYieldStarting(pass);
        rec.yields.frameYieldBegins();
        rec.yields.frameYieldEnds();
    }
    rec.yields.nestedYieldBegins();
    rec.yields.nestedYieldBegins();
    rec.recorder.windowResized(12000, 9000);
    rec.recorder.keyPress(43);
    rec.recorder.menuChosen(MenuItem::mnuFileJumpLevel);
    rec.recorder.frameYieldStarting(3);
    rec.recorder.finish(3);
    const Replay r = rec.replay();
    EXPECT_EQ(std::tuple(r.playfieldWidth, r.playfieldHeight, r.lastPass()),
              std::tuple(10000 - 270, minOuterHeight - 1185, 3));
    // A duration is written when it changes, and once more for the last pass.
    const std::string text = rec.file.str();
    EXPECT_NE(text.find("\npass 1 0\n"), std::string::npos);
    EXPECT_EQ(text.find("\npass 2 "), std::string::npos);
    EXPECT_NE(text.find("\npass 3 0\n"), std::string::npos);
    ASSERT_EQ(r.inputs.size(), 4u);
    const ReplayEvent::Kind kinds[] = {ReplayEvent::Kind::resize, ReplayEvent::Kind::key,
                                       ReplayEvent::Kind::timer, ReplayEvent::Kind::menu};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(std::pair(r.inputs[i].at, r.event(i).kind), std::pair(YieldId{3, 2}, kinds[i]));
    }
    EXPECT_EQ(std::pair(r.event(0).value, r.event(3).answer),
              std::pair(12000, std::optional<std::string>("2")));
}

// A full disk stops the recording, said once, and the game's inputs still reach the game.
TEST(ReplayRecorder, AFileThatCannotTakeMoreIsSaidOnce) {
    struct Full : std::streambuf {
        int overflow(int) override { return EOF; }
    } full;
    std::ostream file(&full);
    test::Started h;
    YieldCounter yields;
    ReplayRecorder recorder(file, h.wired.events, h.g, yields, Replay{});
    int said = 0;
    recorder.onWriteFailed = [&said] { ++said; };
    for (int pass = 1; pass <= 3; ++pass) {
        recorder.frameYieldStarting(pass);
        recorder.keyPress('+');
    }
    recorder.finish(3);
    EXPECT_EQ(std::pair(said, int{h.g.userSpeed}), std::pair(1, 3));
    // A disk that takes the bytes but fails them at the closing flush is said too.
    struct FullAtFlush : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
        int sync() override { return -1; }
    } fullAtFlush;
    std::ostream late(&fullAtFlush);
    ReplayRecorder closing(late, h.wired.events, h.g, yields, Replay{});
    closing.onWriteFailed = [&said] { ++said; };
    closing.finish(0);
    EXPECT_EQ(said, 2);
}

TEST(ReplayRecorder, InputsAreWrittenAtTheYieldThatDeliveredThem) {
    test::Harness h;
    Recording rec(h.wired.events, h.g);
    YieldCounter& y = rec.yields;
    const std::map<char, std::function<void()>> steps = {
        {'F', [&y] { y.frameYieldBegins(); }},
        {'f', [&y] { y.frameYieldEnds(); }},
        {'N', [&y] { y.nestedYieldBegins(); }},
        {'n', [&y] { y.nestedYieldEnds(); }},
        {'k', [&rec] { rec.recorder.keyPress('x'); }}};  // a key arrives
    for (const char step : std::string("FkNknkNkfNknFk")) {
        steps.at(step)();
    }
    rec.recorder.finish(2);
    std::vector<YieldId> at;
    for (const auto& input : rec.replay().inputs) {
        at.push_back(input.at);
    }
    EXPECT_EQ(at, (std::vector<YieldId>{{1, 0}, {1, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 0}}));
}

TEST(VirtualClock, FiresDueTimersEarliestFirstAtTheirDueTimesWithoutBursts) {
    using T = TimerId;
    const struct {
        std::uint64_t start;
        std::vector<TimerId> enable;
        std::uint64_t limit;
        int stopAfter;  // ticks before the handler asks to stop; 0 never
        std::string fired;
        TimerId watch;
        std::optional<std::uint64_t> due;
        std::uint64_t now;
    } rows[] = {
        // clang-format off
        // Due exactly at the limit fires; ties go in the timers' order.
        {0, {}, 5000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 ", T::tmrToggleBonds, 10000, 5000},
        // A 12 s stretch passes two intervals: one tick each, next due an interval past it.
        {0, {}, 12000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 tmrDoElectron@7000 ",
         T::tmrDoElectron, 14000, 7000},
        {0, {}, 5000, 1, "tmrToggleBonds@5000 ", T::tmrLoopMusic, 5000, 5000},
        // Started at 1000, due at 1050; due again at 1100 counts as missed.
        {1000, {T::tmrKillTails}, 1099, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1100, 1050},
        {1000, {T::tmrKillTails}, 1100, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1150, 1050},
        // Starting a running timer changes nothing.
        {1000, {T::tmrToggleBonds}, 4999, 0, "", T::tmrToggleBonds, 5000, 1000},
        // clang-format on
    };
    for (const auto& r : rows) {
        VirtualClock clock;
        clock.advanceTo(r.start);
        for (TimerId t : r.enable) {
            clock.setTimerEnabled(t, true);
        }
        std::string fired;
        int ticks = 0;
        clock.fireTimersUpTo(r.limit, [&](TimerId t) {
            fired += std::string(timerName(t)) + "@" + std::to_string(clock.now()) + " ";
            return ++ticks != r.stopAfter;
        });
        SCOPED_TRACE(std::to_string(r.start) + " to " + std::to_string(r.limit));
        EXPECT_EQ(fired, r.fired);
        EXPECT_EQ(clock.timerDue(r.watch), r.due);
        EXPECT_EQ(clock.now(), r.now);
    }
    VirtualClock clock;  // and it never goes back
    clock.advanceTo(50);
    clock.advanceTo(40);
    EXPECT_EQ(clock.now(), 50u);
}

}  // namespace
}  // namespace brivane
