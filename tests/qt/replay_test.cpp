// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The headless replay command: its summary, report, screenshots and exit status.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <sstream>
#include <string>

#include "platform/qt/frm_main.h"
#include "platform/qt/replay_cli.h"
#include "platform/qt/replay_viewer.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::readFile;
using test::writeFile;

std::ostringstream quiet;

// Moves, a key, menu choices, a click and a resize (after the last screenshot, so that both keep
// the first size).
TEST(HeadlessReplay, ReportsAndScreenshotsRepeatExactly) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath = writeFile(
        dir.filePath("g.replay"),
        "brivane-replay 1\nseed 11\nat 1 move 4000 3000\nat 3 move 4600 3300\nat 3 key 43\n"
        "at 4 menu mnuSettingsAutoSpeed\nat 5 menu mnuFileJumpLevel 1\nat 6 down 2\n"
        "at 70 resize 11000 9000\npass 90 16\n");
    options.reportParticles = true;
    for (const QString& run : QStringList{"a", "b"}) {
        options.reportPath = dir.filePath(run + ".jsonl");
        options.screenshots = {{1, dir.filePath(run + "1.png")},
                               {60, dir.filePath(run + "60.png")}};
        std::ostringstream summary;
        EXPECT_EQ(runHeadlessReplay(options, summary), 0);
        EXPECT_EQ(summary.str(), "passes=90 level=1 score=0 lives=5 highLevel=1 highScore=0\n");
    }
    const QByteArray report = readFile(dir.filePath("a.jsonl"));
    EXPECT_EQ(report.count('\n'), 90);
    EXPECT_TRUE(report.contains("\"particles\":[{\"kind\":\"ball\""));
    EXPECT_EQ(report, readFile(dir.filePath("b.jsonl")));
    for (const char* shot : {"1.png", "60.png"}) {
        const QImage a(dir.filePath(QString("a") + shot));
        EXPECT_EQ(a.size(), QSize(597, 441)) << shot;
        EXPECT_EQ(a, QImage(dir.filePath(QString("b") + shot))) << shot;
    }
    // Different passes show different scenes: the screenshots are not of a blank playfield.
    EXPECT_NE(QImage(dir.filePath("a1.png")), QImage(dir.filePath("a60.png")));
}

TEST(HeadlessReplay, MalformedOrMissingFileExitsTwoAndWritesNothing) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath = writeFile(dir.filePath("bad.replay"), "brivane-replay 1\nat 2 fly\n");
    options.reportPath = dir.filePath("r.jsonl");
    options.screenshots = {{1, dir.filePath("s.png")}};
    EXPECT_EQ(runHeadlessReplay(options, quiet), 2);
    options.replayPath = dir.filePath("missing.replay");
    EXPECT_EQ(runHeadlessReplay(options, quiet), 2);
    // A device that never ends is refused at the size limit, not read without bound.
    options.replayPath = "/dev/zero";
    EXPECT_EQ(runHeadlessReplay(options, quiet), 2);
    EXPECT_FALSE(QFileInfo::exists(options.reportPath));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("s.png")));
}

TEST(HeadlessReplay, ScreenshotRequests) {
    const struct {
        const char* text;
        int pass;  // -1: refused
    } cases[] = {{"12:out.png", 12}, {"1:a:b.png", 1}, {"0:out.png", -1},
                 {"x:out.png", -1},  {"12:", -1},      {"out.png", -1}};
    for (const auto& c : cases) {
        const auto r = parseScreenshotRequest(c.text);
        EXPECT_EQ(r ? r->pass : -1, c.pass) << c.text;
    }
}

// The replay viewer hands the display only what changed in each pass, as the game's window does,
// yet shows every pass's whole picture: through loops and their fans and a resize.
TEST(ReplayViewer, ShowsEveryPassWhole) {
    std::string text = "brivane-replay 1\nseed 5\n";
    for (int pass = 1; pass <= 120; ++pass) {
        const double a = pass * 0.45;
        text += "at " + std::to_string(pass) + " move " +
                std::to_string(4000 + static_cast<int>(1200 * std::cos(a)) + pass * 5) + " " +
                std::to_string(3000 + static_cast<int>(1200 * std::sin(a))) + "\n";
        text += pass == 80 ? "at 80 resize 11000 9000\n" : "";
    }
    text += "pass 120 16\n";
    const ReplayParse parsed = parseReplay(text);
    ASSERT_TRUE(parsed.replay.has_value());
    ReplayViewer window(*parsed.replay, QStringLiteral("loops.replay"));
    window.show();
    int checked = 0;
    int stale = 0;
    QSize first;
    for (int last = 0; window.passesRun() < 120;) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Before the window is first exposed there is nothing on the screen to compare.
        if (window.passesRun() == last || !window.windowHandle()->isExposed()) {
            continue;
        }
        last = window.passesRun();
        first = first.isValid() ? first : window.picture().size();
        stale += test::screenShows(&window, window.playfield(), window.picture()) ? 0 : 1;
        ++checked;
    }
    EXPECT_GT(checked, 100);
    EXPECT_EQ(stale, 0);
    EXPECT_NE(window.picture().size(), first);  // the resize reached the picture
}

}  // namespace
}  // namespace brivane
