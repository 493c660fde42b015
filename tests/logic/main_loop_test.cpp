// Start-up, the main loop's pass, the frame step and the speed controls, driven through the
// headless platform's events.
#include <gtest/gtest.h>

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
        bool updates;
        bool autoOn;
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
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), c.autoOn);
        EXPECT_EQ(h.g.userSpeed, c.speed);
        EXPECT_EQ(h.pf.settings, stored);
        EXPECT_TRUE(h.pf.windowLoaded);
        EXPECT_TRUE(h.pf.windowShown);
        EXPECT_EQ(h.pf.caption, "Brivane v1.3.8");
        EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
        EXPECT_EQ(h.g.lives, 5);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(h.pf.lifeIconVisible[i], i < 5) << i;
        }
        EXPECT_EQ(h.g.level, 1);
        EXPECT_EQ(h.g.highLevel, 1);  // reaching level 1 raises the stored 0
        EXPECT_EQ(h.g.highScore, 0);
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

TEST(MainLoop, PassDrawsMessagePlayerAndTimingInOrder) {
    test::Scene h(1);
    h.placeBalls({});
    showMessage(h.g, "hello");
    h.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender, true);
    h.g.playerX = 3000;
    h.g.playerY = 2000;
    runPass(h.g);
    // clear() at the next pass drops the recording, so look before it: run the body again.
    h.pf.setRecordDraws(true);
    h.pf.setPassDuration(27);
    runPass(h.g);
    const auto& d = h.pf.draws;
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0].kind, DrawCall::Kind::clear);
    EXPECT_EQ(d[1].kind, DrawCall::Kind::text);
    EXPECT_EQ(d[1].text, "hello");
    EXPECT_EQ(d[2].picture, Picture::lifeIconMatte);
    EXPECT_EQ(d[2].op, RasterOp::srcAnd);
    EXPECT_FLOAT_EQ(d[2].x1, 3000 - 157);
    EXPECT_FLOAT_EQ(d[2].y1, 2000 - 157);
    EXPECT_EQ(d[3].picture, Picture::lifeIcon);
    EXPECT_EQ(d[3].op, RasterOp::srcPaint);
    EXPECT_EQ(d[4].kind, DrawCall::Kind::text);
    EXPECT_EQ(d[4].text, "0 16");  // userSpeed, then the previous pass's duration
    EXPECT_FLOAT_EQ(d[4].x1, 60);
    EXPECT_FLOAT_EQ(d[4].y1, 240);
    EXPECT_EQ(d[4].colour, (Rgb{255, 255, 255}));
    EXPECT_EQ(h.g.frameTicks, 27);
    EXPECT_EQ(h.g.renderTicks, 27);
}

TEST(FrameStep, AutomaticSpeedRoundsAQuarterOfThePassHalvesToEvenAndStopsAtTwentyFive) {
    // The cap keeps a stall from throwing everything across the playfield in one pass.
    const std::pair<int, int> cases[] = {
        {0, 0},    {1, 0},    {2, 0},     {3, 1},           {5, 1},    {6, 2},
        {7, 2},    {10, 2},   {14, 4},    {16, 4},          {18, 4},   {40, 10},
        {42, 10},  {46, 12},  {50, 12},   {98, 24},         {100, 25}, {101, 25},
        {102, 25}, {103, 25}, {1000, 25}, {0x7FFFFFFF, 25},
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
        int width;
        int height;
        int userSpeed;
        int step;
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
        int start;
        int key;
        int after;
        bool taken = true;
    } cases[] = {
        {0, '-', 0},        {1, '-', 0},        {0, '+', 1},        {0, '=', 1},
        {49, '+', 50},      {50, '+', 50},      {50, '=', 50},      {5, 'a', 5, false},
        {5, '0', 5, false}, {5, '_', 5, false}, {5, ' ', 5, false}, {5, 13, 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Harness h;
        h.start();
        h.g.userSpeed = static_cast<std::int16_t>(c.start);
        h.pf.post(ScriptedEvent::key(c.key));
        h.passes(1);
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

TEST(SpeedMenus, AutoSpeedToggleShowsItsMessageAndStoresTheWord) {
    Harness h;
    h.start();
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
    h.passes(1);
    EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_EQ(h.g.messageText, "Press + or - to adjust frame rate");
    EXPECT_EQ((h.pf.settings[{"misc", "autoSpeed"}]), "False");
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsAutoSpeed));
    h.passes(1);
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_EQ(h.g.messageText, "Adjusting frame rate automatically");
    EXPECT_EQ((h.pf.settings[{"misc", "autoSpeed"}]), "True");
}

TEST(SpeedMenus, DisplayRenderTimingTogglesAndStoresNothing) {
    Harness h;
    h.start();
    const auto before = h.pf.settings;
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
    h.passes(1);
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    h.g.userSpeed = 3;
    h.pf.setPassDuration(27);
    h.passes(2);
    // Shown even while automatic speed is on: the manual value, then the last pass's time.
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    ASSERT_FALSE(h.pf.draws.empty());
    EXPECT_EQ(h.pf.draws.back().text, "3 27");
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuSettingsDisplayRender));
    h.passes(2);
    EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    for (const DrawCall& call : h.pf.draws) {
        EXPECT_NE(call.text, "3 27");
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
