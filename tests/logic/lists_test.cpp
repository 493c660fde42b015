// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The particle lists: removal while the main loop walks them, packing and renumbering, and the
// end of a level and of the electron.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "harness.h"
#include "particles/lists.h"

namespace brivane {
namespace {

using test::Harness;

using Particles = std::vector<std::shared_ptr<clsParticle>>;

Particles snapshot(const ParticleList& list, double count) {
    return {list.begin() + 1, list.begin() + 1 + static_cast<std::ptrdiff_t>(count)};
}

void expectPackedAndNumbered(const ParticleList& list, double count, const Particles& want) {
    ASSERT_EQ(count, static_cast<double>(want.size()));
    ASSERT_EQ(list.size(), want.size() + 1);
    EXPECT_EQ(list[0], nullptr);
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_EQ(list[i], want[i - 1]) << "slot " << i;
        EXPECT_EQ(list[i]->num(), static_cast<double>(i));
    }
}

TEST(ListWalk, BallRemovedDuringItsOwnMoveLetsTheNextOneSlideInUnmoved) {
    const struct {
        int removed;
        std::vector<std::pair<int, bool>> painted;  // old index before the pass, and moved
    } cases[] = {
        {3, {{1, true}, {2, true}, {4, false}, {5, true}}},
        {5, {{1, true}, {2, true}, {3, true}, {4, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.removed);
        Harness h;
        h.play(5);
        const auto old = snapshot(h.g.balls, h.g.ballCount);
        std::vector<point> before;
        for (const auto& b : old) {
            before.push_back({b->left(), b->top()});
        }
        ParticleTestAccess::capture(*old[c.removed - 1], 1);
        runPass(h.g);
        const auto paintedAt = test::drawsWhere(h.pf, [](const DrawCall& d) {
            return d.picture == Picture::imgBalls && d.op == RasterOp::srcPaint;
        });
        ASSERT_EQ(paintedAt.size(), c.painted.size());
        for (std::size_t i = 0; i < c.painted.size(); ++i) {
            const auto& [index, moved] = c.painted[i];
            const auto& ball = old[index - 1];
            const point was = before[index - 1];
            EXPECT_EQ((std::array{paintedAt[i]->x1, paintedAt[i]->y1}),
                      (std::array{ball->left(), ball->top()}));
            EXPECT_EQ(ball->left() != was.x || ball->top() != was.y, moved) << "old ball " << index;
        }
        Particles rest = old;
        rest.erase(rest.begin() + (c.removed - 1));
        expectPackedAndNumbered(h.g.balls, h.g.ballCount, rest);
        EXPECT_EQ(old[c.removed - 1].use_count(), 1);  // only this test still holds it
        EXPECT_EQ(h.g.levelCaptures, 1);
        EXPECT_EQ(h.g.level, 5);
        EXPECT_EQ(h.pf.statusText, "Lv: 5 / 5 Particles: 4 Score: 0 / 0");
    }
}

TEST(ListRemoval, LastBallStartsTheNextLevelAndRefreshesTheStatusLine) {
    Harness h;
    h.play(3);
    h.g.score = 1250;
    h.g.highScore = 2000;
    const auto old = snapshot(h.g.balls, h.g.ballCount);
    ParticleTestAccess::capture(*old[0], 1);
    ParticleTestAccess::capture(*old[2], 1);
    runPass(h.g);
    // Two gone, and quarks and strings do not hold the level open.
    EXPECT_EQ(h.g.level, 3);
    expectPackedAndNumbered(h.g.balls, h.g.ballCount, {old[1]});
    EXPECT_EQ(h.g.levelCaptures, 2);
    EXPECT_EQ(h.g.quarkCount, 21);
    EXPECT_EQ(h.pf.statusText, "Lv: 3 / 3 Particles: 1 Score: 1250 / 2000");
    ParticleTestAccess::capture(*old[1], 1);
    runPass(h.g);
    EXPECT_EQ(h.g.level, 4);
    EXPECT_EQ(h.pf.statusText, "Lv: 4 / 4 Particles: 4 Score: 1250 / 2000");
}

TEST(ListRemoval, HandlesOutsideTheListChangeNothing) {
    for (const double n : {-1.0, 0.5, 3.5, 1e9, std::nan("")}) {
        Harness h;
        h.play(3);
        h.pf.statusText = "untouched";
        const auto old = snapshot(h.g.balls, h.g.ballCount);
        removeBall(h.g, n);
        expectPackedAndNumbered(h.g.balls, h.g.ballCount, old);
        EXPECT_EQ(h.g.levelCaptures, 0);
        EXPECT_EQ(h.pf.statusText, "untouched");
        const auto strings = snapshot(h.g.strings, h.g.stringCount);
        removeString(h.g, n);
        removeString(h.g, h.g.stringCount + 1.0);
        expectPackedAndNumbered(h.g.strings, h.g.stringCount, strings);
        removeBall(h.g, 3);  // the last slot is inside
        EXPECT_EQ(h.g.ballCount, 2);
    }
}

TEST(ListRemoval, StringsPackWithoutCountingOrEndingTheLevel) {
    Harness h;
    h.play(2);
    h.g.stringCount = 0;
    h.g.strings.assign(1, nullptr);
    for (int i = 0; i < 4; ++i) {
        addString(h.g);
    }
    // The balls are gone (without a capture): the strings are the last particles.
    h.g.ballCount = 0;
    h.g.balls.assign(1, nullptr);
    h.pf.statusText = "untouched";
    const auto old = snapshot(h.g.strings, h.g.stringCount);
    removeString(h.g, 2);
    expectPackedAndNumbered(h.g.strings, h.g.stringCount, {old[0], old[2], old[3]});
    ParticleTestAccess::capture(*old[3], 1);
    runPass(h.g);  // the last string fades out during the walk
    expectPackedAndNumbered(h.g.strings, h.g.stringCount, {old[0], old[2]});
    removeString(h.g, 1);
    removeString(h.g, 1);
    EXPECT_EQ(h.g.stringCount, 0);
    EXPECT_EQ(h.g.level, 2);
    EXPECT_EQ(h.g.levelCaptures, 0);
    EXPECT_EQ(h.pf.statusText, "untouched");
}

TEST(ListRemoval, FadedElectronEndsAndIsNoLongerDrawn) {
    Harness h;
    h.play(2);
    h.g.electron->init(h.g, h.g.ballCount + 1, static_cast<std::uint8_t>(ParticleKind::electron));
    h.g.electronActive = true;
    auto electronDraws = [&h] {
        return test::drawsWhere(h.pf,
                                [](const auto& d) { return d.picture == Picture::imgElectrons; })
            .size();
    };
    runPass(h.g);
    EXPECT_EQ(electronDraws(), 2u);
    ParticleTestAccess::capture(*h.g.electron, 1);
    runPass(h.g);
    EXPECT_FALSE(h.g.electronActive);
    EXPECT_EQ(electronDraws(), 2u);  // the pass that ends it still paints it once
    runPass(h.g);
    EXPECT_EQ(electronDraws(), 0u);
    EXPECT_EQ(h.g.level, 2);
}

}  // namespace
}  // namespace brivane
