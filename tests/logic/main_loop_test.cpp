// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up, the pass, the frame step, speed controls, the message, number rules, level set-up.

#include <clocale>
#include <cstdlib>

#include "core/numbers.h"
#include "harness.h"
#include "platform/pacing.h"
#include "replay/pass_report.h"

namespace brivane {
namespace {

using test::drawsWhere;
using test::Harness;

// ctest runs the text tables again under LC_ALL with a decimal comma; switch to it as Qt would.
// A missing locale would pass for the wrong reason: scripts/install-deps makes it.
struct PlayersLocale : testing::Environment {
    void SetUp() override {
        const char* wanted = std::getenv("LC_ALL");
        const char* got = std::setlocale(LC_ALL, "");
        if (wanted != nullptr && *wanted != '\0') {
            ASSERT_STREQ(got, wanted) << "the locale " << wanted << " is missing";
        }
    }
};

[[maybe_unused]] const testing::Environment* const playersLocale =
    testing::AddGlobalTestEnvironment(new PlayersLocale);

TEST(StartUp, ReadsStoredChoicesFallingBackToDefaultsAndWritesNothing) {
    const struct {
        const char *checkUpdates, *autoSpeed, *userSpeed;  // checkUpdates nullptr: an empty store
        bool updates, autoOn;
        int speed;
    } cases[] = {
        // clang-format off
        {nullptr, nullptr, nullptr, true, true, 0}, {"False", "False", "12", false, false, 12},
        {"false", "FALSE", "12x", true, true, 0}, {"", "yes", " 5", true, true, 0},
        {"False", "True", "-1", false, true, 0}, {"True", "False", "51", true, false, 50},
        {"True", "True", "50", true, true, 50}, {"True", "True", "-99999999999999999999", true, true, 0},
        {"True", "True", "99999999999999999999", true, true, 50},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.userSpeed ? c.userSpeed : "(empty store)");
        Harness h;
        if (c.checkUpdates != nullptr) {
            h.pf.settings = {{{"misc", "checkUpdates"}, c.checkUpdates},
                             {{"misc", "autoSpeed"}, c.autoSpeed},
                             {{"settings", "userSpeed"}, c.userSpeed}};
        }
        const auto stored = h.pf.settings;
        h.start();
        // The update check starts without waiting for its answer; level 1 raises the high level.
        EXPECT_EQ(
            std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsUpdates), h.pf.sockConnects.size(),
                       h.g.autoSpeed, h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed),
                       h.g.userSpeed, h.g.highLevel, h.pf.dialogs.size(), h.pf.settings == stored),
            std::tuple(c.updates, c.updates ? 1u : 0u, c.autoOn, c.autoOn, c.speed, 1, 0u, true));
    }
}

// Capped at 25 so that a stall does not throw everything across the playfield.
TEST(FrameStep, AutomaticRoundsAQuarterOfThePassCappedManualAddsTheAreaFactor) {
    const struct {
        bool autoSpeed;
        int ms, step, userSpeed = 0, width = 8955, height = 6615;
    } cases[] = {
        // clang-format off
        {true, 0, 0}, {true, 2, 0}, {true, 3, 1}, {true, 5, 1}, {true, 6, 2}, {true, 10, 2},
        {true, 14, 4}, {true, 98, 24}, {true, 100, 25}, {true, 102, 25}, {true, 0x7FFFFFFF, 25},
        {false, 400, 1}, {false, 400, 1, 0, 8954}, {false, 400, 2, 0, 17910},
        {false, 400, 1, 0, 17909}, {false, 400, 10, 0, 8955, 66150},
        {false, 400, 60, 50, 89550, 66150},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        h.g.autoSpeed = c.autoSpeed;
        h.g.frameTicks = c.ms;
        h.g.userSpeed = static_cast<std::int16_t>(c.userSpeed);
        h.pf.setPlayfieldSize(c.width, c.height);
        EXPECT_EQ(frameStep(h.g), c.step) << c.ms << " ms, " << c.width << " x " << c.height;
    }
}

