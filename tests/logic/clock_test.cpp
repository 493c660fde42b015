// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The virtual clock's timer rules, which every replay with clock timers depends on.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/headless/virtual_clock.h"
#include "replay/replay_file.h"

namespace brivane {
namespace {

TEST(VirtualClock, FiresDueTimersEarliestFirstAtTheirDueTimesWithoutBursts) {
    using T = TimerId;
    const struct {
        std::uint64_t start;
        std::vector<TimerId> enable;
        std::uint64_t limit;
        int stopAfter;  // ticks before the handler asks to stop; 0 never
        std::string fired;
        TimerId watch;
        std::optional<std::uint64_t> due;
        std::uint64_t now;
    } rows[] = {
        // clang-format off
        {0, {}, 4999, 0, "", T::tmrToggleBonds, 5000, 0},
        // Due exactly at the limit fires; ties go in the timers' order.
        {0, {}, 5000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 ", T::tmrToggleBonds, 10000, 5000},
        // A 12 s stretch passes two intervals: one tick each, next due an interval past it.
        {0, {}, 12000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 tmrDoElectron@7000 ",
         T::tmrToggleBonds, 17000, 7000},
        {0, {}, 12000, 0, "tmrToggleBonds@5000 tmrLoopMusic@5000 tmrDoElectron@7000 ",
         T::tmrDoElectron, 14000, 7000},
        {0, {}, 5000, 1, "tmrToggleBonds@5000 ", T::tmrLoopMusic, 5000, 5000},
        // Started at 1000, due at 1050; due again at 1100 counts as missed.
        {1000, {T::tmrKillTails}, 1099, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1100, 1050},
        {1000, {T::tmrKillTails}, 1100, 0, "tmrKillTails@1050 ", T::tmrKillTails, 1150, 1050},
        // Starting a running timer changes nothing.
        {1000, {T::tmrToggleBonds}, 4999, 0, "", T::tmrToggleBonds, 5000, 1000},
        {0, {}, 4999, 0, "", T::tmrClearText, std::nullopt, 0},
        // clang-format on
    };
    for (const auto& r : rows) {
        VirtualClock clock;
        clock.advanceTo(r.start);
        for (TimerId t : r.enable) {
            clock.setTimerEnabled(t, true);
        }
        std::string fired;
        int ticks = 0;
        clock.fireTimersUpTo(r.limit, [&](TimerId t) {
            fired += std::string(timerName(t)) + "@" + std::to_string(clock.now()) + " ";
            return ++ticks != r.stopAfter;
        });
        SCOPED_TRACE(std::to_string(r.start) + " to " + std::to_string(r.limit));
        EXPECT_EQ(fired, r.fired);
        EXPECT_EQ(clock.timerDue(r.watch), r.due);
        EXPECT_EQ(clock.now(), r.now);
    }
    VirtualClock clock;  // and it never goes back
    clock.advanceTo(50);
    clock.advanceTo(40);
    EXPECT_EQ(clock.now(), 50u);
}

}  // namespace
}  // namespace brivane
