// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games as plain data, shared by the game, which keeps the table's file, and
// the window that shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brivane {

struct BestGame {
    std::string name;  // UTF-8, at most 32 characters, no control characters
    double score = 0;
    std::int16_t level = 0;
    std::int64_t endedAt = 0;        // seconds since 1970-01-01 UTC
    std::int64_t secondsPlayed = 0;  // time spent in passes, so not a pause or a closed lid
    bool operator==(const BestGame&) const = default;
};

// How a game came to its end. Only a game the player is still there to see asks for a name.
enum class GameEnding : std::uint8_t { lastLife, newGame, programEnd };

// A game that ended, as the kept replays note it: the same numbers as its row in the table
// (when it entered), which is how a row finds its replay.
struct GameOver {
    GameEnding how = GameEnding::programEnd;
    double score = 0;
    std::int16_t level = 0;
    std::int64_t endedAt = 0;   // seconds since 1970-01-01 UTC
    std::int64_t msPlayed = 0;  // time spent in passes
};

// What the table window shows: the games best first, and the row whose name the player may
// edit, with the name offered there (-1: the table is only looked at).
struct BestGamesView {
    std::vector<BestGame> games;
    int editRow = -1;
    std::string editName;
};

// A file of the user's data folder as read: not there, read whole, or there but not readable
// as one the game wrote (not a regular file, unreadable, or larger than the game ever writes).
struct StoredFile {
    enum class State : std::uint8_t { absent, read, unusable };
    State state = State::absent;
    std::string bytes;
    bool operator==(const StoredFile&) const = default;
};

}  // namespace brivane
