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

#include "../logic/harness.h"
#include "particles/particle.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/replay_cli.h"
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

// Keeps the lines whose pixels a test looks for on the screen: a loop's fan (a colour of its
// own, every channel at least 50, never grey) and the wide disc of a death.
class LineSpy : public QtPlatform {
  public:
    using QtPlatform::QtPlatform;
    struct Line {
        Rgb colour;
        float x1, y1, x2, y2;
    };
    std::vector<Line> fan;
    std::vector<Line> discs;

    void setForeColor(Rgb colour) override {
        colour_ = colour;
        QtPlatform::setForeColor(colour);
    }
    void setDrawWidth(int pixels) override {
        width_ = pixels;
        QtPlatform::setDrawWidth(pixels);
    }
    void line(float x1, float y1, float x2, float y2) override {
        const Rgb c = colour_;
        const bool own = std::min({c.r, c.g, c.b}) >= 50 && !(c.r == c.g && c.g == c.b) &&
                         c != Rgb{200, 200, 255};
        if (width_ > 1) {
            discs.push_back({c, x1, y1, x2, y2});
        } else if (own) {
            fan.push_back({c, x1, y1, x2, y2});
        }
        QtPlatform::line(x1, y1, x2, y2);
    }

  private:
    Rgb colour_;
    int width_ = 1;
};

// Whether a pixel within one of (x, y) twips has the colour.
bool shows(const QImage& frame, float x, float y, Rgb colour) {
    const int px = static_cast<int>(x) / 15;
    const int py = static_cast<int>(y) / 15;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QRgb p = frame.pixel(std::clamp(px + dx, 0, frame.width() - 1),
                                       std::clamp(py + dy, 0, frame.height() - 1));
            if (Rgb{qRed(p), qGreen(p), qBlue(p)} == colour) {
                return true;
            }
        }
    }
    return false;
}

// What a handler draws inside a yield reaches the screen before the next pass clears it: the
// fan of a loop closed around a ball, and the first disc of a death that a pointer move causes.
// The pointer moves come while the pass waits for its frame, after the pass's own drawing has
// been shown, and only frames shown up to the end of that pass count.
TEST(Window, ShowsWhatHandlersDrawWhileThePassWaits) {
    for (const bool death : {false, true}) {
        SCOPED_TRACE(death ? "death" : "loop");
        QtGame<LineSpy> game;
        game.start();
        frmMain* w = game.pf.window();
        std::vector<QImage> shown;
        w->pic->onPainted = [&shown](const QImage& frame) { shown.push_back(frame.copy()); };
        runPass(game.g);  // sets the pace, so the next pass waits for its frame
        game.g.graceCount = 0;
        bool moved = false;
        QTimer::singleShot(6, [&] {
            moved = true;
            const point c = game.g.balls[1]->centrePoint(game.g);
            // For a loop, a square 120 pixels wide around the ball, 12 pixels a step, from the
            // middle of its top edge, so that the gap where it closes faces no corner.
            const float x0 = std::clamp(c.x, 990.0f, game.pf.playfieldWidth() - 990.0f) - 900;
            const float y0 = std::clamp(c.y, 990.0f, game.pf.playfieldHeight() - 990.0f) - 900;
            std::vector<point> path = test::square(x0, y0, x0 + 1800, y0 + 1800, 180);
            std::rotate(path.begin(), path.begin() + 5, path.end());
            for (const point& p : death ? std::vector<point>{c} : path) {
                QTest::mouseMove(w->pic,
                                 QPoint(static_cast<int>(p.x) / 15, static_cast<int>(p.y) / 15));
            }
        });
        for (int pass = 0; pass < 100 && !moved; ++pass) {
            shown.clear();
            runPass(game.g);
        }
        ASSERT_TRUE(moved);
        const std::vector<LineSpy::Line>& drawn = death ? game.pf.discs : game.pf.fan;
        ASSERT_FALSE(drawn.empty());
        if (!death) {
            EXPECT_TRUE(game.g.balls[1]->isDying());  // the loop went round the ball
        }
        const bool seen = std::any_of(shown.begin(), shown.end(), [&](const QImage& frame) {
            return std::any_of(drawn.begin(), drawn.end(), [&](const LineSpy::Line& l) {
                // The disc is wide: a point 15 pixels right of the player lies inside it.
                return death ? shows(frame, l.x1 + 225, l.y1, l.colour)
                             : shows(frame, (l.x1 + l.x2) / 2, (l.y1 + l.y2) / 2, l.colour);
            });
        });
        EXPECT_TRUE(seen);
    }
}

// The window hands the display only what changed in each pass, yet what it shows is always the
// whole picture: through play with loops and their fans, deaths, a resize and a dialog.
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
        ReplayWindow viewer(Replay{});
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