// A multiple of 4 ms makes the automatic frame step exact, so every display runs at one speed.
TEST(FramePacing, PassesLastAFourMillisecondMultipleSoEveryDisplayRunsAtNominalSpeed) {
    const std::pair<double, int> cases[] = {
        {0, 16},  {19.9, 16}, {20, 52},  {50, 20},   {59.94, 16},        {60, 16},
        {75, 12}, {90, 12},   {100, 12}, {100.1, 8}, {120, 8},           {144, 8},
        {165, 8}, {240, 8},   {480, 8},  {1000, 8},  {std::nan(""), 16},
    };  // refresh Hz, pass ms
    for (const auto& [hz, ms] : cases) {
        EXPECT_EQ(paceIntervalMs(hz), ms) << hz << " Hz";
    }
}

TEST(SpeedKeys, PlusEqualsAndMinusStepTheManualSpeedWithinItsRangeAndOthersAreIgnored) {
    const std::tuple<int, int, int> cases[] = {
        {0, '-', 0},   {1, '-', 0}, {0, '+', 1}, {0, '=', 1}, {49, '+', 50},
        {50, '+', 50}, {5, 'a', 5}, {5, '_', 5}, {5, 13, 5},
    };  // speed, key, speed after
    for (const auto& [start, key, after] : cases) {
        SCOPED_TRACE(key);
        test::Started h;
        h.g.userSpeed = static_cast<std::int16_t>(start);
        h.send(ScriptedEvent::key(key));
        // Manual speed takes over without changing the stored choice for the next start.
        const bool taken = key == '-' || key == '+' || key == '=';
        decltype(h.pf.settings) stored;
        if (taken) {
            stored[{"settings", "userSpeed"}] = std::to_string(after);
        }
        EXPECT_EQ(std::tuple(h.g.userSpeed, h.g.autoSpeed,
                             h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), h.pf.settings),
                  std::tuple(after, !taken, !taken, stored));
    }
}

TEST(SpeedMenus, AutoSpeedStoresItsWordAndDisplayTimingShowsTheLastPassStoringNothing) {
    test::Started h;
    for (const bool on : {false, true}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
        EXPECT_EQ(std::tuple(h.g.autoSpeed, h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed),
                             h.g.messageText, h.pf.settings[{"misc", "autoSpeed"}]),
                  std::tuple(on, on,
                             on ? "Adjusting frame rate automatically"
                                : "Press + or - to adjust frame rate",
                             on ? "True" : "False"));
    }
    const auto before = h.pf.settings;
    const auto timing = [&h] {
        return drawsWhere(h.pf, [](const DrawCall& d) { return d.text.rfind("3 ", 0) == 0; });
    };
    h.g.userSpeed = 3;
    h.pf.setPassDuration(27);
    h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
    h.pf.setPassDuration(40);
    h.passes(1);
    // Even with automatic speed on: the manual value, then the time measured before this pass.
    ASSERT_EQ(timing().size(), 1u);
    EXPECT_EQ(std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender), timing()[0]->text,
                         timing()[0]->colour, h.g.frameTicks),
              std::tuple(true, "3 27", Rgb{255, 255, 255}, 40));
    h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
    h.passes(1);
    EXPECT_EQ(std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender), timing().size(),
                         h.pf.settings == before),
              std::tuple(false, 0u, true));
}

TEST(MainLoop, RunsPassesUntilTheGameEnds) {
    test::Started s;
    const int before = s.pf.yields().pass();
    int after = 0;
    mainLoop(s.g, [&] { s.g.ended = ++after == 3; });
    EXPECT_EQ(std::pair(after, s.pf.yields().pass() - before), std::pair(3, 3));
}

TEST(MainLoop, TickCounterWrapKeepsThePassDuration) {
    struct : HeadlessPlatform {  // a tick counter that wraps between the two readings of a pass
        std::uint32_t tickCount() override { return HeadlessPlatform::tickCount() + 0xFFFFFFF0u; }
    } pf;
    GameState g(pf);
    pf.setPassDuration(40);
    runPass(g);
    EXPECT_EQ(g.frameTicks, 40);
}

