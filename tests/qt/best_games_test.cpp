// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games in the Qt home: its window, and a game's end reaching the real file.
#include <QDialogButtonBox>
#include <QKeyEvent>

#include "core/best_games.h"
#include "platform/qt/best_games_window.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

BestGamesView threeGames(int editRow) {
    return {{{"Grace", 9000, 12, 1800000000, 3725},
             {"<b>Ada</b>", 1250, 3, 1800000100, 75},
             {"Ken", 100, 1, 1800000200, 5}},
            editRow,
            "Linus"};
}

// Text beyond the 16-bit range comes one character a key press, as an input method hands it.
TEST(BestGamesWindowQt, TheNewGamesRowTakesItsNameEnterOrOkKeepItAndEscapeGivesNone) {
    using Answer = std::function<void(BestGamesWindow&)>;
    const QString dragon = QString::fromUtf8("🐉");
    const Answer ok = [](BestGamesWindow& w) {
        w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    const Answer typeAndEnter = [&dragon](BestGamesWindow& w) {
        for (int i = 0; i < 40; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, dragon);
            QApplication::sendEvent(w.nameEdit(), &press);
        }
        QTest::keyClick(w.nameEdit(), Qt::Key_Return);
    };
    const Answer escape = [](BestGamesWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); };
    const std::tuple<int, Answer, bool, std::vector<std::string>> cases[] = {
        // the row being named, the answer; accepted, the names handed on
        {1, typeAndEnter, true, {dragon.repeated(32).toStdString()}},
        {1, ok, true, {"Linus"}},
        {1, escape, false, {}},
        {-1, ok, true, {}},
    };
    for (const auto& [editRow, answer, accepted, names] : cases) {
        SCOPED_TRACE(testing::Message() << editRow << " " << names.size() << " " << accepted);
        BestGamesWindow w(threeGames(editRow), nullptr);
        std::vector<std::string> named;
        w.onNamed = [&named](const std::string& name) { named.push_back(name); };
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTableWidget* table = w.table();
        ASSERT_EQ(table->rowCount(), 3);
        EXPECT_EQ(table->item(0, 5)->text(), "1:02:05");
        EXPECT_EQ(table->item(1, 5)->text(), "1:15");
        const QColor highlight = w.palette().color(QPalette::Highlight);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(table->item(row, 2)->background().color() == highlight, row == editRow);
            EXPECT_EQ(table->cellWidget(row, 1) != nullptr, row == editRow) << row;
        }
        ASSERT_EQ(w.nameEdit() != nullptr, editRow >= 0);
        // The name offered is selected, to be typed over.
        EXPECT_TRUE(editRow < 0 ||
                    (w.nameEdit()->selectedText() == "Linus" && w.nameEdit()->hasFocus()));
        answer(w);
        EXPECT_EQ(w.result(), accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(named, names);
    }
}

TEST(BestGamesWindowQt, ClearAsksFirstAndNoKeepsTheTable) {
    for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(button == QMessageBox::Yes ? "yes" : "no");
        BestGamesWindow w(threeGames(0), nullptr);
        int cleared = 0;
        w.onCleared = [&cleared] { ++cleared; };
        w.show();
        QString question;  // a box must open to be answered
        test::answerNextBox(button, question);
        w.clearButton()->click();
        const bool yes = button == QMessageBox::Yes;
        EXPECT_EQ(cleared, yes ? 1 : 0);
        EXPECT_EQ(w.table()->rowCount(), yes ? 0 : 3);
        EXPECT_EQ(w.clearButton()->isEnabled(), !yes);
    }
}

// Not from inside the game's routine; a damaged file goes aside without replacing an earlier one.
TEST(BestGamesWindowQt, AGameEndsTheWindowOpensAndTheNameReachesTheFile) {
    test::QtGame<> game;
    game.pf.loadWindow();
    game.pf.saveSetting("misc", "playerName", "Ada");
    const QString path = QDir(game.dir.filePath("data")).filePath("best-games");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    test::writeFile(path, "damaged");
    test::writeFile(path + ".damaged", "older");
    game.g.score = 1250;
    game.g.level = 4;
    gameEnded(game.g, GameEnding::lastLife);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    bool answered = false;
    test::onNextModal<BestGamesWindow>([&](BestGamesWindow* w) {
        EXPECT_EQ(w->nameEdit()->text(), "Ada");
        QTest::keyClicks(w->nameEdit(), "Grace");
        QTest::keyClick(w->nameEdit(), Qt::Key_Return);
        answered = true;
    });
    game.pf.processEvents();
    ASSERT_TRUE(answered);
    EXPECT_EQ(test::readFile(path + ".damaged"), "older");
    EXPECT_EQ(test::readFile(path + ".damaged-2"), "damaged");
    const auto table =
        parseBestGames(test::readFile(path).toStdString()).value_or(std::vector<BestGame>{});
    ASSERT_EQ(table.size(), 1u);
    EXPECT_TRUE(table[0].name == "Grace" && table[0].level == 4) << table[0].name;
}

}  // namespace
}  // namespace brivane
