// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Replay files: a header that sets up a game (seed, playfield, speed settings, scores, how timers
// fire) followed by pass durations and the inputs delivered inside numbered yields. Parsing is
// strict, so a damaged file is refused with the line at fault instead of replaying something
// else; writing produces the same text the parser reads back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/game_start.h"
#include "platform/platform.h"
#include "platform/yields.h"

namespace brivane {

inline constexpr const char* replayMagic = "brivane-replay 1";

struct ReplayEvent {
    enum class Kind : std::uint8_t { move, down, key, menu, timer, resize, close, pause, resume };
    Kind kind = Kind::move;
    float x = 0, y = 0;
    int value = 0;   // button, key code, outer width
    int value2 = 0;  // outer height
    MenuItem menu = MenuItem::mnuFileJumpLevel;
    TimerId timer = TimerId::tmrClearText;
    std::optional<std::string> answer;  // for a menu item whose dialog takes one
};

// An input as a replay keeps it: a long recording holds millions, so each takes 32 bytes and
// the rare menu answer is kept apart, in Replay::answers.
struct ReplayInput {
    YieldId at;
    ReplayEvent::Kind kind = ReplayEvent::Kind::move;
    MenuItem menu = MenuItem::mnuFileJumpLevel;
    TimerId timer = TimerId::tmrClearText;
    float x = 0, y = 0;
    std::int32_t value = 0, value2 = 0;
    std::int32_t answer = -1;  // index in Replay::answers; -1 for none
};
static_assert(sizeof(ReplayInput) <= 32);

struct ReplayPassDuration {
    int pass = 1;
    int ms = 16;
};

// What a kept replay says of its game, so that a list of replays needs none of them played:
// when it ended, its score, the level it reached and how long it was played.
struct ReplayFacts {
    std::optional<std::int64_t> endedAt;  // seconds since 1970-01-01 UTC
    std::optional<double> score;
    std::optional<int> level;
    std::optional<std::int64_t> msPlayed;
    bool complete() const { return endedAt && score && level && msPlayed; }
    bool operator==(const ReplayFacts&) const = default;
};

struct Replay {
    std::uint32_t seed = 0;
    int playfieldWidth = 8955;
    int playfieldHeight = 6615;
    bool autoSpeed = true;
    int userSpeed = 0;
    int highLevel = 0;
    double highScore = 0;
    bool timersRecorded = false;
    ReplayFacts facts;
    // A game that began after another one of the same run: what it took over, and its first
    // pass is only the yield of the pass it began in.
    std::optional<CarriedStart> carried;
    std::vector<ReplayPassDuration> durations;  // increasing pass numbers
    std::vector<ReplayInput> inputs;            // in delivery order
    std::vector<std::string> answers;
    void add(YieldId at, ReplayEvent event);
    ReplayEvent event(std::size_t input) const;
    // The last pass the file mentions, by an input or a duration; 0 when none.
    int lastPass() const;
};

struct ReplayError {
    int line = 0;
    std::string message;
    // "line <n>: <message>"
    std::string text() const;
};

struct ReplayParse {
    std::optional<Replay> replay;
    ReplayError error;
};

ReplayParse parseReplay(std::string_view text);
// Reads and parses the file at `path`; on failure `error` holds "<path>: <what went wrong>".
std::optional<Replay> loadReplay(const std::string& path, std::string& error);
// Nested yields of a pass come before its main yield, which ends the pass.
std::pair<int, int> deliveryOrder(YieldId y);

// Names as they appear in files (the window's element names); nullopt for an unknown one.
std::optional<MenuItem> menuItemByName(const std::string& name);
std::optional<TimerId> timerByName(const std::string& name);
const char* menuItemName(MenuItem item);
const char* timerName(TimerId timer);

// File text: "<n>" for a pass's main yield, "<n>.<k>" for a nested one.
std::string yieldText(YieldId at);
// Shortest text that reads back to the same float.
std::string floatText(float v);
std::string headerText(const Replay& replay);
// The lines of the facts that are set, in the order headerText writes them.
std::string factsText(const ReplayFacts& facts);
std::string eventText(const ReplayEvent& event);

}  // namespace brivane
