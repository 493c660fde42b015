// The main loop's pass, the frame step and the speed controls, driven through the headless
// platform's events.
#include <gtest/gtest.h>

#include "core/game.h"
#include "core/messages.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(MainLoop, PassDrawsMessagePlayerAndTimingInOrder) {
    Harness h;
    h.start();
    showMessage(h.g, "hello");
    h.pf.setMenuChecked(MenuItem::mnuSettingsDisplayRender, true);
    h.g.ballCount = 0;
    h.g.balls.resize(1);
    h.g.quarkCount = 0;
    h.g.quarks.resize(1);
    h.g.stringCount = 0;
    h.g.strings.resize(1);
    h.g.electronActive = false;
    h.g.tailCount = 0;
    h.g.tail.resize(1);
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

TEST(FrameStep, AutomaticSpeedRoundsAQuarterOfThePassHalvesToEven) {
    const struct {
        int ticks;
        int step;
    } cases[] = {
        {0, 0},  {1, 0},  {2, 0},   {3, 1},   {5, 1},   {6, 2},   {7, 2},   {10, 2},   {14, 4},
        {16, 4}, {18, 4}, {40, 10}, {42, 10}, {46, 12}, {50, 12}, {98, 24}, {100, 25},
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, true);
        h.g.frameTicks = c.ticks;
        EXPECT_EQ(frameStep(h.g), c.step) << c.ticks << " ms";
    }
}

TEST(FrameStep, ManualSpeedAddsTheAreaFactor) {
    const struct {
        int width;
        int height;
        int userSpeed;
        int step;
    } cases[] = {
        {8955, 6615, 0, 1},   {8955, 6615, 50, 51},  {8954, 6615, 0, 1},
        {13433, 9923, 0, 2},  {17910, 6615, 0, 2},   {17909, 6615, 0, 1},
        {8955, 66150, 0, 10}, {89550, 66150, 3, 13}, {100, 100, 7, 8},
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

TEST(SpeedKeys, PlusEqualsAndMinusStepTheManualSpeedWithinItsRange) {
    const struct {
        int start;
        int key;
        int after;
    } cases[] = {
        {0, '-', 0},   {1, '-', 0},   {0, '+', 1},   {0, '=', 1},
        {49, '+', 50}, {50, '+', 50}, {50, '=', 50},
    };
    for (const auto& c : cases) {
        Harness h;
        h.start();
        h.g.userSpeed = static_cast<std::int16_t>(c.start);
        h.pf.post(ScriptedEvent::key(c.key));
        h.passes(1);
        EXPECT_EQ(h.g.userSpeed, c.after);
        EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
        EXPECT_EQ((h.pf.settings[{"settings", "userSpeed"}]), std::to_string(c.after));
        // Manual speed takes over without changing the stored choice for the next start.
        EXPECT_EQ(h.pf.settings.count({"misc", "autoSpeed"}), 0u);
    }
}

TEST(SpeedKeys, OtherKeysAreIgnored) {
    Harness h;
    h.start();
    for (int key : {int{'a'}, int{'0'}, int{'_'}, int{' '}, 13}) {
        h.pf.post(ScriptedEvent::key(key));
    }
    h.passes(1);
    EXPECT_EQ(h.g.userSpeed, 0);
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_TRUE(h.pf.settings.empty());
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
