// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up, the main loop's pass, the frame step, the speed controls, the centre message, and
// the number rules that dialogs, files and the status line share.
#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "core/game.h"
#include "core/numbers.h"
#include "harness.h"
#include "platform/pacing.h"

namespace brivane {
namespace {

using test::drawsWhere;
using test::Harness;

// The window switches the C library to the player's locale, where a number may be written with
// a decimal comma; ctest runs the tables that read and write texts again with LC_ALL set to such
// locales, and this switches to it as Qt would.
class PlayersLocale : public testing::Environment {
  public:
    void SetUp() override {
        const char* wanted = std::getenv("LC_ALL");
        const char* got = std::setlocale(LC_ALL, "");
        if (wanted != nullptr && *wanted != '\0') {
            // A missing locale would pass for the wrong reason: scripts/install-deps makes it.
            ASSERT_NE(got, nullptr) << "the locale " << wanted << " is not installed";
            ASSERT_STREQ(got, wanted);
        }
    }
};

[[maybe_unused]] const testing::Environment* const playersLocale =
    testing::AddGlobalTestEnvironment(new PlayersLocale);

TEST(StartUp, ReadsStoredChoicesFallingBackToDefaultsAndWritesNothing) {
    const struct {
        const char* checkUpdates;  // nullptr: an empty store
        const char* autoSpeed;
        const char* userSpeed;
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
            h.pf.settings[{"misc", "checkUpdates"}] = c.checkUpdates;
            h.pf.settings[{"misc", "autoSpeed"}] = c.autoSpeed;
            h.pf.settings[{"settings", "userSpeed"}] = c.userSpeed;
        }
        const auto stored = h.pf.settings;
        h.start();
        // The update check starts without waiting for its answer; level 1 raises the high level.
        EXPECT_EQ(
            std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsUpdates), h.pf.sockConnects.size(),
                       h.g.autoSpeed, h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed),
                       h.g.userSpeed, h.g.highLevel),
            std::tuple(c.updates, c.updates ? 1u : 0u, c.autoOn, c.autoOn, c.speed, 1));
        EXPECT_TRUE(h.pf.dialogs.empty());
        EXPECT_EQ(h.pf.settings, stored);
    }
}

// Automatic: a quarter of the last pass, halves to even, capped at 25 so that a stall does not
// throw everything across the playfield; manual: the user speed plus the area factor, no cap.
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

// Each display's pass length, and a ball's path over 10 s of them with automatic speed.
TEST(FramePacing, PassesLastAFourMillisecondMultipleSoEveryDisplayRunsAtNominalSpeed) {
    const std::pair<double, int> cases[] = {
        {0, 16},  {19.9, 16}, {20, 52},  {50, 20},   {59.94, 16},        {60, 16},
        {75, 12}, {90, 12},   {100, 12}, {100.1, 8}, {120, 8},           {144, 8},
        {165, 8}, {240, 8},   {480, 8},  {1000, 8},  {std::nan(""), 16},
    };  // refresh Hz, pass ms
    for (const auto& [hz, ms] : cases) {
        SCOPED_TRACE(testing::Message() << hz << " Hz");
        EXPECT_EQ(paceIntervalMs(hz), ms);
        test::Scene s(1);
        s.g.autoSpeed = true;
        s.placeBalls({{1000, 3000, 1, 1, 0}});
        s.pf.setPassDuration(ms);
        s.passes(10000 / ms);
        const double nominal = 10000.0 / 4.0;
        EXPECT_NEAR(s.ball(1).left() - 1000.0, nominal, nominal / 100.0);
    }
}

TEST(SpeedKeys, PlusEqualsAndMinusStepTheManualSpeedWithinItsRangeAndOthersAreIgnored) {
    const struct {
        int start, key, after;
        bool taken = true;
    } cases[] = {
        {0, '-', 0},   {1, '-', 0},        {0, '+', 1},        {0, '=', 1},       {49, '+', 50},
        {50, '+', 50}, {5, 'a', 5, false}, {5, '_', 5, false}, {5, 13, 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        test::Started h;
        h.g.userSpeed = static_cast<std::int16_t>(c.start);
        h.send(ScriptedEvent::key(c.key));
        EXPECT_EQ(std::tuple(h.g.userSpeed, h.g.autoSpeed,
                             h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed)),
                  std::tuple(c.after, !c.taken, !c.taken));
        if (c.taken) {
            EXPECT_EQ((h.pf.settings[{"settings", "userSpeed"}]), std::to_string(c.after));
        }
        // Manual speed takes over without changing the stored choice for the next start.
        EXPECT_EQ(h.pf.settings.count({"misc", "autoSpeed"}), 0u);
        EXPECT_EQ(h.pf.settings.size(), c.taken ? 1u : 0u);
    }
}

