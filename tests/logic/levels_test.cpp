// Level set-up: contents over a few dozen seeds, the exact particles of seeded set-ups, the
// thresholds of its random draws, the hints, what carries over between levels, and File > Jump
// To Level.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "particles/particle.h"
#include "replay/pass_report.h"

namespace brivane {
namespace {

using test::scriptRnd;

void expectList(const ParticleList& list, double count, double want, ParticleKind kind) {
    ASSERT_EQ(count, want);
    ASSERT_EQ(list.size(), static_cast<std::size_t>(count) + 1);
    EXPECT_EQ(list[0], nullptr);
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_EQ(list[i]->kind(), kind);
        EXPECT_EQ(list[i]->num(), static_cast<double>(i));
    }
}

TEST(LevelContents, CountsAreExactAndChancesHoldOverSixtySeeds) {
    constexpr int seeds = 60;
    int noStrings = 0, threeStrings = 0, electrons = 0, bonds = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        test::Started h(static_cast<std::uint32_t>(seed));  // level 1
        for (const int level : {1, 10, 15, 20}) {
            if (level > 1) {
                h.toLevel(level);
            }
            expectList(h.g.balls, h.g.ballCount, level, ParticleKind::ball);
            expectList(h.g.quarks, h.g.quarkCount, 21, ParticleKind::quark);
            ASSERT_TRUE(h.g.stringCount == 0 || h.g.stringCount == 3 || h.g.stringCount == 4)
                << h.g.stringCount;
            expectList(h.g.strings, h.g.stringCount, h.g.stringCount, ParticleKind::string);
            noStrings += h.g.stringCount == 0 ? 1 : 0;
            threeStrings += h.g.stringCount == 3 ? 1 : 0;
            if (h.g.electronActive) {
                ++electrons;
                EXPECT_GE(level, 15);
                EXPECT_EQ(h.g.electron->kind(), ParticleKind::electron);
                EXPECT_EQ(h.g.electron->num(), h.g.ballCount + 1);
            }
            EXPECT_EQ(h.g.ballsCollide, level >= 20);
            // From level 10 each ball but the first may be bonded to the one before it.
            EXPECT_TRUE(h.g.balls[1]->boundTo().empty());
            for (std::size_t i = 2; i < h.g.balls.size(); ++i) {
                const std::string& to = h.g.balls[i]->boundTo();
                bonds += to.empty() ? 0 : 1;
                EXPECT_EQ(to, to.empty() || level < 10 ? "" : h.g.balls[i - 1]->IDnum());
            }
        }
        // A restart at level 1 keeps the balls bouncing off each other.
        h.toLevel(1);
        EXPECT_TRUE(h.g.ballsCollide);
    }
    // Five standard deviations either way: a wrong formula shows, chance never does.
    constexpr int setUps = seeds * 4;
    EXPECT_NEAR(noStrings, setUps / 2, 39);
    EXPECT_NEAR(threeStrings, setUps / 4, 34);
    EXPECT_NEAR(setUps - noStrings - threeStrings, setUps / 4, 34);
    EXPECT_NEAR(electrons, seeds, 27);                   // half of the set-ups from level 15
    EXPECT_NEAR(bonds, seeds * (9 + 14 + 19) / 10, 75);  // a chance for each ball but the first
}

// Known answers: the exact particles seeded set-ups deal (balls, quarks, strings, bonds and the
// electron, each with its place, speeds and identity), as digests of their report lines.
TEST(LevelSetUp, SeededSetUpsDealTheirKnownParticles) {
    const struct {
        std::uint32_t seed;
        int level;
        std::uint64_t digest;
    } cases[] = {
        {3, 9, 0x0DF129440DC887FDULL},   // the last level without bonds
        {3, 10, 0x03E5425FC06F87A9ULL},  // bonds from here
        {1, 15, 0x6D1819BCAA57228CULL},  // four strings, bonds and the electron
        {4, 40, 0x89C9B81E36E779D9ULL},  // three strings, bonds and the electron
    };
    for (const auto& c : cases) {
        test::Started h(c.seed);
        h.toLevel(c.level);
        const std::string dealt = passReport(h.g, 0, "", true);
        EXPECT_EQ(test::digest(dealt), c.digest)
            << c.level << ": " << std::hex << test::digest(dealt);
    }
}

