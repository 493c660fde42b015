// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One particle at a time: its set-up, edges, steering, speeds and fade; then balls meeting.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "harness.h"
#include "particles/collisions.h"
#include "particles/particle.h"

namespace brivane {
namespace {

using test::Harness;
using test::makeParticle;
using test::PlacedBall;
using test::Scene;
using test::scriptRnd;

constexpr auto ball = ParticleKind::ball;
constexpr auto quark = ParticleKind::quark;
constexpr auto string = ParticleKind::string;
constexpr auto electron = ParticleKind::electron;

// Its cell, speeds and place are in the seeded set-ups' known answers; its drawing is not.
TEST(ParticleInit, ShowsItselfAtOnceTheMaskFromTheRowBelowItsCellThenTheSprite) {
    const struct {
        ParticleKind kind;
        float cellX, cellHeight;
    } cases[] = {{ball, 3150, 315}, {quark, 270, 45}, {string, 3150, 315}, {electron, 3190, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        Harness h;
        scriptRnd(h.g, {0.95, 0.3, 0.7, 0.5, 0.5, 0.5, 0.0});
        clsParticle p;
        p.init(h.g, 3, static_cast<std::uint8_t>(c.kind));
        const auto& d = h.pf.draws;
        ASSERT_EQ(d.size(), 2u);
        EXPECT_EQ((std::array{d[0].sx, d[0].sy, d[1].sx, d[1].sy, d[0].x1, d[1].y1}),
                  (std::array{c.cellX, c.cellHeight, c.cellX, 0.0f, p.left(), p.top()}));
    }
}

TEST(ParticleMove, EdgesBounceOrWrapAtTheirBoundsAtAnyStep) {
    const struct {
        ParticleKind kind;
        bool vertical;
        float from, to;
        std::int16_t speed, speedAfter;
        int step = 1;
    } cases[] = {
        // clang-format off
        // beyond the known answers: on the bound, half a twip, a wrap just past the bottom
        {ball, false, 8950, 8955, 5, 5}, {ball, false, 8951, 8955, 5, -5},
        {ball, true, 5.5f, 1, -5, 5}, {string, true, 10, 6635, -20, -20},
        // huge steps move the whole distance: 45000 and 68000 would wrap in 16 bits
        {ball, false, 100, 8955, 9, -9, 5000}, {string, false, 100, 34, 34, 34, 2000},
        {string, false, 100, 8990, -35, -35, 2000},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        h.setStep(c.step);
        const float other = 3000;
        auto p = c.vertical ? makeParticle(h.g, c.kind, other, c.from, 0, c.speed)
                            : makeParticle(h.g, c.kind, c.from, other, c.speed, 0);
        p->move(h.g);
        EXPECT_EQ(c.vertical ? std::tuple(p->top(), p->speedY(), p->left())
                             : std::tuple(p->left(), p->speedX(), p->top()),
                  std::tuple(c.to, c.speedAfter, other))
            << static_cast<int>(c.kind) << " from " << c.from;
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

TEST(ParticleFade, AGreyDiscOnTheCentreGrowsAsManyFramesAsTheStepAllowsAndSoundsOnce) {
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
            const int grey = std::max(255 - 2 * step * pass, 0);
            const DrawCall& disc = h.pf.draws[1];  // clear, then the first ball's fade
            EXPECT_EQ(disc.colour, (Rgb{grey, grey, grey})) << pass;
            EXPECT_EQ(disc.width, std::max(255 - grey, 1));  // never thinner than one pixel
            EXPECT_EQ((std::array{disc.x1, disc.y1}), (std::array{1157.0f, 2157.0f}));
        }
        const bool held = frames < 0;
        EXPECT_EQ(std::tuple(pass - 1, h.g.balls[1] == ballOne, h.pf.soundsPlayed.size(),
                             ballOne->fadeLevel()),
                  std::tuple(held ? 400 : frames, held, held ? 400u : 1u, held ? 255 : 0));
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
