// Bonds: which balls get one, how they follow identities through removals, how they are drawn,
// and the sound of the switch to red.
#include <gtest/gtest.h>

#include <string>

#include "core/sound.h"
#include "danger_scene.h"
#include "particles/bonds.h"

namespace brivane {
namespace {

using test::halfBall;
using test::Harness;
using test::Scene;

std::vector<const DrawCall*> bondLines(const HeadlessPlatform& pf) {
    std::vector<const DrawCall*> lines;
    for (const DrawCall& d : pf.draws) {
        if (d.kind == DrawCall::Kind::line &&
            (d.colour == Rgb{255, 0, 0} || d.colour == Rgb{0, 0, 255})) {
            lines.push_back(&d);
        }
    }
    return lines;
}

TEST(MakingBonds, OnlyFromLevelTenNeverOnTheFirstBallAndNoDrawBelowTen) {
    // Every draw 0.0 would make a bond wherever one is allowed.
    const struct {
        int level;
        std::size_t draws;
    } cases[] = {
        {9, 9 * 7 + 21 * 6 + 1},
        {10, 10 * 7 + 9 + 21 * 6 + 1},
    };
    for (const auto& c : cases) {
        Harness h;
        h.start();
        const auto drawn = test::scriptRnd(h.g, {}, 0.0);
        h.g.level = static_cast<std::int16_t>(c.level - 1);
        startLevel(h.g, "");
        EXPECT_EQ(*drawn, c.draws) << c.level;
        EXPECT_TRUE(h.g.balls[1]->boundTo().empty());
        for (std::size_t i = 2; i < h.g.balls.size(); ++i) {
            EXPECT_EQ(h.g.balls[i]->boundTo(), c.level >= 10 ? h.g.balls[i - 1]->IDnum() : "")
                << "level " << c.level << " ball " << i;
        }
    }
}

TEST(Bonds, CapturingTheMiddleOfAChainDropsBothOfItsBonds) {
    Scene s(10, 1);
    s.placeBalls({{500, 500}, {1500, 500}, {2500, 500}, {3500, 500}, {4500, 500}});
    s.bond(5, 4);
    s.bond(4, 3);
    const std::string id3 = s.ball(3).IDnum();
    const auto fifth = s.g.balls[5];
    ParticleTestAccess::capture(s.ball(4), 2);
    s.passes(1);
    ASSERT_EQ(s.g.ballCount, 4);
    EXPECT_EQ(s.g.balls[4], fifth);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(s.ball(i).boundTo().empty()) << i;
    }
    EXPECT_EQ(s.ball(3).IDnum(), id3);
    s.passes(1);
    EXPECT_TRUE(bondLines(s.pf).empty());
}

TEST(Bonds, StillJoinTheSameBallsAfterRenumbering) {
    Scene s(10, 1);
    s.placeBalls({{500, 500}, {1500, 800}, {2500, 2500}, {4000, 4000}});
    s.bond(4, 3);
    ParticleTestAccess::capture(s.ball(1), 2);
    s.passes(2);
    ASSERT_EQ(s.g.ballCount, 3);
    const auto lines = bondLines(s.pf);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->x1, 4000 + halfBall);
    EXPECT_EQ(lines[0]->y1, 4000 + halfBall);
    EXPECT_EQ(lines[0]->x2, 2500 + halfBall);
    EXPECT_EQ(lines[0]->y2, 2500 + halfBall);
    EXPECT_EQ(findBallByID(s.g, s.ball(2).IDnum()), 2);
    EXPECT_EQ(findBallByID(s.g, "no such ball"), 0);
}

TEST(Bonds, SwitchToRedSoundsOnlyWithABondAndIsDrawnAtOnce) {
    const struct {
        bool bonded;
        bool startRed;
        int sounds;
    } cases[] = {{true, false, 1}, {false, false, 0}, {true, true, 0}};
    for (const auto& c : cases) {
        Scene s(10, 1);
        s.placeBalls({{500, 500}, {2500, 2500}, {4000, 4000}});
        if (c.bonded) {
            s.bond(3, 2);
        }
        s.g.bondsRed = c.startRed;
        s.tick(TimerId::tmrToggleBonds);
        EXPECT_EQ(s.g.bondsRed, !c.startRed);
        EXPECT_EQ(s.soundCount(effectBonds), c.sounds) << c.bonded << c.startRed;
        s.passes(1);
        const auto lines = bondLines(s.pf);
        ASSERT_EQ(lines.size(), c.bonded ? 1u : 0u);
        if (c.bonded) {
            EXPECT_EQ(lines[0]->colour, c.startRed ? (Rgb{0, 0, 255}) : (Rgb{255, 0, 0}));
            EXPECT_EQ(lines[0]->width, 1);
        }
    }
}

}  // namespace
}  // namespace brivane
