// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt window: its elements, layout, picture; what pauses it and what holds meanwhile.
#include <QElapsedTimer>
#include <QLabel>
#include <cmath>

#include "qt_test_support.h"

namespace brivane {
namespace {

// Its elements, input in twips (15 a pixel), and a picture bounded by the screen that shrinks back.
TEST(Window, StartsWithItsElementsTakesInputInTwipsAndFollowsItsSize) {
    test::QtGame<> game;
    game.start();
    frmMain* w = game.pf.window();
    ASSERT_TRUE(w != nullptr && w->isVisible());
    EXPECT_EQ(std::count_if(w->imgPlayer.begin(), w->imgPlayer.end(),
                            [](QLabel* icon) { return icon->isVisible(); }),
              5);
    QTest::mouseMove(w->pic, QPoint(100, 50));
    QTest::keyClick(w->pic, Qt::Key_Plus);
    game.pf.processEvents();
    EXPECT_EQ(std::tuple(game.g.playerX, game.g.playerY, game.g.userSpeed),
              std::tuple(1500.0f, 750.0f, 1));
    // A check item chosen through its action flips once, not once per signal it sends.
    const bool before = game.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed);
    game.action(MenuItem::mnuSettingsAutoSpeed)->trigger();
    EXPECT_NE(game.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), before);
    const QSize minimum = w->size();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    // clang-format off
    const std::pair<QSize, QSize> sizes[] = {
        // the size asked for, the picture's
        {minimum, {597, 441}}, {minimum + QSize(100, 100), {697, 541}}, {QSize(1, 1), {597, 441}},
        {minimum - QSize(1, 0), {597, 441}}, {minimum - QSize(0, 1), {597, 441}},
        {screen + QSize(400, 300), screen}, {minimum + QSize(100, 0), {697, 441}},
    };
    // clang-format on
    for (const auto& [asked, picture] : sizes) {
        SCOPED_TRACE(testing::Message() << asked.width() << " x " << asked.height());
        w->resize(asked);
        QApplication::processEvents();
        const QSize d = asked.expandedTo(minimum) - minimum;
        EXPECT_EQ(std::pair(w->playfieldWidth(), w->playfieldHeight()),
                  std::pair(8955 + 15 * d.width(), 6615 + 15 * d.height()));
        EXPECT_EQ(w->pic->geometry(), QRect(4, 4, 597 + d.width(), 441 + d.height()));
        EXPECT_EQ(std::pair(w->lblStatus->y(), w->imgPlayer[7]->y()),
                  std::pair(452 + d.height(), 448 + d.height()));  // the bar keeps to the bottom
        game.pf.clear();
        EXPECT_EQ(game.pf.playfieldImage().image().size(), picture);
    }
}

// Only what changed is handed on, yet each pass shows whole: loops, deaths, a resize, a dialog.
TEST(Window, PresentsOnlyWhatChangedYetShowsTheWholePicture) {
    test::QtGame<> game;
    game.start(3);
    frmMain* w = game.pf.window();
    const QPoint at = w->pic->mapTo(w, QPoint(0, 0));
    int stale = 0;
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
        const QImage& picture = game.pf.playfieldImage().image();
        const QPixmap shown =
            w->screen()->grabWindow(w->winId(), at.x(), at.y(), picture.width(), picture.height());
        stale += shown.toImage().convertToFormat(picture.format()) == picture ? 0 : 1;
    }
    EXPECT_EQ(stale, 0);
}

// Another window pauses it (item checked, words over the picture), a click goes on; so P, Pause.
TEST(PausedWindow, LookingAwayOrAKeyPausesItAndAKeyOrAClickGoesOn) {
    test::QtGame<> game;
    game.start();
    frmMain* w = game.pf.window();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QAction* pauseItem = game.action(MenuItem::mnuFilePause);
    const auto white = [w] {
        return test::countPixels(w->pic->grab().toImage(),
                                 [](QRgb p) { return p == qRgb(255, 255, 255); });
    };
    runPass(game.g);
    const int whiteBefore = white();
    QWidget other;
    std::optional<std::tuple<bool, bool, bool>> then;  // paused, checked, overlay shown
    QTimer::singleShot(5, [&other] { other.show(), other.activateWindow(); });
    QTimer::singleShot(300, [&] {
        const bool paused = isPaused(game.g);
        const bool checked = pauseItem->isChecked();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        then = {paused, checked, white() > whiteBefore + 200};
        QTest::mouseClick(w->pic, Qt::LeftButton, {}, {200, 200});
    });
    for (int pass = 0; pass < 100 && !then; ++pass) {  // a paused pass lasts till it goes on
        runPass(game.g);
    }
    EXPECT_EQ(then, std::tuple(true, true, true)) << whiteBefore;
    game.pf.processEvents();
    runPass(game.g);
    EXPECT_FALSE(isPaused(game.g) || pauseItem->isChecked());
    EXPECT_EQ(w->pic->grab().toImage().convertToFormat(QImage::Format_RGB32),
              game.pf.playfieldImage().image().convertToFormat(QImage::Format_RGB32));
    for (const auto& [key, paused] :
         {std::pair(Qt::Key_P, true), std::pair(Qt::Key_Pause, false)}) {
        QTest::keyClick(w->windowHandle(), key);
        EXPECT_EQ(isPaused(game.g), paused) << key;
    }
}

// A 50 ms timer paused 20 ms in: nothing while paused, then its 30 ms left, then 50 again.
TEST(PausedWindow, TimersHoldWhatTheyHadLeft) {
    struct Ticks : GameEvents {
        using GameEvents::GameEvents;
        QElapsedTimer clock;
        std::vector<qint64> at;
        void timerTick(TimerId) override { at.push_back(clock.elapsed()); }
    };
    test::QtGame<QtPlatform, Ticks> game;  // the timers on from the start are seconds long
    const auto& at = game.events.at;
    game.events.clock.start();
    game.pf.setTimerEnabled(TimerId::tmrKillTails, true);
    QTest::qWait(20);
    game.pf.setPaused(true);
    const qint64 pausedAt = game.events.clock.elapsed();
    game.pf.setTimerEnabled(TimerId::tmrKillTails, true);  // already on: keeps what it had left
    QTest::qWait(200);
    EXPECT_TRUE(at.empty());
    game.pf.setPaused(false);
    const qint64 resumedAt = game.events.clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return at.size() >= 2; }, 2000));
    // Timers come late under load, never early.
    EXPECT_GE(at[0] - resumedAt, 50 - pausedAt - 5);
    EXPECT_GE(at[1] - at[0], 45);
}

}  // namespace
}  // namespace brivane
