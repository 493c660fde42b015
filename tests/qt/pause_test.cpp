// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause in the window: what pauses it, the overlay over the picture, the check marks, and the
// timers holding what they had left.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <tuple>
#include <vector>

#include "core/pause.h"
#include "platform/qt/qt_sound.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::QtGame;

// White pixels of the playfield as shown in the window: the overlay's words.
int whiteShown(frmMain* w) {
    const QImage shown = w->pic->grab().toImage();
    int white = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            white += shown.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return white;
}

TEST(PausedWindow, LookingAwayOrAKeyPausesItAndAKeyOrAClickGoesOn) {
    using Act = std::function<void(frmMain*)>;
    QWidget other;
    const Act lookAway = [&other](frmMain*) {
        other.show();
        other.activateWindow();
    };
    const Act minimise = [](frmMain* w) { w->showMinimized(); };
    const Act keyP = [](frmMain* w) { QTest::keyClick(w->windowHandle(), Qt::Key_P); };
    const Act pauseKey = [](frmMain* w) { QTest::keyClick(w->windowHandle(), Qt::Key_Pause); };
    const Act click = [](frmMain* w) {
        w->showNormal();
        w->activateWindow();
        QTest::mouseClick(w->pic, Qt::LeftButton, {}, QPoint(200, 200));
    };
    const struct {
        const char* name;
        bool pauseInactive;
        Act pause;
        bool paused;
        Act resume;
    } cases[] = {
        {"another window, P", true, lookAway, true, keyP},
        {"minimised, click", true, minimise, true, click},
        {"P, Pause", true, keyP, true, pauseKey},
        {"Pause, click", true, pauseKey, true, click},
        {"another window with the setting off", false, lookAway, false, click},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtGame<> game;
        game.start();
        frmMain* w = game.pf.window();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QAction* inactiveItem =
            w->menuActions[static_cast<int>(MenuItem::mnuSettingsPauseInactive)];
        EXPECT_TRUE(inactiveItem->isChecked());
        if (!c.pauseInactive) {
            inactiveItem->trigger();
            game.pf.processEvents();
        }
        runPass(game.g);
        const int whiteBefore = whiteShown(w);
        bool seen = false;
        bool pausedThen = false;
        bool checkedThen = false;
        int whiteThen = 0;
        QTimer::singleShot(5, [&] { c.pause(w); });
        QTimer::singleShot(300, [&] {
            seen = true;
            pausedThen = isPaused(game.g);
            checkedThen = w->menuActions[static_cast<int>(MenuItem::mnuFilePause)]->isChecked();
            w->showNormal();
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
            whiteThen = whiteShown(w);
            c.resume(w);
        });
        // The paused pass's yield lasts until the game goes on; one that is not paused ends.
        for (int pass = 0; pass < 100 && !seen; ++pass) {
            runPass(game.g);
        }
        ASSERT_TRUE(seen);
        EXPECT_EQ(std::tuple(pausedThen, checkedThen, whiteThen > whiteBefore + 200),
                  std::tuple(c.paused, c.paused, c.paused))
            << whiteThen << " " << whiteBefore;
        game.pf.processEvents();
        EXPECT_FALSE(isPaused(game.g));
        if (c.paused) {
            runPass(game.g);
            // Taken away again: the window shows the game's own picture, nothing over it.
            EXPECT_EQ(w->pic->grab().toImage().convertToFormat(QImage::Format_RGB32),
                      game.pf.playfieldImage().image().convertToFormat(QImage::Format_RGB32));
            EXPECT_FALSE(w->menuActions[static_cast<int>(MenuItem::mnuFilePause)]->isChecked());
        }
    }
}

// A 50 ms timer paused 20 ms in: nothing while paused, then the 30 ms it had left, then its
// own interval again; one enabled while paused gets its whole interval from the resume.
TEST(PausedWindow, TimersHoldWhatTheyHadLeft) {
    // Only the ticks' times, not what the game's handlers make of them.
    struct TickTimes : GameEvents {
        using GameEvents::GameEvents;
        std::vector<std::pair<TimerId, qint64>> ticks;
        QElapsedTimer clock;
        void timerTick(TimerId t) override { ticks.emplace_back(t, clock.elapsed()); }
    };
    QtGame<QtPlatform, TickTimes> game;
    QtPlatform& pf = game.pf;
    TickTimes& sink = game.events;
    for (int i = 0; i < timerCount; ++i) {
        pf.setTimerEnabled(static_cast<TimerId>(i), false);
    }
    sink.clock.start();
    pf.setTimerEnabled(TimerId::tmrKillTails, true);
    QTest::qWait(20);
    pf.setPaused(true);
    const qint64 pausedAt = sink.clock.elapsed();
    pf.setTimerEnabled(TimerId::tmrClearText, true);
    pf.setTimerEnabled(TimerId::tmrClearText, false);
    pf.setTimerEnabled(TimerId::tmrKillTails, true);  // already on: keeps what it had left
    QTest::qWait(200);
    EXPECT_TRUE(sink.ticks.empty());
    EXPECT_TRUE(pf.timerEnabled(TimerId::tmrKillTails) && !pf.timerEnabled(TimerId::tmrClearText));
    pf.setPaused(false);
    const qint64 resumedAt = sink.clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.ticks.size() >= 2; }, 2000));
    const qint64 left = 50 - pausedAt;
    // Timers come late under load, never early.
    EXPECT_GE(sink.ticks[0].second - resumedAt, left - 5);
    EXPECT_GE(sink.ticks[1].second - sink.ticks[0].second, 45);
}

// The music pauses with the game and goes on with it, unless the player took it in hand: paused
// or stopped before, or paused, stopped or played while the game was paused.
TEST(PausedWindow, MusicGoesOnWithTheGameUnlessThePlayerTookItInHand) {
    using State = frmMusic::State;
    const struct {
        const char* name;
        void (frmMusic::*before)();
        void (frmMusic::*during)();
        State held, after;
    } cases[] = {
        {"untouched", nullptr, nullptr, State::paused, State::playing},
        {"paused before", &frmMusic::pause, nullptr, State::paused, State::paused},
        {"stopped before", &frmMusic::stop, nullptr, State::stopped, State::stopped},
        {"paused meanwhile", nullptr, &frmMusic::pause, State::paused, State::paused},
        {"stopped meanwhile", nullptr, &frmMusic::stop, State::paused, State::stopped},
        {"played meanwhile", nullptr, &frmMusic::play, State::paused, State::playing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtGame<> game;
        test::writeFile(game.dir.filePath(QStringLiteral("q.wav")), test::wavBytes(10, 0));
        game.pf.startMusic(
            test::writeFile(game.dir.filePath(QStringLiteral("music.m3u")), "q.wav\n")
                .toStdString());
        frmMusic* w = game.pf.sound().musicWindow();
        ASSERT_EQ(w->state(), State::playing);
        if (c.before != nullptr) {
            (w->*c.before)();
        }
        game.pf.setPaused(true);
        EXPECT_EQ(w->state(), c.held);
        if (c.during != nullptr) {
            (w->*c.during)();
        }
        game.pf.setPaused(false);
        EXPECT_EQ(w->state(), c.after);
    }
}

}  // namespace
}  // namespace brivane