// The string and electron draws on each side of their thresholds.
TEST(LevelSetUp, StringAndElectronDrawsAtTheirThresholds) {
    // The string draw: 0.5 gives Int(2) = 2, three strings; 0.75 gives four; 0.4999 none.
    for (const auto& [r, strings] : {std::pair{0.4999, 0}, std::pair{0.5, 3}, std::pair{0.75, 4}}) {
        test::Started h;
        scriptRnd(h.g, std::vector<double>(7 + 21 * 6, 0.3), r);
        h.toLevel(1);
        EXPECT_EQ(h.g.stringCount, strings) << r;
    }
    // The electron draw: 0.49 gives 50 (present), 0.5 gives 51 (absent).
    for (const auto& [r, present] : {std::pair{0.49, true}, std::pair{0.5, false}}) {
        test::Started h;
        scriptRnd(h.g, std::vector<double>(15 * 7 + 14 + 21 * 6 + 1, 0.3), r);
        h.toLevel(15);
        EXPECT_EQ(h.g.electronActive, present) << r;
    }
}

TEST(LevelHints, AMessageOfItsOwnReplacesTheLevelsHint) {
    test::Started h;
    EXPECT_EQ(h.g.messageText, "Trap particles in a loop of your tail");
    h.toLevel(2);
    EXPECT_EQ(h.g.messageText, "Trap particles in a loop of your tail");  // level 2 has none
    h.g.level = 0;
    startLevel(h.g, "Game over");
    EXPECT_EQ(h.g.messageText, "Game over");
    EXPECT_EQ(h.g.messageLevel, 255);
}

TEST(LevelSetUp, ResetsThePerLevelStateAndCarriesTheRestOver) {
    const struct {
        int from;
        double scoreAfter;
        int highAfter;  // the highest level was 30
    } cases[] = {{29, 500, 30}, {30, 500, 31}, {0, 0, 30} /* score restarts */};
    for (const auto& c : cases) {
        test::Started h;
        h.g.level = static_cast<std::int16_t>(c.from);
        h.g.highLevel = 30;
        h.g.score = 500;
        h.g.lives = 3;
        h.g.shieldOwned = true;
        h.g.dying = true;
        h.g.deathFade = 7;
        h.g.graceCount = 0;
        h.g.levelCaptures = 4;
        h.g.electronSparking = true;
        h.g.tailCount = 2;
        h.g.tail.resize(3);
        startLevel(h.g, "");
        EXPECT_EQ(h.g.level, c.from + 1);
        EXPECT_EQ(h.g.highLevel, c.highAfter);
        EXPECT_EQ(h.g.score, c.scoreAfter);
        EXPECT_FALSE(h.g.dying);
        EXPECT_EQ(h.g.deathFade, 255);
        EXPECT_EQ(h.g.graceCount, 100);
        EXPECT_EQ(h.g.levelCaptures, 0);
        EXPECT_FALSE(h.g.electronSparking);
        EXPECT_EQ(h.g.tailCount, 0);
        EXPECT_EQ(h.g.tail.size(), 1u);
        EXPECT_EQ(h.g.lives, 3);
        EXPECT_TRUE(h.g.shieldOwned);
    }
}

TEST(JumpToLevel, DialogTextPicksALevelFromOneToTheHighestBelowThirtyTwoThousand) {
    const struct {
        const char* answer;
        int levelAfter;  // 0: no jump
        double scoreAfter;
        int highLevel = 9;
    } cases[] = {
        // clang-format off
        {HeadlessPlatform::acceptDefault, 9, 500}, {"9", 9, 500}, {"10", 0, 500} /* not reached */,
        {"1", 1, 0}, {"", 0, 500} /* cancelled */, {"abc", 0, 500}, {"0.99", 0, 500},
        {"1.4", 1, 0}, {"  3 levels", 3, 500}, {"32000", 0, 500, 32000}, {"32767", 0, 500, 32767},
        {"7.5", 8, 500}, {"8.5", 8, 500},  // halves go to the even neighbour
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.answer << "\" up to " << c.highLevel);
        test::Started h;
        h.g.level = 4;
        h.g.highLevel = static_cast<std::int16_t>(c.highLevel);
        h.g.score = 500;
        h.g.messageText.clear();
        h.pf.queueDialogAnswer(c.answer);
        // A death in progress when the menu is chosen.
        h.pf.post(ScriptedEvent::run([&h] { h.g.dying = true; }));
        h.send(ScriptedEvent::menuItem(MenuItem::mnuFileJumpLevel));
        ASSERT_EQ(h.pf.dialogs.size(), 1u);
        EXPECT_EQ(h.pf.dialogs[0].defaultText, std::to_string(c.highLevel));
        EXPECT_EQ(h.g.level, c.levelAfter == 0 ? 4 : c.levelAfter);
        EXPECT_EQ(h.g.score, c.scoreAfter);
        EXPECT_EQ(h.g.dying, c.levelAfter == 0);
        if (c.levelAfter != 0) {
            EXPECT_EQ(h.g.ballCount, c.levelAfter);
        } else {
            EXPECT_EQ(h.g.messageText, "");  // refused without a word
        }
    }
}

}  // namespace
}  // namespace brivane
