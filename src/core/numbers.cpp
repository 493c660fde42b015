// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Text-to-number and number-to-text rules shared by dialogs, the status line and the score file.
#include "core/numbers.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>

namespace brivane {

namespace {

// The C library reads numbers in the user's locale once Qt has switched to it, where "12.7" may
// read as 12; every text the game reads is written with a point, whatever the player's locale.
locale_t numberLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Only 0 to 9: isdigit follows the locale too.
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double numericValue(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    const std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    std::size_t end = i;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) {
                ++j;
            }
            end = j;
        }
    }
    const std::string number = text.substr(start, end - start);
    return ::strtod_l(number.c_str(), nullptr, numberLocale());
}

std::string shortestDecimal(double v) {
    if (v == 0.0) {
        return "0";  // also for -0
    }
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    std::string text(buffer, result.ptr);
    // to_chars may choose exponent notation for large or tiny values; the game's texts never
    // use an exponent, so fall back to plain fixed notation there.
    if (text.find('e') != std::string::npos) {
        const auto fixed =
            std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
        text.assign(buffer, fixed.ptr);
    }
    return text;
}

}  // namespace brivane
