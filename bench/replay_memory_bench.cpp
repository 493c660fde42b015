// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a long replay costs in memory: a generated file of a million inputs is read, and then
// handed to the runner, which plays its first passes. The counters give the bytes each input
// takes, from the containers' own sizes and from the growth of the resident set.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <utility>

#include "replay/replay_file.h"
#include "replay/replay_runner.h"

namespace brivane {
namespace {

constexpr int eventCount = 1000000;

// Pointer moves four to a pass, with now and then a key, a right click or a menu answer.
const std::string& millionEventFile() {
    static const std::string text = [] {
        std::string s = "brivane-replay 1\nseed 9\nhighscore 12.5\n";
        for (int i = 0; i < eventCount; ++i) {
            const int pass = 2 + i / 4;
            s += "at " + std::to_string(pass);
            if (i % 997 == 0) {
                s += " menu mnuFileJumpLevel " + std::to_string(1 + i % 30) + "\n";
            } else if (i % 101 == 0) {
                s += i % 2 == 0 ? " key 43\n" : " down 2\n";
            } else {
                s += " move " + std::to_string(500 + (i * 37) % 8000) + "." +
                     std::to_string(i % 10) + " " + std::to_string(400 + (i * 53) % 6000) + "\n";
            }
        }
        return s;
    }();
    return text;
}

double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0;
    double resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

void BM_ReplayMillionInputs(benchmark::State& state) {
    const std::string& text = millionEventFile();
    double containerBytes = 0;
    double residentGrowth = 0;
    for (auto _ : state) {
        const double before = residentBytes();
        ReplayParse parsed = parseReplay(text);
        if (!parsed.replay) {
            state.SkipWithError(parsed.error.text().c_str());
            return;
        }
        const Replay& r = *parsed.replay;
        containerBytes = static_cast<double>(r.inputs.capacity() * sizeof(ReplayInput) +
                                             r.durations.capacity() * sizeof(ReplayPassDuration) +
                                             r.answers.capacity() * sizeof(std::string));
        ReplayRunner runner(std::move(*parsed.replay), 2000);
        runner.start();
        while (!runner.finished()) {
            runner.runOnePass();
        }
        residentGrowth = residentBytes() - before;
    }
    state.counters["file_bytes_per_input"] = static_cast<double>(text.size()) / eventCount;
    state.counters["container_bytes_per_input"] = containerBytes / eventCount;
    state.counters["resident_growth_per_input"] = residentGrowth / eventCount;
}
BENCHMARK(BM_ReplayMillionInputs)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace brivane
