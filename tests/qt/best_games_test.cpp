// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games in the Qt home: the damaged file set aside, the window, and the way
// from a game's end through the window to the name in the file.
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "core/best_games.h"
#include "platform/qt/best_games_window.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::readFile;

TEST(BestGamesFileQt, ADamagedFileGoesAsideWithoutReplacingAnEarlierOne) {
    QTemporaryDir dir;
    QtPlatform pf(test::testOptions(dir));
    ASSERT_TRUE(pf.writeBestGamesFile("first"));  // makes the folder too
    const QString path = pf.services().bestGamesPath();
    EXPECT_EQ(path, QDir(dir.filePath("data")).filePath("best-games"));
    EXPECT_EQ(readFile(path), "first");
    ASSERT_TRUE(pf.setBestGamesFileAside());
    ASSERT_TRUE(pf.writeBestGamesFile("second"));
    ASSERT_TRUE(pf.setBestGamesFileAside());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(readFile(path + ".damaged"), "first");
    EXPECT_EQ(readFile(path + ".damaged-2"), "second");
    EXPECT_FALSE(pf.setBestGamesFileAside());  // nothing left to set aside
}

BestGamesView threeGames(int editRow) {
    return {{{"Grace", 9000, 12, 1800000000, 3725},
             {"<b>Ada</b>", 1250, 3, 1800000100, 75},
             {"Ken", 100, 1, 1800000200, 5}},
            editRow,
            "Linus"};
}

// The name comes selected, to be typed over; text beyond the 16-bit range comes one character a
// key press, as an input method hands it over, and thirty-two characters fit.
TEST(BestGamesWindowQt, TheNewGamesRowTakesItsNameEnterOrOkKeepItAndEscapeGivesNone) {
    const QString dragon = QString::fromUtf8("🐉");
    enum class Answer { typeAndEnter, ok, escape, lookOnly };
    for (const Answer answer :
         {Answer::typeAndEnter, Answer::ok, Answer::escape, Answer::lookOnly}) {
        SCOPED_TRACE(static_cast<int>(answer));
        const int editRow = answer == Answer::lookOnly ? -1 : 1;
        BestGamesWindow w(threeGames(editRow), nullptr);
        std::vector<std::string> named;
        w.onNamed = [&named](const std::string& name) { named.push_back(name); };
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTableWidget* table = w.table();
        ASSERT_EQ(table->rowCount(), 3);
        EXPECT_EQ(table->item(0, 1)->text(), "Grace");
        EXPECT_EQ(table->item(2, 2)->text(), "100");
        EXPECT_EQ(table->item(0, 5)->text(), "1:02:05");
        EXPECT_EQ(table->item(1, 5)->text(), "1:15");
        const QColor highlight = w.palette().color(QPalette::Highlight);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(table->item(row, 2)->background().color() == highlight, row == editRow);
            EXPECT_EQ(table->cellWidget(row, 1) != nullptr, row == editRow) << row;
        }
        QLineEdit* edit = w.nameEdit();
        ASSERT_EQ(edit != nullptr, editRow >= 0);
        if (edit != nullptr) {
            EXPECT_EQ(edit->text(), "Linus");
            EXPECT_EQ(edit->selectedText(), "Linus");
            EXPECT_TRUE(edit->hasFocus());
        }
        switch (answer) {
            case Answer::typeAndEnter:
                for (int i = 0; i < 40; ++i) {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, dragon);
                    QApplication::sendEvent(edit, &press);
                }
                EXPECT_EQ(edit->text().toUcs4().size(), 32);
                QTest::keyClick(edit, Qt::Key_Return);
                break;
            case Answer::ok:
            case Answer::lookOnly:
                w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                break;
            case Answer::escape:
                QTest::keyClick(&w, Qt::Key_Escape);
                break;
        }
        EXPECT_EQ(w.result(), answer == Answer::escape ? QDialog::Rejected : QDialog::Accepted);
        const std::vector<std::string> expected =
            answer == Answer::typeAndEnter ? std::vector{dragon.repeated(32).toStdString()}
            : answer == Answer::ok         ? std::vector<std::string>{"Linus"}
                                           : std::vector<std::string>{};
        EXPECT_EQ(named, expected);
    }
}

TEST(BestGamesWindowQt, ClearAsksFirstAndNoKeepsTheTable) {
    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(button == QMessageBox::Yes ? "yes" : "no");
        BestGamesWindow w(threeGames(0), nullptr);
        int cleared = 0;
        w.onCleared = [&cleared] { ++cleared; };
        w.show();
        QString question;
        test::answerNextBox(button, question);
        w.clearButton()->click();
        EXPECT_EQ(question, "Clear the table of best games?");
        const bool yes = button == QMessageBox::Yes;
        EXPECT_EQ(cleared, yes ? 1 : 0);
        EXPECT_EQ(w.table()->rowCount(), yes ? 0 : 3);
        EXPECT_EQ(w.clearButton()->isEnabled(), !yes);
        EXPECT_EQ(w.nameEdit() == nullptr, yes);
    }
}

// Two games on one data folder end in turn; the second's window names its own game, not the first.
TEST(BestGamesWindowQt, AGameEndsTheWindowOpensAndTheNameReachesTheFile) {
    QTemporaryDir shared;
    test::QtGame<> first;
    test::QtGame<> second;
    for (test::QtGame<>* game : {&first, &second}) {
        game->pf.services().setUserDataFolder(shared.path());
        game->pf.loadWindow();
        game->pf.saveSetting("misc", "playerName", "Ada");
    }
    first.g.score = 2000;
    first.g.level = 2;
    gameEnded(first.g, GameEnding::programEnd);
    second.g.score = 1250;
    second.g.level = 4;
    gameEnded(second.g, GameEnding::lastLife);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // not from inside the game's routine
    bool answered = false;
    test::onNextModal<BestGamesWindow>([&](BestGamesWindow* w) {
        EXPECT_EQ(w->nameEdit()->text(), "Ada");
        EXPECT_EQ(w->table()->cellWidget(1, 1), w->nameEdit());
        QTest::keyClicks(w->nameEdit(), "Grace");
        QTest::keyClick(w->nameEdit(), Qt::Key_Return);
        answered = true;
    });
    second.pf.processEvents();
    ASSERT_TRUE(answered);
    const auto table =
        parseBestGames(readFile(QDir(shared.path()).filePath("best-games")).toStdString());
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 2u);
    EXPECT_EQ((*table)[0].name, "Ada");
    EXPECT_EQ((*table)[1].name, "Grace");
    EXPECT_EQ((*table)[1].level, 4);
}

}  // namespace
}  // namespace brivane