TEST(SpeedMenus, AutoSpeedStoresItsWordAndDisplayTimingShowsTheLastPassStoringNothing) {
    test::Started h;
    for (const bool on : {false, true}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
        EXPECT_EQ(std::pair(h.g.autoSpeed, h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed)),
                  std::pair(on, on));
        EXPECT_EQ(h.g.messageText,
                  on ? "Adjusting frame rate automatically" : "Press + or - to adjust frame rate");
        EXPECT_EQ((h.pf.settings[{"misc", "autoSpeed"}]), on ? "True" : "False");
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
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    // Even with automatic speed on: the manual value, then the time measured before this pass.
    ASSERT_EQ(timing().size(), 1u);
    EXPECT_EQ(timing()[0]->text, "3 27");
    EXPECT_EQ(timing()[0]->colour, (Rgb{255, 255, 255}));
    EXPECT_EQ(h.g.frameTicks, 40);
    h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
    h.passes(1);
    EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    EXPECT_TRUE(timing().empty());
    EXPECT_EQ(h.pf.settings, before);
}

TEST(MainLoop, TickCounterWrapKeepsThePassDuration) {
    // A platform whose tick counter wraps between the two readings of a pass.
    class WrappingClock : public HeadlessPlatform {
      public:
        std::uint32_t tickCount() override { return HeadlessPlatform::tickCount() + 0xFFFFFFF0u; }
    };
    WrappingClock pf;
    GameState g(pf);
    pf.setPassDuration(40);
    runPass(g);
    EXPECT_EQ(g.frameTicks, 40);
}

TEST(Message, BrightGreenCentredBy120TwipsACharacterFadingToBlackButKept) {
    const struct {
        int width, height;
        std::string text;
        float x, y;
    } cases[] = {
        {8955, 6615, "abcd", 4477 - 240, 3307},
        {8956, 6616, "", 0, 0},
        {1000, 1001, std::string(40, 'x'), 500 - 2400, 500},  // longer than the playfield
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.setPlayfieldSize(c.width, c.height);
        showMessage(h.g, c.text);
        for (const auto& [draws, level, grey] : {std::array{1, 254, 255}, {300, 0, 0}}) {
            for (int i = 0; i < draws; ++i) {
                h.pf.clear();
                drawMessage(h.g);
            }
            EXPECT_EQ(h.g.messageLevel, c.text.empty() ? 255 : level);
            EXPECT_EQ(h.g.messageText, c.text);  // black on black at the end, but still there
            const auto text =
                drawsWhere(h.pf, [](const DrawCall& d) { return d.kind == DrawCall::Kind::text; });
            ASSERT_EQ(text.size(), c.text.empty() ? 0u : 1u);
            if (!text.empty()) {
                EXPECT_EQ(text[0]->colour, (Rgb{0, grey, 0}));
                EXPECT_EQ((std::array{text[0]->x1, text[0]->y1}), (std::array{c.x, c.y}));
            }
        }
    }
}

TEST(NumericValue, TakesTheLeadingNumber) {
    const std::pair<const char*, double> cases[] = {
        {"", 0},   {"abc", 0},    {"  7.5", 7.5}, {"8.5x", 8.5}, {"-3", -3},
        {"+4", 4}, {"1e3", 1000}, {"2e", 2},      {".5", 0.5},   {"1.5e-1z", 0.15},
        {"-", 0},  {"12 34", 12}, {"0x10", 0},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    }
}

TEST(Numbers, ShortestDecimalsAndHalvesToEven) {
    const std::pair<double, const char*> texts[] = {
        {0, "0"}, {1250, "1250"}, {12.5, "12.5"}, {-40, "-40"}, {1e20, "100000000000000000000"}};
    for (const auto& [v, text] : texts) {
        EXPECT_EQ(shortestDecimal(v), text);
    }
    const std::pair<double, int> wholes[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {1e9, 32767}, {-1e9, -32768}};
    for (const auto& [v, whole] : wholes) {
        EXPECT_EQ(toInt16(v), whole) << v;
    }
}

}  // namespace
}  // namespace brivane
