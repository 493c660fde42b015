// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window on a Wayland compositor (tests/live/wayland_game.sh); skipped elsewhere.
#include <QMenu>
#include <QMenuBar>
#include <vector>

#include "platform/pacing.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

// Runs passes until `done` holds or `passes` have run.
template <class Done>
bool runUntil(GameState& g, int passes, Done done) {
    for (int i = 0; i < passes && !done(); ++i) {
        runPass(g);
    }
    return done();
}

// A started game whose window the compositor shows.
struct Wayland : testing::Test {
    void SetUp() override {
        if (!QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
            GTEST_SKIP() << "needs a Wayland compositor (tests/live/wayland_game.sh)";
        }
        game.start(9);
        w = game.pf.window();
        ASSERT_TRUE(runUntil(game.g, 300, [&] { return w->windowHandle()->isExposed(); }));
    }
    test::QtGame<> game;
    frmMain* w = nullptr;
};

// Jump To Level through its menu, opened and chosen by clicks, and its dialog typed into.
TEST_F(Wayland, MenusAndTheJumpToLevelDialogWork) {
    game.g.highLevel = 9;  // as if the scores file said so: levels up to 9 may be chosen
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (answered || dialog == nullptr) {
            return;
        }
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Return);
        answered = true;
    });
    poll.start(20);
    QMenuBar* bar = w->menuBar();
    QAction* title = bar->actions().at(0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QMenu* popup = title->menu();
    ASSERT_TRUE(runUntil(game.g, 200, [&] { return popup->isVisible(); })) << "menu did not open";
    QTest::mouseClick(popup, Qt::LeftButton, {},
                      popup->actionGeometry(game.action(MenuItem::mnuFileJumpLevel)).center());
    ASSERT_TRUE(runUntil(game.g, 300, [&] { return answered; }));
    runPass(game.g);
    EXPECT_EQ(game.g.level, 7);
}

// Minimised, the compositor stops asking for frames: passes neither stall nor race (the median).
TEST_F(Wayland, KeepsItsPaceAndItsSizeWhenMinimised) {
    menuPauseInactive(game.g);
    ASSERT_FALSE(game.pf.menuChecked(MenuItem::mnuSettingsPauseInactive));
    const QSize size = w->size();
    const int playfield = w->playfieldWidth();
    w->showMinimized();
    std::vector<int> passes;
    for (int i = 0; i < 121; ++i) {
        runPass(game.g);
        passes.push_back(game.g.renderTicks);
    }
    std::nth_element(passes.begin(), passes.begin() + 60, passes.end());
    EXPECT_NEAR(passes[60], paceIntervalMs(w->screen()->refreshRate()), 1);
    EXPECT_EQ(w->size(), size);
    EXPECT_EQ(w->playfieldWidth(), playfield);
}

}  // namespace
}  // namespace brivane
