// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Replay files, known reports, recordings, the virtual clock, snapshots and the kept replays.

#include <atomic>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <streambuf>

#include "core/best_games.h"
#include "core/scores.h"
#include "harness.h"
#include "platform/headless/virtual_clock.h"
#include "replay/library.h"
#include "replay/pass_report.h"
#include "replay/replay_runner.h"
#include "replay/snapshot.h"

namespace brivane {
namespace {

Replay parsed(const std::string& text) {
    ReplayParse p = parseReplay(text);
    EXPECT_TRUE(p.replay.has_value()) << p.error.text();
    return p.replay.value_or(Replay{});
}

// Runs to the end, keeping every pass's report, particles and all.
std::vector<std::string> runOut(ReplayRunner& runner) {
    std::vector<std::string> lines;
    while (!runner.finished()) {
        runner.runOnePass();
        lines.push_back(runner.reportLine(true));
    }
    return lines;
}

// Without what differs between a run and its replays: the pass and the ids.
std::vector<std::string> masked(std::vector<std::string> lines) {
    static const std::regex passOrId("^\\{\"pass\":[0-9]+,|\"IDnum\":\"[^\"]*\"");
    for (std::string& line : lines) {
        line = std::regex_replace(line, passOrId, "");
    }
    return lines;
}

TEST(ReplayParse, MalformedFilesNameTheLine) {
    // The body (after a head of three lines when the fault is past them), the line, what is said.
    const std::tuple<std::string, int, const char*> cases[] = {
        // clang-format off
        {"\n# nothing\n  \n", 3, "empty file"}, {"hello 1\n", 1, "not a replay file"},
        {"speed 4\n", 4, "unknown keyword 'speed'"}, {"seed 4294967296\n", 4, "bad seed"},
        // a nested yield is numbered above the main-loop yield whose inputs it ran inside
        {"at 3.2 key 43\nat 3 key 43\nat 3.1 key 43\n", 6, "out of order"},
        {"at 3.1 key 43\nat 2 key 43\n", 5, "out of order"},
        {"playfield 9000 0\n", 4, "bad playfield size"},
        {"seed 4\nseed 5\n", 5, "'seed' given twice"}, {"at 3 jump 1\n", 4, "unknown event 'jump'"},
        {"at 3 move 100\n", 4, "incomplete line"}, {"at 3 menu mnuFoo\n", 4, "unknown menu item"},
        {std::string("\x7f\x45LF\x02\x01", 6) + "\n", 4, "not a text"},
        {"at 3 timer tmrKillTails\n", 4, "timers recorded"},
        {"pass 3 16\nat 3 pause 1\n", 5, "unexpected '1' after 'pause'"},
        {"at 3 resume now\n", 4, "unexpected 'now' after 'resume'"},
        {"pass 3 16\nseed 4\n", 5, "'seed' must come before the first pass"},
        {"at 3 key 43\nplayfield 9000 7000\n", 5, "must come before"},
        {"autospeed maybe\n", 4, "bad autospeed 'maybe', expected on or off"},
        {"shield maybe\n", 4, "bad shield 'maybe', expected on or off"},
        {"rnd\n", 4, "incomplete line, expected 'rnd <state>'"},
        // clang-format on
    };
    for (const auto& [body, line, says] : cases) {
        const ReplayParse p =
            parseReplay(line < 4 ? body : "brivane-replay 1\n# comment\n\n" + body);
        const std::string said = p.error.text();
        EXPECT_EQ(std::tuple(p.replay.has_value(), p.error.line, said.find(says) != said.npos,
                             said.rfind("line " + std::to_string(line) + ": ", 0)),
                  std::tuple(false, line, true, 0u))
            << said;
    }
}

TEST(ReplayParse, DefaultsFullHeaderAndWrittenTextReadsBack) {
    // The defaults play the known answers; a file of only its head has no pass.
    EXPECT_EQ(parsed("brivane-replay 1\n").lastPass(), 0);
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
                         r.highScore, r.timersRecorded, r.lastPass()),
              std::tuple(4294967295u, 12000, false, 50, 30, 123456.0, true, 9));
    ASSERT_EQ(r.inputs.size(), 10u);
    EXPECT_EQ(std::tuple(r.inputs[0].at, r.event(0).y, r.event(1).answer, r.event(2).timer),
              std::tuple(YieldId{2, 1}, 1234.5678f, "two words", TimerId::tmrKillTails));
    EXPECT_EQ(std::pair(r.event(7).kind, r.event(8).kind),
              std::pair(ReplayEvent::Kind::pause, ReplayEvent::Kind::resume));

