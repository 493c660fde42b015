// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The particle lists: packing, bad handles and the electron's end.

#include "particles/lists.h"
#include "harness.h"

namespace brivane {
namespace {

using Particles = std::vector<std::shared_ptr<clsParticle>>;

Particles inSlots(const ParticleList& list, double count) {
    return {list.begin() + 1, list.begin() + 1 + static_cast<std::ptrdiff_t>(count)};
}

// Exactly these, packed into slots 1..count and each numbered by its slot.
void expectPacked(const ParticleList& list, double count, const Particles& want) {
    ASSERT_EQ(std::pair(count, list.size()),
              std::pair(static_cast<double>(want.size()), want.size() + 1));
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_EQ(std::pair(list[i], list[i]->num()), std::pair(want[i - 1], double(i))) << i;
    }
}

// With no balls left to end the level, a string fading out in the walk ends nothing.
TEST(ListRemoval, StringsPackAndTheLastFadingOutInTheWalkEndsNothing) {
    test::Harness h(2);  // a seed that deals level 4 strings
    h.play(4);
    ASSERT_GE(h.g.stringCount, 3);
    h.g.ballCount = 0;
    h.g.balls.assign(1, nullptr);
    const auto strings = inSlots(h.g.strings, h.g.stringCount);
    removeString(h.g, 2);
    ParticleTestAccess::capture(*strings.back(), 1);
    runPass(h.g);
    Particles left(strings.begin(), strings.end() - 1);
    left.erase(left.begin() + 1);
    expectPacked(h.g.strings, h.g.stringCount, left);
    EXPECT_EQ(std::tuple(h.g.level, h.g.levelCaptures), std::tuple(4, 0));
}

TEST(ListRemoval, HandlesOutsideTheListChangeNothing) {
    for (const double n : {-1.0, 0.5, 3.5, 1e9, std::nan("")}) {
        test::Harness h;
        h.play(3);
        h.pf.statusText = "untouched";
        const auto balls = inSlots(h.g.balls, h.g.ballCount);
        const auto strings = inSlots(h.g.strings, h.g.stringCount);
        removeBall(h.g, n);
        removeString(h.g, n);
        removeString(h.g, h.g.stringCount + 1.0);
        expectPacked(h.g.balls, h.g.ballCount, balls);
        expectPacked(h.g.strings, h.g.stringCount, strings);
        EXPECT_EQ(std::tuple(h.g.levelCaptures, h.pf.statusText), std::tuple(0, "untouched"));
        removeBall(h.g, 3);  // the last slot is inside
        EXPECT_EQ(h.g.ballCount, 2);
    }
}

TEST(ListRemoval, FadedElectronEndsAndIsNoLongerDrawn) {
    test::Harness h;
    h.play(2);
    h.g.electron->init(h.g, h.g.ballCount + 1, static_cast<std::uint8_t>(ParticleKind::electron));
    h.g.electronActive = true;
    ParticleTestAccess::capture(*h.g.electron, 1);
    const auto pass = [&h] {  // the electron pictures a pass paints
        runPass(h.g);
        return test::drawsWhere(
            h.pf, [](const DrawCall& d) { return d.picture == Picture::imgElectrons; });
    };
    EXPECT_EQ(pass().size(), 2u);  // the pass that ends it still paints it once
    EXPECT_FALSE(h.g.electronActive);
    EXPECT_EQ(pass().size(), 0u);
}

}  // namespace
}  // namespace brivane
