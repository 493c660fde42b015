// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tail, loops and captures: finding a loop, the enclosure test, scoring, events meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "core/numbers.h"
#include "harness.h"
#include "player/capture.h"
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

// The known answers pin how far apart points are laid and grace; the cap is beyond them.
TEST(Tail, StopsGrowingAtFiftyThousandPoints) {
    TailGame t;
    t.g.tail.resize(50001);
    t.g.tailCount = 50000;
    t.move(5000, 5000);
    EXPECT_EQ(t.g.tailCount, 50000);
}

// Points past 250 go in one sweep; a marked one among them unmarks the rest, as removal does.
TEST(Tail, AgeingDropsPointsOver250AndTheirMarksAndRemovalTakesOnlyRealPlaces) {
    using Point = std::tuple<int, int, bool>;  // place before the pass (1 on), age, marked
    const struct {
        int level, step;
        std::vector<std::pair<int, bool>> before;  // age, marked
        std::vector<Point> after;
    } cases[] = {
        // clang-format off
        {1, 1, {{249, false}, {0, false}}, {{1, 250, false}, {2, 1, false}}},
        {1, 1, {{250, false}, {0, false}}, {{2, 1, false}}},
        {9, 1, {{249, false}}, {{1, 250, false}}}, {10, 1, {{249, false}}, {}},
        {10, 1, {{248, false}}, {{1, 250, false}}}, {1, 50, {{0, false}}, {{1, 50, false}}},
        {9, 0, {{0, false}}, {{1, 0, false}}},  // frame step 0 below level 10 stops ageing
        {10, 0, {{0, false}}, {{1, 1, false}}},
        {1, 1, {{250, false}, {249, true}, {250, false}, {249, false}},
         {{2, 250, true}, {4, 250, false}}},
        {1, 1, {{249, true}, {250, true}, {0, true}, {250, false}}, {{1, 250, false}, {3, 1, false}}},
        {1, 1, {{250, true}, {250, false}}, {}},
        {1, 1, {{249, true}, {0, false}}, {{1, 250, true}, {2, 1, false}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        TailGame t;
        t.g.level = static_cast<std::int16_t>(c.level);
        t.setStep(c.step);
        t.lay(c.before);
        ageTail(t.g);
        std::vector<Point> left;
        for (std::size_t i = 1; i <= static_cast<std::size_t>(t.g.tailCount); ++i) {
            left.emplace_back((t.g.tail[i].x - 1000) / 200, t.g.tail[i].age,
                              t.g.tail[i].inLoop != 0);
        }
        EXPECT_EQ(left, c.after) << c.level << "/" << c.step << "/" << c.before.size();
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
        ASSERT_EQ(t.pf.draws.size(), 1u);  // one point: nothing drawn
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

// Lays a tail out directly, every point marked as part of a loop unless told otherwise.
void layTail(GameState& g, const std::vector<point>& points, bool marked = true) {
    g.tail.assign(1, TailPoint{});
    for (const point& p : points) {
        g.tail.push_back(TailPoint{p.x, p.y, 0, static_cast<std::int16_t>(marked ? -1 : 0)});
    }
    g.tailCount = static_cast<double>(points.size());
}

TEST(Enclosure, LoopsCatchABallByItsOwnRectangleAndAnUnmarkedTailNothing) {
    // A C opening to the right: the corner rays from its mouth hit the arms' far ends.
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
        {box, 2100, 3900, true}, {box, 2657, 2657, true},
        {box, 3857, 3857, true} /* its corner outside */, {box, 1000, 3000, false},
        {box, 3000, 5000, false}, {box, 4657, 2657, false}, {box, 2657, 457, false},
        {box, 3000, 3000, false, false}, {c, 7000, 3500, true} /* even out in the open mouth */,
        // clang-format on
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.cx << "," << t.cy);
        test::Harness h;
        layTail(h.g, t.tail, t.marked);
        EXPECT_EQ(isEnclosed(h.g, t.cx - 157, 315, t.cy - 157, 315), t.inside);
        // Asked again while already fading, a ball answers the same.
        const auto ball = test::makeParticle(h.g, ParticleKind::ball, t.cx - 157, t.cy - 157);
        EXPECT_EQ(ball->detectCapture(h.g), t.inside);
        EXPECT_EQ(ball->isDying(), t.inside);
        EXPECT_EQ(ball->detectCapture(h.g), t.inside);
    }
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
        test::Harness h;
        h.g.graceCount = 5;                    // mark and flash only
        std::vector<point> pts{{1000, 1000}};  // then along y = 3000, 400 apart
        for (int i = 1; i < c.span; ++i) {
            pts.push_back({1000 + 400.0f * static_cast<float>(i), 3000});
        }
        layTail(h.g, pts, false);
        addTailPoint(h.g, 1000 + c.dx, 1000 + c.dy);  // through the real pointer path
        for (std::size_t i = 1; i <= pts.size() + 1; ++i) {
            EXPECT_EQ(h.g.tail[i].inLoop, c.closes ? -1 : 0) << i;
        }
        EXPECT_EQ(h.pf.timerEnabled(TimerId::tmrKillTails), c.closes);
        // Bright lines from the loop's first point to every even point.
        int fans = 0;
        for (const DrawCall& d : h.pf.draws) {
            fans += d.kind == DrawCall::Kind::line ? 1 : 0;
            EXPECT_EQ((std::array{d.x2, d.y2}), (std::array{1000.0f, 1000.0f}));
            EXPECT_GE(std::min({d.colour.r, d.colour.g, d.colour.b}), 50);
        }
        EXPECT_EQ(fans, c.closes ? c.span / 2 : 0);
    }
}

constexpr float inX = 3000;  // centre of the loop laid by loopAround()
constexpr float inY = 3000;

// Level 1 with balls, strings and perhaps the electron, all far outside the loop.
struct CaptureGame : test::Scene {
    CaptureGame(int balls, int strings, bool electron = false) : Scene(1) {
        placeBalls(std::vector<test::PlacedBall>(static_cast<std::size_t>(balls), {7000, 500}));
        for (int i = 0; i < strings; ++i) {
            addString(g);
            place(*g.strings.back(), 8000, 500);
        }
        g.electronActive = electron;
        if (electron) {
            g.electron->init(g, g.ballCount + 1, 3);
            place(*g.electron, 8500, 6000);
        }
    }
    static void place(clsParticle& p, float cx, float cy) {
        p.setLocation(cx - static_cast<float>(static_cast<int>(p.width()) / 2),
                      cy - static_cast<float>(static_cast<int>(p.height()) / 2));
    }
    // The first n balls inside the loop, `first` right of its centre and `apart` apart.
    void ballsIn(int n, float apart, float first = 0) {
        for (int i = 1; i <= n; ++i) {
            place(*g.balls[static_cast<std::size_t>(i)],
                  inX + first + apart * static_cast<float>(i - 1), inY);
        }
    }
    // Round a square of side 2000 centred on (inX, inY), closing through the real pointer path.
    void loopAround() {
        std::vector<point> pts = test::square(2000, 2000, 4000, 4000, 400);
        pts.push_back({2000, 2200});
        for (const auto& [x, y] : pts) {
            g.playerX = x;  // straight to the tail, past the hazard tests
            g.playerY = y;
            addTailPoint(g, x, y);
        }
    }
};

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

// The search remembers what it found; points added, removed, aged out or laid directly must
// leave it answering exactly as the full search does, before and after a loop has closed.
TEST(FindLoop, FindsTheSamePairAsTheFullSearchAsTheTailGrowsAndShrinks) {
    Rnd rnd(7);
    int closed = 0;
    for (int walk = 0; walk < 300; ++walk) {
        SCOPED_TRACE(walk);
        test::Harness h;
        h.g.graceCount = 30000;  // mark only
        GameState& g = h.g;
        const float stride = walk % 3 == 0 ? 900 : 2000;  // wider walks close later, or never
        float x = 4000;
        float y = 3000;
        bool wasClosed = false;
        for (int step = 0; step < 200; ++step) {
            const double op = rnd();
            if (op < 0.05 && g.tailCount >= 1) {
                removeTailPoint(g, intFloor(rnd() * g.tailCount) + 1);
            } else if (op < 0.08 && g.tailCount >= 1) {
                // The oldest few (or a newer one alone) age out in one sweep.
                const auto from = static_cast<std::size_t>(intFloor(rnd() * g.tailCount) + 1);
                const std::size_t to =
                    rnd() < 0.5 ? from : std::min<std::size_t>(from + 3, g.tail.size() - 1);
                for (std::size_t i = rnd() < 0.5 ? 1 : from; i <= to; ++i) {
                    g.tail[i].age = 300;
                }
                ageTail(g);
            } else if (op < 0.1) {
                g.tail.push_back(TailPoint{x, y, 0, 0});  // laid without a search
                g.tailCount += 1;
            } else {
                x += static_cast<float>(intFloor(rnd() * stride - stride / 2));
                y += static_cast<float>(intFloor(rnd() * stride - stride / 2));
                const double before = g.tailCount;
                addTailPoint(g, x, y);
                if (!wasClosed && g.tailCount != before && g.tail.back().inLoop != 0) {
                    // The loop that closed is the full search's pair, marked from its lower end.
                    const auto want = firstPairByFullSearch(g);
                    ASSERT_NE(want.first, 0u);
                    EXPECT_EQ(g.tail[want.first].inLoop, -1);
                    EXPECT_TRUE(want.first == 1 || g.tail[want.first - 1].inLoop == 0);
                    wasClosed = true;
                    ++closed;
                }
            }
            ASSERT_EQ(firstLoopPair(g), firstPairByFullSearch(g)) << "step " << step;
        }
    }
    EXPECT_GT(closed, 150);
}

TEST(Capture, AxisParallelSquareLoopScoresByTheTable) {
    const struct {
        int ballsIn, stringsIn, electronIn;  // electronIn 2: inside and sparking
        double score, gain;
        int lives, livesAfter;
        const char* message;
        const char* showing = "";  // a message already on the playfield
        int grace = 0;
        bool dying = false;
    } cases[] = {
        // clang-format off
        {1, 0, 0, 0, 10, 5, 5, ""}, {2, 0, 0, 0, 40, 5, 5, "40 Points!"},
        {2, 0, 2, 0, 250, 5, 5, "Captured electron while sparking, counts as 3 particle captures!"},
        {2, 0, 1, 0, 90, 5, 5, "90 Points!"},
        {0, 3, 0, 9990, 15, 5, 5, ""},  // crosses 10,000 but catches no particle
        {2, 0, 0, 9990, 40, 5, 6, "Extra life!"},
        {2, 0, 0, 99990, 40, 5, 5, "40 Points!"},  // the digit goes from 9 to 0
        {2, 0, 0, 12000, 40, 5, 5, "40 Points!"},  // above 10,000 but the digit stays 1
        {2, 0, 0, 9990, 40, 7, 8, "40 Points!"},   // extra life without its message
        {2, 0, 0, 9990, 40, 8, 8, "40 Points!"},   // lost at the cap
        {1, 2, 0, 19995, 20, 5, 6, "Extra life!"},
        {2, 0, 0, 9990, 40, 5, 6, "hint", "hint"},  // silences the announcements
        {1, 0, 0, 0, 0, 5, 5, "", "", 50}, {1, 0, 0, 0, 0, 5, 5, "", "", 0, true},  // nothing caught
        // clang-format on
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.gain << " " << t.message);
        CaptureGame c(t.ballsIn + 1, t.stringsIn + 1, t.electronIn > 0);
        c.ballsIn(t.ballsIn, 100, 100);
        for (int i = 1; i <= t.stringsIn; ++i) {
            CaptureGame::place(*c.g.strings[static_cast<std::size_t>(i)], inX + 300,
                               inY + 100.0f * static_cast<float>(i));
        }
        if (t.electronIn > 0) {
            CaptureGame::place(*c.g.electron, inX - 300, inY);
        }
        if (*t.showing) {
            showMessage(c.g, t.showing);
        }
        c.g.electronSparking = t.electronIn == 2;
        c.g.score = t.score;
        c.g.highScore = 50000;
        c.g.lives = static_cast<std::int16_t>(t.lives);
        c.g.graceCount = static_cast<std::int16_t>(t.grace);
        c.g.dying = t.dying;
        c.loopAround();
        EXPECT_EQ(c.g.score, t.score + t.gain);
        EXPECT_EQ(c.g.messageText, t.message);
        EXPECT_EQ(c.g.lives, t.livesAfter);
        EXPECT_EQ(c.g.highScore, std::max(50000.0, t.score + t.gain));
        EXPECT_FALSE(c.g.electronSparking);
        for (int i = 1; i <= t.ballsIn + 1; ++i) {
            EXPECT_EQ(c.g.balls[static_cast<std::size_t>(i)]->isDying(),
                      i <= t.ballsIn && t.gain > 0);
        }
        // Marked and flashed even when nothing is caught.
        EXPECT_EQ(std::pair(c.g.tail[1].inLoop, c.pf.timerEnabled(TimerId::tmrKillTails)),
                  std::pair(std::int16_t{-1}, true));
    }
}

