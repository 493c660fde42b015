// Start-up with the settings store empty, holding stored choices, or holding garbage.
#include <gtest/gtest.h>

#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(StartUp, FirstRunWithAnEmptyStore) {
    Harness h;
    h.start();
    EXPECT_TRUE(h.pf.windowLoaded);
    EXPECT_TRUE(h.pf.windowShown);
    EXPECT_EQ(h.pf.caption, "Brivane v1.3.8");
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsUpdates));
    EXPECT_TRUE(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed));
    EXPECT_FALSE(h.pf.menuChecked(MenuItem::mnuSettingsDisplayRender));
    EXPECT_EQ(h.g.userSpeed, 0);
    EXPECT_EQ(h.g.lives, 5);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(h.pf.lifeIconVisible[i], i < 5) << i;
    }
    EXPECT_EQ(h.g.level, 1);
    EXPECT_EQ(h.g.highLevel, 1);  // reaching level 1 raises the stored 0
    EXPECT_EQ(h.g.highScore, 0);
    EXPECT_TRUE(h.pf.settings.empty());  // reading never writes
}

TEST(StartUp, StoredValuesAndGarbageFallBackToDefaults) {
    const struct {
        const char* checkUpdates;
        const char* autoSpeed;
        const char* userSpeed;
        bool updates;
        bool autoOn;
        int speed;
    } cases[] = {
        {"False", "False", "12", false, false, 12},
        {"True", "True", "0", true, true, 0},
        {"false", "yes", "abc", true, true, 0},
        {"", "FALSE", "12x", true, true, 0},
        {"False", "True", "-3", false, true, -3},
        {"True", "False", "70000", true, false, 0},
        {"1", "0", " 5", true, true, 0},
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.settings[{"misc", "checkUpdates"}] = c.checkUpdates;
        h.pf.settings[{"misc", "autoSpeed"}] = c.autoSpeed;
        h.pf.settings[{"settings", "userSpeed"}] = c.userSpeed;
        h.start();
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsUpdates), c.updates) << c.checkUpdates;
        EXPECT_EQ(h.pf.menuChecked(MenuItem::mnuSettingsAutoSpeed), c.autoOn) << c.autoSpeed;
        EXPECT_EQ(h.g.userSpeed, c.speed) << c.userSpeed;
    }
}

TEST(StartUp, SameSeedSameGenerator) {
    Harness a(42);
    Harness b(42);
    a.start();
    b.start();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(a.g.rnd(), b.g.rnd());
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

TEST(Ending, ClosingTheWindowEndsTheLoop) {
    Harness h;
    h.start();
    h.pf.post(ScriptedEvent::closeWindow());
    h.passes(5);
    EXPECT_TRUE(h.g.ended);
    EXPECT_TRUE(h.pf.programEnded);
    EXPECT_EQ(h.pf.passNumber(), 2);  // no pass after the one that closed
}

}  // namespace
}  // namespace brivane
