// The centre message's fade and timer, the status line's text, and the number rules that
// dialogs, files and the status line share.
#include <gtest/gtest.h>

#include "core/numbers.h"
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
        ASSERT_EQ(text != nullptr, !c.text.empty());
        if (text != nullptr) {
            EXPECT_EQ(text->colour, (Rgb{0, 255, 0}));
            EXPECT_FLOAT_EQ(text->x1, c.x);
            EXPECT_FLOAT_EQ(text->y1, c.y);
        }
    }
}

TEST(Message, ASecondMessageRestartsTheFullFiveSeconds) {
    Harness h;
    h.pf.setPassDuration(100);
    showMessage(h.g, "first");
    h.passes(30);
    showMessage(h.g, "second");
    EXPECT_EQ(h.g.messageLevel, 255);
    h.passes(49);  // 7.9 s in all: the first would be gone, the second is 4.9 s old
    EXPECT_EQ(h.g.messageText, "second");
    h.passes(1);
    EXPECT_EQ(h.g.messageText, "");
    EXPECT_FALSE(h.pf.timerEnabled(TimerId::tmrClearText));
}

TEST(StatusLine, ShowsLevelsBallsAndScoresAsShortestNumbers) {
    Harness h;
    h.g.level = 100;
    h.g.highLevel = 100;
    h.g.ballCount = 100;
    h.g.score = 12.5;
    h.g.highScore = 123456789;
    updateStatus(h.g);
    EXPECT_EQ(h.pf.statusText, "Lv: 100 / 100 Particles: 100 Score: 12.5 / 123456789");
}

TEST(NumericValue, TakesTheLeadingNumber) {
    const std::pair<const char*, double> cases[] = {
        {"", 0},     {"abc", 0}, {"12", 12},    {"  7.5", 7.5}, {"8.5x", 8.5},
        {"-3", -3},  {"+4", 4},  {"1e3", 1000}, {"2e", 2},      {"1.5e-1z", 0.15},
        {".5", 0.5}, {"-", 0},   {"12 34", 12}, {"0x10", 0},    {"32000", 32000},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    }
}

TEST(Numbers, ShortestDecimalsAndHalvesToEven) {
    EXPECT_EQ(shortestDecimal(0), "0");
    EXPECT_EQ(shortestDecimal(1250), "1250");
    EXPECT_EQ(shortestDecimal(12.5), "12.5");
    EXPECT_EQ(shortestDecimal(-40), "-40");
    EXPECT_EQ(shortestDecimal(100000000000000000000.0), "100000000000000000000");
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(1e9), 32767);
    EXPECT_EQ(toInt16(-1e9), -32768);
}

}  // namespace
}  // namespace brivane
