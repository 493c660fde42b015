// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window of the kept replays on a real folder: newest first with their pictures and facts,
// Watch, Delete after asking, Save As; refused files; and the Keep Replays setting kept.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "core/game.h"
#include "platform/qt/replay_library_window.h"
#include "platform/qt/replay_viewer.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

// The demo game, kept as having ended at `endedAt` with `score`.
QByteArray keptDemo(std::int64_t endedAt, double score) {
    QByteArray demo = test::readFile(QStringLiteral(BRIVANE_SOURCE_DIR "/examples/demo.replay"));
    ReplayFacts facts{endedAt, score, 3, 65000};
    return demo.replace("brivane-replay 1\n",
                        QByteArray("brivane-replay 1\n") + factsText(facts).c_str());
}

int replayWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        n += dynamic_cast<ReplayViewer*>(w) != nullptr && w->isVisible() ? 1 : 0;
    }
    return n;
}

// Clicks `button` of the question the next modal box asks, and keeps its text.
void answerNextBox(QMessageBox::StandardButton button, QString& text) {
    QTimer::singleShot(0, [button, &text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        box->button(button)->click();
    });
}

TEST(ReplayLibraryQt, ListsNewestFirstWatchesSavesAndDeletesAfterAsking) {
    test::QtGame<> game;
    const QString folder = game.pf.replaysFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < 3; ++i) {
        const QString stem = folder + QStringLiteral("/game%1").arg(i);
        test::writeFile(stem + ".replay", keptDemo(1800000000 + i * 60, 10 * (i + 1)));
        QImage picture(160, 120, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(stem + ".png"));
    }
    test::writeFile(folder + "/broken.replay", "brivane-replay 1\nended x\n");
    ReplayLibraryWindow w(game.pf, folder, nullptr);
    ASSERT_EQ(w.table()->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(w.table()->item(row, 2)->text(), QString::number(10 * (3 - row)));
        EXPECT_EQ(w.table()->item(row, 4)->text(), "1:05");
        EXPECT_FALSE(w.table()->item(row, 0)->icon().isNull());
    }

    w.table()->selectRow(1);
    w.watch();
    EXPECT_EQ(replayWindows(), 1);
    for (QWidget* v : QApplication::topLevelWidgets()) {
        if (dynamic_cast<ReplayViewer*>(v) != nullptr) {
            v->close();  // deletes itself
        }
    }

    const QString copy = game.dir.filePath("sent.replay");
    w.askSavePath = [&copy](const QString& suggested) {
        EXPECT_TRUE(suggested.endsWith("game1.replay"));
        return copy;
    };
    w.saveAs();
    EXPECT_EQ(test::readFile(copy), keptDemo(1800000060, 20));

    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        QString question;
        answerNextBox(button, question);
        w.askToDelete();
        EXPECT_EQ(question, "Delete this replay?");
        EXPECT_EQ(w.table()->rowCount(), button == QMessageBox::Yes ? 2 : 3);
    }
    EXPECT_FALSE(QFile::exists(folder + "/game1.replay"));
    EXPECT_FALSE(QFile::exists(folder + "/game1.png"));
    EXPECT_TRUE(QFile::exists(folder + "/broken.replay"));  // not ours to delete
}

// Open File... on a file that is not a replay says why, naming it, and opens nothing.
TEST(ReplayLibraryQt, OpenFileRefusesWhatIsNotAReplay) {
    test::QtGame<> game;
    ReplayLibraryWindow w(game.pf, game.pf.replaysFolder(), nullptr);
    const QString path = test::writeFile(game.dir.filePath("notes.replay"), "hello\n");
    w.askOpenPath = [&path] { return path; };
    QString said;
    answerNextBox(QMessageBox::Ok, said);
    w.openFile();
    EXPECT_TRUE(said.contains(path)) << said.toStdString();
    EXPECT_TRUE(said.contains("line 1")) << said.toStdString();
    EXPECT_EQ(replayWindows(), 0);
}

// Keep Replays is on at first, and once turned off stays off at the next start.
TEST(ReplayLibraryQt, KeepReplaysSettingRoundTrip) {
    QTemporaryDir dir;
    for (const bool expected : {true, false}) {
        QtPlatform pf(test::testOptions(dir));
        WiredGame<> wired(pf);
        wired.g.commandText = "nomusic";
        startUp(wired.g);
        EXPECT_EQ(pf.menuChecked(MenuItem::mnuSettingsKeepReplays), expected);
        EXPECT_EQ(keepReplaysOn(pf), expected);
        if (expected) {
            wired.events.menuChosen(MenuItem::mnuSettingsKeepReplays);
        }
    }
}

}  // namespace
}  // namespace brivane
