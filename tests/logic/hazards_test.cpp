// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What kills the player, the shield, bonds, and the death sequence.

#include "player/hazards.h"
#include "core/lives.h"
#include "core/sound.h"
#include "harness.h"
#include "particles/bonds.h"
#include "particles/lists.h"

namespace brivane {
namespace {

using test::drawsWhere;
using test::halfBall;
using test::Scene;

TEST(BallContact, KillsCloserThanThreeHundredFourteenOnlyOnAPointerMoveAndNeverWhileFading) {
    // dx, dy, fading, dies: -222, 222 is 313.96 away and -223, 222 is 314.67
    const std::tuple<float, float, bool, bool> cases[] = {
        {313, 0, false, true},     {314, 0, false, false}, {-222, 222, false, true},
        {-223, 222, false, false}, {0, 0, true, false},
    };
    for (const auto& [dx, dy, fading, dies] : cases) {
        Scene s(5, 0);  // frame step 0 holds a captured ball's fade, so it stays on the playfield
        s.placeBalls({{3000, 3000}, {6000, 1000}});
        if (fading) {
            ParticleTestAccess::capture(s.ball(1));
        }
        s.moveTo(3000 + halfBall + dx, 3000 + halfBall + dy);
        EXPECT_EQ(std::pair(s.g.dying, s.g.bondDeath), std::pair(dies, false)) << dx << ", " << dy;
    }
}

// A right click buys it from level 100 for 20,000, once.
TEST(Shield, AbsorbsOneContactThenTheNextKillsAndItReturnsWithEachLife) {
    Scene low(99, 10);
    low.g.score = 50000;
    low.send(ScriptedEvent::down(2));
    Scene s(100, 10);
    s.placeBalls({{3000, 3000}, {6000, 4000}});
    for (const auto& [score, button] : {std::pair(19999.0, 2), {50000.0, 1}, {20000.0, 2}}) {
        s.g.score = score;
        s.send(ScriptedEvent::down(button));
    }
    EXPECT_EQ(std::tuple(low.g.shieldOn, low.g.score, low.g.messageText, low.pf.playerSprite),
              std::tuple(false, 50000.0, "", Picture::imgPlayer));
    EXPECT_EQ(std::tuple(s.g.shieldOn, s.g.score, s.g.messageText, s.pf.playerSprite),
              std::tuple(true, 0.0, "Shield Purchased & Activated", Picture::imgPlayerShield));
    s.moveTo(3000 + halfBall, 3000 + halfBall);
    EXPECT_EQ(std::tuple(s.g.dying, s.g.shieldOn, s.soundCount(effectShieldDie), s.pf.playerSprite),
              std::tuple(false, false, 1, Picture::imgPlayer));
    s.moveTo(3000 + halfBall + 10, 3000 + halfBall);
    s.passes(20);
    EXPECT_EQ(std::tuple(s.g.lives, s.pf.playerSprite), std::tuple(4, Picture::imgPlayerShield));
    // A second purchase does nothing, even with the shield used up.
    s.g.graceCount = 0;
    s.moveTo(6000 + halfBall, 4000 + halfBall);
    s.g.score = 60000;
    s.send(ScriptedEvent::down(2));
    EXPECT_EQ(std::pair(s.g.shieldOn, s.g.score), std::pair(false, 60000.0));
    // The last life: the shield is up again after the restart at level 1.
    setLives(s.g, 0);
    s.moveTo(6000 + halfBall, 4000 + halfBall + 5);
    s.passes(20);
    EXPECT_EQ(std::tuple(s.g.level, s.g.shieldOn), std::tuple(1, true));
}

// A bond from centre (1157, 3157) to (5157, 3157), the player clear of the balls; the samples
// reach 1/21 and 20/21 of the way, 1347 and 4967.
TEST(BondContact, KillsWithinReachOfTheDrawnLineBetweenItsEnds) {
    const std::tuple<float, float, bool, float> cases[] = {
        // clang-format off
        {3157, 3157 + 159, true, 3157}, {3157, 3157 + 160, true, 0},
        {3157, 3157 - 159, true, 3157}, {3157, 3157 - 160, true, 0}, {3157, 3157, false, 0},
        {1347 - 159, 3157, true, 1347}, {1347 - 160, 3157, true, 0},
        {4967 + 159, 3157, true, 4967}, {4967 + 160, 3157, true, 0},
        // clang-format on
    };  // the player's x and y, red, the x hit (0: no death)
    for (const auto& [x, y, red, hitX] : cases) {
        Scene s(10, 1);
        s.bondedPair(red);
        s.moveTo(x, y);
        EXPECT_EQ(s.g.bondDeath, hitX != 0) << x << ", " << y << (red ? " red" : "");
        if (hitX != 0) {
            EXPECT_EQ(std::tuple(s.g.dying, s.g.bondHitX, s.g.bondHitY),
                      std::tuple(true, hitX, 3157.0f));
        }
    }
}

TEST(BondContact, HarmlessDuringTheGracePeriodThenKillsFromTheBallsOwnDrawing) {
    Scene s(10, 1);
    s.bondedPair();
    s.g.graceCount = 30;
    s.moveTo(2000, 3157 + 50);
    s.g.graceCount = 1;  // the last harmless pass
    s.passes(10);
    EXPECT_FALSE(s.g.dying);
    s.g.graceCount = 0;
    s.passes(1);
    EXPECT_EQ(std::tuple(s.g.dying, s.g.bondDeath, s.g.bondHitY), std::tuple(true, true, 3157.0f));
    EXPECT_LT(std::fabs(s.g.bondHitX - 2000), 160);
}

// A still electron with its centre at (4159, 3150), the player at the given offset from it.
void sparkScene(Scene& s, float dx, float dy) {
    s.placeBalls({{200, 200}});
    s.g.electron = test::makeParticle(s.g, ParticleKind::electron, 4000, 3000, 0, 0, 2);
    s.g.electronActive = true;
    s.moveTo(4159 + dx, 3150 + dy);
}

// A caught electron fades out: the spark timer must not make it spark meanwhile.
TEST(Sparks, TimerLeavesACaughtElectronFadingAndSilent) {
    Scene s(15, 4);
    sparkScene(s, 3000, 3000);
    ParticleTestAccess::capture(*s.g.electron);
    s.tick(TimerId::tmrDoElectron);
    EXPECT_EQ(std::pair(s.g.electronSparking, s.soundCount(effectSpark)), std::pair(false, 0));
    s.passes(1);
    EXPECT_LT(s.g.electron->fadeLevel(), 255);
    EXPECT_TRUE(drawsWhere(s.pf, [](const auto& d) {
                    return d.colour == Rgb{200, 200, 255};
                }).empty());
}

// The first spark is scripted, the others point up and left; under the shield the disc is green.
TEST(Sparks, OnlyAStrokeRightAndDownKillsWithinItsOffsets) {
    const std::tuple<int, int, float, float, bool, bool> cases[] = {
        // clang-format off
        {400, 300, -399, -299, true, false}, {400, 300, 399, 299, true, false},
        {400, 300, -400, -299, false, false}, {400, 300, -399, -300, false, false},
        {0, 300, 0, 0, false, false}, {400, 0, 0, 0, false, false}, {1, 1, 0, 0, true, false},
        {1, 1, 0, 0, true, true},
        // clang-format on
    };  // the stroke, the player's offset, dies, shielded
    for (const auto& [a, b, dx, dy, dies, shield] : cases) {
        SCOPED_TRACE(testing::Message() << a << ", " << b << " at " << dx << ", " << dy << shield);
        Scene s(15, 1);
        sparkScene(s, dx, dy);
        s.tick(TimerId::tmrDoElectron);
        ASSERT_TRUE(s.g.electronSparking);
        EXPECT_EQ(s.soundCount(effectSpark), 1);
        s.g.graceCount = 100;
        s.g.shieldOwned = shield;
        setShield(s.g, shield);
        test::scriptRnd(s.g, {(a + 1000.5) / 2000.0, (b + 1000.5) / 2000.0, 0.5, 0.5}, 0.25);
        s.passes(1);
        EXPECT_EQ(
            std::tuple(s.g.dying, s.soundCount(shield ? effectShieldDie : effectDie), s.g.shieldOn),
            std::tuple(dies, dies ? 1 : 0, shield));
        const Rgb disc = shield ? Rgb{253, 255, 253} : Rgb{255, 253, 253};
        EXPECT_EQ(drawsWhere(s.pf, [&](const auto& d) { return d.colour == disc && d.width == 47; })
                      .size(),
                  dies ? 1u : 0u);
    }
}

TEST(Bonds, PartnerIsFoundAtItsSlotAsTheListChangesOnBothSidesOfSixtyFourBalls) {
    // From 64 balls a table of digests finds the partner, as the plain search would.
    for (const int n : {63, 64, 300}) {
        SCOPED_TRACE(n);
        Scene s(20, 0);
        s.placeBalls(std::vector<test::PlacedBall>(static_cast<std::size_t>(n), {1000, 1000}));
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(findBallByID(s.g, s.ball(i).IDnum()), i);
        }
        EXPECT_EQ(findBallByID(s.g, "no such ball"), 0);
        const std::string third = s.ball(3).IDnum();
        const std::string last = s.ball(n).IDnum();
        removeBall(s.g, 2);
        EXPECT_EQ(std::pair(findBallByID(s.g, third), findBallByID(s.g, last)),
                  std::pair(2.0, n - 1.0));
        const std::string old = s.ball(5).IDnum();
        s.ball(5).init(s.g, 5, static_cast<std::uint8_t>(ParticleKind::ball));
        EXPECT_EQ(std::pair(findBallByID(s.g, old), findBallByID(s.g, s.ball(5).IDnum())),
                  std::pair(0.0, 5.0));
        s.g.ballCount -= 1;
        EXPECT_EQ(std::pair(findBallByID(s.g, last), findBallByID(s.g, s.ball(n - 2).IDnum())),
                  std::pair(0.0, n - 2.0));
    }
}

TEST(Bonds, SwitchToRedSoundsOnlyWithABond) {
    for (const auto& [bonded, startRed] : {std::pair(true, false), {false, false}, {true, true}}) {
        Scene s(10, 1);
        s.placeBalls({{500, 500}, {2500, 2500}, {4000, 4000}});
        if (bonded) {
            s.bond(3, 2);
        }
        s.g.bondsRed = startRed;
        s.tick(TimerId::tmrToggleBonds);
        EXPECT_EQ(std::pair(s.g.bondsRed, s.soundCount(effectBonds)),
                  std::pair(!startRed, bonded && !startRed ? 1 : 0))
            << bonded << startRed;
    }
}

int visibleIcons(const SpyPlatform& pf) {
    return static_cast<int>(std::count(pf.lifeIcons.begin(), pf.lifeIcons.end(), true));
}

// The disc at the player grows two a frame step each pass; the life goes one pass after it is
// full, and frame step 0 holds it until the step rises.
TEST(DeathStep, DiscGrowsTwoPerFrameStepAndTheLifeGoesOneStepAfterZero) {
    for (const auto& [step, passes] : {std::pair{10, 14}, {1, 129}, {0, 60}}) {  // with the hit's
        SCOPED_TRACE(step);
        Scene s(3, step);
        s.placeBalls({{2000, 2000}});
        s.moveTo(2000 + halfBall, 2000 + halfBall);
        s.passes(1);
        EXPECT_EQ(std::pair(int{s.g.deathFade}, s.soundCount(effectDie)),
                  std::pair(std::max(255 - 4 * step, 0), 1));
        s.passes(passes - 3);
        EXPECT_EQ(std::pair(s.g.dying, int{s.g.lives}), std::pair(true, 5));
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

// A level set-up ends a bond death, so the next death has no lightning.
TEST(DeathStep, ABondDeathEndsWithItsLifeOrALevelSetUp) {
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
        s.passes(20);
        EXPECT_EQ(std::tuple(s.g.dying, s.g.bondDeath, s.g.lives), std::tuple(false, false, 4));
    }
}

// The implosion paints the bonded ball, whose bond test reports the hit again meanwhile.
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
