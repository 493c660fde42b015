// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window switches the C library to the player's locale, where a number may be written with
// a decimal comma; every text the game reads or writes must mean the same there. ctest runs the
// parsing tables again with LC_ALL set to such locales, and this switches to it as Qt would.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace {

class PlayersLocale : public testing::Environment {
  public:
    void SetUp() override {
        const char* wanted = std::getenv("LC_ALL");
        const char* got = std::setlocale(LC_ALL, "");
        if (wanted != nullptr && *wanted != '\0') {
            // A missing locale would pass for the wrong reason: scripts/install-deps makes it.
            ASSERT_NE(got, nullptr) << "the locale " << wanted << " is not installed";
            ASSERT_STREQ(got, wanted);
        }
    }
};

[[maybe_unused]] const testing::Environment* const playersLocale =
    testing::AddGlobalTestEnvironment(new PlayersLocale);

}  // namespace
