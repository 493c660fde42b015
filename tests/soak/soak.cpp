// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A soak: replays made up from a seed (loops drawn around parts of the playfield, wandering
// paths that leave long tails, jumps across levels 1 to 100, right clicks, speed keys, resizes,
// stalls and quiet stretches) run one after another through the replay reader and runner until
// the virtual time asked for has passed. Run under the sanitizers it must stay silent, and the
// heap in use at the end of the last replay must be no more than at the end of the first. The
// resident set is reported too, but under AddressSanitizer it grows with the allocator's
// quarantine of freed memory, so the heap the game holds is what is compared.
//
//     brivane_soak [--minutes M] [--seed S] [--write FILE]
//
// --write saves the first replay's text, to run it alone with `brivane --headless --replay`.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <utility>

#include "replay/replay_file.h"
#include "replay/replay_runner.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (GCC installs no header for it): the bytes the program holds,
// not counting freed memory kept in quarantine.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace brivane {
namespace {

constexpr int passesPerReplay = 9000;  // about two and a half minutes of play
// Allowed for games that end in different states (more balls, a longer tail).
constexpr double growthAllowedBytes = 2.0 * 1024 * 1024;

class ReplayMaker {
  public:
    explicit ReplayMaker(std::uint32_t seed) : rnd_(seed) {}

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
        while (pass_ < passesPerReplay) {
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
        switch (pick(0, 9)) {
            case 0:
            case 1:
            case 2: {  // a loop around a part of the playfield, closing on itself
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
                break;
            }
            case 3:
            case 4: {  // a wandering path that never closes: a long tail
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
                break;
            }
            case 5:
                at("menu mnuFileJumpLevel " + std::to_string(chance(5) ? 100 : pick(1, 100)));
                nextPass();
                break;
            case 6:
                for (int i = pick(1, 4); i > 0; --i) {
                    at("down 2");
                }
                at(chance(2) ? "key 43" : (chance(2) ? "key 45" : "key 61"));
                if (chance(8)) {
                    at("menu mnuSettingsAutoSpeed");
                }
                nextPass();
                break;
            case 7:
                at("resize " + std::to_string(pick(1000, 25000)) + " " +
                   std::to_string(pick(1000, 20000)));
                nextPass();
                break;
            default:  // quiet: the balls move on their own
                for (int i = pick(20, 400); i > 0; --i) {
                    nextPass();
                }
                break;
        }
    }

    std::mt19937 rnd_;
    std::string text_;
    int width_ = 0, height_ = 0, pass_ = 1, frameMs_ = 16, lastDurationPass_ = 0;
};

double heapInUseBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<double>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
#endif
}

double residentMb() {
    std::ifstream statm("/proc/self/statm");
    double size = 0;
    double resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

int soak(double minutes, std::uint32_t seed, const char* writePath) {
    ReplayMaker maker(seed);
    double virtualMs = 0;
    long long passes = 0;
    int replays = 0;
    double firstMb = 0;
    double firstHeap = 0;
    double lastHeap = 0;
    while (virtualMs < minutes * 60000.0) {
        const std::string text = maker.make();
        if (replays == 0 && writePath != nullptr) {
            std::ofstream(writePath) << text;
        }
        ReplayParse parsed = parseReplay(text);
        if (!parsed.replay) {
            std::fprintf(stderr, "soak: replay %d refused: %s\n", replays,
                         parsed.error.text().c_str());
            return 1;
        }
        ReplayRunner runner(std::move(*parsed.replay), 0);
        runner.start();
        while (!runner.finished()) {
            runner.runOnePass();
        }
        virtualMs += static_cast<double>(runner.platform().clock().now());
        passes += runner.passesRun();
        lastHeap = heapInUseBytes();
        if (++replays == 1) {
            firstHeap = lastHeap;
            firstMb = residentMb();
        }
    }
    const double lastMb = residentMb();
    std::printf(
        "replays=%d passes=%lld virtual_minutes=%.1f heap_after_first_kb=%.0f "
        "heap_at_end_kb=%.0f rss_after_first_mb=%.1f rss_at_end_mb=%.1f\n",
        replays, passes, virtualMs / 60000.0, firstHeap / 1024, lastHeap / 1024, firstMb, lastMb);
    if (lastHeap - firstHeap > growthAllowedBytes) {
        std::fprintf(stderr, "soak: the heap in use grew by %.0f KB\n",
                     (lastHeap - firstHeap) / 1024);
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace brivane

int main(int argc, char** argv) {
    double minutes = 2;
    std::uint32_t seed = 1;
    const char* writePath = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--minutes") == 0) {
            minutes = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (std::strcmp(argv[i], "--write") == 0) {
            writePath = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: brivane_soak [--minutes M] [--seed S] [--write FILE]\n");
            return 2;
        }
    }
    return brivane::soak(minutes, seed, writePath);
}
