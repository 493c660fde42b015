// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's number rules: Int is the floor, every other conversion to a whole number goes to
// the nearest with halves to even, and 16-bit fields saturate instead of wrapping.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace brivane {

inline double intFloor(double v) {
    return std::floor(v);
}

// Nearest whole number, halves to even (the default rounding mode; never std::round).
inline double roundEven(double v) {
    return std::nearbyint(v);
}

inline std::int16_t clamp16(double v) {
    if (!(v >= -32768.0)) {
        return v != v ? 0 : std::numeric_limits<std::int16_t>::min();
    }
    if (v > 32767.0) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(v);
}

// A value stored into a 16-bit field: rounded halves to even, then kept inside the range.
inline std::int16_t toInt16(double v) {
    return clamp16(roundEven(v));
}

// The leading number of a text: blanks skipped, optional sign, digits with an optional point and
// exponent; reading stops at the first character that cannot continue it; no number gives 0.
double numericValue(const std::string& text);

// Shortest decimal text of a number: whole numbers without a point, no blanks, "-" when negative.
std::string shortestDecimal(double v);

}  // namespace brivane
