// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How yields are numbered, the same way in every home of the platform and in replay files.
// Pass n's main-loop yield is "<n>"; a yield that a handler makes during pass n (capture
// scoring, say) is "<n>.<k>", k counted from 1 across the pass, and those that come before
// the pass's main-loop yield are delivered before it.
#pragma once

#include <compare>
#include <vector>

namespace brivane {

struct YieldId {
    int pass = 0;
    int sub = 0;  // 0 for the main-loop yield
    auto operator<=>(const YieldId&) const = default;
};

// The platform tells it where each yield starts and ends; recordings and replays ask it where
// they are.
class YieldCounter {
  public:
    void frameYieldBegins() { inFrameYield_ = true; }
    void frameYieldEnds() {
        inFrameYield_ = false;
        ++pass_;
        sub_ = 0;
        open_.clear();
    }
    // A handler yields; returns the nested yield now running. Nested yields inside the
    // main-loop yield (capture scoring run by a pointer move that yield delivered) are counted
    // too, and what arrives in them belongs to them: a replay delivers it there, before the
    // handler that yielded returns, as the live game did.
    YieldId nestedYieldBegins() {
        ++sub_;
        open_.push_back(sub_);
        return YieldId{pass_, sub_};
    }
    void nestedYieldEnds() {
        if (!open_.empty()) {
            open_.pop_back();
        }
    }
    int pass() const { return pass_; }
    int nestedYields() const { return sub_; }
    bool inFrameYield() const { return inFrameYield_; }
    // The yield an input arriving now belongs to, as a recording writes it.
    YieldId current() const {
        if (!open_.empty()) {
            return YieldId{pass_, open_.back()};
        }
        return YieldId{pass_, inFrameYield_ ? 0 : sub_};
    }

  private:
    int pass_ = 1;
    int sub_ = 0;
    bool inFrameYield_ = false;
    std::vector<int> open_;  // the nested yields running now, innermost last
};

}  // namespace brivane
