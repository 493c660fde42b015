// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt window: its elements, check marks, layout rule, settings store and input.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "platform/qt/qt_services.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/replay_viewer.h"
#include "platform/qt/window_icon.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::QtGame;
using test::testOptions;

TEST(Window, StartsWithItsElementsTakesInputInTwipsAndFlipsAMenuCheckOnce) {
    QtGame<> game;
    game.start();
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
    EXPECT_EQ(std::tuple(game.g.playerX, game.g.playerY, game.g.userSpeed),
              std::tuple(1500.0f, 750.0f, 1));

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
        w->resize(minimum + c.resize);
        QApplication::processEvents();
        const int d = c.grown;
        EXPECT_EQ(w->size(), minimum + QSize(d, d));
        EXPECT_EQ(std::pair(w->playfieldWidth(), w->playfieldHeight()),
                  std::pair(8955 + 15 * d, 6615 + 15 * d));
        EXPECT_EQ(
            (std::array{w->pic->geometry(), w->lblStatus->geometry(), w->imgPlayer[7]->geometry()}),
            (std::array{QRect(4, 4, 597 + d, 441 + d), QRect(208, 452 + d, 365, 17),
                        QRect(8 + 7 * 24, 448 + d, 21, 21)}));
    }
    // Every size below the minimum snaps back, however small: a window smaller than its
    // contents still counts by its own size.
    for (const QSize tiny :
         {QSize(1, 1), QSize(600, 1), minimum - QSize(1, 0), minimum - QSize(0, 1)}) {
        w->resize(tiny);
        QApplication::processEvents();
        EXPECT_EQ(w->size(), minimum) << tiny.width() << " x " << tiny.height();
    }
}

// The playfield picture covers no more than the largest screen shows, while the playfield keeps
// the window's size, and it shrinks again with the window.
TEST(Window, PlayfieldPictureIsBoundedByTheScreenAndShrinksWithTheWindow) {
    QTemporaryDir dir;
    QtPlatform pf(testOptions(dir));
    pf.showWindow();
    frmMain* w = pf.window();
    const QSize minimum = w->size();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const struct {
        QSize window;
        QSize picture;
    } cases[] = {
        {minimum, {597, 441}},
        {screen + QSize(400, 300), screen},
        {minimum + QSize(100, 0), {697, 441}},
        {minimum, {597, 441}},
    };
    for (const auto& c : cases) {
        w->resize(c.window);
        QApplication::processEvents();
        pf.clear();
        EXPECT_EQ(pf.playfieldImage().image().size(), c.picture) << c.window.width();
        EXPECT_EQ(pf.playfieldWidth(), (c.window.width() - minimum.width() + 597) * 15);
    }
}

// The window hands the display only what changed in each pass, yet what it shows is always the
// whole picture: through play with loops and their fans, deaths, a resize and a dialog. What the
// handlers draw inside a pass's yield (a loop's fan, a death's first disc) is on the screen too.
TEST(Window, PresentsOnlyWhatChangedYetShowsTheWholePicture) {
    QtGame<> game;
    game.start(3);
    frmMain* w = game.pf.window();
    int stale = 0;
    int fans = 0;
    for (int pass = 0; pass < 240; ++pass) {
        if (pass == 100) {
            w->resize(w->width() + 90, w->height() + 60);
        } else if (pass == 160) {
            QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
            game.pf.messageBox("Paused", "Brivane", DialogButtons::ok);
        }
        // Circles of 80 pixels, so the tail keeps closing loops.
        const double a = pass * 0.45;
        QTest::mouseMove(w->pic, QPoint(250 + static_cast<int>(80 * std::cos(a)) + pass / 3,
                                        200 + static_cast<int>(80 * std::sin(a))));
        runPass(game.g);
        fans += game.g.tailCount > 0 && game.g.tail[1].inLoop != 0 ? 1 : 0;
        stale += test::screenShows(w, w->pic, game.pf.playfieldImage().image()) ? 0 : 1;
    }
    EXPECT_EQ(stale, 0);
    EXPECT_GT(fans, 0);
}

// Every window shows the game's icon: the built-in pictures, or the icon theme's when the game
// is installed in one.
TEST(Window, EveryWindowShowsTheGameIcon) {
    QTemporaryDir themes;
    const QString themeDir = themes.filePath(QStringLiteral("brivanetest"));
    ASSERT_TRUE(QDir().mkpath(themeDir + QStringLiteral("/48x48/apps")));
    test::writeFile(themeDir + QStringLiteral("/index.theme"),
                    "[Icon Theme]\nName=brivanetest\nDirectories=48x48/apps\n\n"
                    "[48x48/apps]\nSize=48\nType=Fixed\n");
    QImage themed(48, 48, QImage::Format_RGB32);
    themed.fill(QColor(12, 34, 56));
    ASSERT_TRUE(themed.save(themeDir + QStringLiteral("/48x48/apps/net.brivane.Brivane.png")));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    const auto restore = qScopeGuard([&] {
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(themeName);
    });
    const QImage builtIn = QImage(QStringLiteral(":/icons/48.png"))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(builtIn.isNull());

    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "theme" : "built in");
        QIcon::setThemeSearchPaths(installed ? QStringList{themes.path()} : QStringList{});
        QIcon::setThemeName(installed ? QStringLiteral("brivanetest") : QString());
        const QImage want = installed ? themed : builtIn;

        QtGame<> game;
        game.pf.showWindow();
        game.pf.createMusicWindow();
        game.pf.showHelp(game.dir.filePath(QStringLiteral("none.hlp")).toStdString());
        ReplayViewer viewer(Replay{}, QStringLiteral("empty.replay"));
        const QWidget* windows[] = {game.pf.window(), game.pf.sound().musicWindow(),
                                    game.pf.services().helpWindow(), &viewer};
        for (const QWidget* w : windows) {
            ASSERT_NE(w, nullptr);
            SCOPED_TRACE(w->windowTitle().toStdString());
            const QImage shown = w->windowIcon().pixmap(QSize(48, 48), 1.0).toImage();
            EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      want.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }
    // The program's own windows and dialogs get it too, and a Wayland compositor finds the
    // desktop entry, and so the icon, by the application id.
    const QIcon appIcon = QGuiApplication::windowIcon();
    const QString appId = QGuiApplication::desktopFileName();
    setUpApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("net.brivane.Brivane"));
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    QGuiApplication::setWindowIcon(appIcon);
    QGuiApplication::setDesktopFileName(appId);
}

}  // namespace
}  // namespace brivane
