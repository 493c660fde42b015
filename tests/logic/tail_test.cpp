// The tail: recording points, ageing, removal, emptying and drawing.
#include <gtest/gtest.h>

#include "harness.h"
#include "player/tail.h"

namespace brivane {
namespace {

using test::Harness;

// A game with an empty playfield, so only the tail and the player are in play.
struct TailGame : Harness {
    TailGame() {
        g.graceCount = 0;
        g.level = 1;
        pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, false);  // frameStep 1
    }
    void move(float x, float y) {
        playerMoved(g, x, y);
        addTailPoint(g, x, y);
    }
};

TEST(Tail, NeedsAStepOf160OnOneAxis) {
    const struct {
        float x;
        float y;
        bool adds;
    } cases[] = {
        {159.9f, 159.9f, false}, {160, 0, true},     {0, 160, true},     {159, 159, false},
        {-160, 0, true},         {159.9f, 0, false}, {1000, 1000, true}, {0, 0, false},
    };
    for (const auto& c : cases) {
        TailGame t;
        t.move(1000, 1000);
        ASSERT_EQ(t.g.tailCount, 1);
        t.move(1000 + c.x, 1000 + c.y);
        EXPECT_EQ(t.g.tailCount, c.adds ? 2 : 1) << c.x << "," << c.y;
    }
}

TEST(Tail, AfterAResetTheSentinelAtTheOriginIsTheLastPoint) {
    TailGame t;
    t.move(100, 159);
    t.move(159, 10);
    EXPECT_EQ(t.g.tailCount, 0);
    t.move(160, 10);
    EXPECT_EQ(t.g.tailCount, 1);
    clearTail(t.g);
    t.move(150, 150);
    EXPECT_EQ(t.g.tailCount, 0);
}

TEST(Tail, StopsGrowingAt50000Points) {
    TailGame t;
    t.g.tail.resize(50001);
    t.g.tailCount = 50000;
    t.g.tail[50000] = {0, 0, 0, 0};
    t.move(5000, 5000);
    EXPECT_EQ(t.g.tailCount, 50000);
}

TEST(Tail, AgeingAddsLevelTenthsAndFrameStepAndDropsPointsOver250) {
    const struct {
        int level;
        int userSpeed;
        int startAge;
        int afterAge;  // -1: removed in this pass
    } cases[] = {
        {1, 0, 249, 250},  {1, 0, 250, -1},   {9, 0, 249, 250}, {10, 0, 249, -1},
        {10, 0, 248, 250}, {30, 3, 243, 250}, {30, 3, 244, -1}, {1, 49, 0, 50},
    };
    for (const auto& c : cases) {
        TailGame t;
        t.g.level = static_cast<std::int16_t>(c.level);
        t.g.userSpeed = static_cast<std::int16_t>(c.userSpeed);
        t.move(1000, 1000);
        t.move(2000, 1000);
        t.g.tail[1].age = static_cast<std::int16_t>(c.startAge);
        t.g.tail[2].age = 0;
        ageTail(t.g);
        if (c.afterAge < 0) {
            ASSERT_EQ(t.g.tailCount, 1) << c.level << "/" << c.startAge;
            EXPECT_FLOAT_EQ(t.g.tail[1].x, 2000);
        } else {
            ASSERT_EQ(t.g.tailCount, 2);
            EXPECT_EQ(t.g.tail[1].age, c.afterAge);
        }
    }
}

TEST(Tail, FrameStepZeroBelowLevelTenStopsAgeing) {
    TailGame t;
    t.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, true);
    t.g.frameTicks = 1;  // a 1 ms pass: frame step 0
    t.move(1000, 1000);
    for (int i = 0; i < 1000; ++i) {
        ageTail(t.g);
    }
    EXPECT_EQ(t.g.tail[1].age, 0);
}

TEST(Tail, RemovingAMarkedPointUnmarksTheWholeTail) {
    TailGame t;
    for (int i = 0; i < 4; ++i) {
        t.move(1000 + 200.0f * i, 1000);
    }
    for (int i = 1; i <= 4; ++i) {
        t.g.tail[static_cast<std::size_t>(i)].inLoop = -1;
    }
    removeTailPoint(t.g, 2);  // a marked point
    EXPECT_EQ(t.g.tailCount, 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(t.g.tail[static_cast<std::size_t>(i)].inLoop, 0);
    }
    EXPECT_FLOAT_EQ(t.g.tail[2].x, 1400);

    t.g.tail[3].inLoop = -1;
    removeTailPoint(t.g, 1);  // unmarked: the marks of the others stay
    EXPECT_EQ(t.g.tail[2].inLoop, -1);
    removeTailPoint(t.g, 0);  // out of range: nothing
    removeTailPoint(t.g, 3);
    EXPECT_EQ(t.g.tailCount, 2);
}

TEST(Tail, AgeingOutAMarkedPointUnmarksTheRest) {
    TailGame t;
    for (int i = 0; i < 5; ++i) {
        t.move(1000 + 200.0f * i, 1000);
    }
    t.g.tail[1].age = 250;  // goes this pass
    t.g.tail[2].age = 250;
    t.g.tail[2].inLoop = -1;
    t.g.tail[4].inLoop = -1;
    ageTail(t.g);
    ASSERT_EQ(t.g.tailCount, 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(t.g.tail[static_cast<std::size_t>(i)].inLoop, 0);
    }
    EXPECT_FLOAT_EQ(t.g.tail[1].x, 1400);
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

TEST(Tail, DrawsGreyFadingSegmentsOrDotsDuringGrace) {
    TailGame t;
    t.move(1000, 1000);
    t.pf.clear();
    drawTail(t.g);
    EXPECT_EQ(t.pf.draws.size(), 1u);  // one point: nothing drawn
    t.move(2000, 1000);
    t.move(3000, 1000);
    t.g.tail[2].age = 125;
    t.g.tail[3].age = 1;
    t.g.tail[3].inLoop = -1;
    t.pf.clear();
    drawTail(t.g);
    ASSERT_EQ(t.pf.draws.size(), 3u);
    EXPECT_EQ(t.pf.draws[1].colour, (Rgb{127, 127, 127}));
    EXPECT_FLOAT_EQ(t.pf.draws[1].x1, 2000);
    EXPECT_FLOAT_EQ(t.pf.draws[1].x2, 1000);
    EXPECT_EQ(t.pf.draws[2].colour, (Rgb{0, 0, 253}));
    EXPECT_EQ(t.pf.draws[2].width, 1);

    t.g.graceCount = 1;
    t.g.tail[2].age = 250;
    t.pf.clear();
    drawTail(t.g);
    ASSERT_EQ(t.pf.draws.size(), 3u);
    EXPECT_EQ(t.pf.draws[1].colour, (Rgb{0, 0, 0}));
    EXPECT_FLOAT_EQ(t.pf.draws[1].x1, 2000);
    EXPECT_FLOAT_EQ(t.pf.draws[1].x2, 1990);
    EXPECT_FLOAT_EQ(t.pf.draws[1].y2, 990);
}

TEST(Tail, GraceCountsDownOnePerMoveAndStillRecordsPoints) {
    TailGame t;
    t.g.graceCount = 3;
    t.move(1000, 1000);
    t.move(2000, 1000);
    t.move(3000, 1000);
    EXPECT_EQ(t.g.graceCount, 0);
    EXPECT_EQ(t.g.tailCount, 3);
    t.move(4000, 1000);
    EXPECT_EQ(t.g.graceCount, 0);
    EXPECT_FLOAT_EQ(t.g.playerX, 4000);
}

}  // namespace
}  // namespace brivane
