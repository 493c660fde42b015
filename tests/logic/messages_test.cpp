// The centre message's fade and timer, and the status line's text.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

const DrawCall* findText(const HeadlessPlatform& pf) {
    for (const DrawCall& call : pf.draws) {
        if (call.kind == DrawCall::Kind::text) {
            return &call;
        }
    }
    return nullptr;
}

TEST(Message, FadesOneStepAPassAndStaysUntilTheTimer) {
    Harness h;
    showMessage(h.g, "abcd");
    EXPECT_EQ(h.g.messageLevel, 255);
    runPass(h.g);
    EXPECT_EQ(h.g.messageLevel, 254);
    for (int i = 0; i < 300; ++i) {
        h.pf.clear();
        drawMessage(h.g);
    }
    EXPECT_EQ(h.g.messageLevel, 0);
    EXPECT_EQ(h.g.messageText, "abcd");  // black on black, but still there
    const DrawCall* text = findText(h.pf);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->colour, (Rgb{0, 0, 0}));
}

TEST(Message, FirstDrawIsBrightGreenCentredBy120TwipsACharacter) {
    const struct {
        int width;
        int height;
        std::string text;
        float x;
        float y;
    } cases[] = {
        {8955, 6615, "abcd", 4477 - 240, 3307},
        {8955, 6615, "abc", 4477 - 180, 3307},
        {8956, 6616, "", 0, 0},
        {1000, 1001, std::string(40, 'x'), 500 - 2400, 500},  // longer than the playfield
    };
    for (const auto& c : cases) {
        Harness h;
        h.pf.setPlayfieldSize(c.width, c.height);
        h.g.messageText = c.text;
        h.g.messageLevel = 255;
        h.pf.clear();
        drawMessage(h.g);
        const DrawCall* text = findText(h.pf);
        if (c.text.empty()) {
            EXPECT_EQ(text, nullptr);
            continue;
        }
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->colour, (Rgb{0, 255, 0}));
        EXPECT_FLOAT_EQ(text->x1, c.x);
        EXPECT_FLOAT_EQ(text->y1, c.y);
    }
}

TEST(Message, ASecondMessageRestartsTheFullFiveSeconds) {
    Harness h;
    h.pf.setPassDuration(1000);
    showMessage(h.g, "first");
    h.passes(3);  // three seconds
    showMessage(h.g, "second");
    EXPECT_EQ(h.g.messageLevel, 255);
    h.passes(4);  // 7 s in all: the first would be gone, the second is 4 s old
    EXPECT_EQ(h.g.messageText, "second");
    h.passes(1);  // 5 s after the second
    EXPECT_EQ(h.g.messageText, "");
    EXPECT_FALSE(h.pf.timerEnabled(TimerId::tmrClearText));
}

TEST(Message, ClearTimerRemovesItAfterFiveSeconds) {
    Harness h;
    h.pf.setPassDuration(100);
    showMessage(h.g, "x");
    h.passes(49);
    EXPECT_EQ(h.g.messageText, "x");
    h.passes(1);
    EXPECT_EQ(h.g.messageText, "");
}

TEST(StatusLine, ShowsLevelsBallsAndScoresAsShortestNumbers) {
    const struct {
        int level;
        int highLevel;
        double balls;
        double score;
        double highScore;
        const char* text;
    } cases[] = {
        {3, 7, 2, 1250, 2000, "Lv: 3 / 7 Particles: 2 Score: 1250 / 2000"},
        {1, 0, 1, 0, 0, "Lv: 1 / 0 Particles: 1 Score: 0 / 0"},
        {100, 100, 100, 12.5, 123456789, "Lv: 100 / 100 Particles: 100 Score: 12.5 / 123456789"},
    };
    for (const auto& c : cases) {
        Harness h;
        h.g.level = static_cast<std::int16_t>(c.level);
        h.g.highLevel = static_cast<std::int16_t>(c.highLevel);
        h.g.ballCount = c.balls;
        h.g.score = c.score;
        h.g.highScore = c.highScore;
        updateStatus(h.g);
        EXPECT_EQ(h.pf.statusText, c.text);
    }
}

}  // namespace
}  // namespace brivane
