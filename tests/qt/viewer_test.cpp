// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay viewer: its keys and seek bar, the end of a replay, and files it refuses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <string>

#include "platform/qt/replay_viewer.h"
#include "platform/render/playfield_image.h"
#include "qt_test_support.h"
#include "replay/replay_runner.h"

namespace brivane {
namespace {

Replay demo() {
    std::string error;
    std::optional<Replay> replay = loadReplay(BRIVANE_SOURCE_DIR "/examples/demo.replay", error);
    EXPECT_TRUE(replay.has_value()) << error;
    return replay.value_or(Replay{});
}

// What the replay shows after `passes` passes, played straight from the start.
QImage playedTo(const Replay& replay, int passes, qreal ratio) {
    ReplayRunner runner(replay, 0);
    PlayfieldImage image(ratio);
    runner.start();
    while (runner.passesRun() < passes - 1) {
        runner.runOnePass();
    }
    runner.platform().attachSurface(&image);
    runner.runOnePass();
    runner.platform().attachSurface(nullptr);
    return image.image();
}

TEST(Viewer, KeysAndSeekBar) {
    const Replay replay = demo();
    ReplayViewer viewer(replay, QStringLiteral("demo.replay"));
    viewer.show();
    const struct {
        Qt::Key key;
        int count;
        bool playing;
        double speed;
        int passes;  // -1: wherever play got to
    } steps[] = {
        {Qt::Key_Space, 1, false, 1, -1},         {Qt::Key_Home, 1, false, 1, 0},
        {Qt::Key_Period, 3, false, 1, 3},         {Qt::Key_BracketLeft, 1, false, 0.5, 3},
        {Qt::Key_BracketLeft, 3, false, 0.25, 3}, {Qt::Key_BracketRight, 8, false, 8, 3},
        {Qt::Key_BracketRight, 1, false, 8, 3},   {Qt::Key_End, 1, false, 8, 459},
        {Qt::Key_Period, 1, false, 8, 459},       {Qt::Key_Home, 1, false, 8, 0},
        {Qt::Key_Space, 1, true, 8, -1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(QKeySequence(s.key).toString().toStdString());
        for (int i = 0; i < s.count; ++i) {
            QTest::keyClick(&viewer, s.key);
        }
        EXPECT_EQ(viewer.playing(), s.playing);
        EXPECT_EQ(viewer.speed(), s.speed);
        if (s.passes >= 0) {
            EXPECT_EQ(viewer.passesRun(), s.passes);
            EXPECT_EQ(viewer.seekBar()->value(), s.passes);
        }
    }
    // At 8x the demo's seven seconds take under one; a loaded or sanitized build may need more.
    QTRY_VERIFY_WITH_TIMEOUT(viewer.ended(), 30000);
    EXPECT_EQ(viewer.seekBar()->maximum(), 459);

    // The bar jumps anywhere, backwards and forwards, to the very picture of a straight run.
    QSlider* bar = viewer.seekBar();
    for (const int target : {300, 120, 121, 458}) {
        bar->setValue(target);
        EXPECT_EQ(viewer.passesRun(), target);
        EXPECT_EQ(viewer.picture(), playedTo(replay, target, viewer.picture().devicePixelRatio()))
            << "pass " << target;
    }
    // A click on the groove jumps to where it was made.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
    EXPECT_NEAR(viewer.passesRun(), 459 / 4, 459 / 10);
}

// The end says so, with Watch Again and Close; nothing of the player's is written on the way,
// though the replayed game ended at New Game and by closing its window.
TEST(Viewer, EndsWithWatchAgainAndCloseAndWritesNothing) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    Replay replay = demo();
    replay.add({440, 0}, ReplayEvent{ReplayEvent::Kind::menu, 0, 0, 0, 0, MenuItem::mnuFileNewGame,
                                     TimerId::tmrClearText, "yes"});
    ReplayEvent close;
    close.kind = ReplayEvent::Kind::close;
    replay.add({450, 0}, close);
    QPointer<ReplayViewer> viewer = new ReplayViewer(replay, QStringLiteral("demo.replay"));
    viewer->show();
    QTest::keyClick(viewer, Qt::Key_End);
    ASSERT_TRUE(viewer->ended());
    EXPECT_EQ(viewer->passesRun(), 450);
    EXPECT_TRUE(viewer->endPanel()->isVisible());
    EXPECT_EQ(viewer->endPanel()->findChild<QLabel*>()->text(), "Replay ends");
    viewer->endPanel()->findChild<QPushButton*>("cmdWatchAgain")->click();
    EXPECT_FALSE(viewer->ended());
    EXPECT_TRUE(viewer->playing());
    EXPECT_LT(viewer->passesRun(), 5);
    EXPECT_FALSE(viewer->endPanel()->isVisible());
    QTest::keyClick(viewer, Qt::Key_End);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->endPanel()->findChild<QPushButton*>("cmdClose")->click();
    QTRY_VERIFY(viewer.isNull());
    // The sound system may keep its own files there; none of the game's.
    for (const char* folder : {"config/brivane", "data/brivane"}) {
        EXPECT_FALSE(QFileInfo::exists(home.filePath(folder))) << folder;
    }
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}

// Each is refused in a message box that names the file, the line and the reason; no viewer
// opens and the caller's window goes on.
TEST(Viewer, RefusesFilesItCannotShow) {
    QTemporaryDir dir;
    const QString huge = dir.filePath("huge.replay");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(129LL * 1024 * 1024));  // sparse: costs no disk
    }
    const struct {
        const char* name;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"newer.replay", "brivane-replay 2\nseed 1\n",
         "line 1: unsupported replay version '2', this program reads version 1"},
        {"damaged.replay", "brivane-replay 1\nseed 1\nat 5 move 10\n", "line 3: incomplete line"},
        {"picture.replay", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "line 1: not a"},
        {"huge.replay", {}, "too large for a replay file"},
    };
    QWidget caller;
    caller.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            c.bytes.isEmpty() ? huge : test::writeFile(dir.filePath(c.name), c.bytes);
        QString said;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            said = box->text();
            box->close();
        });
        openReplayViewer(path, &caller);
        EXPECT_TRUE(said.contains(path)) << said.toStdString();
        EXPECT_TRUE(said.contains(QString::fromLatin1(c.says))) << said.toStdString();
        EXPECT_TRUE(caller.findChildren<ReplayViewer*>().isEmpty());
        EXPECT_TRUE(caller.isEnabled());
    }
}

}  // namespace
}  // namespace brivane
