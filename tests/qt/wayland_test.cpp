// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window on a Wayland compositor: its menus and the Jump To Level dialog driven as a player
// would, and minimised. tests/live/wayland_game.sh runs these under a headless weston (and sees
// the program drawn and paced there); on any other platform they are skipped.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <map>

#include "core/pause.h"
#include "platform/pacing.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::QtGame;

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

#define SKIP_UNLESS_WAYLAND()                                                      \
    if (!onWayland()) {                                                            \
        GTEST_SKIP() << "needs a Wayland compositor (tests/live/wayland_game.sh)"; \
    }

// Runs passes until `done` holds or `passes` have run.
template <class Done>
bool runUntil(GameState& g, int passes, Done done) {
    for (int i = 0; i < passes; ++i) {
        runPass(g);
        if (done()) {
            return true;
        }
    }
    return false;
}

// The pass duration, as Settings > Display render timing shows it, that most of `passes` passes
// last: a busy machine makes the odd pass late.
int usualPassMs(GameState& g, int passes) {
    std::map<int, int> seen;
    for (int i = 0; i < passes; ++i) {
        runPass(g);
        ++seen[g.renderTicks];
    }
    return std::max_element(seen.begin(), seen.end(),
                            [](auto a, auto b) { return a.second < b.second; })
        ->first;
}

// Opens a menu of the menu bar by a click on its title and chooses an item by a click on it,
// the way a player does; returns once the click has been delivered.
void choose(GameState& g, frmMain* w, int menu, QAction* item) {
    QMenuBar* bar = w->menuBar();
    QAction* title = bar->actions().at(menu);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QMenu* popup = title->menu();
    ASSERT_TRUE(runUntil(g, 200, [&] { return popup->isVisible(); })) << "menu did not open";
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
}

TEST(Wayland, MenusAndTheJumpToLevelDialogWork) {
    SKIP_UNLESS_WAYLAND();
    QtGame<> game;
    game.start(9);
    frmMain* w = game.pf.window();
    ASSERT_TRUE(runUntil(game.g, 300, [&] { return w->windowHandle()->isExposed(); }));
    game.g.highLevel = 9;  // as if the scores file said so: levels up to 9 may be chosen
    bool answered = false;
    auto answer = [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return false;
        }
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Return);
        answered = true;
        return true;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!answered) {
            answer();
        }
    });
    poll.start(20);
    choose(game.g, w, 0, w->menuActions[static_cast<int>(MenuItem::mnuFileJumpLevel)]);
    ASSERT_TRUE(runUntil(game.g, 300, [&] { return answered; }));
    runPass(game.g);
    EXPECT_EQ(game.g.level, 7);
    EXPECT_EQ(game.g.ballCount, 7);
}

// A Wayland compositor never tells a program that its window was minimised; it only stops
// asking for frames. With Pause When Inactive off (on, minimising pauses the game, as the pause
// tests show) the game neither stalls nor races then, and its layout stays.
TEST(Wayland, KeepsItsPaceAndItsSizeWhenMinimised) {
    SKIP_UNLESS_WAYLAND();
    QtGame<> game;
    game.start(9);
    frmMain* w = game.pf.window();
    ASSERT_TRUE(runUntil(game.g, 300, [&] { return w->windowHandle()->isExposed(); }));
    menuPauseInactive(game.g);
    ASSERT_FALSE(game.pf.menuChecked(MenuItem::mnuSettingsPauseInactive));
    const QSize size = w->size();
    const int playfield = w->playfieldWidth();
    w->showMinimized();
    EXPECT_EQ(usualPassMs(game.g, 120), paceIntervalMs(w->screen()->refreshRate()));
    EXPECT_EQ(w->size(), size);
    EXPECT_EQ(w->playfieldWidth(), playfield);
}

}  // namespace
}  // namespace brivane
