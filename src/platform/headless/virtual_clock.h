// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The headless platform's time: a millisecond clock that only passes move, and the game's five
// timers on it. A pass that starts at T and lasts d fires, in order of due time, every timer due
// by T + d, the clock reading each timer's due time while its handler runs, and leaves the clock
// at T + d. A repeating timer is next due one interval after its due time, or one interval after
// T + d when that is already past: like the window system's timers, missed ticks do not burst.
// Held (the game paused), the timers stand still and keep the time they had left.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/platform.h"

namespace brivane {

class VirtualClock {
  public:
    // The timers as the window creates them: those that run from the start are due one
    // interval after 0.
    VirtualClock();

    std::uint64_t now() const { return now_; }
    // Never moves the clock back.
    void advanceTo(std::uint64_t t);

    // Pass `pass` and every later one last `ms`, until the next such change; before the first,
    // passes last `defaultMs`.
    void setPassDurationFrom(int pass, int ms) { passDurations_[pass] = ms; }
    void setDefaultPassDuration(int ms) { defaultPassMs_ = ms; }
    int passDurationOf(int pass) const;

    // Enabling a running timer changes nothing; enabling a stopped one makes it due one
    // interval from now, or from the release when held.
    void setTimerEnabled(TimerId timer, bool enabled);
    bool timerEnabled(TimerId timer) const { return timers_[static_cast<int>(timer)].enabled; }
    // When held, when it would be due were the timers released now.
    std::optional<std::uint64_t> timerDue(TimerId timer) const;

    // While held no timer fires, and on release each is due the time it had left from then.
    void setHeld(bool held);
    bool held() const { return held_; }
    // How far the clock has moved while held, over the whole run.
    std::uint64_t heldTotal() const { return heldTotal_; }

    // Fires every enabled timer due by `limit`, earliest first, through `tick`, which may
    // enable or disable timers; stops early when `tick` returns false.
    void fireTimersUpTo(std::uint64_t limit, const std::function<bool(TimerId)>& tick);

    struct TimerState {
        bool enabled = false;
        std::uint64_t due = 0;  // while held: the time left
    };
    // Where the clock and its timers stand; the pass durations are set-up, not part of it.
    struct Reading {
        std::uint64_t now = 0;
        bool held = false;
        std::uint64_t heldTotal = 0;
        std::array<TimerState, timerCount> timers{};
    };
    Reading reading() const { return {now_, held_, heldTotal_, timers_}; }
    void setReading(const Reading& r) {
        now_ = r.now;
        held_ = r.held;
        heldTotal_ = r.heldTotal;
        timers_ = r.timers;
    }

  private:
    std::uint64_t now_ = 0;
    bool held_ = false;
    std::uint64_t heldTotal_ = 0;
    int defaultPassMs_ = 16;
    std::map<int, int> passDurations_;
    std::array<TimerState, timerCount> timers_{};
};

}  // namespace brivane
