// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Made-up replays run one after another until the virtual time asked for has passed: silent under
// the sanitizers, and the heap in use after the last no more than after the first. The resident
// set is only reported, as under AddressSanitizer it grows with the quarantine of freed memory.
// --write saves the first replay, to run it alone with `brivane --headless --replay`.
#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "replay/replay_file.h"
#include "replay/replay_runner.h"
#include "replay_maker.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (GCC installs no header for it): the bytes the program holds,
// not counting freed memory kept in quarantine.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace brivane {
namespace {

// Allowed for games that end in different states (more balls, a longer tail).
constexpr double growthAllowedBytes = 2.0 * 1024 * 1024;

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
        if (replays == 0 && writePath != nullptr && !(std::ofstream(writePath) << text)) {
            std::fprintf(stderr, "soak: cannot write %s\n", writePath);
            return 1;
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
    bool understood = argc % 2 == 1;  // options and their values in pairs
    for (int i = 1; understood && i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--minutes") == 0) {
            minutes = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (std::strcmp(argv[i], "--write") == 0) {
            writePath = argv[i + 1];
        } else {
            understood = false;
        }
    }
    // A soak of no time would run nothing and pass.
    if (!understood || !(minutes > 0)) {
        std::fprintf(stderr, "usage: brivane_soak [--minutes M] [--seed S] [--write FILE]\n");
        return 2;
    }
    return brivane::soak(minutes, seed, writePath);
}
