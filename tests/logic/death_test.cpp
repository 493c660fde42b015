// Lives and the death sequence: the icons, how long the red disc grows, the lightning of a bond
// death, the implosion and restart after the last life, and a final death that its own
// implosion reports again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/lives.h"
#include "core/sound.h"
#include "danger_scene.h"
#include "particles/bonds.h"

namespace brivane {
namespace {

using test::halfBall;
using test::Scene;

int visibleIcons(const HeadlessPlatform& pf) {
    int n = 0;
    for (bool v : pf.lifeIconVisible) {
        n += v ? 1 : 0;
    }
    return n;
}

// The disc of the death step drawn in the last pass, if any.
const DrawCall* deathDisc(const HeadlessPlatform& pf, float x, float y) {
    for (const DrawCall& d : pf.draws) {
        if (d.kind == DrawCall::Kind::line && d.x1 == x && d.y1 == y && d.x2 == x - 10 &&
            d.y2 == y - 10) {
            return &d;
        }
    }
    return nullptr;
}

TEST(SetLives, NeverShowsOrStoresMoreThanEight) {
    const struct {
        std::int16_t n, stored;
        int icons;
    } cases[] = {{9, 8, 8}, {8, 8, 8}, {5, 5, 5}, {1, 1, 1}, {0, 0, 0}};
    for (const auto& c : cases) {
        Scene s(1);
        setLives(s.g, c.n);
        EXPECT_EQ(s.g.lives, c.stored) << c.n;
        EXPECT_EQ(visibleIcons(s.pf), c.icons) << c.n;
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(s.pf.lifeIconVisible[i], i < c.icons) << c.n << " icon " << i;
        }
    }
}

TEST(DeathStep, DiscGrowsTwoPerFrameStepAndTheLifeGoesOneStepAfterZero) {
    const struct {
        int step;
        int passes;  // passes until the life is lost, counting the one of the hit
    } cases[] = {{10, 14}, {1, 129}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        Scene s(3, c.step);
        s.placeBalls({{2000, 2000}});
        const float px = 2000 + halfBall;
        const float py = 2000 + halfBall;
        s.moveTo(px, py);
        ASSERT_TRUE(s.g.dying);
        EXPECT_EQ(s.soundCount(effectDie), 1);
        for (int pass = 2; pass < c.passes; ++pass) {
            s.passes(1);
            ASSERT_TRUE(s.g.dying) << pass;
            const int fade = std::max(255 - 2 * c.step * pass, 0);
            EXPECT_EQ(s.g.deathFade, fade) << pass;
            const DrawCall* disc = deathDisc(s.pf, px, py);
            ASSERT_NE(disc, nullptr) << pass;
            EXPECT_EQ(disc->width, 300 - fade);
            EXPECT_EQ(disc->colour, (Rgb{255, fade, fade}));
        }
        EXPECT_EQ(s.g.lives, 5);
        s.passes(1);
        EXPECT_FALSE(s.g.dying);
        EXPECT_EQ(s.g.lives, 4);
        EXPECT_EQ(visibleIcons(s.pf), 4);
        EXPECT_EQ(s.g.deathFade, 255);
        EXPECT_EQ(s.g.graceCount, 100);
        EXPECT_EQ(s.g.level, 3);
        EXPECT_EQ(s.g.ballCount, 1);
    }
}

TEST(DeathStep, FrameStepZeroHoldsTheDiscUntilPassesTakeLonger) {
    Scene s(3, 0);
    s.placeBalls({{2000, 2000}});
    s.moveTo(2000 + halfBall, 2000 + halfBall);
    s.passes(60);
    EXPECT_TRUE(s.g.dying);
    EXPECT_EQ(s.g.deathFade, 255);
    EXPECT_EQ(s.g.lives, 5);
    const DrawCall* disc = deathDisc(s.pf, 2000 + halfBall, 2000 + halfBall);
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(disc->width, 45);
    test::setFrameStep(s.g, 255);
    s.passes(2);
    EXPECT_FALSE(s.g.dying);
    EXPECT_EQ(s.g.lives, 4);
}

TEST(DeathStep, LevelSetUpEndsADeathWithoutCostingALife) {
    Scene s(3, 1);
    s.placeBalls({{2000, 2000}});
    s.moveTo(2000 + halfBall, 2000 + halfBall);
    ASSERT_TRUE(s.g.dying);
    startLevel(s.g, "");
    s.passes(300);
    EXPECT_FALSE(s.g.dying);
    EXPECT_EQ(s.g.lives, 5);
    EXPECT_EQ(s.g.level, 4);
}

TEST(DeathStep, LastLifeImplodesEverythingThenRestartsAtLevelOne) {
    Scene s(7, 10);
    s.placeBalls({{1000, 5000}, {4477 - 45, 3307 - 45}, {7000, 500}});
    s.g.ballsCollide = true;
    s.g.score = 4321;
    s.g.highScore = 98765;
    s.g.highLevel = 31;
    setLives(s.g, 0);
    s.moveTo(1000 + halfBall, 5000 + halfBall);
    // Each step pulls 90 toward the centre; the ball already beside it swings across.
    const float swing[] = {4522, 4432, 4522};
    for (int step = 1; step <= 3; ++step) {
        EXPECT_EQ(s.ball(1).left(), 1000 + 90 * step);
        EXPECT_EQ(s.ball(1).top(), 5000 - 90 * step);
        EXPECT_EQ(s.ball(3).left(), 7000 - 90 * step);
        EXPECT_EQ(s.ball(3).top(), 500 + 90 * step);
        EXPECT_EQ(s.ball(2).left(), swing[step - 1]);
        EXPECT_EQ(s.ball(1).speedX(), 0);
        s.passes(1);
    }
    s.passes(9);
    ASSERT_EQ(s.g.level, 7);
    s.passes(1);
    EXPECT_EQ(s.g.level, 1);
    EXPECT_EQ(s.g.lives, 5);
    EXPECT_EQ(visibleIcons(s.pf), 5);
    EXPECT_EQ(s.g.score, 0);
    EXPECT_FALSE(s.g.dying);
    EXPECT_EQ(s.g.messageText, "You died on level 7, starting over at level 1");
    EXPECT_TRUE(s.g.ballsCollide);
    EXPECT_EQ(s.g.highScore, 98765);
    EXPECT_EQ(s.g.highLevel, 31);
    EXPECT_EQ(s.g.ballCount, 1);
}

TEST(DeathStep, BondDeathDrawsLightningFromTheTouchedPointOnEveryStep) {
    Scene s(10, 10);
    s.placeBalls({{1000, 3000}, {5000, 3000}});
    s.bond(2, 1);
    s.g.bondsRed = true;
    s.moveTo(3157, 3157 + 100);
    ASSERT_TRUE(s.g.bondDeath);
    // The bonded ball's own drawing reports the touch again on every pass, so the death runs
    // two steps a pass; every pass that animates shows the bolts.
    for (int pass = 0; pass < 20 && s.g.dying; ++pass) {
        const bool animating = s.g.deathFade > 0;
        s.passes(1);
        int bolts = 0;
        for (const DrawCall& d : s.pf.draws) {
            if (d.kind == DrawCall::Kind::line && d.x1 == 3157 && d.y1 == 3157 &&
                d.colour == Rgb{200, 200, 255} && d.width == 1) {
                ++bolts;
            }
        }
        EXPECT_EQ(bolts >= 10, animating) << pass;
    }
    EXPECT_FALSE(s.g.dying);
    EXPECT_FALSE(s.g.bondDeath);
    EXPECT_EQ(s.g.lives, 4);
}

// The last death with the player inside a red bond: the implosion paints the bonded ball, whose
// bond test reports the hit again while the death step is still running.
TEST(DeathStep, FinalDeathInARedBandIsNotReenteredByItsOwnImplosion) {
    for (const int step : {0, 4}) {
        SCOPED_TRACE(step);
        Scene s(10, step);
        s.placeBalls({{2000, 3150}, {6640, 3150}});
        s.bond(2, 1);
        s.g.bondsRed = true;
        setLives(s.g, 0);
        s.moveTo(4477, 3307);
        ASSERT_TRUE(s.g.dying);
        ASSERT_TRUE(s.g.bondDeath);
        EXPECT_EQ(s.g.level, 10);
        EXPECT_EQ(s.g.deathFade, 255 - 2 * step);
        EXPECT_EQ(s.ball(1).left(), 2090);  // imploded once, not once per report
        s.passes(1);
        EXPECT_EQ(s.g.level, 10);
        s.passes(200);
        if (step == 0) {
            EXPECT_TRUE(s.g.dying);
            EXPECT_EQ(s.g.level, 10);
            EXPECT_EQ(s.g.deathFade, 255);
        } else {
            EXPECT_FALSE(s.g.dying);
            EXPECT_EQ(s.g.level, 1);
            EXPECT_EQ(s.g.lives, 5);
            EXPECT_EQ(s.g.messageText, "You died on level 10, starting over at level 1");
        }
        EXPECT_FALSE(s.g.inDeathStep);
    }
}

}  // namespace
}  // namespace brivane
