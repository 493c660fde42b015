// The Qt window: its elements, check marks, layout rule, settings store and input.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <algorithm>

#include "qt_test_support.h"

namespace brivane {
namespace {

using test::QtGame;
using test::testOptions;

TEST(Window, StartsWithItsElementsTakesInputInTwipsAndFlipsAMenuCheckOnce) {
    QtGame<> game;
    // A fixed seed, and no music so that nothing waits on an audio device.
    game.g.fixedSeed = 1;
    game.g.commandText = "nomusic";
    startUp(game.g);
    frmMain* w = game.pf.window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pic->cursor().shape(), Qt::BlankCursor);
    // One icon for each of the five lives at the start.
    EXPECT_EQ(std::count_if(w->imgPlayer.begin(), w->imgPlayer.end(),
                            [](QLabel* icon) { return icon->isVisible(); }),
              5);
    EXPECT_FALSE(w->imgPlayerMatte->isVisible());

    QTest::mouseMove(w->pic, QPoint(100, 50));
    QTest::keyClick(w->pic, Qt::Key_Plus);
    game.pf.processEvents();
    EXPECT_FLOAT_EQ(game.g.playerX, 1500);
    EXPECT_FLOAT_EQ(game.g.playerY, 750);
    EXPECT_EQ(game.g.userSpeed, 1);

    // A check item chosen through its action flips once, not once per signal it sends.
    for (const MenuItem item :
         {MenuItem::mnuSettingsDisplayRender, MenuItem::mnuSettingsAutoSpeed}) {
        const bool before = game.pf.menuChecked(item);
        w->menuActions[static_cast<int>(item)]->trigger();
        EXPECT_NE(game.pf.menuChecked(item), before) << static_cast<int>(item);
    }
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
        int grown;  // in both directions
    } cases[] = {{{0, 0}, 0}, {{100, 100}, 100}, {{-50, -30}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resize.width());
        w->resize(minimum + c.resize);
        QApplication::processEvents();
        const int d = c.grown;
        EXPECT_EQ(w->size(), minimum + QSize(d, d));
        EXPECT_EQ(w->playfieldWidth(), 8955 + 15 * d);
        EXPECT_EQ(w->playfieldHeight(), 6615 + 15 * d);
        EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 597 + d, 441 + d));
        EXPECT_EQ(w->lblStatus->geometry(), QRect(208, 452 + d, 365, 17));
        EXPECT_EQ(w->imgPlayer[7]->geometry(), QRect(8 + 7 * 24, 448 + d, 21, 21));
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

}  // namespace
}  // namespace brivane
