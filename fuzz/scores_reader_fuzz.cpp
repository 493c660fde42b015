// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzing the scores file reader: any file contents. Whatever it loads must be a finite score,
// since the game writes it back as a number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int16_t level = 0;
    double score = 0;
    brivane::readScores(std::string_view(reinterpret_cast<const char*>(data), size), level, score);
    if (!std::isfinite(score)) {
        std::abort();
    }
    return 0;
}
