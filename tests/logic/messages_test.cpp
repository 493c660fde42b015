// The centre message's place, fade and timer, and the number rules that dialogs, files and the
// status line share.
#include <gtest/gtest.h>

#include <array>
#include <string>

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
            const DrawCall* text = findText(h.pf);
            ASSERT_EQ(text != nullptr, !c.text.empty());
            if (text != nullptr) {
                EXPECT_EQ(text->colour, (Rgb{0, grey, 0}));
                EXPECT_EQ((std::array{text->x1, text->y1}), (std::array{c.x, c.y}));
            }
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
