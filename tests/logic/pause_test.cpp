// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pause: what stops and what goes on, through the real handlers on the headless platform.

#include <sstream>

#include "core/pause.h"
#include "harness.h"
#include "replay/pass_report.h"

namespace brivane {
namespace {

// Everything that moves, ages or fades, as text.
std::string motion(const GameState& g) {
    std::ostringstream s;
    s << passReport(g, 0, "", true) << g.playerX << ' ' << g.playerY;
    for (std::size_t i = 1; i < g.tail.size(); ++i) {
        s << ' ' << g.tail[i].x << ',' << g.tail[i].y << ',' << g.tail[i].age;
    }
    return s.str();
}

TEST(Pause, HoldsTheWholeGameUntilTheRightInputGoesOn) {
    const ScriptedEvent menu = ScriptedEvent::menuItem(MenuItem::mnuFilePause),
                        away = ScriptedEvent::windowInactive(), left = ScriptedEvent::down(1);
    // The stored setting (nullptr: none), what pauses, if it did, what resumes, if it did.
    const std::tuple<const char*, ScriptedEvent, bool, ScriptedEvent, bool> cases[] = {
        // clang-format off
        {"", menu, true, menu, true}, {nullptr, away, true, left, true},
        {"false", away, true, left, true}, {"False", away, false, menu, true},
        {"True", menu, true, ScriptedEvent::down(2), false}, {"True", menu, true, away, false},
        // clang-format on
    };
    for (const auto& [pauseInactive, pause, paused, resume, resumed] : cases) {
        SCOPED_TRACE(testing::Message() << (pauseInactive ? pauseInactive : "(none)")
                                        << " resumed by " << static_cast<int>(resume.kind));
        test::Harness h;
        if (pauseInactive != nullptr) {
            h.pf.settings[{"misc", "pauseInactive"}] = pauseInactive;
        }
        // Level 12 with a tail, a fading hint and a death under way.
        h.play(12, 4);
        showMessage(h.g, "hint");
        for (int i = 0; i < 6; ++i) {
            h.send(ScriptedEvent::move(300.0f + 200.0f * static_cast<float>(i), 300.0f));
        }
        h.g.graceCount = 0;
        h.g.dying = true;
        h.passes(2);
        // Only "False" turns pausing when inactive off.
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsPauseInactive),
                  pauseInactive == nullptr || std::string(pauseInactive) != "False");
        const std::string before = motion(h.g);
        h.send(pause);
        ASSERT_EQ(isPaused(h.g), paused);
        if (!paused) {
            EXPECT_NE(motion(h.g), before);
            continue;
        }
        const std::string held = motion(h.g);
        const std::size_t drawn = h.pf.draws.size();
        // Pointer moves and timer ticks: nothing of them lands.
        for (int i = 0; i < 40; ++i) {
            h.send(ScriptedEvent::move(4000.0f + 180.0f * static_cast<float>(i % 7), 2000.0f));
            h.send(ScriptedEvent::tick(TimerId::tmrToggleBonds));
        }
        EXPECT_EQ(std::pair(motion(h.g), h.pf.draws.size()), std::pair(held, drawn));  // no clear
        h.send(resume);
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuFilePause), !resumed);
        h.passes(1);
        EXPECT_EQ(motion(h.g) == held, !resumed);
    }
}

// Paused at 3000 ms for 10 s, blue over passes or red (as in the window) in one long yield.
TEST(Pause, TimersGoOnWithTheTimeTheyHadLeftAndThePassAfterStepsByItsOwnLength) {
    const ScriptedEvent menu = ScriptedEvent::menuItem(MenuItem::mnuFilePause);
    for (const bool red : {false, true}) {
        SCOPED_TRACE(red);
        test::Harness h;
        h.pf.setPassDuration(10);
        h.start();
        h.passes(300);  // the clock stands at 3000
        h.g.bondsRed = red;
        h.pf.post(menu);
        if (red) {
            h.pf.post(ScriptedEvent::run([&h] { h.pf.clock().advanceTo(13000); }));
        } else {
            h.passes(1000);
        }
        h.send(menu);
        // 2.5 rounds to the even 2, not the 25 of a stall.
        EXPECT_EQ(std::tuple(h.g.bondsRed, h.g.frameTicks, frameStep(h.g)), std::tuple(red, 10, 2));
        const auto due = [&h](TimerId t) { return h.pf.clock().timerDue(t); };
        EXPECT_EQ(std::tuple(due(TimerId::tmrToggleBonds), due(TimerId::tmrDoElectron),
                             due(TimerId::tmrLoopMusic)),
                  std::tuple(15000u, 17000u, 15000u));
        h.passes(198);  // up to 14990
        EXPECT_EQ(h.g.bondsRed, red);
        h.passes(1);
        EXPECT_EQ(h.g.bondsRed, !red);
    }
}

}  // namespace
}  // namespace brivane
