// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lives and the death sequence: icons, the red disc, lightning, implosion and restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

#include "core/levels.h"
#include "core/lives.h"
#include "core/sound.h"
#include "harness.h"

namespace brivane {
namespace {

using test::drawsWhere;
using test::halfBall;
using test::Scene;

int visibleIcons(const SpyPlatform& pf) {
    return static_cast<int>(
        std::count(std::begin(pf.lifeIconVisible), std::end(pf.lifeIconVisible), true));
}

TEST(SetLives, NeverShowsOrStoresMoreThanEight) {
    Scene s(1);
    for (const auto& [n, stored] : {std::pair{9, 8}, {8, 8}, {1, 1}, {0, 0}}) {
        setLives(s.g, static_cast<std::int16_t>(n));
        EXPECT_EQ(std::pair(int{s.g.lives}, visibleIcons(s.pf)), std::pair(stored, stored)) << n;
        EXPECT_EQ(s.pf.lifeIconVisible[std::max(stored - 1, 0)], stored > 0) << n;
    }
}

TEST(DeathStep, DiscGrowsTwoPerFrameStepAndTheLifeGoesOneStepAfterZero) {
    // Passes until the life is lost, the hit's included; step 0 holds the disc until it rises.
    const std::pair<int, int> cases[] = {{10, 14}, {1, 129}, {0, 60}};  // step, passes
    for (const auto& [step, passes] : cases) {
        SCOPED_TRACE(step);
        Scene s(3, step);
        s.placeBalls({{2000, 2000}});
        const float px = 2000 + halfBall;
        const float py = 2000 + halfBall;
        s.moveTo(px, py);
        ASSERT_TRUE(s.g.dying);
        EXPECT_EQ(s.soundCount(effectDie), 1);
        for (int pass = 2; pass < passes; ++pass) {
            s.passes(1);
            ASSERT_TRUE(s.g.dying) << pass;
            const int fade = std::max(255 - 2 * step * pass, 0);
            const auto disc = test::drawsWhere(
                s.pf, [&](const DrawCall& d) { return d.x1 == px && d.y2 == py - 10; });
            ASSERT_EQ(disc.size(), 1u) << pass;
            EXPECT_EQ(std::tuple(s.g.deathFade, disc[0]->width, disc[0]->colour),
                      std::tuple(fade, 300 - fade, Rgb{255, fade, fade}))
                << pass;
        }
        EXPECT_EQ(s.g.lives, 5);
        if (step == 0) {
            s.setStep(255);
            s.passes(1);
        }
        s.passes(1);
        EXPECT_EQ(std::tuple(s.g.dying, s.g.lives, visibleIcons(s.pf), s.g.deathFade,
                             s.g.graceCount, s.g.level),
                  std::tuple(false, 4, 4, 255, 100, 3));
    }
}

TEST(DeathStep, LastLifeImplodesEverythingThenRestartsAtLevelOne) {
    Scene s(7, 10);
    // The third ball moves once (-30, 20) in the pass of the hit, and is then held still.
    s.placeBalls({{1000, 5000}, {4477 - 45, 3307 - 45}, {7000, 500, 1, -3, 2}});
    s.g.highScore = 98765;
    setLives(s.g, 0);
    s.moveTo(1000 + halfBall, 5000 + halfBall);
    // Each step pulls 90 toward the centre (4477, 3307); the ball exactly as far from it either
    // way takes +90, then swings across.
    const std::array<float, 2> swing[] = {{4522, 3352}, {4432, 3262}, {4522, 3352}};
    for (int step = 1; step <= 3; ++step) {
        const float n = 90.0f * static_cast<float>(step);
        EXPECT_EQ((std::array{s.ball(1).left(), s.ball(1).top(), s.ball(3).left(), s.ball(3).top(),
                              s.ball(2).left(), s.ball(2).top()}),
                  (std::array{1000 + n, 5000 - n, 6970 - n, 520 + n, swing[step - 1][0],
                              swing[step - 1][1]}));
        s.passes(1);
    }
    s.passes(9);
    ASSERT_EQ(s.g.level, 7);
    s.passes(1);
    EXPECT_EQ(std::tuple(s.g.level, visibleIcons(s.pf), s.g.dying, s.g.highScore),
              std::tuple(1, 5, false, 98765.0));
    EXPECT_EQ(s.g.messageText, "You died on level 7, starting over at level 1");
}

// The bonded ball's drawing reports the touch again every pass, so the death runs two steps a
// pass. A level set-up ends a bond death, so the next death has no lightning.
TEST(DeathStep, BondDeathDrawsLightningFromTheTouchedPointUntilItEnds) {
    for (const bool newLevel : {false, true}) {
        SCOPED_TRACE(newLevel);
        Scene s(10, 10);
        s.bondedPair();
        s.moveTo(3157, 3157 + 100);
        ASSERT_TRUE(s.g.bondDeath);
        if (newLevel) {
            startLevel(s.g, "");
            EXPECT_EQ(std::pair(s.g.dying, s.g.bondDeath), std::pair(false, false));
            s.g.dying = true;
        }
        for (int pass = 0; pass < 20 && s.g.dying; ++pass) {
            const bool animating = s.g.deathFade > 0 && !newLevel;
            s.passes(1);
            const auto bolts = drawsWhere(s.pf, [](const auto& d) {
                return d.kind == DrawCall::Kind::line && d.x1 == 3157 && d.y1 == 3157 &&
                       d.colour == Rgb{200, 200, 255} && d.width == 1;
            });
            EXPECT_EQ(bolts.size() >= 10, animating) << pass;
            EXPECT_TRUE(!newLevel || bolts.empty());
        }
        EXPECT_EQ(std::tuple(s.g.dying, s.g.bondDeath, s.g.lives), std::tuple(false, false, 4));
    }
}

// The last death inside a red bond: the implosion paints the bonded ball, whose bond test
// reports the hit again while the death step runs.
TEST(DeathStep, FinalDeathInARedBandIsNotReenteredByItsOwnImplosion) {
    for (const int step : {0, 4}) {
        SCOPED_TRACE(step);
        Scene s(10, step);
        s.placeBalls({{2000, 3150}, {6640, 3150}});
        s.bond(2, 1);
        s.g.bondsRed = true;
        setLives(s.g, 0);
        s.moveTo(4477, 3307);
        ASSERT_TRUE(s.g.dying && s.g.bondDeath);
        EXPECT_EQ(std::tuple(s.g.level, s.g.deathFade, s.ball(1).left()),
                  std::tuple(10, 255 - 2 * step, 2090.0f));  // imploded once, not once a report
        s.passes(1);
        EXPECT_EQ(s.g.level, 10);
        s.passes(200);
        EXPECT_EQ(std::tuple(s.g.dying, s.g.level, s.g.inDeathStep),
                  std::tuple(step == 0, step == 0 ? 10 : 1, false));
        EXPECT_EQ(step == 0 ? s.g.deathFade : s.g.lives, step == 0 ? 255 : 5);
    }
}

}  // namespace
}  // namespace brivane
