// Balls meeting from level 20: the contact distance, the exchange by the mass rule, the rounding
// and limits of the new speeds, the push apart, and who takes part.
#include <gtest/gtest.h>

#include <array>

#include "harness.h"
#include "particles/collisions.h"

namespace brivane {
namespace {

using test::PlacedBall;
using test::Scene;

using BallState = std::array<float, 4>;  // left, top, speedX, speedY

BallState stateOf(const clsParticle& p) {
    return {p.left(), p.top(), static_cast<float>(p.speedX()), static_cast<float>(p.speedY())};
}

TEST(BallCollisions, OneBallsTestBouncesByTheMassRuleAndPushesBothAxes) {
    const struct {
        const char* name;
        PlacedBall a, b;
        BallState wantA, wantB;
    } cases[] = {
        // clang-format off
        {"just inside", {1000, 3000, 1, 5, 3}, {1239.9f, 3000, 1, -7, 2},
         {970, 3030, -7, 3}, {1269.9f, 2970, 5, 2}},
        {"at the contact distance", {1000, 3000, 1, 5, 3}, {1240, 3000, 1, -7, 2},
         {1000, 3000, 5, 3}, {1240, 3000, -7, 2}},
        {"same centre", {2000, 2000, 1, 5, 3}, {2000, 2000, 1, -7, 2},
         {2030, 2030, -7, 3}, {1970, 1970, 5, 2}},
        {"vertical line", {2000, 2000, 1, 5, 3}, {2000, 2200, 1, -7, 2},
         {2030, 1970, -7, 3}, {1970, 2230, 5, 2}},
        {"zero goes through the setter", {2000, 2000, 1, 5, 3}, {2100, 2000, 1, 0, 2},
         {1970, 2030, 10, 3}, {2130, 1970, 5, 2}},
        {"2.5 to 2", {2000, 2000, 3, 2, 3}, {2200, 2000, 1, 160, 3},
         {1970, 2030, 2, 3}, {2230, 1970, -10, 3}},
        {"3.5 to 4", {2000, 2000, 3, 3, 3}, {2200, 2000, 1, 161, 3},
         {1970, 2030, 4, 3}, {2230, 1970, -10, 3}},
        // b below and left: the angle is taken in the first quadrant all the same; a speed
        // that rounds to 0 goes through the setter too
        {"diagonal", {2000, 2000, 1, 6, 0}, {1900, 2100, 2, -4, 0},
         {2030, 1970, -4, -10}, {1870, 2130, -4, 10}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s(20, 0);
        s.placeBalls({c.a, c.b});
        checkBallCollisions(s.g, 1);
        EXPECT_EQ(stateOf(s.ball(1)), c.wantA);
        EXPECT_EQ(stateOf(s.ball(2)), c.wantB);
    }
}

TEST(BallCollisions, FadingBallIsPushedByOthersButRunsNoTestOfItsOwn) {
    // Frame step 0 keeps the balls in place and holds the fade; the live pair bounces twice,
    // once in each ball's move, the fading one only in its partner's.
    for (const auto& [fading, left] : {std::pair{true, 970.0f}, std::pair{false, 940.0f}}) {
        Scene s(20, 0);
        s.placeBalls({{1000, 3000, 1, 5, 3}, {1100, 3000, 1, -7, 2}});
        if (fading) {
            ParticleTestAccess::capture(s.ball(1));
        }
        s.passes(1);
        EXPECT_EQ(s.ball(1).left(), left) << fading;
    }
}

TEST(BallCollisions, NothingHappensAloneOrBeforeLevelTwenty) {
    for (const int level : {20, 19}) {
        Scene s(level, 0);
        // At level 20 a ball alone; at 19 a second one right on top of it.
        std::vector<PlacedBall> balls{{2000, 2000, 1, 5, 3}};
        if (level == 19) {
            balls.push_back({2000, 2000, 4, -7, 2});
        }
        s.placeBalls(balls);
        s.passes(3);
        EXPECT_EQ(stateOf(s.ball(1)), (BallState{2000, 2000, 5, 3})) << level;
        if (level == 19) {
            EXPECT_EQ(stateOf(s.ball(2)), (BallState{2000, 2000, -7, 2}));
        }
    }
}

}  // namespace
}  // namespace brivane
