// Start-up, the main loop's pass, the frame step and the speed controls, driven through the
// headless platform's events.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "core/game.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(StartUp, ReadsStoredChoicesFallingBackToDefaultsAndWritesNothing) {
    const struct {
        const char* checkUpdates;  // nullptr: an empty store
        const char* autoSpeed;
        const char* userSpeed;
        bool updates, autoOn;
        int speed;
    } cases[] = {
        {nullptr, nullptr, nullptr, true, true, 0}, {"False", "False", "12", false, false, 12},
        {"True", "True", "0", true, true, 0},       {"false", "yes", "abc", true, true, 0},
        {"", "FALSE", "12x", true, true, 0},        {"False", "True", "-3", false, true, -3},
        {"True", "False", "70000", true, false, 0}, {"1", "0", " 5", true, true, 0},
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
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsUpdates), c.updates);
        // The update check starts at once, without waiting for its answer.
        EXPECT_EQ(h.pf.sockConnects.size(), c.updates ? 1u : 0u);
        EXPECT_TRUE(h.pf.dialogs.empty());
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), c.autoOn);
        EXPECT_EQ(h.g.userSpeed, c.speed);
        EXPECT_EQ(h.pf.settings, stored);
        EXPECT_TRUE(h.pf.windowShown);
        EXPECT_EQ(h.g.lives, 5);
        EXPECT_EQ(h.g.level, 1);
        EXPECT_EQ(h.g.highLevel, 1);  // reaching level 1 raises the stored 0
    }
}

TEST(Rnd, IsSplitMix64) {
    // Reference values of SplitMix64 seeded with 0 and 1, scaled to [0, 1) by their top 53 bits.
    Rnd zero(0);
    EXPECT_EQ(zero(), static_cast<double>(0xE220A8397B1DCDAFULL >> 11) * 0x1.0p-53);
    EXPECT_EQ(zero(), static_cast<double>(0x6E789E6AA1B965F4ULL >> 11) * 0x1.0p-53);
    Rnd one(1);
    EXPECT_EQ(one(), static_cast<double>(0x910A2DEC89025CC1ULL >> 11) * 0x1.0p-53);
}

TEST(MainLoop, DrawsThePlayerCentredOnThePointerAndTheLastPassTimeWhenAsked) {
    test::Scene h(1);
    h.placeBalls({});
    h.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender, true);
    h.g.playerX = 3000;
    h.g.playerY = 2000;
    h.pf.setPassDuration(27);
    h.passes(1);
    h.pf.setPassDuration(40);
    h.passes(1);
    EXPECT_EQ(h.g.frameTicks, 40);
    const auto& d = h.pf.draws;
    const auto player = std::find_if(
        d.begin(), d.end(), [](const DrawCall& c) { return c.picture == Picture::lifeIcon; });
    ASSERT_NE(player, d.end());
    EXPECT_EQ((std::array{player->x1, player->y1}), (std::array{3000.0f - 157, 2000.0f - 157}));
    // The time shown is the one measured before this pass was drawn.
    EXPECT_EQ(d.back().text, "0 27");
    EXPECT_EQ(d.back().colour, (Rgb{255, 255, 255}));
}

TEST(FrameStep, AutomaticSpeedRoundsAQuarterOfThePassHalvesToEvenAndStopsAtTwentyFive) {
    // The cap keeps a stall from throwing everything across the playfield in one pass.
    const std::pair<int, int> cases[] = {
        {0, 0},   {2, 0},   {3, 1},   {5, 1},    {6, 2},    {10, 2},   {14, 4},    {18, 4},
        {42, 10}, {46, 12}, {98, 24}, {100, 25}, {102, 25}, {103, 25}, {1000, 25}, {0x7FFFFFFF, 25},
    };  // ms, step
    for (const auto& [ticks, step] : cases) {
        Harness h;
        h.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, true);
        h.g.frameTicks = ticks;
        EXPECT_EQ(frameStep(h.g), step) << ticks << " ms";
    }
}

TEST(FrameStep, ManualSpeedAddsTheAreaFactorAndIsNotCapped) {
    const struct {
        int width, height, userSpeed, step;
    } cases[] = {
        {8955, 6615, 0, 1},  {8955, 6615, 50, 51},   {8954, 6615, 0, 1},   {13433, 9923, 0, 2},
        {17910, 6615, 0, 2}, {17909, 6615, 0, 1},    {8955, 66150, 0, 10}, {89550, 66150, 3, 13},
        {100, 100, 7, 8},    {89550, 66150, 50, 60},
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, false);
        h.pf.setPlayfieldSize(c.width, c.height);
        h.g.userSpeed = static_cast<std::int16_t>(c.userSpeed);
        h.g.frameTicks = 400;  // ignored without automatic speed
        EXPECT_EQ(frameStep(h.g), c.step) << c.width << " x " << c.height;
    }
}

TEST(SpeedKeys, PlusEqualsAndMinusStepTheManualSpeedWithinItsRangeAndOthersAreIgnored) {
    const struct {
        int start, key, after;
        bool taken = true;
    } cases[] = {
        {0, '-', 0},        {1, '-', 0},        {0, '+', 1},        {0, '=', 1},
        {49, '+', 50},      {50, '+', 50},      {50, '=', 50},      {5, 'a', 5, false},
        {5, '0', 5, false}, {5, '_', 5, false}, {5, ' ', 5, false}, {5, 13, 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        test::Started h;
        h.g.userSpeed = static_cast<std::int16_t>(c.start);
        h.send(ScriptedEvent::key(c.key));
        EXPECT_EQ(h.g.userSpeed, c.after);
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), !c.taken);
        if (c.taken) {
            EXPECT_EQ((h.pf.settings[{"settings", "userSpeed"}]), std::to_string(c.after));
        }
        // Manual speed takes over without changing the stored choice for the next start.
        EXPECT_EQ(h.pf.settings.count({"misc", "autoSpeed"}), 0u);
        EXPECT_EQ(h.pf.settings.size(), c.taken ? 1u : 0u);
    }
}

TEST(SpeedMenus, AutoSpeedToggleShowsItsMessageAndStoresTheWordDisplayTimingStoresNothing) {
    test::Started h;
    for (const bool on : {false, true}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), on);
        EXPECT_EQ(h.g.messageText,
                  on ? "Adjusting frame rate automatically" : "Press + or - to adjust frame rate");
        EXPECT_EQ((h.pf.settings[{"misc", "autoSpeed"}]), on ? "True" : "False");
    }
    const auto before = h.pf.settings;
    h.g.userSpeed = 3;
    h.pf.setPassDuration(27);
    for (const bool on : {true, false}) {
        h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
        h.passes(1);
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender), on);
        // Shown even while automatic speed is on: the manual value, then the last pass's time.
        EXPECT_EQ(std::count_if(h.pf.draws.begin(), h.pf.draws.end(),
                                [](const DrawCall& d) { return d.text == "3 27"; }),
                  on ? 1 : 0);
    }
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

}  // namespace
}  // namespace brivane
