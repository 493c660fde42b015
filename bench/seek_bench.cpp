// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Jumps in a 30-minute replay, as the viewer makes them: the latest snapshot before the point
// restored, the passes on the way run without drawing, the last one drawn. The replay is made
// up (tests/soak's maker: loops, long tails, levels 1 to 100, stalls); the counters give its
// length, the snapshots' count and the heap they hold, and the time the filling took.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <utility>

#include "../tests/soak/replay_maker.h"
#include "platform/render/playfield_image.h"
#include "replay/replay_file.h"
#include "replay/replay_runner.h"
#include "replay/snapshot.h"

namespace brivane {
namespace {

// At the maker's mix of frame rates and stalls this is a little over half an hour.
constexpr int passesInReplay = 112500;

double heapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

struct Filled {
    Replay replay;
    SnapshotIndex index;
    double heapBytes = 0;
    double fillSeconds = 0;
};

const Filled& filled() {
    static const std::unique_ptr<Filled> f = [] {
        auto made = std::make_unique<Filled>();
        made->replay = *parseReplay(ReplayMaker(20261207, passesInReplay).make()).replay;
        const double before = heapInUse();
        const auto start = std::chrono::steady_clock::now();
        {
            ReplayRunner scout(made->replay, 0);
            scout.start();
            const std::atomic<bool> stop{false};
            made->index.fill(scout, stop);
        }
        made->fillSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        made->heapBytes = heapInUse() - before;
        return made;
    }();
    return *f;
}

// Arguments: where the runner stands and where it jumps to, in thousandths of the replay.
void BM_Seek(benchmark::State& state) {
    const Filled& f = filled();
    const int end = f.index.endPasses();
    const auto at = [end](std::int64_t permille) {
        return static_cast<int>(static_cast<std::int64_t>(end) * permille / 1000);
    };
    ReplayRunner runner(f.replay, 0);
    runner.start();
    PlayfieldImage image(1.0);
    const int from = at(state.range(0));
    const int to = std::max(1, at(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        runner.platform().attachSurface(nullptr);
        seekRunner(runner, f.index, from);
        state.ResumeTiming();
        seekRunner(runner, f.index, to - 1);
        runner.platform().attachSurface(&image);
        runner.runOnePass();
        benchmark::DoNotOptimize(image.image().constBits());
    }
    state.counters["replay_minutes"] = static_cast<double>(f.index.endMs()) / 60000.0;
    state.counters["snapshots"] = static_cast<double>(f.index.count());
    state.counters["snapshot_heap_MB"] = f.heapBytes / (1024.0 * 1024.0);
    state.counters["fill_seconds"] = f.fillSeconds;
}
// From the start to the first pass, to the middle and to near the end; back from the end to
// the middle; and a short way forwards, which runs on from where the runner stands.
BENCHMARK(BM_Seek)
    ->Args({1000, 0})
    ->Args({0, 500})
    ->Args({0, 990})
    ->Args({1000, 500})
    ->Args({500, 502})
    ->ArgNames({"from", "to"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brivane
