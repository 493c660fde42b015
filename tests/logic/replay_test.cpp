// Replay files and the replay runner: strict parsing with the line at fault, reports that repeat
// byte for byte, the timer rules of the virtual clock, and recordings that replay exactly.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/events.h"
#include "core/game.h"
#include "platform/headless/replay_file.h"
#include "platform/headless/replay_recorder.h"
#include "platform/headless/replay_runner.h"
#include "platform/layout.h"

namespace brivane {
namespace {

Replay parsed(const std::string& text) {
    ReplayParse p = parseReplay(text);
    EXPECT_TRUE(p.replay.has_value()) << p.error.text();
    return p.replay ? *p.replay : Replay{};
}

std::vector<std::string> reportOf(const Replay& replay, int passes, bool particles) {
    ReplayRunner runner(replay, passes);
    runner.start();
    std::vector<std::string> lines;
    while (!runner.finished()) {
        runner.runOnePass();
        lines.push_back(runner.reportLine(particles));
    }
    return lines;
}

struct BadFile {
    const char* name;
    std::string text;
    int line;
    const char* says;
};

TEST(ReplayParse, MalformedFilesNameTheLine) {
    const std::string head = "brivane-replay 1\n# comment\n\n";
    const std::vector<BadFile> cases = {
        {"empty", "", 1, "empty file"},
        {"only blanks and comments", "\n# nothing\n  \n", 3, "empty file"},
        {"wrong magic", "hello 1\n", 1, "not a replay file"},
        {"version 2", "brivane-replay 2\n", 1, "unsupported replay version"},
        {"unknown keyword", head + "speed 4\n", 4, "unknown keyword 'speed'"},
        {"bad seed", head + "seed 12x\n", 4, "bad seed"},
        {"seed too large", head + "seed 4294967296\n", 4, "bad seed"},
        {"negative seed", head + "seed -1\n", 4, "bad seed"},
        {"seed twice", head + "seed 1\nseed 2\n", 5, "given twice"},
        {"userspeed above 50", head + "userspeed 51\n", 4, "bad userspeed"},
        {"autospeed word", head + "autospeed yes\n", 4, "bad autospeed"},
        {"playfield zero", head + "playfield 0 6615\n", 4, "bad playfield"},
        {"header after body", head + "pass 1 16\nseed 3\n", 5, "must come before"},
        {"pass out of order", head + "pass 5 16\npass 5 20\n", 5, "out of order"},
        {"pass zero", head + "pass 0 16\n", 4, "bad pass number"},
        {"bad duration", head + "pass 2 1.5\n", 4, "bad pass duration"},
        {"yield out of order", head + "at 3 key 43\nat 2 key 43\n", 5, "out of order"},
        {"main yield before nested", head + "at 3 key 43\nat 3.1 key 43\n", 5, "out of order"},
        {"bad yield", head + "at 3.0 key 43\n", 4, "bad yield"},
        {"unknown event", head + "at 3 jump 1\n", 4, "unknown event 'jump'"},
        {"unknown menu", head + "at 3 menu mnuFileSave\n", 4, "unknown menu item"},
        {"unknown timer", head + "timers recorded\nat 3 timer tmrNothing\n", 5, "unknown timer"},
        {"timer with clock", head + "at 3 timer tmrKillTails\n", 4, "timers recorded"},
        {"truncated move", head + "at 3 move 100\n", 4, "incomplete line"},
        {"truncated at", head + "at 3\n", 4, "incomplete line"},
        {"trailing word", head + "at 3 close now\n", 4, "unexpected 'now'"},
        {"bad button", head + "at 3 down 3\n", 4, "bad button"},
        {"position not a number", head + "at 3 move 1e9 5\n", 4, "bad pointer position"},
        {"binary garbage", head + std::string("\x7f\x45LF\x02\x01", 6) + "\n", 4, "not a text"},
        {"nul byte", head + std::string("seed 1\0", 7) + "\n", 4, "not a text"},
    };
    for (const BadFile& c : cases) {
        const ReplayParse p = parseReplay(c.text);
        EXPECT_FALSE(p.replay.has_value()) << c.name;
        EXPECT_EQ(p.error.line, c.line) << c.name << ": " << p.error.text();
        EXPECT_NE(p.error.text().find(c.says), std::string::npos)
            << c.name << ": " << p.error.text();
        EXPECT_EQ(p.error.text().rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << c.name;
    }
}

TEST(ReplayParse, DefaultsAndFullHeader) {
    const Replay d = parsed("brivane-replay 1\n");
    EXPECT_EQ(d.playfieldWidth, 8955);
    EXPECT_EQ(d.playfieldHeight, 6615);
    EXPECT_TRUE(d.autoSpeed);
    EXPECT_EQ(d.userSpeed, 0);
    EXPECT_FALSE(d.timersRecorded);
    EXPECT_EQ(d.lastPass(), 0);

    const Replay r = parsed(
        "brivane-replay 1\r\nseed 4294967295 # the largest\r\nplayfield 12000 9000\r\n"
        "autospeed off\r\nuserspeed 50\r\nhighlevel 30\r\nhighscore 123456\r\n"
        "timers recorded\r\npass 1 20\r\npass 7 33\r\nat 2.1 move 10.5 -3\r\n"
        "at 2 menu mnuFileJumpLevel  two words \r\nat 2 timer tmrKillTails\r\n"
        "at 9 resize 10000 8000\r\n");
    EXPECT_EQ(r.seed, 4294967295u);
    EXPECT_EQ(r.playfieldWidth, 12000);
    EXPECT_FALSE(r.autoSpeed);
    EXPECT_EQ(r.userSpeed, 50);
    EXPECT_EQ(r.highLevel, 30);
    EXPECT_EQ(r.highScore, 123456.0);
    EXPECT_TRUE(r.timersRecorded);
    ASSERT_EQ(r.inputs.size(), 4u);
    EXPECT_EQ(r.inputs[0].at, (YieldId{2, 1}));
    EXPECT_EQ(r.inputs[0].event.x, 10.5f);
    EXPECT_EQ(r.inputs[1].event.answer, "two words");
    EXPECT_EQ(r.inputs[2].event.timer, TimerId::tmrKillTails);
    EXPECT_EQ(r.lastPass(), 9);
}

TEST(ReplayParse, WrittenTextReadsBack) {
    Replay h;
    h.seed = 99;
    h.autoSpeed = false;
    h.userSpeed = 7;
    h.highLevel = 12;
    h.highScore = 4500;
    h.timersRecorded = true;
    std::string text = headerText(h);
    std::vector<ReplayEvent> events(7);
    events[0].kind = ReplayEvent::Kind::move;
    events[0].x = 0.1f;
    events[0].y = 1234.5678f;
    events[1].kind = ReplayEvent::Kind::down;
    events[1].value = 2;
    events[2].kind = ReplayEvent::Kind::key;
    events[2].value = '+';
    events[3].kind = ReplayEvent::Kind::menu;
    events[3].menu = MenuItem::mnuHelpHelp;
    events[3].answer = "cancel";
    events[4].kind = ReplayEvent::Kind::timer;
    events[4].timer = TimerId::tmrLoopMusic;
    events[5].kind = ReplayEvent::Kind::resize;
    events[5].value = 9300;
    events[5].value2 = 7900;
    events[6].kind = ReplayEvent::Kind::close;
    for (const ReplayEvent& e : events) {
        text += "at 3.2 " + eventText(e) + "\n";
    }
    const Replay r = parsed(text);
    EXPECT_EQ(headerText(r), headerText(h));
    ASSERT_EQ(r.inputs.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(eventText(r.inputs[i].event), eventText(events[i]));
    }
    EXPECT_EQ(r.inputs[0].event.y, 1234.5678f);
}

const char* const shortGame =
    "brivane-replay 1\nseed 7\n"
    "at 1 move 4000 3000\nat 2 move 4300 3000\nat 3 move 4600 3300\nat 3 key 43\n"
    "at 4 menu mnuSettingsAutoSpeed\nat 5 down 2\nat 6 resize 11000 9000\npass 240 20\n";

TEST(ReplayRunner, SameFileGivesIdenticalReports) {
    const Replay r = parsed(shortGame);
    const std::vector<std::string> a = reportOf(r, 0, true);
    const std::vector<std::string> b = reportOf(r, 0, true);
    ASSERT_EQ(a.size(), 240u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a.back().find("\"pass\":240,"), std::string::npos);
    EXPECT_NE(a.back().find("\"particles\":[{\"kind\":\"ball\""), std::string::npos);
}

TEST(ReplayRunner, HeaderSetsUpTheGameWithoutMusicOrUpdateCheck) {
    ReplayRunner runner(parsed("brivane-replay 1\nseed 3\nautospeed off\nuserspeed 9\n"
                               "highlevel 30\nhighscore 5000\nplayfield 12000 8000\n"),
                        5);
    runner.start();
    runner.runOnePass();
    const GameState& g = runner.game();
    EXPECT_EQ(g.highLevel, 30);
    EXPECT_EQ(g.highScore, 5000.0);
    EXPECT_EQ(g.userSpeed, 9);
    EXPECT_FALSE(runner.platform().menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_FALSE(runner.platform().menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_TRUE(runner.platform().musicStarted.empty());
    EXPECT_TRUE(runner.platform().sockConnects.empty());
    EXPECT_EQ(runner.platform().playfieldWidth(), 12000);
    EXPECT_EQ(frameStep(g), 10);  // userspeed plus an area factor of 1
}

TEST(ReplayRunner, MenuAnswerGoesToItsOwnDialogOnly) {
    ReplayRunner runner(parsed("brivane-replay 1\nseed 3\nhighlevel 30\n"
                               "at 2 menu mnuFileJumpLevel 30\nat 3 menu mnuFileJumpLevel\n"
                               "at 4 menu mnuFileJumpLevel cancel\n"),
                        4);
    runner.start();
    runner.runOnePass();
    runner.runOnePass();
    EXPECT_EQ(runner.game().level, 30);
    runner.runOnePass();
    runner.runOnePass();
    EXPECT_EQ(runner.game().level, 30);
    EXPECT_EQ(runner.platform().dialogs.size(), 3u);
}

TEST(ReplayRunner, PassDurationsHoldUntilTheNextChange) {
    ReplayRunner runner(parsed("brivane-replay 1\nseed 1\npass 3 100\npass 5 7\n"), 6);
    runner.start();
    const std::uint64_t expected[] = {16, 32, 132, 232, 239, 246};
    for (const std::uint64_t clock : expected) {
        runner.runOnePass();
        EXPECT_EQ(runner.platform().clock(), clock);
    }
    EXPECT_EQ(runner.game().frameTicks, 7);
}

TEST(ReplayRunner, ClockTimersFireWhenDueAndNotBefore) {
    // tmrToggleBonds runs from start-up with a 5000 ms interval: with 1000 ms passes it is
    // due exactly at the end of pass 5, and next at the end of pass 10.
    ReplayRunner runner(parsed("brivane-replay 1\nseed 1\nautospeed off\npass 1 1000\n"), 10);
    runner.start();
    const bool red[] = {false, false, false, false, true, true, true, true, true, false};
    for (int i = 0; i < 10; ++i) {
        runner.runOnePass();
        EXPECT_EQ(runner.game().bondsRed, red[i]) << "after pass " << i + 1;
    }
}

TEST(ReplayRunner, MissedTicksDoNotBurst) {
    // One 12 s pass passes two intervals of the toggle: it fires once, and is next due one
    // interval after the pass's end.
    ReplayRunner runner(parsed("brivane-replay 1\nseed 1\nautospeed off\npass 1 12000\n"), 1);
    runner.start();
    runner.runOnePass();
    EXPECT_TRUE(runner.game().bondsRed);
    EXPECT_EQ(runner.platform().timerDue(TimerId::tmrToggleBonds), 17000u);
}

TEST(ReplayRunner, RecordedTimersFireOnlyFromTheFile) {
    ReplayRunner runner(parsed("brivane-replay 1\nseed 1\ntimers recorded\npass 1 1000\n"
                               "at 7 timer tmrToggleBonds\n"),
                        8);
    runner.start();
    for (int i = 1; i <= 8; ++i) {
        runner.runOnePass();
        EXPECT_EQ(runner.game().bondsRed, i == 7 || i == 8) << "after pass " << i;
    }
}

TEST(ReplayRunner, EndsAtTheLastPassOrWhenTheGameEnds) {
    ReplayRunner closed(
        parsed("brivane-replay 1\nseed 1\npass 1 16\npass 4 40\nat 4 close\npass 50 16\n"), 0);
    closed.start();
    while (!closed.finished()) {
        closed.runOnePass();
    }
    EXPECT_EQ(closed.passesRun(), 4);
    // The recorded program stopped inside pass 4's yield, before that pass was measured.
    EXPECT_EQ(closed.game().frameTicks, 16);
    EXPECT_TRUE(closed.platform().scoresFile.has_value());  // saved in memory only

    ReplayRunner limited(parsed("brivane-replay 1\nseed 1\npass 50 16\n"), 12);
    limited.start();
    while (!limited.finished()) {
        limited.runOnePass();
    }
    EXPECT_EQ(limited.passesRun(), 12);
}

// A game played on the headless platform with clock timers, recorded, then replayed from the
// recording: the replay must pass through the same states.
TEST(ReplayRecorder, RecordingReplaysToTheSameReports) {
    HeadlessPlatform pf;
    pf.settings[{"misc", "checkUpdates"}] = "False";
    pf.scoresFile = "highlvl:4\r\nhighscore:300\r\n";
    GameState g(pf);
    g.fixedSeed = 1234;
    g.commandText = "nomusic";
    GameEvents events(g);
    std::ostringstream file;
    Replay header;
    header.seed = 1234;
    header.highLevel = 4;
    header.highScore = 300;
    ReplayRecorder recorder(
        file, events, g, [&pf] { return pf.currentYield(); }, header);
    pf.setEventSink(&recorder);
    pf.onFrameYield = [&recorder](int pass) { recorder.frameYieldStarting(pass); };
    for (int i = 0; i < 400; ++i) {
        const float x = 1000.0f + static_cast<float>((i * 37) % 6000);
        const float y = 800.0f + static_cast<float>((i * 53) % 4500);
        pf.postAt(YieldId{2 + i / 3, 0}, ScriptedEvent::move(x, y));
    }
    pf.postAt(YieldId{20, 0}, ScriptedEvent::key('+'));
    pf.onDialogAnswer = [&recorder](const std::string& a) { recorder.dialogAnswered(a); };
    pf.queueDialogAnswer("3");
    pf.postAt(YieldId{30, 0}, ScriptedEvent::menuItem(MenuItem::mnuFileJumpLevel));
    pf.postAt(YieldId{40, 0}, ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
    std::vector<std::string> live;
    startUp(g);
    for (int pass = 1; pass <= 700 && !g.ended && g.lives >= 0; ++pass) {
        pf.setPassDuration(10 + pass % 9);
        runPass(g);
        live.push_back(std::to_string(g.frameTicks) + " " + std::to_string(g.level) + " " +
                       std::to_string(g.score) + " " + std::to_string(g.lives) + " " +
                       std::to_string(g.ballCount) + " " + std::to_string(g.bondsRed) + " " +
                       std::to_string(g.tailCount) + " " + pf.statusText);
    }
    recorder.finish(pf.passNumber() - 1);
    EXPECT_EQ(g.level, 3);

    const ReplayParse p = parseReplay(file.str());
    ASSERT_TRUE(p.replay.has_value()) << p.error.text();
    EXPECT_TRUE(p.replay->timersRecorded);
    ReplayRunner runner(*p.replay, 0);
    runner.start();
    std::vector<std::string> replayed;
    while (!runner.finished()) {
        runner.runOnePass();
        const GameState& r = runner.game();
        replayed.push_back(std::to_string(r.frameTicks) + " " + std::to_string(r.level) + " " +
                           std::to_string(r.score) + " " + std::to_string(r.lives) + " " +
                           std::to_string(r.ballCount) + " " + std::to_string(r.bondsRed) + " " +
                           std::to_string(r.tailCount) + " " + runner.platform().statusText);
    }
    EXPECT_EQ(replayed, live);
}

}  // namespace
}  // namespace brivane

namespace brivane {
namespace {

struct NullSink : EventSink {
    void mouseMove(float, float) override {}
    void mouseDown(int) override {}
    void keyPress(int) override {}
    void menuChosen(MenuItem) override {}
    void timerTick(TimerId) override {}
    void windowClosing() override {}
    void soundDone(int) override {}
    void socketConnected() override {}
    void socketDataArrived(std::size_t) override {}
    void socketClosed() override {}
};

// A tick that fires while a menu item's dialog is open reached the game before the item
// changed anything, so the file must deliver it first.
TEST(ReplayRecorder, TicksDuringAMenuDialogAreWrittenBeforeTheItem) {
    struct DialogSink : NullSink {
        ReplayRecorder* recorder = nullptr;
        void menuChosen(MenuItem) override {
            recorder->timerTick(TimerId::tmrDoElectron);
            recorder->dialogAnswered("2");
        }
    } sink;
    HeadlessPlatform pf;
    GameState g(pf);
    std::ostringstream file;
    ReplayRecorder recorder(
        file, sink, g,
        [] {
            return YieldId{5, 0};
        },
        Replay{});
    sink.recorder = &recorder;
    recorder.frameYieldStarting(5);
    recorder.keyPress(43);
    recorder.menuChosen(MenuItem::mnuFileJumpLevel);
    const Replay r = parsed(file.str());
    ASSERT_EQ(r.inputs.size(), 3u);
    EXPECT_EQ(r.inputs[0].event.kind, ReplayEvent::Kind::key);
    EXPECT_EQ(r.inputs[1].event.kind, ReplayEvent::Kind::timer);
    EXPECT_EQ(r.inputs[2].event.kind, ReplayEvent::Kind::menu);
    EXPECT_EQ(r.inputs[2].event.answer, std::optional<std::string>("2"));
}

TEST(ReplayRecorder, ResizeBeforeTheFirstPassSetsTheHeaderAndLaterOnesAreEvents) {
    HeadlessPlatform pf;
    GameState g(pf);
    NullSink sink;
    std::ostringstream file;
    YieldId now{1, 0};
    ReplayRecorder recorder(
        file, sink, g, [&now] { return now; }, Replay{});
    recorder.windowResized(10000, 100);  // below the minimum height: snapped
    recorder.frameYieldStarting(1);
    now = YieldId{3, 2};
    recorder.windowResized(12000, 9000);
    now = YieldId{3, 1};  // a platform reporting an earlier yield cannot reorder the file
    recorder.keyPress(43);
    recorder.finish(3);
    const Replay r = parsed(file.str());
    EXPECT_EQ(r.playfieldWidth, 10000 - 270);
    EXPECT_EQ(r.playfieldHeight, minOuterHeight - 1185);
    ASSERT_EQ(r.inputs.size(), 2u);
    EXPECT_EQ(r.inputs[0].at, (YieldId{3, 2}));
    EXPECT_EQ(r.inputs[0].event.value, 12000);
    EXPECT_EQ(r.inputs[1].at, (YieldId{3, 2}));
    EXPECT_EQ(r.lastPass(), 3);
}

}  // namespace
}  // namespace brivane
