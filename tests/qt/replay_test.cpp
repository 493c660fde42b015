// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Replays in the Qt home: the headless replay command, the viewer, and the window of kept replays.
#include <QFileInfo>
#include <sstream>
#include <string>

#include "platform/qt/replay_cli.h"
#include "platform/qt/replay_library_window.h"
#include "platform/qt/replay_viewer.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::readFile;
using test::writeFile;

const QString demoPath = QStringLiteral(BRIVANE_SOURCE_DIR "/examples/demo.replay");

// Moves, a key, menus, a click and a resize (after the last screenshot: both keep the first size).
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
    EXPECT_NE(QImage(dir.filePath("a1.png")), QImage(dir.filePath("a60.png")));
}

// A screenshot names a pass from 1 on, then the file.
TEST(HeadlessReplay, MalformedOrMissingFileOrScreenshotRequestExitsTwoAndWritesNothing) {
    const std::pair<const char*, int> requests[] = {
        // the request, the pass it names (-1: refused)
        {"12:out.png", 12}, {"1:a:b.png", 1}, {"0:out.png", -1},
        {"x:out.png", -1},  {"12:", -1},      {"out.png", -1},
    };
    for (const auto& [text, pass] : requests) {
        const auto r = parseScreenshotRequest(text);
        EXPECT_EQ(r ? r->pass : -1, pass) << text;
    }
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.reportPath = dir.filePath("r.jsonl");
    options.screenshots = {{1, dir.filePath("s.png")}};
    std::ostringstream quiet;
    for (const QString& path :
         {writeFile(dir.filePath("bad.replay"), "brivane-replay 1\nat 2 fly\n"),
          dir.filePath("missing.replay")}) {
        options.replayPath = path;
        EXPECT_EQ(runHeadlessReplay(options, quiet), 2) << path.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(options.reportPath));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("s.png")));
}

// Speeds from a quarter to eight; the bar jumps to its pass, and the picture follows it.
TEST(Viewer, KeysPlayAndSeekBar) {
    std::string error;
    Replay replay = loadReplay(demoPath.toStdString(), error).value_or(Replay{});
    ASSERT_TRUE(error.empty()) << error;
    replay.add({80, 0},
               {.kind = ReplayEvent::Kind::resize, .value = 11000, .value2 = 9000, .answer = {}});
    std::stable_sort(replay.inputs.begin(), replay.inputs.end(),
                     [](const ReplayInput& a, const ReplayInput& b) { return a.at < b.at; });
    ReplayViewer viewer(replay, QStringLiteral("demo.replay"));
    viewer.show();
    const std::tuple<Qt::Key, int, bool, double, int> steps[] = {
        // the key, how often; playing, the speed and the pass then (-1: wherever play got to)
        {Qt::Key_Space, 1, false, 1, -1},       {Qt::Key_Home, 1, false, 1, 0},
        {Qt::Key_Period, 3, false, 1, 3},       {Qt::Key_BracketLeft, 4, false, 0.25, 3},
        {Qt::Key_BracketRight, 9, false, 8, 3}, {Qt::Key_End, 1, false, 8, 459},
        {Qt::Key_Period, 1, false, 8, 459},     {Qt::Key_Home, 1, false, 8, 0},
        {Qt::Key_Space, 1, true, 8, -1},
    };
    for (const auto& [key, count, playing, speed, passes] : steps) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(&viewer, key);
        }
        EXPECT_EQ(viewer.playing(), playing);
        EXPECT_EQ(viewer.speed(), speed);
        if (passes >= 0) {
            EXPECT_EQ(viewer.passesRun(), passes);
            EXPECT_EQ(viewer.seekBar()->value(), passes);
        }
    }
    const QSize first = viewer.picture().size();
    while (!viewer.ended()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_NE(viewer.picture().size(), first);  // the resize reached the picture
    EXPECT_EQ(viewer.seekBar()->maximum(), 459);
    QSlider* bar = viewer.seekBar();
    for (const int target : {300, 120, 458}) {
        const QImage before = viewer.picture();
        bar->setValue(target);
        EXPECT_EQ(viewer.passesRun(), target);
        EXPECT_NE(viewer.picture(), before) << "pass " << target;
    }
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
    EXPECT_NEAR(viewer.passesRun(), 459 / 4, 459 / 10);
    // At the end the panel offers the replay again, from the start and playing, or a close.
    QTest::keyClick(&viewer, Qt::Key_End);
    ASSERT_TRUE(viewer.ended() && viewer.endPanel()->isVisible());
    viewer.endPanel()->findChild<QPushButton*>("cmdWatchAgain")->click();
    EXPECT_TRUE(!viewer.ended() && viewer.playing() && viewer.passesRun() < 5 &&
                !viewer.endPanel()->isVisible());
    QTest::keyClick(&viewer, Qt::Key_End);
    viewer.endPanel()->findChild<QPushButton*>("cmdClose")->click();
    EXPECT_FALSE(viewer.isVisible());
}

// How many viewers were open; each closes (and so deletes itself).
int closeViewers() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (dynamic_cast<ReplayViewer*>(w) != nullptr && w->isVisible()) {
            w->close();
            ++n;
        }
    }
    return n;
}

// Newest first; a viewer to watch, a question before deleting, a refusal for a damaged file.
TEST(ReplayLibraryQt, ListsNewestFirstWatchesDeletesAfterAskingAndRefusesWhatItCannotShow) {
    test::QtGame<> game;
    const QString folder = game.pf.replaysFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int i = 0; i < 3; ++i) {
        const QString stem = folder + QStringLiteral("/game%1").arg(i);
        const ReplayFacts facts{1800000000 + i * 60, 10.0 * (i + 1), 3, 65000};  // 1:05 played
        writeFile(stem + ".replay",
                  readFile(demoPath).replace("seed 7\n", factsText(facts) + "seed 7\n"));
        ASSERT_TRUE(picture.save(stem + ".png"));
    }
    ReplayLibraryWindow w(game.pf, folder, nullptr);
    ASSERT_EQ(w.table()->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(w.table()->item(row, 2)->text(), QString::number(10 * (3 - row)));
        EXPECT_EQ(w.table()->item(row, 4)->text(), "1:05");
        EXPECT_FALSE(w.table()->item(row, 0)->icon().isNull());
    }
    w.table()->selectRow(1);
    w.watch();
    EXPECT_EQ(closeViewers(), 1);
    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        QString question;
        test::answerNextBox(button, question);
        w.askToDelete();
        EXPECT_EQ(question, "Delete this replay?");
        EXPECT_EQ(w.table()->rowCount(), button == QMessageBox::Yes ? 2 : 3);
    }
    EXPECT_FALSE(QFile::exists(folder + "/game1.replay") || QFile::exists(folder + "/game1.png"));
    // A file it cannot show is refused in a box naming the file, the line and the reason.
    const QString path =
        writeFile(game.dir.filePath("damaged.replay"), "brivane-replay 1\nseed 1\nat 5 move 10\n");
    w.askOpenPath = [&path] { return path; };
    QString said;
    test::answerNextBox(QMessageBox::Ok, said);
    w.openFile();
    EXPECT_TRUE(said.contains(path) && said.contains("line 3: incomplete line"))
        << said.toStdString();
    EXPECT_EQ(closeViewers(), 0);
    EXPECT_TRUE(w.isEnabled());
}

}  // namespace
}  // namespace brivane
