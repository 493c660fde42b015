// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tail, loops and captures: finding a loop, the enclosure test, scoring, events meanwhile.

#include "player/capture.h"
#include "core/numbers.h"
#include "harness.h"
#include "player/tail.h"

namespace brivane {
namespace {

// Lays a tail out directly, every point marked as part of a loop unless told otherwise.
void layTail(GameState& g, const std::vector<point>& points, bool marked = true) {
    g.tail.assign(1, TailPoint{});
    for (const point& p : points) {
        g.tail.push_back(TailPoint{p.x, p.y, 0, static_cast<std::int16_t>(marked ? -1 : 0)});
    }
    g.tailCount = static_cast<double>(points.size());
}

// The known answers pin how far apart points are laid and grace; the cap is beyond them.
TEST(Tail, StopsGrowingAtFiftyThousandPoints) {
    test::Harness h;
    h.g.tail.resize(50001);
    h.g.tailCount = 50000;
    addTailPoint(h.g, 5000, 5000);
    EXPECT_EQ(h.g.tailCount, 50000);
}

// Points past 250 go in one sweep; a marked one among them unmarks the rest, as removal does.
TEST(Tail, AgeingDropsPointsOver250AndTheirMarksAndRemovalTakesOnlyRealPlaces) {
    using Point = std::tuple<int, int, bool>;  // place before the pass (1 on), age, marked
    const auto places = [](const GameState& g) {
        std::vector<Point> left;
        for (std::size_t i = 1; i <= static_cast<std::size_t>(g.tailCount); ++i) {
            left.emplace_back(g.tail[i].x, g.tail[i].age, g.tail[i].inLoop != 0);
        }
        return left;
    };
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
        test::Harness h;
        h.g.level = static_cast<std::int16_t>(c.level);
        h.setStep(c.step);
        layTail(h.g, std::vector<point>(c.before.size()), false);
        for (std::size_t i = 1; i <= c.before.size(); ++i) {
            const auto& [age, marked] = c.before[i - 1];
            h.g.tail[i] = {static_cast<float>(i), 0, static_cast<std::int16_t>(age),
                           static_cast<std::int16_t>(marked ? -1 : 0)};
        }
        ageTail(h.g);
        EXPECT_EQ(places(h.g), c.after) << c.level << "/" << c.step << "/" << c.before.size();
        EXPECT_EQ(h.g.tail.size(), c.after.size() + 1);
    }
    test::Harness h;
    layTail(h.g, {{1, 0}, {2, 0}, {3, 0}, {4, 0}});
    for (const double n : {-1.0, 0.0, 5.0, std::nan("")}) {  // out of range or no number
        removeTailPoint(h.g, n);
    }
    ASSERT_EQ(h.g.tailCount, 4);
    removeTailPoint(h.g, 2);
    EXPECT_EQ(places(h.g), (std::vector<Point>{{1, 0, false}, {3, 0, false}, {4, 0, false}}));
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

TEST(FindLoop, PointsTenApartWithin360OnBothAxesCloseALoop) {
    const std::tuple<int, float, float, bool> cases[] = {
        {10, 0, 0, true},       {9, 0, 0, false},       {10, 360, 360, true},
        {10, 360.5f, 0, false}, {10, 0, 360.5f, false}, {12, -360, 200, true},
    };  // points apart, the closing point's offset from the first, closes
    for (const auto& [span, dx, dy, closes] : cases) {
        SCOPED_TRACE(testing::Message() << span << " " << dx << "," << dy);
        test::Harness h;
        h.g.graceCount = 5;                    // mark and flash only
        std::vector<point> pts{{1000, 1000}};  // then along y = 3000, 400 apart
        for (int i = 1; i < span; ++i) {
            pts.push_back({1000 + 400.0f * static_cast<float>(i), 3000});
        }
        layTail(h.g, pts, false);
        addTailPoint(h.g, 1000 + dx, 1000 + dy);  // through the real pointer path
        for (std::size_t i = 1; i <= pts.size() + 1; ++i) {
            EXPECT_EQ(h.g.tail[i].inLoop, closes ? -1 : 0) << i;
        }
        EXPECT_EQ(h.pf.timerEnabled(TimerId::tmrKillTails), closes);
    }
}

// The first pair the full search over every pair of points would close.
std::pair<std::size_t, std::size_t> firstPairByFullSearch(const GameState& g) {
    const auto n = static_cast<std::size_t>(g.tailCount);
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = i + 10; j <= n; ++j) {
            if (std::fabs(g.tail[i].x - g.tail[j].x) <= 360 &&
                std::fabs(g.tail[i].y - g.tail[j].y) <= 360) {
                return {i, j};
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
        GameState& g = h.g;
        g.graceCount = 30000;                             // mark only
        const float stride = walk % 3 == 0 ? 900 : 2000;  // wider walks close later, or never
        float x = 4000, y = 3000;
        const int closedBefore = closed;
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
                if (closed == closedBefore && g.tailCount != before && g.tail.back().inLoop != 0) {
                    // The loop that closed is the full search's pair, marked from its lower end.
                    const std::size_t first = firstPairByFullSearch(g).first;
                    ASSERT_NE(first, 0u);
                    EXPECT_TRUE(g.tail[first].inLoop == -1 &&
                                (first == 1 || g.tail[first - 1].inLoop == 0));
                    ++closed;
                }
            }
            ASSERT_EQ(firstLoopPair(g), firstPairByFullSearch(g)) << "step " << step;
        }
    }
    EXPECT_GT(closed, 150);
}

