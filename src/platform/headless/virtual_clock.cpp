// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The virtual clock and its timers.
#include "platform/headless/virtual_clock.h"

#include <algorithm>
#include <iterator>

namespace brivane {

VirtualClock::VirtualClock() {
    for (int i = 0; i < timerCount; ++i) {
        timers_[i].enabled = timerSpecs[i].enabledAtStart;
        timers_[i].due = static_cast<std::uint64_t>(timerSpecs[i].intervalMs);
    }
}

void VirtualClock::advanceTo(std::uint64_t t) {
    if (held_ && t > now_) {
        heldTotal_ += t - now_;
    }
    now_ = std::max(now_, t);
}

int VirtualClock::passDurationOf(int pass) const {
    auto it = passDurations_.upper_bound(pass);
    if (it == passDurations_.begin()) {
        return defaultPassMs_;
    }
    return std::prev(it)->second;
}

void VirtualClock::setTimerEnabled(TimerId timer, bool enabled) {
    TimerState& t = timers_[static_cast<int>(timer)];
    if (enabled && !t.enabled) {
        const auto interval =
            static_cast<std::uint64_t>(timerSpecs[static_cast<int>(timer)].intervalMs);
        t.due = held_ ? interval : now_ + interval;
    }
    t.enabled = enabled;
}

std::optional<std::uint64_t> VirtualClock::timerDue(TimerId timer) const {
    const TimerState& t = timers_[static_cast<int>(timer)];
    if (!t.enabled) {
        return std::nullopt;
    }
    return held_ ? now_ + t.due : t.due;
}

void VirtualClock::setHeld(bool held) {
    if (held == held_) {
        return;
    }
    held_ = held;
    for (TimerState& t : timers_) {
        if (t.enabled) {
            // A timer is never left due before now, as every yield fires what is due.
            t.due = held ? (t.due > now_ ? t.due - now_ : 0) : now_ + t.due;
        }
    }
}

void VirtualClock::fireTimersUpTo(std::uint64_t limit, const std::function<bool(TimerId)>& tick) {
    for (;;) {
        if (held_) {
            return;  // a handler paused the game, or it was paused before
        }
        int next = -1;
        for (int i = 0; i < timerCount; ++i) {
            if (timers_[i].enabled && timers_[i].due <= limit &&
                (next < 0 || timers_[i].due < timers_[next].due)) {
                next = i;
            }
        }
        if (next < 0) {
            return;
        }
        TimerState& timer = timers_[next];
        const std::uint64_t due = timer.due;
        const auto interval = static_cast<std::uint64_t>(timerSpecs[next].intervalMs);
        timer.due = due + interval <= limit ? limit + interval : due + interval;
        const std::uint64_t resume = now_;
        now_ = std::max(now_, due);
        const bool goOn = tick(static_cast<TimerId>(next));
        now_ = std::max(now_, resume);
        if (!goOn) {
            return;
        }
    }
}

}  // namespace brivane