    // What the recorder writes reads back to the same header and events, to the last bit.
    const auto written = [](const Replay& replay) {
        std::string text = headerText(replay);
        for (std::size_t i = 0; i < replay.inputs.size(); ++i) {
            text += "at 9 " + eventText(replay.event(i)) + "\n";
        }
        return text;
    };
    const Replay back = parsed(written(r));
    EXPECT_EQ(written(back), written(r));
    EXPECT_EQ(std::pair(back.event(0).x, back.event(0).y), std::pair(0.1f, 1234.5678f));
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

// Every drawing call folded into a digest, so that a known answer pins what the game draws too.
struct DrawDigest : DrawingSurface {
    template <typename... T>
    void fold(char kind, const T&... values) {
        std::string bytes(1, kind);
        (bytes.append(reinterpret_cast<const char*>(&values), sizeof values), ...);
        d = test::digest(bytes, d);
    }
    void resize(int w, int h) override { fold('r', w, h); }
    void clear() override { fold('c'); }
    void line(float x1, float y1, float x2, float y2, Rgb colour, int width) override {
        fold('l', x1, y1, x2, y2, colour, width);
    }
    void paintPicture(Picture p, float dx, float dy, float w, float h, float sx, float sy,
                      RasterOp op) override {
        fold('p', p, dx, dy, w, h, sx, sy, op);
    }
    void printText(float x, float y, const std::string& text, Rgb colour) override {
        fold('t', x, y, colour);
        d = test::digest(text, d);
    }
    void setPlayerPictures(Picture sprite, Picture matte) override { fold('s', sprite, matte); }
    std::uint64_t d = test::digest("");
};

// Known answers; a change made on purpose updates them.
TEST(ReplayRunner, SeededReplaysGiveTheirKnownReports) {
    std::string error;
    const std::optional<Replay> demo =
        loadReplay(BRIVANE_SOURCE_DIR "/examples/demo.replay", error);
    ASSERT_TRUE(demo) << error;
    const auto seed1 = [](const char* body) {
        return parsed(std::string("brivane-replay 1\nseed 1\n") + body);
    };
    // The replay, a pass limit (0: none), the summary, a digest of the reports and the drawing.
    const std::tuple<Replay, int, const char*, std::uint64_t> cases[] = {
        {*demo, 0, "passes=459 level=3 score=40 lives=5 highLevel=3 highScore=40",
         0x216F3C4CB147C476ULL},
        {parsed("brivane-replay 1\nseed 5\nuserspeed 2\nhighscore 70\ntimers recorded\n"
                "pass 1 16\nat 2 move 4000 3000\nat 3 move 4400 3000\nat 4 move 4400 3400\n"
                "at 5 move 4000 3400\nat 6 move 4000 3000\nat 10 timer tmrToggleBonds\n"
                "at 12 menu mnuFileJumpLevel 3\npass 40 33\nat 15 resize 11000 9000\n"
                "at 20 key 43\nat 21 key 45\nat 30 down 2\nat 31 menu mnuSettingsAutoSpeed\n"
                "at 35 timer tmrDoElectron\nat 200 timer tmrToggleBonds\nat 250 close\n"),
         0, "passes=250 level=1 score=0 lives=5 highLevel=1 highScore=70", 0x421B9053A7A0D516ULL},
        {parsed(madeUpReplay(1, 2000)), 0,
         "passes=2010 level=93 score=10140 lives=0 highLevel=100 highScore=10140",
         0xF8921F09731323C6ULL},
        {parsed(madeUpReplay(2, 2000)), 0,
         "passes=2011 level=75 score=0 lives=4 highLevel=100 highScore=440", 0x18E6069A80FB7187ULL},
        {parsed(madeUpReplay(3, 2000)), 0,
         "passes=2019 level=62 score=0 lives=5 highLevel=100 highScore=15925",
         0x00DDDBAA5FA31D3EULL},
        // Crowded: fifteen hundred balls bouncing off one another and the edges.
        {parsed("brivane-replay 1\nseed 6\nhighlevel 1500\nat 2 menu mnuFileJumpLevel 1500\n"
                "pass 40 16\n"),
         0, "passes=40 level=1500 score=0 lives=5 highLevel=1500 highScore=0",
         0x580012510A02EB5DULL},
        // The header, never the user's settings, sets the game up (the frame step is the user
        // speed plus an area factor of 1); a duration holds until changed; a menu line without
        // an answer cancels.
        {parsed("brivane-replay 1\nseed 3\nautospeed off\nuserspeed 9\nhighlevel 30\n"
                "highscore 5000\nplayfield 12000 8000\npass 3 100\npass 5 7\n"
                "at 2 menu mnuFileJumpLevel\nat 3 menu mnuFileJumpLevel 30\n"
                "at 4 menu mnuFileJumpLevel cancel\n"),
         6, "passes=6 level=30 score=0 lives=5 highLevel=30 highScore=5000", 0x5AACCB90C30CF83BULL},
        // Closed inside pass 4's yield, before that pass was measured.
        {seed1("pass 1 16\npass 4 40\nat 4 close\npass 50 16\n"), 0,
         "passes=4 level=1 score=0 lives=5 highLevel=1 highScore=0", 0xF3203971E13BF22FULL},
        // Paused with nothing left to resume it: only the pass it came in.
        {seed1("pass 50 16\nat 7 pause\n"), 0,
         "passes=7 level=1 score=0 lives=5 highLevel=1 highScore=0", 0x8EB70AC84829EA82ULL},
    };
    for (const auto& [replay, limit, summary, digest] : cases) {
        ReplayRunner runner(replay, limit);
        DrawDigest drawn;
        runner.platform().attachSurface(&drawn);
        runner.start();
        std::uint64_t d = test::digest("");
        for (const std::string& line : runOut(runner)) {
            d = test::digest(line + "\n", d);
        }
        d = test::digest(std::to_string(drawn.d), d);
        EXPECT_EQ(runner.summary(), summary);
        EXPECT_EQ(d, digest) << std::hex << d;
        const HeadlessPlatform& pf = runner.platform();
        // The menu shows the speed the game runs at, and a replay checks for no update.
        EXPECT_EQ(std::tuple(pf.menuChecked(MenuItem::mnuSettingsAutoSpeed),
                             pf.menuChecked(MenuItem::mnuSettingsUpdates), pf.sockState),
                  std::tuple(runner.game().autoSpeed, false, SocketState::closed));
    }
}

TEST(ReplayRecorder, HeaderCarriesTheHighScoresExactlyAsRead) {
    const std::tuple<std::optional<std::string>, int, double> cases[] = {
        {std::nullopt, 0, 0},
        {"highlvl:-32768\r\nhighscore:12.5\r\n", -32768, 12.5},
        {"highlvl:32767\r\nhighscore:-100\r\n", 32767, -100},
        {"highscore:1e300\r\n", 0, 1e300},
        {"highscore:9007199254740994\r\n", 0, 9007199254740994.0},
        {"highscore:0.1\r\n", 0, 0.1},
    };
    for (const auto& [file, level, score] : cases) {
        SCOPED_TRACE(file.value_or("(no file)"));
        HeadlessPlatform pf;
        pf.scoresFile = file;
        const Replay header = recordingHeader(pf, 5);
        ReplayRunner runner(parsed(headerText(header)), 1);
        GameState readBack(runner.platform());
        loadScores(readBack);
        EXPECT_EQ(
            std::tuple(header.highLevel, header.highScore, readBack.highLevel, readBack.highScore),
            std::tuple(level, score, level, score));
    }
}

// Inputs are written at their yields; a tick inside a menu's dialog came first, so it goes first.
TEST(ReplayRecorder, InputsAreWrittenAtTheYieldThatDeliveredThem) {
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
    std::ostringstream file;
    YieldCounter y;
    ReplayRecorder r(file, sink, g, y, Replay{});
    sink.recorder = &r;
    int pass = 0;
    const std::map<char, std::function<void()>> steps = {
        {'P', [&] { r.frameYieldStarting(++pass); }},
        {'F', [&y] { y.frameYieldBegins(); }},
        {'f', [&y] { y.frameYieldEnds(); }},
        {'N', [&y] { y.nestedYieldBegins(); }},
        {'n', [&y] { y.nestedYieldEnds(); }},
        {'k', [&r] { r.keyPress(43); }},
        {'r', [&r] { r.windowResized(12000, 9000); }},
        {'m', [&r] { r.menuChosen(MenuItem::mnuFileJumpLevel); }}};
    r.windowResized(10000, 100);  // below the minimum height: snapped
    for (const char step : std::string("PFkNknkNkfNknPFkfNNrkmP")) {
        steps.at(step)();
    }
    r.finish(3);
    // Snapped to the smallest window's; a duration written when it changes and for the last pass.
    const std::string text = file.str();
    EXPECT_EQ(
        text.substr(text.find("playfield")),
        "playfield 9730 6615\nautospeed on\nuserspeed 0\nhighlevel 0\nhighscore 0\n"
        "timers recorded\nat 1 key 43\nat 1.1 key 43\nat 1 key 43\nat 1.2 key 43\nat 2.1 key 43\n"
        "pass 1 0\nat 2 key 43\nat 3.2 resize 12000 9000\nat 3.2 key 43\n"
        "at 3.2 timer tmrDoElectron\nat 3.2 menu mnuFileJumpLevel 2\npass 3 0\n");
}

// A full disk, or one failing at the closing flush, is said once; the inputs still reach the game.
TEST(ReplayRecorder, AFileThatCannotTakeMoreIsSaidOnce) {
    struct Full : std::streambuf {
        int overflow(int) override { return EOF; }
    } full;
    struct FullAtFlush : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
        int sync() override { return -1; }
    } fullAtFlush;
    std::ostream file(&full), late(&fullAtFlush);
    test::Started h;
    YieldCounter yields;
    ReplayRecorder recorder(file, h.wired.events, h.g, yields, Replay{});
    ReplayRecorder closing(late, h.wired.events, h.g, yields, Replay{});
    int said = 0;
    recorder.onWriteFailed = closing.onWriteFailed = [&said] { ++said; };
    for (int pass = 1; pass <= 3; ++pass) {
        recorder.frameYieldStarting(pass);
        recorder.keyPress('+');
    }
    recorder.finish(3);
    EXPECT_EQ(std::pair(said, int{h.g.userSpeed}), std::pair(1, 3));
    closing.finish(0);
    EXPECT_EQ(said, 2);
}

