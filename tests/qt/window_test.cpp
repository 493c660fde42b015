// The Qt window: its elements, menus, check marks, layout rule and settings store.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include "core/events.h"
#include "core/game.h"
#include "platform/qt/qt_platform.h"

namespace brivane {
namespace {

QtPlatform::Options testOptions(const QTemporaryDir& dir) {
    QtPlatform::Options options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.exitProcessOnEnd = false;
    return options;
}

TEST(Window, StartsWithItsElementsMenusAndCheckMarks) {
    QTemporaryDir dir;
    QtPlatform pf(testOptions(dir));
    GameState g(pf);
    g.fixedSeed = 1;
    g.commandText = "nomusic";
    GameEvents events(g);
    pf.setEventSink(&events);
    startUp(g);
    frmMain* w = pf.window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Brivane v1.3.8"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pic->cursor().shape(), Qt::BlankCursor);

    const QList<QAction*> menus = w->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    const QStringList titles = {QStringLiteral("File"), QStringLiteral("Settings"),
                                QStringLiteral("Help")};
    const QList<QStringList> captions = {
        {QStringLiteral("Jump To Level"), QStringLiteral("Music"), QStringLiteral("Exit")},
        {QStringLiteral("Auto Speed Adjust"), QStringLiteral("Display render timing"),
         QStringLiteral("Check for updates on startup")},
        {QStringLiteral("About"), QStringLiteral("Help Topics")}};
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(menus[m]->text(), titles[m]);
        QStringList items;
        for (QAction* a : menus[m]->menu()->actions()) {
            items << a->text();
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
        EXPECT_EQ(items, captions[m]);
    }
    EXPECT_TRUE(pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_TRUE(pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_FALSE(pf.menuChecked(MenuItem::mnuSettingsDisplayRender));

    int visible = 0;
    for (QLabel* icon : w->imgPlayer) {
        visible += icon->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(visible, 5);
    EXPECT_FALSE(w->imgPlayerMatte->isVisible());
    EXPECT_EQ(w->playfieldWidth(), 8955);
    EXPECT_EQ(w->playfieldHeight(), 6615);
    EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 597, 441));
    EXPECT_EQ(w->lblStatus->geometry(), QRect(208, 452, 365, 17));
    EXPECT_EQ(w->imgPlayer[0]->geometry(), QRect(8, 448, 21, 21));
    EXPECT_EQ(w->imgPlayer[7]->geometry(), QRect(8 + 7 * 24, 448, 21, 21));

    // Choosing a check item through the menu flips it exactly once.
    pf.menuChecked(MenuItem::mnuSettingsDisplayRender);
    w->menuActions[static_cast<int>(MenuItem::mnuSettingsDisplayRender)]->trigger();
    EXPECT_TRUE(pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    w->menuActions[static_cast<int>(MenuItem::mnuSettingsAutoSpeed)]->trigger();
    EXPECT_FALSE(pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_EQ(g.messageText, "Press + or - to adjust frame rate");
}

TEST(Window, LayoutFollowsTheWindowAndSnapsBackToItsMinimum) {
    QTemporaryDir dir;
    QtPlatform pf(testOptions(dir));
    pf.showWindow();
    frmMain* w = pf.window();
    const QSize minimum = w->size();
    w->resize(minimum + QSize(100, 100));  // 1500 twips each way
    QApplication::processEvents();
    EXPECT_EQ(w->playfieldWidth(), 10455);
    EXPECT_EQ(w->playfieldHeight(), 8115);
    EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 697, 541));
    EXPECT_EQ(w->lblStatus->geometry(), QRect(208, 552, 365, 17));
    EXPECT_EQ(w->imgPlayer[0]->geometry(), QRect(8, 548, 21, 21));

    w->resize(minimum - QSize(50, 30));
    QApplication::processEvents();
    EXPECT_EQ(w->size(), minimum);
    EXPECT_EQ(w->playfieldWidth(), 8955);
    EXPECT_EQ(w->playfieldHeight(), 6615);
    EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 597, 441));
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
    QTemporaryDir dir;
    QtPlatform pf(testOptions(dir));
    GameState g(pf);
    g.fixedSeed = 1;
    g.commandText = "nomusic";
    GameEvents events(g);
    pf.setEventSink(&events);
    startUp(g);
    QWidget* pic = pf.window()->pic;
    QTest::mouseMove(pic, QPoint(100, 50));
    QTest::keyClick(pic, Qt::Key_Plus);
    pf.processEvents();
    EXPECT_FLOAT_EQ(g.playerX, 1500);
    EXPECT_FLOAT_EQ(g.playerY, 750);
    EXPECT_EQ(g.userSpeed, 1);
}

}  // namespace
}  // namespace brivane