// Beyond what the score file and the level dialog read and write: signs, exponents, -0, the
// 16-bit range, a negative half.
TEST(Numbers, LeadingNumbersShortestDecimalsAndHalvesToEven) {
    const std::pair<const char*, double> read[] = {
        {"+4", 4}, {"1e3", 1000}, {"2e", 2},   {".5", 0.5},    {"1.5e-1z", 0.15},
        {"-", 0},  {"12 34", 12}, {"0x10", 0}, {"  7.5", 7.5}, {"8.5x", 8.5},
    };
    for (const auto& [text, value] : read) {
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    }
    for (const auto& [v, text] :
         {std::pair{-0.0, "0"}, {12.5, "12.5"}, {1e20, "100000000000000000000"}}) {
        EXPECT_EQ(shortestDecimal(v), text);
    }
    for (const auto& [v, whole] : {std::pair{-2.5, -2}, {1e9, 32767}, {-1e9, -32768}}) {
        EXPECT_EQ(toInt16(v), whole) << v;
    }
}

// Known answers: every particle dealt, with its place, speeds and identity, as a digest.
TEST(LevelSetUp, SeededSetUpsDealTheirKnownParticles) {
    const std::tuple<std::uint32_t, int, std::uint64_t> cases[] = {
        {3, 9, 0x0DF129440DC887FDULL},   // the last level without bonds
        {3, 10, 0x03E5425FC06F87A9ULL},  // bonds from here
        {1, 15, 0x6D1819BCAA57228CULL},  // four strings, bonds and the electron
        {4, 40, 0x89C9B81E36E779D9ULL},  // three strings, bonds and the electron
    };                                   // seed, level, digest
    for (const auto& [seed, level, digest] : cases) {
        test::Started h(seed);
        h.toLevel(level);
        const std::uint64_t dealt = test::digest(passReport(h.g, 0, "", true));
        EXPECT_EQ(dealt, digest) << level << ": " << std::hex << dealt;
    }
}

TEST(LevelSetUp, StringElectronAndBondDrawsAtTheirThresholds) {
    // The string draw: 0.5 gives Int(2) = 2, three strings; 0.75 gives four; 0.4999 none.
    for (const auto& [r, strings] : {std::pair{0.4999, 0}, std::pair{0.5, 3}, std::pair{0.75, 4}}) {
        test::Started h;
        test::scriptRnd(h.g, std::vector<double>(7 + 21 * 6, 0.3), r);
        h.toLevel(1);
        EXPECT_EQ(h.g.stringCount, strings) << r;
    }
    // The electron draw: 0.49 gives 50 (present), 0.5 gives 51; below level 15 there is none.
    for (const auto& [level, r, present] :
         {std::tuple(15, 0.49, true), std::tuple(15, 0.5, false), std::tuple(14, 0.0, false)}) {
        test::Started h;
        test::scriptRnd(h.g, std::vector<double>(level * 7 + level - 1 + 21 * 6 + 1, 0.3), r);
        h.toLevel(level);
        EXPECT_EQ(h.g.electronActive, present) << level << " " << r;
    }
    // The bond draw of the second ball at level 10: 0.0999 gives 10 (bonded), 0.1 gives 11.
    for (const auto& [r, bonded] : {std::pair{0.0999, true}, std::pair{0.1, false}}) {
        test::Started h;
        std::vector<double> draws(15, 0.3);
        draws.back() = r;
        test::scriptRnd(h.g, draws);
        h.toLevel(10);
        EXPECT_EQ(h.g.balls[2]->boundTo().empty(), !bonded) << r;
        EXPECT_EQ(h.g.balls[3]->boundTo(), "");
    }
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
        const bool jumped = c.levelAfter != 0;
        // Level 1 starts a new game; a refusal says nothing.
        EXPECT_EQ(std::tuple(h.pf.dialogs[0].defaultText, h.g.level, h.g.score, h.g.dying,
                             h.g.ballCount, jumped || h.g.messageText.empty()),
                  std::tuple(std::to_string(c.highLevel), jumped ? c.levelAfter : 4,
                             c.levelAfter == 1 ? 0.0 : 500.0, !jumped,
                             jumped ? c.levelAfter : h.g.ballCount, true));
    }
}

}  // namespace
}  // namespace brivane