constexpr float inX = 3000, inY = 3000;  // the centre of the loop laid by loopAround()

// Level 1 with the balls inside 100 apart from 100 right of the loop's centre, the strings inside
// 300 right of it, 100 apart from 100 below, the electron 300 left; a ball and a string outside.
struct CaptureGame : test::Scene {
    explicit CaptureGame(int ballsIn, int stringsIn = 0, int electronIn = 0) : Scene(1) {
        placeBalls(
            std::vector<test::PlacedBall>(static_cast<std::size_t>(ballsIn + 1), {7000, 500}));
        for (int i = 1; i <= ballsIn; ++i) {
            place(ball(i), inX + 100.0f * static_cast<float>(i), inY);
        }
        for (int i = 1; i <= stringsIn + 1; ++i) {
            addString(g);
            const bool in = i <= stringsIn;
            place(*g.strings.back(), in ? inX + 300 : 8000,
                  in ? inY + 100.0f * static_cast<float>(i) : 500);
        }
        g.electronActive = electronIn > 0;  // 2: inside and sparking
        g.electronSparking = electronIn == 2;
        if (electronIn > 0) {
            g.electron->init(g, g.ballCount + 1, 3);
            place(*g.electron, inX - 300, inY);
        }
    }
    static void place(clsParticle& p, float cx, float cy) {
        p.setLocation(cx - static_cast<float>(static_cast<int>(p.width()) / 2),
                      cy - static_cast<float>(static_cast<int>(p.height()) / 2));
    }
    // Round a square of side 2000 centred on (inX, inY), closed through the real pointer path.
    void loopAround() {
        layTail(g, test::square(2000, 2000, 4000, 4000, 400), false);
        g.playerX = 2000;  // straight to the tail, past the hazard tests
        g.playerY = 2200;
        addTailPoint(g, 2000, 2200);
    }
};

TEST(Capture, AxisParallelSquareLoopScoresByTheTable) {
    const struct {
        int ballsIn, stringsIn, electronIn;
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
        CaptureGame c(t.ballsIn, t.stringsIn, t.electronIn);
        if (*t.showing) {
            showMessage(c.g, t.showing);
        }
        c.g.score = t.score;
        c.g.highScore = 50000;
        c.g.lives = static_cast<std::int16_t>(t.lives);
        c.g.graceCount = static_cast<std::int16_t>(t.grace);
        c.g.dying = t.dying;
        c.loopAround();
        EXPECT_EQ(std::tuple(c.g.score, c.g.messageText, int{c.g.lives}, c.g.highScore,
                             c.g.electronSparking),
                  std::tuple(t.score + t.gain, t.message, t.livesAfter,
                             std::max(50000.0, t.score + t.gain), false));
        for (int i = 1; i <= t.ballsIn + 1; ++i) {
            EXPECT_EQ(c.ball(i).isDying(), i <= t.ballsIn && t.gain > 0);
        }
        // Marked and flashed even when nothing is caught.
        EXPECT_EQ(std::pair(c.g.tail[1].inLoop, c.pf.timerEnabled(TimerId::tmrKillTails)),
                  std::pair(std::int16_t{-1}, true));
    }
}

TEST(CaptureReentry, ALoopClosedInsideTheScoringYieldIsScoredToo) {
    CaptureGame c(2);
    c.pf.post(ScriptedEvent::move(2000, 2500));  // the first yield closes the same loop again
    c.loopAround();
    EXPECT_EQ(c.g.score, 80);  // 40 nested, 40 outer
    EXPECT_TRUE(c.ball(1).isDying() && c.ball(2).isDying());
}

TEST(CaptureReentry, ALevelJumpOrEmptiedTailDuringTheYieldIsSafe) {
    for (const int what : {0, 1, 2}) {
        CaptureGame c(3);
        c.g.highLevel = 30;
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