TEST(VirtualClock, FiresDueTimersEarliestFirstAtTheirDueTimesWithoutBursts) {
    using T = TimerId;
    using Due = std::optional<std::uint64_t>;
    // From, timer started, up to, ticks until the handler stops (0 never); fired, timer, due, now.
    const std::tuple<int, std::optional<T>, int, int, const char*, T, Due, int> rows[] = {
        // clang-format off
        // Ties in the timers' order; 12 s passes two intervals: one tick each, due one past it.
        {0, {}, 12000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 tmrDoElectron@7000 ",
         T::tmrDoElectron, 14000, 7000},
        // Due exactly at the limit fires, until the handler asks to stop.
        {0, {}, 5000, 1, "tmrToggleBonds@5000 ", T::tmrLoopMusic, 5000, 5000},
        // Started at 1000, due at 1050; due again at 1100 counts as missed.
        {1000, T::tmrKillTails, 1099, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1100, 1050},
        {1000, T::tmrKillTails, 1100, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1150, 1050},
        // clang-format on
    };
    for (const auto& [start, enable, limit, stopAfter, fired, watch, due, now] : rows) {
        VirtualClock clock;
        clock.advanceTo(start);
        if (enable) {
            clock.setTimerEnabled(*enable, true);
        }
        std::string seen;
        int ticks = 0;
        clock.fireTimersUpTo(limit, [&, stop = stopAfter](TimerId t) {
            seen += std::string(timerName(t)) + "@" + std::to_string(clock.now()) + " ";
            return ++ticks != stop;
        });
        SCOPED_TRACE(std::to_string(start) + " to " + std::to_string(limit));
        EXPECT_EQ(std::tuple(seen, clock.timerDue(watch), clock.now()),
                  std::tuple(fired, due, static_cast<std::uint64_t>(now)));
    }
    VirtualClock clock;  // and it never goes back
    clock.advanceTo(50);
    clock.advanceTo(40);
    EXPECT_EQ(clock.now(), 50u);
}

