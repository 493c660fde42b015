// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Level set-up: the exact particles of seeded set-ups, the thresholds of its random draws, the
// hints, what carries over between levels, and File > Jump To Level.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "particles/particle.h"
#include "replay/pass_report.h"

namespace brivane {
namespace {

using test::scriptRnd;

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

// The string, electron and bond draws on each side of their thresholds; the seeded set-ups
// above pin everything else dealt.
TEST(LevelSetUp, StringElectronAndBondDrawsAtTheirThresholds) {
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
    // The bond draw of the second ball at level 10: 0.0999 gives 10 (bonded), 0.1 gives 11.
    for (const auto& [r, bonded] : {std::pair{0.0999, true}, std::pair{0.1, false}}) {
        test::Started h;
        std::vector<double> draws(15, 0.3);
        draws.back() = r;
        scriptRnd(h.g, draws);
        h.toLevel(10);
        EXPECT_EQ(h.g.balls[2]->boundTo().empty(), !bonded) << r;
        EXPECT_EQ(h.g.balls[3]->boundTo(), "");
    }
    // Below level 15 there is no electron draw at all, even with a winning draw next.
    test::Started h;
    scriptRnd(h.g, std::vector<double>(14 * 7 + 13 + 21 * 6 + 1, 0.3), 0.0);
    h.toLevel(14);
    EXPECT_FALSE(h.g.electronActive);
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
    // Balls that once bounced off each other keep doing so after a restart at level 1.
    test::Started h;
    h.toLevel(20);
    h.toLevel(1);
    EXPECT_TRUE(h.g.ballsCollide);
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
        {"2.6", 3, 500}, {"2,6", 2, 500},  // a point, whatever the locale
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
