// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Made-up replays from a seed: loops, long wandering tails, level jumps, right clicks, speed
// keys, resizes, stalls and quiet stretches; long games nobody has to play, for the soak, the
// known answers, benchmarks and tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

namespace brivane {

class ReplayMaker {
  public:
    // About two and a half minutes of play unless told otherwise.
    explicit ReplayMaker(std::uint32_t seed, int passes = 9000) : rnd_(seed), passes_(passes) {}

    std::string make() {
        width_ = pick(3000, 20000);
        height_ = pick(3000, 15000);
        text_ = "brivane-replay 1\nseed " + std::to_string(rnd_()) + "\nplayfield " +
                std::to_string(width_) + " " + std::to_string(height_) + "\nautospeed " +
                (chance(2) ? "on" : "off") + "\nuserspeed " + std::to_string(pick(0, 50)) +
                "\nhighlevel 100\nhighscore " + std::to_string(pick(0, 90000)) + "\n";
        pass_ = 1;
        frameMs_ = 16;
        lastDurationPass_ = 0;
        while (pass_ < passes_) {
            episode();
        }
        return std::move(text_);
    }

  private:
    int pick(int lo, int hi) {
        return lo + static_cast<int>(rnd_() % static_cast<unsigned>(hi - lo + 1));
    }
    bool chance(int oneIn) { return rnd_() % static_cast<unsigned>(oneIn) == 0; }
    // An event in pass_'s own yield, or with a suffix such as ".1" in one nested inside it.
    void at(const std::string& event, const char* nested = "") {
        text_ += "at " + std::to_string(pass_) + nested + " " + event + "\n";
    }
    void move(double x, double y, const char* nested = "") {
        at("move " + std::to_string(static_cast<int>(x)) + " " +
               std::to_string(static_cast<int>(y)),
           nested);
    }
    void duration(int pass, int ms) {
        text_ += "pass " + std::to_string(pass) + " " + std::to_string(ms) + "\n";
    }
    // Now and then a stall of one pass (a dialog held open, the window dragged) or a new rate.
    void nextPass() {
        ++pass_;
        if (pass_ <= lastDurationPass_ || !chance(300)) {
            return;
        }
        if (chance(2)) {
            const int stalls[] = {100, 250, 1000};
            duration(pass_, stalls[pick(0, 2)]);
            duration(pass_ + 1, frameMs_);
            lastDurationPass_ = pass_ + 1;
        } else {
            const int rates[] = {8, 12, 16, 16, 20, 33};
            frameMs_ = rates[pick(0, 5)];
            duration(pass_, frameMs_);
            lastDurationPass_ = pass_;
        }
    }

    void episode() {
        const int kind = pick(0, 9);
        if (kind < 3) {  // a loop around a part of the playfield, closing on itself
            const double cx = pick(0, width_);
            const double cy = pick(0, height_);
            const double r = pick(500, 3000);
            const int steps = pick(20, 40);
            for (int i = 0; i <= steps + steps / 4; ++i) {
                const double a = 6.283185307179586 * i / steps;
                if (chance(30)) {  // inside the capture scoring, if there is one
                    move(cx, cy, ".1");
                }
                move(cx + r * std::cos(a), cy + r * std::sin(a));
                nextPass();
            }
        } else if (kind < 5) {  // a wandering path that never closes: a long tail
            double x = pick(0, width_);
            double y = pick(0, height_);
            double heading = pick(0, 628) / 100.0;
            for (int i = pick(50, 400); i > 0; --i) {
                heading += (pick(0, 100) - 50) / 200.0;
                const double step = pick(150, 600);
                x = std::clamp(x + step * std::cos(heading), -2000.0, width_ + 2000.0);
                y = std::clamp(y + step * std::sin(heading), -2000.0, height_ + 2000.0);
                move(x, y);
                nextPass();
            }
        } else if (kind == 5) {
            at("menu mnuFileJumpLevel " + std::to_string(chance(5) ? 100 : pick(1, 100)));
            nextPass();
        } else if (kind == 6) {
            for (int i = pick(1, 4); i > 0; --i) {
                at("down 2");
            }
            at(chance(2) ? "key 43" : (chance(2) ? "key 45" : "key 61"));
            if (chance(8)) {
                at("menu mnuSettingsAutoSpeed");
            }
            nextPass();
        } else if (kind == 7) {
            at("resize " + std::to_string(pick(1000, 25000)) + " " +
               std::to_string(pick(1000, 20000)));
            nextPass();
        } else {  // quiet: the balls move on their own
            for (int i = pick(20, 400); i > 0; --i) {
                nextPass();
            }
        }
    }

    std::mt19937 rnd_;
    int passes_;
    std::string text_;
    int width_ = 0, height_ = 0, pass_ = 1, frameMs_ = 16, lastDurationPass_ = 0;
};

}  // namespace brivane
