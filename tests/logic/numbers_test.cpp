// The number rules that dialogs, files and the status line share.
#include <gtest/gtest.h>

#include "core/numbers.h"

namespace brivane {
namespace {

TEST(NumericValue, TakesTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},     {"abc", 0}, {"12", 12},    {"  7.5", 7.5}, {"8.5x", 8.5},
        {"-3", -3},  {"+4", 4},  {"1e3", 1000}, {"2e", 2},      {"1.5e-1z", 0.15},
        {".5", 0.5}, {"-", 0},   {"12 34", 12}, {"0x10", 0},    {"32000", 32000},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(numericValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ShortestDecimal, WholeNumbersHaveNoPoint) {
    EXPECT_EQ(shortestDecimal(0), "0");
    EXPECT_EQ(shortestDecimal(1250), "1250");
    EXPECT_EQ(shortestDecimal(12.5), "12.5");
    EXPECT_EQ(shortestDecimal(-40), "-40");
    EXPECT_EQ(shortestDecimal(100000000000000000000.0), "100000000000000000000");
}

TEST(Rounding, HalvesGoToEven) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(1e9), 32767);
    EXPECT_EQ(toInt16(-1e9), -32768);
}

}  // namespace
}  // namespace brivane
