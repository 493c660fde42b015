// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One particle at a time: its set-up, edges, steering, speeds and fade; then balls meeting.

#include <random>

#include "harness.h"
#include "particles/collisions.h"

namespace brivane {
namespace {

using test::Harness;
using test::makeParticle;
using test::PlacedBall;
using test::Scene;
using test::scriptRnd;

using enum ParticleKind;

TEST(ParticleMove, EdgesBounceOrWrapAtTheirBoundsAtAnyStep) {
    // kind, vertical, from, to, speed before and after, frame step
    const std::tuple<ParticleKind, bool, float, float, std::int16_t, std::int16_t, int> cases[] = {
        // clang-format off
        // beyond the known answers: on the bound, half a twip, a wrap just past the bottom
        {ball, false, 8950, 8955, 5, 5, 1}, {ball, false, 8951, 8955, 5, -5, 1},
        {ball, true, 5.5f, 1, -5, 5, 1}, {string, true, 10, 6635, -20, -20, 1},
        // huge steps move the whole distance: 45000 and 68000 would wrap in 16 bits
        {ball, false, 100, 8955, 9, -9, 5000}, {string, false, 100, 34, 34, 34, 2000},
        {string, false, 100, 8990, -35, -35, 2000},
        // clang-format on
    };
    for (const auto& [kind, vertical, from, to, speed, speedAfter, step] : cases) {
        Harness h;
        h.setStep(step);
        const float other = 3000;
        auto p = vertical ? makeParticle(h.g, kind, other, from, 0, speed)
                          : makeParticle(h.g, kind, from, other, speed, 0);
        p->move(h.g);
        EXPECT_EQ(vertical ? std::tuple(p->top(), p->speedY(), p->left())
                           : std::tuple(p->left(), p->speedX(), p->top()),
                  std::tuple(to, speedAfter, other))
            << static_cast<int>(kind) << " from " << from;
    }
}

TEST(ParticleSpeed, WritersKeepCollisionResultsBetweenMinusTenAndTwentyAndNeverZero) {
    const std::pair<std::int16_t, std::int16_t> cases[] = {
        {0, 10}, {1, 1}, {-10, -10}, {-11, -10}, {20, 20}, {21, 20}, {32767, 20}, {-32768, -10},
    };  // written, stored
    for (const auto& [written, stored] : cases) {
        clsParticle p;
        p.setSpeedX(written);
        p.setSpeedY(written);
        EXPECT_EQ(std::pair(p.speedX(), p.speedY()), std::pair(stored, stored)) << written;
    }
}

TEST(ParticleFade, LastsAsManyFramesAsTheStepAllowsAndSoundsOnce) {
    // Step 0 (frames -1) holds the fade; the sound comes again whenever the device is free.
    const std::pair<int, int> cases[] = {{0, -1},  {1, 128}, {10, 13},
                                         {127, 2}, {128, 1}, {20000, 1}};  // step, frames
    for (const auto& [step, frames] : cases) {
        SCOPED_TRACE(step);
        Harness h;
        h.play(2, step);  // the first ball leaves, one stays
        const auto ballOne = h.g.balls[1];
        ballOne->setLocation(1000, 2000);
        ParticleTestAccess::capture(*ballOne);
        h.pf.soundsPlayed.clear();
        int pass = 1;
        for (; pass <= 400 && h.g.balls[1] == ballOne; ++pass) {
            h.g.soundReady[1] = true;  // as if every earlier capture sound had finished
            runPass(h.g);
        }
        const bool held = frames < 0;
        EXPECT_EQ(std::tuple(pass - 1, h.g.balls[1] == ballOne, h.pf.soundsPlayed.size(),
                             ballOne->fadeLevel()),
                  std::tuple(held ? 400 : frames, held, held ? 400u : 1u, held ? 255 : 0));
        // A held fade's disc is never thinner than a pixel (the first draw after the clear).
        EXPECT_EQ(held ? h.pf.draws[1].width : 1, 1);
    }
}

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
        {"2.5 to 2", {2000, 2000, 3, 2, 3}, {2200, 2000, 1, 160, 3},
         {1970, 2030, 2, 3}, {2230, 1970, -10, 3}},
        {"3.5 to 4", {2000, 2000, 3, 3, 3}, {2200, 2000, 1, 161, 3},
         {1970, 2030, 4, 3}, {2230, 1970, -10, 3}},
        // b below and left: the angle is taken in the first quadrant; a 0 goes through the setter
        {"diagonal", {2000, 2000, 1, 6, 0}, {1900, 2100, 2, -4, 0},
         {2030, 1970, -4, -10}, {1870, 2130, -4, 10}},
        // the angle in double precision decides halves that single precision would flip
        {"contact angle", {2117, 1805, 1, -10, 5}, {2000, 2000, 1, 5, 13},
         {2147, 1775, -3, 17}, {1970, 2030, -2, 10}},
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

// The pair search written out plainly: every other ball in turn, the count read at every step,
// each centre worked out from the ball's size, and the root taken for every pair.
void plainBallCollisions(GameState& g, double num) {
    if (num < 1 || num > g.ballCount) {
        return;
    }
    const auto centre = [&g](double n) {
        const clsParticle& p = *g.balls[static_cast<std::size_t>(n)];
        return std::array<double, 2>{std::floor(p.width() / 2.0f) + p.left(),
                                     std::floor(p.height() / 2.0f) + p.top()};
    };
    const auto self = centre(num);
    for (double j = 1; j <= g.ballCount; j += 1) {
        const auto other = centre(j);
        const double dx = self[0] - other[0];
        const double dy = other[1] - self[1];
        if (j != num && std::sqrt(dx * dx + dy * dy) < 240.0) {
            bounceBalls(g, num, j);
        }
    }
}

std::vector<BallState> statesOf(const ParticleList& list) {
    std::vector<BallState> states;
    for (std::size_t i = 1; i < list.size(); ++i) {
        states.push_back(stateOf(*list[i]));
    }
    return states;
}

// Chains of near neighbours off one another by offsets on both sides of the contact distance
// (144 by 192 is exactly 240) and random ones; chains on both sides of the size where the search
// keeps to the squares around a ball; thousands of balls scattered as thickly as at level 15000
// over corners of the playfield and past its edges. Every ball's test in turn, as in a pass, then
// a handle between two slots: a pair skipped, misjudged or bounced out of turn shows.
TEST(BallCollisions, PairSearchBouncesLikeThePlainOneOverCrowdedLayouts) {
    constexpr float offsets[] = {0,   120,    144,     169.7f,    169.71f, 192,
                                 239, 239.9f, 239.99f, 239.9998f, 240,     240.01f};
    std::mt19937 random(20261207);
    const auto pick = [&random](int n) { return std::uniform_int_distribution(0, n - 1)(random); };
    const auto offset = [&] {  // mostly a listed offset, now and then any up to 400
        const int i = pick(14);
        const float size =
            i < 12 ? offsets[i] : std::uniform_real_distribution(0.0f, 400.0f)(random);
        return pick(2) == 0 ? size : -size;
    };
    struct Layout {
        int balls;
        float left = 0, top = 0, width = 0, height = 0;  // a chain unless scattered over these
    };
    std::vector<Layout> layouts;
    for (int i = 0; i < 400; ++i) {
        layouts.push_back({2 + pick(11)});
    }
    layouts.insert(
        layouts.end(),
        {{63}, {64}, {1200}, {2000, -1200, -800, 3200, 2400}, {1500, 7200, 5300, 2600, 1900}});
    Scene plain(20, 0), searched(20, 0);
    int callsThatBounced = 0, sentOffCourse = 0;
    for (const Layout& l : layouts) {
        std::vector<PlacedBall> at;
        for (int i = 0; i < l.balls; ++i) {
            PlacedBall b{3000, 3000, 1 + pick(11), static_cast<std::int16_t>(pick(31) - 10),
                         static_cast<std::int16_t>(pick(31) - 10)};
            if (l.width > 0) {
                b.left = l.left + static_cast<float>(pick(static_cast<int>(l.width)));
                b.top = l.top + static_cast<float>(pick(static_cast<int>(l.height)));
            } else if (i > 0) {
                const PlacedBall& near = at[static_cast<std::size_t>(pick(i))];
                b.left = near.left + offset();
                b.top = near.top + offset();
            }
            at.push_back(b);
        }
        // Now and then a count short of the list: the last slot holds no ball then.
        const double count = pick(4) == 0 ? l.balls - 1 : l.balls;
        for (Scene* s : {&plain, &searched}) {
            s->placeBalls(at);
            s->g.ballCount = count;
        }
        // The crowded ones move a little before each test and compare at a few points of the
        // sweep: comparing thousands of balls after every test would cost more than the tests.
        const bool crowded = l.balls >= 63;
        const int every = crowded ? l.balls / 8 : 1;
        for (int k = 1; k <= l.balls + 1; ++k) {
            const double num = k <= l.balls ? k : 1.5;
            if (crowded && k <= count) {
                const float dx = static_cast<float>(pick(61) - 30);
                const float dy = static_cast<float>(pick(61) - 30);
                for (Scene* s : {&plain, &searched}) {
                    s->ball(k).setLocation(s->ball(k).left() + dx, s->ball(k).top() + dy);
                }
            }
            const auto before = crowded ? std::vector<BallState>{} : statesOf(plain.g.balls);
            plainBallCollisions(plain.g, num);
            checkBallCollisions(searched.g, num);
            if ((k - 1) % every == 0 || k > l.balls) {
                ASSERT_EQ(statesOf(searched.g.balls), statesOf(plain.g.balls))
                    << l.balls << " balls, ball " << num;
            }
            callsThatBounced += !crowded && statesOf(plain.g.balls) != before ? 1 : 0;
        }
        for (std::size_t i = 0; crowded && i < at.size(); ++i) {
            sentOffCourse += plain.ball(static_cast<int>(i + 1)).speedX() != at[i].speedX ? 1 : 0;
        }
    }
    EXPECT_GT(callsThatBounced, 500);  // both kinds are crowded enough to mean something
    EXPECT_GT(sentOffCourse, 3000);
}

// At frame step 0 a live pair bounces twice, a fading ball only in its partner's move.
TEST(BallCollisions, PassesBounceFromLevelTwentyAndAFadingBallRunsNoTestOfItsOwn) {
    const struct {
        int level, balls;
        bool fading;
        BallState first;
    } cases[] = {
        {20, 2, false, {940, 3060, 3, 7}},
        {20, 2, true, {970, 2970, -7, 3}},
        {19, 2, false, {1000, 3000, 5, 3}},
        {20, 1, false, {1000, 3000, 5, 3}},
    };
    for (const auto& c : cases) {
        Scene s(c.level, 0);
        const std::vector<PlacedBall> pair{{1000, 3000, 1, 5, 3}, {1100, 3000, 1, -7, 2}};
        s.placeBalls({pair.begin(), pair.begin() + c.balls});
        if (c.fading) {
            ParticleTestAccess::capture(s.ball(1));
        }
        s.passes(1);
        EXPECT_EQ(stateOf(s.ball(1)), c.first) << c.level << " " << c.balls << " " << c.fading;
    }
}

}  // namespace
}  // namespace brivane