// Sought anywhere from a scout's snapshots, a runner lands on a straight run's pass and plays on.
TEST(Snapshot, RestoredOrSoughtAnywherePlaysOnAsAStraightRun) {
    for (const std::uint32_t seed : {3u, 4u, 6u}) {
        SCOPED_TRACE(seed);
        const Replay replay = parsed(madeUpReplay(seed, 900));
        ReplayRunner straight(replay, 0), scout(replay, 0), viewer(replay, 0);
        straight.start();
        scout.start();
        viewer.start();
        const std::vector<std::string> lines = runOut(straight);
        const int end = static_cast<int>(lines.size());
        SnapshotIndex index(500);
        const std::atomic<bool> stop{false};
        index.fill(scout, stop);
        EXPECT_EQ(std::tuple(index.endPasses(), index.endMs()),
                  std::tuple(end, straight.platform().clock().now()));
        EXPECT_GT(index.count(), index.endMs() / 600);
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

// A run in the window, as the program wires it: the keeper between the platform and the game.
struct KeptRun {
    test::Harness h;
    ReplayKeeper keeper;
    std::vector<GameOver> overs;
    std::vector<int> endPasses;     // the pass each game ended in
    std::vector<std::string> live;  // the report after each pass of the run
    explicit KeptRun(std::uint32_t seed, std::optional<std::string> scores = {})
        : h(seed), keeper(h.pf, h.wired.events, h.g, h.pf.yields(), header(seed, scores)) {
        h.pf.setEventSink(&keeper);
        h.pf.onFrameYield = [this](int pass) { keeper.frameYieldStarting(pass); };
        h.pf.onDialogAnswer = [this](const std::string& a) { keeper.dialogAnswered(a); };
        h.pf.onGameOver = [this](const GameOver& over) {
            overs.push_back(over);
            endPasses.push_back(pass());
            keeper.gameOver(over);
        };
    }
    Replay header(std::uint32_t seed, const std::optional<std::string>& scores) {
        h.pf.scoresFile = scores;
        h.pf.settings[{"misc", "checkUpdates"}] = "False";
        h.g.commandText = "nomusic";
        return recordingHeader(h.pf, seed);
    }
    int pass() const { return h.pf.yields().pass(); }
    void at(ScriptedEvent e) { h.pf.postAt(YieldId{pass(), 0}, std::move(e)); }
    void run() {
        h.pf.setPassDuration(12 + pass() % 7);
        runPass(h.g);
        live.push_back(passReport(h.g, pass() - 1, h.pf.statusText, true));
    }
    // A wandering pointer that leaves a long tail and closes loops now and then.
    void wander() {
        const int p = pass();
        at(ScriptedEvent::move(1500.0f + static_cast<float>((p * 211) % 5500),
                               1200.0f + static_cast<float>((p * 157) % 4000)));
    }
    void wander(int passes) {
        for (int i = 0; i < passes; ++i) {
            wander();
            run();
        }
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

// Ended by the last life, New Game (in a yield with more moves) and closing, with pauses and jumps.
TEST(KeptReplays, EachGameOfARunReplaysOnItsOwnToItsOwnReport) {
    KeptRun r(4242, "highlvl:4\r\nhighscore:300\r\n");
    using E = ScriptedEvent;
    using M = MenuItem;
    // Each game's inputs by its own pass numbers, from the pass the game before ended in.
    // clang-format off
    const std::multimap<int, ScriptedEvent> inputs[] = {{},
        {{82, E::menuItem(M::mnuFilePause)}, {82, E::move(3000, 3000)}, {82, E::down(1)},
         {201, E::menuItem(M::mnuFileNewGame, "yes")}, {201, E::move(2000, 2500)},
         {201, E::key('+')}},
        {{20, E::key('+')}, {30, E::menuItem(M::mnuFileJumpLevel, "3")},
         {40, E::menuItem(M::mnuSettingsAutoSpeed)}, {50, E::menuItem(M::mnuFilePause)},
         {60, E::down(1)}, {70, E::windowInactive()}, {75, E::menuItem(M::mnuFileJumpLevel, "2")},
         {80, E::menuItem(M::mnuFilePause)}, {90, E::windowInactive()}, {90, E::down(1)},
         {150, E::closeWindow()}}};
    // clang-format on
    r.h.start();
    std::vector<int> firstPass;
    for (std::size_t game = 0; game < 3; ++game) {
        firstPass.push_back(game == 0 ? 1 : r.endPasses.at(game - 1));
        while (r.overs.size() == game && r.pass() < 3000) {
            game == 0 && r.pass() > 120 ? r.intoBall() : r.wander();
            const auto [from, to] = inputs[game].equal_range(r.pass() - firstPass[game] + 1);
            for (auto i = from; i != to; ++i) {
                r.at(i->second);
            }
            r.run();
        }
    }
    std::vector<GameEnding> how(r.overs.size());
    std::ranges::transform(r.overs, how.begin(), &GameOver::how);
    ASSERT_EQ(how,
              (std::vector{GameEnding::lastLife, GameEnding::newGame, GameEnding::programEnd}));
    EXPECT_EQ(r.h.g.level, 2);

    const std::vector<KeptReplay> kept = listKeptReplays(r.h.pf);
    ASSERT_EQ(kept.size(), 3u);
    // A pause and its end are written as such (the lines), never as the menu item or the click.
    const std::string& third = r.h.pf.replayFiles[kept[0].name];
    for (const char* line :
         {"\nat 50 pause\n", "\nat 60 resume\n", "\nat 70 pause\n", "\nat 80 resume\n",
          "\nat 90 pause\nat 90 resume\n", "mnuFilePause", " down 1"}) {
        EXPECT_EQ(third.find(line) == third.npos, *line != '\n') << line;
    }
    for (std::size_t game = 0; game < 3; ++game) {
        SCOPED_TRACE(game);
        // Newest first, and the facts are the game's own.
        const KeptReplay& k = kept[2 - game];
        const GameOver& over = r.overs[game];
        EXPECT_EQ(std::tuple(*k.facts.score, *k.facts.level, *k.facts.endedAt, *k.facts.msPlayed),
                  std::tuple(over.score, over.level, over.endedAt, over.msPlayed));
        EXPECT_TRUE(r.h.pf.replayFiles.count(k.picture));
        ReplayRunner runner(parsed(r.h.pf.replayFiles[k.name]), 0);
        runner.start();
        std::vector<std::string> own = runOut(runner), live = r.live;
        if (game > 0) {  // the first game's own pass numbers and identities agree too
            own = masked(own);
            live = masked(live);
        }
        // The pass a game ends in is the next game's too; its replay stops short of the rest.
        const auto ownPasses = static_cast<std::size_t>(r.endPasses[game] - firstPass[game]);
        ASSERT_GE(own.size(), ownPasses);
        EXPECT_EQ(
            std::vector(own.begin(), own.begin() + ownPasses),
            std::vector(live.begin() + firstPass[game] - 1, live.begin() + r.endPasses[game] - 1));
    }
}

// Older ones stay while the table holds their game; other files are neither listed nor deleted.
TEST(KeptReplays, TheTwentyNewestAndTheTablesGamesStay) {
    // The files, those in the table and those deleted, by age (0 the oldest).
    const std::tuple<int, std::vector<int>, std::vector<int>> cases[] = {
        {20, {}, {}}, {21, {}, {0}}, {21, {0}, {}}, {22, {0}, {1}}, {21, {20}, {0}}};
    for (const auto& [files, inTable, gone] : cases) {
        SCOPED_TRACE(files);
        SpyPlatform pf;
        std::vector<BestGame> table;
        for (int i = 0; i < files; ++i) {
            const std::int64_t ended = 1800000000 + i * 100;
            Replay kept;
            kept.facts = {ended, 10.0 + i, 3, 61000};
            // The oldest is a long game, whose body is never read to list it.
            pf.replayFiles[newReplayName(ended, {})] =
                headerText(kept) +
                (i > 0 ? "" : "pass 1 16\n" + std::string(10000, '\n') + "at 1 bogus\n");
            if (std::count(inTable.begin(), inTable.end(), i)) {
                table.push_back({"Ada", 10.0 + i, 3, ended, 61});
            }
        }
        rankBestGames(table);
        *pf.bestGamesFile = {StoredFile::State::read, bestGamesText(table)};
        // Not kept replays: a damaged head, none of the facts, a head past what is read.
        pf.replayFiles.insert(
            {{"notes.txt", "brivane-replay 1\n"},
             {"damaged.replay", "brivane-replay 1\nended \x01\n"},
             {"plain.replay", "brivane-replay 1\nseed 7\npass 1 16\n"},
             {"long.replay", "brivane-replay 1\n" + std::string(5000, '#') + "\n"}});

        const std::vector<KeptReplay> kept = listKeptReplays(pf);
        ASSERT_EQ(kept.size(), static_cast<std::size_t>(files));
        EXPECT_EQ(*kept.front().facts.endedAt, 1800000000 + (files - 1) * 100);
        std::vector<int> deleted;
        for (const KeptReplay* gone : replaysToDelete(kept)) {
            deleted.push_back(static_cast<int>((*gone->facts.endedAt - 1800000000) / 100));
        }
        std::sort(deleted.begin(), deleted.end());
        EXPECT_EQ(deleted, gone);
    }
}

// Kept, off or a full disk: the game, scores and table (named through the keeper) go on silently.
TEST(KeptReplays, AFolderThatTakesNothingLosesOnlyTheReplay) {
    // Writable, misc/keepReplays (nullptr for none stored), the files a game leaves.
    const std::tuple<bool, const char*, std::size_t> cases[] = {
        {true, nullptr, 2}, {true, "False", 0}, {false, nullptr, 0}};
    for (const auto& [writable, setting, files] : cases) {
        SCOPED_TRACE(testing::Message() << writable << " " << setting);
        KeptRun r(99);
        r.h.pf.replaysWritable = writable;
        if (setting != nullptr) {
            r.h.pf.settings[{"misc", "keepReplays"}] = setting;
        }
        r.h.start();
        r.wander(30);
        r.h.g.score = 1250;
        r.at(ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, "yes"));
        r.run();
        ASSERT_EQ(r.h.pf.bestGamesShown.size(), 1u);
        r.keeper.bestGameNamed("Ada");
        r.wander(30);
        EXPECT_EQ(std::tuple(r.overs.size(), r.h.g.level, r.h.pf.replayFiles.size()),
                  std::tuple(1u, 1, files));
        r.at(ScriptedEvent::menuItem(MenuItem::mnuFileExit));
        r.run();
        EXPECT_TRUE(r.h.pf.scoresFile.has_value());
        EXPECT_TRUE(std::ranges::none_of(
            r.h.pf.dialogs, [](const Dialog& d) { return d.text.find("eplay") != d.text.npos; }));
        EXPECT_EQ(r.h.pf.replayFiles.size(), files * 2);
        EXPECT_EQ(parseBestGames(r.h.pf.bestGamesFile->bytes).value().at(0).name, "Ada");
    }
}

}  // namespace
}  // namespace brivane