TEST(CaptureReentry, ALoopClosedInsideTheScoringYieldIsScoredToo) {
    CaptureGame c(3, 0);
    c.ballsIn(2, 300);
    // The first yield closes the same loop again: 40 nested, 40 outer.
    c.pf.post(ScriptedEvent::move(2000, 2500));
    c.loopAround();
    EXPECT_EQ(c.g.score, 80);
    EXPECT_TRUE(c.g.balls[1]->isDying() && c.g.balls[2]->isDying());
}

TEST(CaptureReentry, ALevelJumpOrEmptiedTailDuringTheYieldIsSafe) {
    for (const int what : {0, 1, 2}) {
        CaptureGame c(4, 0);
        c.g.highLevel = 30;
        c.ballsIn(3, 150, 150);
        c.pf.post(ScriptedEvent::run([&c, what] {
            if (what == 1) {
                clearTail(c.g);
            } else {
                // Twenty new balls while the walk is at ball 3, or fewer than its position.
                jumpToLevel(c.g, what == 0 ? 20 : 1);
            }
        }));
        c.loopAround();
        EXPECT_GE(c.g.score, 10);
        c.passes(3);  // and the game goes on
        EXPECT_FALSE(c.g.ended);
    }
}

}  // namespace
}  // namespace brivane
