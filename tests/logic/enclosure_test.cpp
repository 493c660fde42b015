// Loop finding and the enclosure test, on tails laid out point by point.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/numbers.h"
#include "harness.h"
#include "player/capture.h"
#include "player/tail.h"

namespace brivane {
namespace {

using test::Harness;

// Lays a tail out directly, every point marked as part of a loop unless told otherwise.
void layTail(GameState& g, const std::vector<point>& points, bool marked = true) {
    g.tail.assign(1, TailPoint{});
    for (const point& p : points) {
        g.tail.push_back(TailPoint{p.x, p.y, 0, static_cast<std::int16_t>(marked ? -1 : 0)});
    }
    g.tailCount = static_cast<double>(points.size());
}

TEST(Enclosure, LoopsCatchABallByItsOwnRectangleAndAnUnmarkedTailNothing) {
    // A C opening to the right: a centre in its mouth sees the arms above and below and the
    // back to the left, and the corner rays to the right hit the arms' far ends.
    std::vector<point> c;
    for (float x = 8000; x >= 2000; x -= 200)
        c.push_back({x, 2000});
    for (float y = 2200; y <= 5000; y += 200)
        c.push_back({2000, y});
    for (float x = 2200; x <= 8000; x += 200)
        c.push_back({x, 5000});
    const std::vector<point> box = test::square(2000, 2000, 4000, 4000);
    const struct {
        const std::vector<point>& tail;
        float cx, cy;  // the ball's centre
        bool inside;
        bool marked = true;
    } cases[] = {
        // clang-format off
        {box, 3000, 3000, true}, {box, 2100, 3900, true}, {box, 2657, 2657, true},
        {box, 3857, 3857, true} /* its corner outside */, {box, 1000, 3000, false},
        {box, 3000, 5000, false}, {box, 6000, 6000, false}, {box, 4657, 2657, false},
        {box, 2657, 457, false}, {box, 3000, 3000, false, false},
        {c, 4000, 3500, true}, {c, 7000, 3500, true} /* even out in the open mouth */,
        // clang-format on
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.cx << "," << t.cy);
        Harness h;
        layTail(h.g, t.tail, t.marked);
        EXPECT_EQ(isEnclosed(h.g, t.cx - 157, 315, t.cy - 157, 315), t.inside);
        // A ball asks about its own rectangle, marks itself dying, and answers the same again
        // while already fading.
        const auto ball = test::makeParticle(h.g, ParticleKind::ball, t.cx - 157, t.cy - 157);
        EXPECT_EQ(ball->detectCapture(h.g), t.inside);
        EXPECT_EQ(ball->isDying(), t.inside);
        EXPECT_EQ(ball->detectCapture(h.g), t.inside);
    }
}

TEST(CrossingPoint, LeftEdgeNudgeParallelAndVerticalCases) {
    Harness h;
    layTail(h.g, test::square(200, 2000, 1400, 4000));
    // The centre at x = 0 lies outside the loop; its rays to the left corners are vertical, so
    // the centre moves one twip right, which keeps the crossings to the right of it unhit.
    EXPECT_FALSE(isEnclosed(h.g, -157, 315, 2843, 315));
    point c{0, 3000};
    point q{500, 0};
    crossingPoint(c, {0, 0}, q, {600, 6000}, 8955, 6615);
    EXPECT_FLOAT_EQ(c.x, 1);
    point right{8955, 3000};
    crossingPoint(right, {8955, 6615}, q, {600, 6000}, 8955, 6615);
    EXPECT_FLOAT_EQ(right.x, 8956);

    point p1{1000, 1000};
    point q1{0, 2000};
    // Both lines have slope 1: parallel, no crossing.
    EXPECT_FLOAT_EQ(crossingPoint(p1, {2000, 2000}, q1, {1000, 3000}, 8955, 6615).x, -1);
    // A vertical segment is nudged one twip right in the caller's copy.
    point q2{3000, 0};
    const point hit = crossingPoint(p1, {5000, 1000}, q2, {3000, 5000}, 8955, 6615);
    EXPECT_FLOAT_EQ(q2.x, 3001);
    EXPECT_NEAR(hit.x, 3000.5f, 0.6f);
    EXPECT_FLOAT_EQ(hit.y, 1000);
    // Outside the segment's extent: no crossing.
    point q3{3000, 2000};
    EXPECT_FLOAT_EQ(crossingPoint(p1, {5000, 1000}, q3, {3000, 5000}, 8955, 6615).x, -1);
}

TEST(CrossingPoint, HorizontalSegmentIsHitDespiteRounding) {
    // A diagonal ray from an awkward centre across a horizontal segment: the float result for y
    // can miss the segment's own y by a unit in the last place.
    int misses = 0;
    for (float cx = 1001; cx < 1400; cx += 7) {
        for (float cy = 3001; cy < 3400; cy += 11) {
            point c{cx, cy};
            point q1{0, 2137};
            misses += crossingPoint(c, {0, 0}, q1, {8000, 2137}, 8955, 6615).x == -1 ? 1 : 0;
        }
    }
    EXPECT_EQ(misses, 0);
}

TEST(FindLoop, PointsTenApartWithin360OnBothAxesCloseALoopAndFanItOut) {
    const struct {
        int span;
        float dx, dy;
        bool closes;
    } cases[] = {
        {10, 0, 0, true},       {9, 0, 0, false},       {10, 360, 360, true},
        {10, 360.5f, 0, false}, {10, 0, 360.5f, false}, {12, -360, 200, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.span << " " << c.dx << "," << c.dy);
        Harness h;
        h.g.graceCount = 5;                    // mark and flash only
        std::vector<point> pts{{1000, 1000}};  // then along y = 3000, 400 apart
        for (int i = 1; i < c.span; ++i) {
            pts.push_back({1000 + 400.0f * static_cast<float>(i), 3000});
        }
        layTail(h.g, pts, false);
        // The closing point arrives through the real pointer path.
        addTailPoint(h.g, 1000 + c.dx, 1000 + c.dy);
        for (std::size_t i = 1; i <= pts.size() + 1; ++i) {
            EXPECT_EQ(h.g.tail[i].inLoop, c.closes ? -1 : 0) << i;
        }
        EXPECT_EQ(h.pf.timerEnabled(TimerId::tmrKillTails), c.closes);
        // Lines in bright colours from the first point of the loop to every even point.
        int fans = 0;
        for (const DrawCall& d : h.pf.draws) {
            fans += d.kind == DrawCall::Kind::line ? 1 : 0;
            EXPECT_EQ((std::array{d.x2, d.y2}), (std::array{1000.0f, 1000.0f}));
            EXPECT_GE(std::min({d.colour.r, d.colour.g, d.colour.b}), 50);
        }
        EXPECT_EQ(fans, c.closes ? c.span / 2 : 0);
    }
}

// The first pair the full search over every pair of points would close.
std::pair<std::size_t, std::size_t> firstPairByFullSearch(const GameState& g) {
    const auto n = static_cast<std::size_t>(g.tailCount);
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= n; ++j) {
            const std::size_t span = i > j ? i - j : j - i;
            if (span >= 10 && std::fabs(g.tail[i].x - g.tail[j].x) <= 360 &&
                std::fabs(g.tail[i].y - g.tail[j].y) <= 360) {
                return {std::min(i, j), std::max(i, j)};
            }
        }
    }
    return {0, 0};
}

TEST(FindLoop, ClosesTheSamePairAsTheFullSearchOnRandomWalks) {
    Rnd rnd(7);
    for (int walk = 0; walk < 300; ++walk) {
        SCOPED_TRACE(walk);
        Harness h;
        h.g.graceCount = 30000;  // mark only
        const GameState& g = h.g;
        float x = 4000;
        float y = 3000;
        for (int step = 0; step < 200; ++step) {
            x += static_cast<float>(intFloor(rnd() * 900 - 450));
            y += static_cast<float>(intFloor(rnd() * 900 - 450));
            const double before = g.tailCount;
            addTailPoint(h.g, x, y);
            if (g.tailCount == before || g.tail.back().inLoop == 0) {
                continue;
            }
            // The loop closed: every point from the first pair's lower end is marked.
            const auto want = firstPairByFullSearch(g);
            ASSERT_NE(want.first, 0u);
            EXPECT_EQ(g.tail[want.first].inLoop, -1);
            if (want.first > 1) {
                EXPECT_EQ(g.tail[want.first - 1].inLoop, 0);
            }
            EXPECT_EQ(want.second, static_cast<std::size_t>(g.tailCount));
            break;
        }
    }
}

}  // namespace
}  // namespace brivane
