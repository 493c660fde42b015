// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Level set-up: seeded known answers, draw thresholds, what carries over, and Jump To Level.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "harness.h"
#include "particles/particle.h"
#include "replay/pass_report.h"

namespace brivane {
namespace {

using test::scriptRnd;

// Known answers: every particle dealt, with its place, speeds and identity, as a digest.
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
        const std::uint64_t dealt = test::digest(passReport(h.g, 0, "", true));
        EXPECT_EQ(dealt, c.digest) << c.level << ": " << std::hex << dealt;
    }
}

TEST(LevelSetUp, StringElectronAndBondDrawsAtTheirThresholds) {
    // The string draw: 0.5 gives Int(2) = 2, three strings; 0.75 gives four; 0.4999 none.
    for (const auto& [r, strings] : {std::pair{0.4999, 0}, std::pair{0.5, 3}, std::pair{0.75, 4}}) {
        test::Started h;
        scriptRnd(h.g, std::vector<double>(7 + 21 * 6, 0.3), r);
        h.toLevel(1);
        EXPECT_EQ(h.g.stringCount, strings) << r;
    }
    // The electron draw: 0.49 gives 50 (present), 0.5 gives 51; below level 15 there is none.
    for (const auto& [level, r, present] :
         {std::tuple(15, 0.49, true), std::tuple(15, 0.5, false), std::tuple(14, 0.0, false)}) {
        test::Started h;
        scriptRnd(h.g, std::vector<double>(level * 7 + level - 1 + 21 * 6 + 1, 0.3), r);
        h.toLevel(level);
        EXPECT_EQ(h.g.electronActive, present) << level << " " << r;
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
}

TEST(LevelSetUp, ResetsThePerLevelStateAndCarriesTheRestOver) {
    // The highest level was 30; a set-up from level 0 is a new game, whose score restarts.
    for (const auto& [from, scoreAfter, highAfter] :
         {std::tuple(29, 500.0, 30), std::tuple(30, 500.0, 31), std::tuple(0, 0.0, 30)}) {
        test::Started h;
        h.g.level = static_cast<std::int16_t>(from);
        h.g.highLevel = 30;
        h.g.score = 500;
        h.g.lives = 3;
        h.g.shieldOwned = h.g.dying = h.g.electronSparking = true;
        h.g.deathFade = 7;
        h.g.graceCount = 0;
        h.g.levelCaptures = 4;
        h.g.tailCount = 2;
        h.g.tail.resize(3);
        startLevel(h.g, from == 0 ? "Game over" : "");
        EXPECT_EQ(std::tuple(h.g.level, h.g.highLevel, h.g.score, h.g.lives, h.g.shieldOwned),
                  std::tuple(from + 1, highAfter, scoreAfter, 3, true));
        EXPECT_EQ(std::tuple(h.g.dying, h.g.deathFade, h.g.graceCount, h.g.levelCaptures,
                             h.g.electronSparking, h.g.tailCount, h.g.tail.size()),
                  std::tuple(false, 255, 100, 0, false, 0.0, 1u));
        // A message of its own replaces the level's hint.
        EXPECT_TRUE(from != 0 || h.g.messageText == "Game over");
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
        int highLevel = 9;
    } cases[] = {
        // clang-format off
        {HeadlessPlatform::acceptDefault, 9}, {"9", 9}, {"10", 0} /* not reached */, {"1", 1},
        {"", 0} /* cancelled */, {"abc", 0}, {"0.99", 0}, {"1.4", 1}, {"  3 levels", 3},
        {"32000", 0, 32000}, {"32767", 0, 32767}, {"7.5", 8}, {"8.5", 8} /* halves to even */,
        {"2.6", 3}, {"2,6", 2} /* a point, whatever the locale */,
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
        const bool jumped = c.levelAfter != 0;
        // Level 1 starts a new game; a refusal says nothing.
        EXPECT_EQ(std::tuple(h.g.level, h.g.score, h.g.dying, h.g.ballCount),
                  std::tuple(jumped ? c.levelAfter : 4, c.levelAfter == 1 ? 0.0 : 500.0, !jumped,
                             jumped ? c.levelAfter : h.g.ballCount));
        EXPECT_TRUE(jumped || h.g.messageText.empty());
    }
}

}  // namespace
}  // namespace brivane
