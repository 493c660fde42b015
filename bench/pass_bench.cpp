// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What one pass costs at level 100: the game's own work (simulate and issue draw calls) and the
// same pass rendered into pixels by the window's renderer; and the loop search on a long tail.
#include <benchmark/benchmark.h>
#include <QGuiApplication>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "core/game.h"
#include "core/levels.h"
#include "core/wired_game.h"
#include "platform/headless/headless_platform.h"
#include "platform/render/playfield_image.h"
#include "player/tail.h"

namespace brivane {
namespace {

struct Level100 {
    HeadlessPlatform pf;
    WiredGame<> wired{pf};
    GameState& g = wired.g;
    std::int16_t level;

    explicit Level100(DrawingSurface* surface, std::int16_t at = 100) : level(at) {
        pf.attachSurface(surface);
        g.fixedSeed = 100;
        startUp(g);
        g.highLevel = level;
        jumpToLevel(g, level);
        g.graceCount = 30000;  // the player is not hit while the benchmark moves it about
    }
};

void passAtLevel(benchmark::State& state, bool render, std::int16_t level) {
    PlayfieldImage image(1.0);
    Level100 game(render ? &image : nullptr, level);
    float x = 1000;
    for (auto _ : state) {
        x = x > 8000 ? 1000 : x + 200;  // a moving pointer keeps a tail of a few dozen points
        game.pf.post(ScriptedEvent::move(x, 3000 + (x / 7)));
        runPass(game.g);
        if (game.g.level != level) {
            game.g.highLevel = level;
            jumpToLevel(game.g, level);
        }
    }
    state.counters["balls"] = game.g.ballCount;
}

void BM_PassLogicLevel100(benchmark::State& state) {
    passAtLevel(state, false, 100);
}
void BM_PassRenderedLevel100(benchmark::State& state) {
    passAtLevel(state, true, 100);
}
// 15000 balls bouncing off each other: the collision tests look only at the squares around
// each ball; what is left is mostly the bounces themselves.
void BM_PassLogicLevel15000(benchmark::State& state) {
    passAtLevel(state, false, 15000);
}
BENCHMARK(BM_PassLogicLevel15000)->Unit(benchmark::kMillisecond);

// What a bounce's contact angle costs by itself: the arctangent of the centres' offsets and the
// angle's cosine and sine, for offsets spread as a level-15000 pass meets them (a ball's test
// pushes it, so most are thousands of twips apart by its last bounces). Times one angle.
void BM_ContactAngle(benchmark::State& state) {
    std::mt19937 random(15000);
    std::uniform_int_distribution<int> twips(0, 4000);
    std::vector<std::array<double, 2>> offsets(1 << 16);
    for (auto& o : offsets) {
        o = {static_cast<double>(twips(random)), static_cast<double>(twips(random))};
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const auto [dx, dy] = offsets[i++ % offsets.size()];
        const double theta = dx == 0.0 ? 0.0 : std::atan(dy / dx);
        double c = static_cast<float>(std::cos(theta));
        double s = static_cast<float>(std::sin(theta));
        benchmark::DoNotOptimize(c);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_ContactAngle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PassLogicLevel100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PassRenderedLevel100)->Unit(benchmark::kMicrosecond);

// A new point on a long tail with no loop in it: the search must stay linear in the tail.
void BM_AddTailPointLongTail(benchmark::State& state) {
    HeadlessPlatform pf;
    GameState g(pf);
    const auto n = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 1; i <= n; ++i) {
        // A spiral that never comes back within reach of itself.
        g.tail.push_back(
            TailPoint{static_cast<float>(i * 400), static_cast<float>(i % 2) * 400, 0, 0});
    }
    g.tailCount = static_cast<double>(n);
    for (auto _ : state) {
        addTailPoint(g, static_cast<float>((n + 10) * 400), 0);
        removeTailPoint(g, g.tailCount);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddTailPointLongTail)->RangeMultiplier(4)->Range(64, 16384)->Complexity();

// A new point, the n-th, on a tail whose loop closed at its far end, before the tail is emptied:
// the first pair lies near the end, so a search through every pair would visit nearly all.
void BM_AddTailPointAfterLoop(benchmark::State& state) {
    HeadlessPlatform pf;
    GameState g(pf);
    g.graceCount = 1;  // nothing to catch here; the search is what is measured
    const auto n = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 1; i + 1 < n; ++i) {
        g.tail.push_back(
            TailPoint{static_cast<float>(i * 400), static_cast<float>(i % 2) * 400, 0, 0});
    }
    g.tailCount = static_cast<double>(n - 2);
    addTailPoint(g, g.tail[n - 11].x + 100, g.tail[n - 11].y);  // closes n-11 .. n-1
    for (auto _ : state) {
        g.graceCount = 1;
        addTailPoint(g, static_cast<float>((n + 10) * 400), 0);
        removeTailPoint(g, g.tailCount);
    }
    state.counters["first"] = static_cast<double>(n - 11);
}
BENCHMARK(BM_AddTailPointAfterLoop)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brivane

// Fonts and images need a GUI application object, even offscreen.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
