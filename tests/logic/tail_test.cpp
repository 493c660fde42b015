// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tail: recording points, the grace count, ageing, removal, emptying and drawing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

#include "harness.h"
#include "player/tail.h"

namespace brivane {
namespace {

// A game with an empty playfield, so only the tail and the player are in play.
struct TailGame : test::Harness {
    TailGame() {
        g.graceCount = 0;
        g.level = 1;
        setStep(1);
    }
    void move(float x, float y) {
        playerMoved(g, x, y);
        addTailPoint(g, x, y);
    }
    // Points 200 apart along y = 1000 from x = 1200, with these ages and marks.
    void lay(const std::vector<std::pair<int, bool>>& points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            move(1000 + 200.0f * static_cast<float>(i + 1), 1000);
            g.tail.back().age = static_cast<std::int16_t>(points[i].first);
            g.tail.back().inLoop = static_cast<std::int16_t>(points[i].second ? -1 : 0);
        }
    }
};

TEST(Tail, NeedsAStepOf160OnOneAxisFromTheLastPointOrTheOriginAfterAReset) {
    for (const auto& [x, y, adds] :
         {std::tuple(159.9f, 159.9f, false), std::tuple(160.0f, 0.0f, true),
          std::tuple(0.0f, 160.0f, true), std::tuple(-160.0f, 0.0f, true)}) {
        TailGame t;
        t.move(1000, 1000);
        t.move(1000 + x, 1000 + y);
        EXPECT_EQ(t.g.tailCount, adds ? 2 : 1) << x << "," << y;
    }
    // Grace counts down one a move without stopping the recording, and never below 0.
    TailGame t;
    t.g.graceCount = 3;
    t.move(100, 159);
    t.move(159, 10);
    EXPECT_EQ(t.g.tailCount, 0);
    t.move(160, 10);
    EXPECT_EQ(std::tuple(t.g.tailCount, t.g.graceCount, t.g.playerX), std::tuple(1.0, 0, 160.0f));
    clearTail(t.g);
    t.move(150, 150);
    EXPECT_EQ(std::tuple(t.g.tailCount, t.g.graceCount), std::tuple(0.0, 0));
    // It stops growing at 50000 points.
    t.g.tail.resize(50001);
    t.g.tailCount = 50000;
    t.move(5000, 5000);
    EXPECT_EQ(t.g.tailCount, 50000);
}

TEST(Tail, AgeingAddsLevelTenthsAndFrameStepAndDropsPointsOver250) {
    const struct {
        int level, step, startAge, afterAge;  // afterAge -1: removed in this pass
    } cases[] = {
        // clang-format off
        {1, 1, 249, 250}, {1, 1, 250, -1}, {9, 1, 249, 250}, {10, 1, 249, -1}, {10, 1, 248, 250},
        {1, 50, 0, 50}, {9, 0, 0, 0} /* frame step 0 below level 10 stops ageing */, {10, 0, 0, 1},
        // clang-format on
    };
    for (const auto& c : cases) {
        TailGame t;
        t.g.level = static_cast<std::int16_t>(c.level);
        t.setStep(c.step);
        t.lay({{c.startAge, false}, {0, false}});
        ageTail(t.g);
        const bool gone = c.afterAge < 0;
        EXPECT_EQ(std::tuple(t.g.tailCount, t.g.tail[1].x, t.g.tail[1].age),
                  std::tuple(gone ? 1.0 : 2.0, gone ? 1400.0f : 1200.0f,
                             gone ? c.step + c.level / 10 : c.afterAge))
            << c.level << "/" << c.step << "/" << c.startAge;
    }
}

// Old points go in one sweep; a marked one among them unmarks the rest, as removing one alone
// does. Ages and marks before a pass at level 1, step 1; then the points left, by their place.
TEST(Tail, RemovalAndAgeingDropPointsAndTheirMarks) {
    const struct {
        std::vector<std::pair<int, bool>> before;  // age, marked
        std::vector<std::pair<int, bool>> after;   // place before the pass (1 on), marked
    } cases[] = {
        // clang-format off
        {{{250, false}, {249, true}, {250, false}, {249, false}}, {{2, true}, {4, false}}},
        {{{249, true}, {250, true}, {0, true}, {250, false}}, {{1, false}, {3, false}}},
        {{{250, true}, {250, false}}, {}},
        {{{249, true}, {0, false}}, {{1, true}, {2, false}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        TailGame t;
        t.lay(c.before);
        ageTail(t.g);
        std::vector<std::pair<int, bool>> left;
        for (std::size_t i = 1; i <= static_cast<std::size_t>(t.g.tailCount); ++i) {
            left.emplace_back((t.g.tail[i].x - 1000) / 200, t.g.tail[i].inLoop != 0);
        }
        EXPECT_EQ(left, c.after) << c.before.size();
        EXPECT_EQ(t.g.tail.size(), c.after.size() + 1);
    }
    TailGame t;
    t.lay({{0, true}, {0, true}, {0, true}, {0, true}});
    for (const double n : {-1.0, 0.0, 5.0, std::nan("")}) {  // out of range or no number
        removeTailPoint(t.g, n);
    }
    ASSERT_EQ(t.g.tailCount, 4);
    removeTailPoint(t.g, 2);
    ASSERT_EQ(t.g.tailCount, 3);
    EXPECT_FLOAT_EQ(t.g.tail[2].x, 1600);
    for (std::size_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(t.g.tail[i].inLoop, 0);
    }
}

TEST(Tail, KillTimerEmptiesTheTailOnce50MsAfterItsFirstEnabling) {
    TailGame t;
    t.pf.setPassDuration(20);
    t.move(1000, 1000);
    t.pf.setTimerEnabled(TimerId::tmrKillTails, true);
    t.passes(1);                                        // 20 ms
    t.pf.setTimerEnabled(TimerId::tmrKillTails, true);  // already on: changes nothing
    t.move(2000, 1000);
    t.passes(1);  // 40 ms
    EXPECT_EQ(t.g.tailCount, 2);
    t.passes(1);  // 60 ms: fired at 50
    EXPECT_EQ(t.g.tailCount, 0);
    EXPECT_FALSE(t.pf.timerEnabled(TimerId::tmrKillTails));
    t.move(3000, 1000);
    t.passes(5);
    EXPECT_EQ(t.g.tailCount, 1);  // once only
}

TEST(Tail, DrawsSegmentsDarkeningWithAgeBlueInALoopAndDotsDuringGrace) {
    const struct {
        int age;
        bool inLoop, grace;
        Rgb colour;
    } cases[] = {
        // clang-format off
        {0, false, false, {255, 255, 255}}, {249, false, false, {1, 1, 1}},
        {250, false, false, {0, 0, 0}}, {1, true, false, {0, 0, 253}},
        {125, false, true, {127, 127, 127}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.age << " " << c.inLoop << " " << c.grace);
        TailGame t;
        t.move(1000, 1000);
        t.pf.clear();
        drawTail(t.g);
        EXPECT_EQ(t.pf.draws.size(), 1u);  // one point: nothing drawn
        t.move(2000, 1000);
        t.g.tail[2].age = static_cast<std::int16_t>(c.age);
        t.g.tail[2].inLoop = static_cast<std::int16_t>(c.inLoop ? -1 : 0);
        t.g.graceCount = c.grace ? 1 : 0;
        t.pf.clear();
        drawTail(t.g);
        ASSERT_EQ(t.pf.draws.size(), 2u);
        const DrawCall& d = t.pf.draws[1];
        // A segment back to the older point, or a dot during grace.
        const float to = c.grace ? -10 : -1000;
        EXPECT_EQ(d.colour, c.colour);
        EXPECT_EQ((std::array{d.x1, d.y1, d.x2, d.y2}),
                  (std::array{2000.0f, 1000.0f, 2000 + to, 1000 + (c.grace ? to : 0)}));
    }
}

}  // namespace
}  // namespace brivane
