// The Qt window: its elements, menus, check marks, layout rule and settings store.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "qt_test_support.h"

namespace brivane {
namespace {

using test::QtGame;
using test::testOptions;

TEST(Window, StartsWithItsElementsMenusAndCheckMarks) {
    QtGame<> game;
    game.start();
    frmMain* w = game.pf.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Brivane v1.3.8");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pic->cursor().shape(), Qt::BlankCursor);

    const QList<QAction*> menus = w->menuBar()->actions();
    const QList<QStringList> captions = {
        {"File", "Jump To Level", "Music", "Exit"},
        {"Settings", "Auto Speed Adjust", "Display render timing", "Check for updates on startup"},
        {"Help", "About", "Help Topics"}};
    ASSERT_EQ(menus.size(), captions.size());
    for (int m = 0; m < captions.size(); ++m) {
        QStringList items{menus[m]->text()};
        for (QAction* a : menus[m]->menu()->actions()) {
            items << a->text();
            EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
        }
        EXPECT_EQ(items, captions[m]);
    }
    EXPECT_TRUE(game.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_TRUE(game.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_FALSE(game.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));

    int visible = 0;
    for (QLabel* icon : w->imgPlayer) {
        visible += icon->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(visible, 5);
    EXPECT_FALSE(w->imgPlayerMatte->isVisible());

    // Choosing a check item through the menu flips it exactly once.
    w->menuActions[static_cast<int>(MenuItem::mnuSettingsDisplayRender)]->trigger();
    EXPECT_TRUE(game.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    w->menuActions[static_cast<int>(MenuItem::mnuSettingsAutoSpeed)]->trigger();
    EXPECT_FALSE(game.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_EQ(game.g.messageText, "Press + or - to adjust frame rate");
}

// The playfield grows with the window (15 twips a pixel) and the bottom row moves down with it;
// a window made smaller than its first size snaps back to it.
TEST(Window, LayoutFollowsTheWindowAndSnapsBackToItsMinimum) {
    QTemporaryDir dir;
    QtPlatform pf(testOptions(dir));
    pf.showWindow();
    frmMain* w = pf.window();
    const QSize minimum = w->size();
    const struct {
        QSize resize;
        QSize grown;
    } cases[] = {{{0, 0}, {0, 0}}, {{100, 100}, {100, 100}}, {{-50, -30}, {0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resize.width());
        w->resize(minimum + c.resize);
        QApplication::processEvents();
        const int dx = c.grown.width();
        const int dy = c.grown.height();
        EXPECT_EQ(w->size(), minimum + c.grown);
        EXPECT_EQ(w->playfieldWidth(), 8955 + 15 * dx);
        EXPECT_EQ(w->playfieldHeight(), 6615 + 15 * dy);
        EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 597 + dx, 441 + dy));
        EXPECT_EQ(w->lblStatus->geometry(), QRect(208, 452 + dy, 365, 17));
        EXPECT_EQ(w->imgPlayer[0]->geometry(), QRect(8, 448 + dy, 21, 21));
        EXPECT_EQ(w->imgPlayer[7]->geometry(), QRect(8 + 7 * 24, 448 + dy, 21, 21));
    }
}

TEST(Window, SettingsRoundTripThroughTheStore) {
    QTemporaryDir dir;
    {
        QtPlatform pf(testOptions(dir));
        pf.saveSetting("misc", "autoSpeed", "False");
        pf.saveSetting("settings", "userSpeed", "12");
        EXPECT_FALSE(pf.readSetting("misc", "checkUpdates").has_value());
    }
    QtPlatform again(testOptions(dir));
    EXPECT_EQ(again.readSetting("misc", "autoSpeed"), std::optional<std::string>("False"));
    EXPECT_EQ(again.readSetting("settings", "userSpeed"), std::optional<std::string>("12"));
}

TEST(Window, PointerKeysAndClicksReachTheGameInTwips) {
    QtGame<> game;
    game.start();
    QWidget* pic = game.pf.window()->pic;
    QTest::mouseMove(pic, QPoint(100, 50));
    QTest::keyClick(pic, Qt::Key_Plus);
    game.pf.processEvents();
    EXPECT_FLOAT_EQ(game.g.playerX, 1500);
    EXPECT_FLOAT_EQ(game.g.playerY, 750);
    EXPECT_EQ(game.g.userSpeed, 1);
}

}  // namespace
}  // namespace brivane
