// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading and writing replay files.
#include "replay/replay_file.h"

#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <system_error>

namespace brivane {

namespace {

constexpr const char* menuNames[menuItemCount] = {
    "mnuFileJumpLevel",
    "mnuFileMusic",
    "mnuFileExit",
    "mnuSettingsAutoSpeed",
    "mnuSettingsDisplayRender",
    "mnuSettingsUpdates",
    "mnuHelpAbout",
    "mnuHelpHelp",
    "mnuFileNewGame",
    "mnuFileHighScores",
    "mnuSettingsSoundEffects",
    "mnuFilePause",
    "mnuSettingsPauseInactive",
    "mnuFileReplays",
    "mnuSettingsKeepReplays",
};
constexpr const char* timerNames[timerCount] = {
    "tmrClearText", "tmrDoElectron", "tmrToggleBonds", "tmrKillTails", "tmrLoopMusic",
};

// Big enough for any real window, small enough that a screenshot of it fits in memory.
constexpr int maxTwips = 60000;
constexpr int maxPassMs = 600000;
// The end of the year 9999: an end time or a duration past it is not a real game's.
constexpr std::int64_t maxFactSeconds = 253402300799;
// Replay files are small (an hour of play is a few MB); anything far larger is not one. At this
// size even a file of the shortest lines keeps its inputs in a few hundred MB.
constexpr std::size_t maxReplayBytes = 128 * 1024 * 1024;

// Builds "before<text>after" by appending, which keeps GCC's -Wrestrict quiet at -O3.
std::string say(const char* before, std::string_view text, const char* after) {
    std::string s(before);
    s += text;
    s += after;
    return s;
}

struct Token {
    std::string_view text;
    std::size_t end = 0;  // offset in the line just after the token
};

// Blanks separate words. A carriage return inside a line is one too: the same line ended
// CR CR LF, or an answer written back, would otherwise read differently.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<Token> tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            tokens.push_back({line.substr(start, i - start), i});
        }
    }
    return tokens;
}

// A comment starts at a '#' that opens the line or follows a blank.
std::string_view stripComment(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || isBlank(line[i - 1]))) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

template <typename T>
std::optional<T> wholeNumber(std::string_view s, T lo, T hi) {
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || value < lo || value > hi) {
        return std::nullopt;
    }
    return value;
}

std::optional<float> twipsNumber(std::string_view s) {
    float value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value) ||
        std::fabs(value) > static_cast<float>(maxTwips)) {
        return std::nullopt;
    }
    return value;
}

std::optional<YieldId> yieldNumber(std::string_view s) {
    const std::size_t dot = s.find('.');
    const auto pass = wholeNumber<int>(s.substr(0, dot), 1, INT_MAX - 1);
    if (!pass) {
        return std::nullopt;
    }
    if (dot == std::string_view::npos) {
        return YieldId{*pass, 0};
    }
    const auto sub = wholeNumber<int>(s.substr(dot + 1), 1, INT_MAX - 1);
    if (!sub) {
        return std::nullopt;
    }
    return YieldId{*pass, *sub};
}

bool isHeaderKeyword(std::string_view k) {
    constexpr std::string_view keywords[] = {
        "seed",   "playfield", "autospeed", "userspeed", "highlevel", "highscore",
        "timers", "ended",     "score",     "reached",   "played",    "rnd",
        "ticks",  "shield",    "collide",   "player",    "bonds",     "render",
        "paused", "begins",    "tail",      "running"};
    return std::find(std::begin(keywords), std::end(keywords), k) != std::end(keywords);
}

bool isText(std::string_view line) {
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t' && c != '\r') || u == 0x7F;
    });
}

class Parser {
  public:
    ReplayParse run(std::string_view text);

  private:
    bool fail(std::string message) {
        error_ = {line_, std::move(message)};
        return false;
    }
    bool headerLine(std::string_view keyword, const std::vector<Token>& t);
    bool carriedLine(std::string_view keyword, const std::vector<Token>& t);
    bool passLine(const std::vector<Token>& t);
    bool atLine(std::string_view line, const std::vector<Token>& t);
    bool nestedInMainYield(YieldId at) const;
    bool expectCount(const std::vector<Token>& t, std::size_t n, const char* usage) {
        if (t.size() < n) {
            return fail(std::string("incomplete line, expected '") + usage + "'");
        }
        if (t.size() > n) {
            return fail(say("unexpected '", t[n].text, "' after '") + usage + "'");
        }
        return true;
    }

    Replay replay_;
    ReplayError error_;
    int line_ = 0;
    bool sawMagic_ = false;
    bool sawBody_ = false;
    YieldId highestNested_;  // the highest nested yield of the pass of the last input
    std::vector<std::string> seenHeader_;
};

bool Parser::headerLine(std::string_view keyword, const std::vector<Token>& t) {
    if (sawBody_) {
        return fail(say("'", keyword, "' must come before the first pass or at line"));
    }
    if (std::find(seenHeader_.begin(), seenHeader_.end(), keyword) != seenHeader_.end()) {
        return fail(say("'", keyword, "' given twice"));
    }
    seenHeader_.emplace_back(keyword);
    if (keyword == "seed") {
        if (!expectCount(t, 2, "seed <n>")) {
            return false;
        }
        const auto v = wholeNumber<std::uint32_t>(t[1].text, 0, UINT32_MAX);
        if (!v) {
            return fail(say("bad seed '", t[1].text, "', expected 0 to 4294967295"));
        }
        replay_.seed = *v;
    } else if (keyword == "playfield") {
        if (!expectCount(t, 3, "playfield <width> <height>")) {
            return false;
        }
        const auto w = wholeNumber<int>(t[1].text, 1, maxTwips);
        const auto h = wholeNumber<int>(t[2].text, 1, maxTwips);
        if (!w || !h) {
            return fail("bad playfield size, expected two whole numbers of twips from 1 to " +
                        std::to_string(maxTwips));
        }
        replay_.playfieldWidth = *w;
        replay_.playfieldHeight = *h;
    } else if (keyword == "autospeed") {
        if (!expectCount(t, 2, "autospeed on|off")) {
            return false;
        }
        if (t[1].text != "on" && t[1].text != "off") {
            return fail(say("bad autospeed '", t[1].text, "', expected on or off"));
        }
        replay_.autoSpeed = t[1].text == "on";
    } else if (keyword == "userspeed") {
        if (!expectCount(t, 2, "userspeed <n>")) {
            return false;
        }
        const auto v = wholeNumber<int>(t[1].text, 0, 50);
        if (!v) {
            return fail(say("bad userspeed '", t[1].text, "', expected 0 to 50"));
        }
        replay_.userSpeed = *v;
    } else if (keyword == "highlevel") {
        if (!expectCount(t, 2, "highlevel <n>")) {
            return false;
        }
        const auto v = wholeNumber<int>(t[1].text, -32768, 32767);
        if (!v) {
            return fail(say("bad highlevel '", t[1].text, "', expected -32768 to 32767"));
        }
        replay_.highLevel = *v;
    } else if (keyword == "highscore") {
        if (!expectCount(t, 2, "highscore <n>")) {
            return false;
        }
        // Any score the high-score file can hold, exactly as written.
        double v = 0;
        const std::string_view s = t[1].text;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) {
            return fail(say("bad highscore '", s, "', expected a finite number"));
        }
        replay_.highScore = v;
    } else if (keyword == "ended" || keyword == "played") {
        const bool ended = keyword == "ended";
        if (!expectCount(t, 2, ended ? "ended <seconds>" : "played <ms>")) {
            return false;
        }
        const auto v = wholeNumber<std::int64_t>(t[1].text, 0, maxFactSeconds * 1000);
        if (!v || (ended && *v > maxFactSeconds)) {
            return fail(say("bad ", keyword, " '") + std::string(t[1].text) + "'");
        }
        (ended ? replay_.facts.endedAt : replay_.facts.msPlayed) = *v;
    } else if (keyword == "score") {
        if (!expectCount(t, 2, "score <n>")) {
            return false;
        }
        double v = 0;
        const std::string_view s = t[1].text;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v) || v < 0) {
            return fail(say("bad score '", s, "', expected a number from 0"));
        }
        replay_.facts.score = v;
    } else if (keyword == "reached") {
        if (!expectCount(t, 2, "reached <level>")) {
            return false;
        }
        const auto v = wholeNumber<int>(t[1].text, -32768, 32767);
        if (!v) {
            return fail(say("bad reached '", t[1].text, "', expected -32768 to 32767"));
        }
        replay_.facts.level = *v;
    } else if (keyword == "timers") {
        if (!expectCount(t, 2, "timers clock|recorded")) {
            return false;
        }
        if (t[1].text != "clock" && t[1].text != "recorded") {
            return fail(say("bad timers '", t[1].text, "', expected clock or recorded"));
        }
        replay_.timersRecorded = t[1].text == "recorded";
    } else {
        return carriedLine(keyword, t);
    }
    return true;
}

bool Parser::carriedLine(std::string_view keyword, const std::vector<Token>& t) {
    if (!replay_.carried) {
        replay_.carried.emplace();
    }
    CarriedStart& c = *replay_.carried;
    if (keyword == "rnd") {
        if (!expectCount(t, 2, "rnd <state>")) {
            return false;
        }
        const auto v = wholeNumber<std::uint64_t>(t[1].text, 0, UINT64_MAX);
        if (!v) {
            return fail(say("bad rnd '", t[1].text, "', expected 0 to 18446744073709551615"));
        }
        c.rndState = *v;
    } else if (keyword == "ticks") {
        if (!expectCount(t, 2, "ticks <ms>")) {
            return false;
        }
        const auto v = wholeNumber<std::int32_t>(t[1].text, 0, INT32_MAX);
        if (!v) {
            return fail(say("bad ticks '", t[1].text, "'"));
        }
        c.frameTicks = *v;
    } else if (keyword == "player") {
        if (!expectCount(t, 3, "player <x> <y>")) {
            return false;
        }
        const auto x = twipsNumber(t[1].text);
        const auto y = twipsNumber(t[2].text);
        if (!x || !y) {
            return fail("bad player position, expected two numbers of twips");
        }
        c.playerX = *x;
        c.playerY = *y;
    } else if (keyword == "running") {
        c.timersRunning = 0;
        for (std::size_t i = 1; i < t.size(); ++i) {
            const auto timer = timerByName(std::string(t[i].text));
            if (!timer) {
                return fail(say("unknown timer '", t[i].text, "'"));
            }
            c.timersRunning =
                static_cast<std::uint8_t>(c.timersRunning | (1U << static_cast<int>(*timer)));
        }
    } else if (keyword == "tail") {
        if (!expectCount(t, 3, "tail <x> <y>")) {
            return false;
        }
        const auto x = twipsNumber(t[1].text);
        const auto y = twipsNumber(t[2].text);
        if (!x || !y) {
            return fail("bad tail point, expected two numbers of twips");
        }
        c.tailPoint = std::pair{*x, *y};
    } else if (keyword == "begins") {
        if (t.size() == 2 && t[1].text == "newgame") {
            c.diedOnLevel = 0;
            return true;
        }
        if (!expectCount(t, 3, "begins newgame|lastlife <level>") || t[1].text != "lastlife") {
            return fail("bad begins, expected 'begins newgame' or 'begins lastlife <level>'");
        }
        const auto v = wholeNumber<std::int16_t>(t[2].text, 1, 32767);
        if (!v) {
            return fail(say("bad level '", t[2].text, "', expected 1 to 32767"));
        }
        c.diedOnLevel = *v;
    } else {  // the switches
        bool* flag = keyword == "shield"    ? &c.shield
                     : keyword == "collide" ? &c.ballsCollide
                     : keyword == "bonds"   ? &c.bondsRed
                     : keyword == "render"  ? &c.renderTiming
                                            : &c.paused;
        const bool bonds = keyword == "bonds";
        const char* on = bonds ? "red" : "on";
        const char* off = bonds ? "blue" : "off";
        const std::string usage = std::string(keyword) + " " + on + "|" + off;
        if (!expectCount(t, 2, usage.c_str())) {
            return false;
        }
        if (t[1].text != on && t[1].text != off) {
            return fail(say("bad ", keyword, " '") + std::string(t[1].text) + "', expected " + on +
                        " or " + off);
        }
        *flag = t[1].text == on;
    }
    return true;
}

bool Parser::passLine(const std::vector<Token>& t) {
    sawBody_ = true;
    if (!expectCount(t, 3, "pass <n> <ms>")) {
        return false;
    }
    const auto n = wholeNumber<int>(t[1].text, 1, INT_MAX - 1);
    if (!n) {
        return fail(say("bad pass number '", t[1].text, "'"));
    }
    const auto ms = wholeNumber<int>(t[2].text, 0, maxPassMs);
    if (!ms) {
        return fail(say("bad pass duration '", t[2].text, "', expected 0 to ") +
                    std::to_string(maxPassMs) + " ms");
    }
    if (!replay_.durations.empty() && *n <= replay_.durations.back().pass) {
        return fail("pass " + std::to_string(*n) + " is out of order (after pass " +
                    std::to_string(replay_.durations.back().pass) + ")");
    }
    replay_.durations.push_back({*n, *ms});
    return true;
}

// A yield nested in a pass's main-loop yield (capture scoring, run by a pointer move that the
// main-loop yield delivered) comes after that yield's earlier inputs; it is numbered above every
// nested yield of the pass so far.
bool Parser::nestedInMainYield(YieldId at) const {
    const YieldId last = replay_.inputs.back().at;
    const int highest = highestNested_.pass == at.pass ? highestNested_.sub : 0;
    return at.pass == last.pass && last.sub == 0 && at.sub > highest;
}

bool Parser::atLine(std::string_view line, const std::vector<Token>& t) {
    sawBody_ = true;
    if (t.size() < 3) {
        return fail("incomplete line, expected 'at <yield> <event>'");
    }
    const auto at = yieldNumber(t[1].text);
    if (!at) {
        return fail(say("bad yield '", t[1].text, "', expected <pass> or <pass>.<k>"));
    }
    if (!replay_.inputs.empty() && deliveryOrder(*at) < deliveryOrder(replay_.inputs.back().at) &&
        !nestedInMainYield(*at)) {
        return fail("yield " + yieldText(*at) + " is out of order (after yield " +
                    yieldText(replay_.inputs.back().at) + ")");
    }
    if (at->pass != highestNested_.pass || at->sub > highestNested_.sub) {
        highestNested_ = YieldId{
            at->pass, std::max(at->sub, at->pass == highestNested_.pass ? highestNested_.sub : 0)};
    }
    const std::vector<Token> args(t.begin() + 2, t.end());
    const std::string_view name = args[0].text;
    ReplayEvent e;
    if (name == "move") {
        e.kind = ReplayEvent::Kind::move;
        if (!expectCount(args, 3, "move <x> <y>")) {
            return false;
        }
        const auto x = twipsNumber(args[1].text);
        const auto y = twipsNumber(args[2].text);
        if (!x || !y) {
            return fail("bad pointer position, expected two numbers of twips");
        }
        e.x = *x;
        e.y = *y;
    } else if (name == "down") {
        e.kind = ReplayEvent::Kind::down;
        if (!expectCount(args, 2, "down <button>")) {
            return false;
        }
        const auto b = wholeNumber<int>(args[1].text, 1, 2);
        if (!b) {
            return fail(say("bad button '", args[1].text, "', expected 1 or 2"));
        }
        e.value = *b;
    } else if (name == "key") {
        e.kind = ReplayEvent::Kind::key;
        if (!expectCount(args, 2, "key <code>")) {
            return false;
        }
        const auto c = wholeNumber<int>(args[1].text, 0, 0x10FFFF);
        if (!c) {
            return fail(say("bad key code '", args[1].text, "'"));
        }
        e.value = *c;
    } else if (name == "menu") {
        e.kind = ReplayEvent::Kind::menu;
        if (args.size() < 2) {
            return fail("incomplete line, expected 'menu <name> [<answer>]'");
        }
        const auto item = menuItemByName(std::string(args[1].text));
        if (!item) {
            return fail(say("unknown menu item '", args[1].text, "'"));
        }
        e.menu = *item;
        // The answer is the rest of the line, blanks inside it included; a line that ends in
        // blanks alone has none.
        const std::string_view answer = trim(line.substr(args[1].end));
        if (!answer.empty()) {
            e.answer = std::string(answer);
        }
    } else if (name == "timer") {
        e.kind = ReplayEvent::Kind::timer;
        if (!expectCount(args, 2, "timer <name>")) {
            return false;
        }
        const auto timer = timerByName(std::string(args[1].text));
        if (!timer) {
            return fail(say("unknown timer '", args[1].text, "'"));
        }
        if (!replay_.timersRecorded) {
            return fail("timer events need 'timers recorded' in the header");
        }
        e.timer = *timer;
    } else if (name == "resize") {
        e.kind = ReplayEvent::Kind::resize;
        if (!expectCount(args, 3, "resize <w> <h>")) {
            return false;
        }
        const auto w = wholeNumber<int>(args[1].text, 1, maxTwips);
        const auto h = wholeNumber<int>(args[2].text, 1, maxTwips);
        if (!w || !h) {
            return fail("bad window size, expected two whole numbers of twips from 1 to " +
                        std::to_string(maxTwips));
        }
        e.value = *w;
        e.value2 = *h;
    } else if (name == "close") {
        e.kind = ReplayEvent::Kind::close;
        if (!expectCount(args, 1, "close")) {
            return false;
        }
    } else if (name == "pause" || name == "resume") {
        e.kind = name == "pause" ? ReplayEvent::Kind::pause : ReplayEvent::Kind::resume;
        if (!expectCount(args, 1, name == "pause" ? "pause" : "resume")) {
            return false;
        }
    } else {
        return fail(say("unknown event '", name, "'"));
    }
    replay_.add(*at, std::move(e));
    return true;
}

ReplayParse Parser::run(std::string_view text) {
    // Room for every input at once, so a long file is not copied again and again as it grows.
    // No input line is shorter than ten characters, which bounds what a hostile file can claim.
    std::size_t atLines = text.substr(0, 3) == "at " ? 1 : 0;
    for (std::size_t at = text.find("\nat "); at != std::string_view::npos;
         at = text.find("\nat ", at + 1)) {
        ++atLines;
    }
    replay_.inputs.reserve(std::min(atLines, text.size() / 10));
    std::size_t start = 0;
    bool ok = true;
    while (ok && start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++line_;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!isText(line)) {
            ok = fail("not a text line (binary data?)");
            break;
        }
        line = stripComment(line);
        const std::vector<Token> t = tokenize(line);
        if (t.empty()) {
            continue;
        }
        if (!sawMagic_) {
            if (t.size() != 2 || t[0].text != "brivane-replay") {
                ok = fail(std::string("not a replay file, expected '") + replayMagic + "'");
            } else if (t[1].text != "1") {
                ok = fail(say("unsupported replay version '", t[1].text,
                              "', this program reads version 1"));
            }
            sawMagic_ = true;
            continue;
        }
        const std::string_view k = t[0].text;
        if (isHeaderKeyword(k)) {
            ok = headerLine(k, t);
        } else if (k == "pass") {
            ok = passLine(t);
        } else if (k == "at") {
            ok = atLine(line, t);
        } else {
            ok = fail(say("unknown keyword '", k, "'"));
        }
    }
    if (ok && !sawMagic_) {
        error_ = {std::max(line_, 1),
                  std::string("empty file, expected '") + replayMagic + "' on the first line"};
        ok = false;
    }
    if (!ok) {
        return {std::nullopt, error_};
    }
    replay_.inputs.shrink_to_fit();
    replay_.durations.shrink_to_fit();
    return {std::move(replay_), {}};
}

}  // namespace

std::pair<int, int> deliveryOrder(YieldId y) {
    return {y.pass, y.sub == 0 ? INT_MAX : y.sub};
}

void Replay::add(YieldId at, ReplayEvent e) {
    ReplayInput input{at, e.kind, e.menu, e.timer, e.x, e.y, e.value, e.value2, -1};
    if (e.answer) {
        input.answer = static_cast<std::int32_t>(answers.size());
        answers.push_back(std::move(*e.answer));
    }
    inputs.push_back(input);
}

ReplayEvent Replay::event(std::size_t i) const {
    const ReplayInput& in = inputs[i];
    ReplayEvent e;
    e.kind = in.kind;
    e.x = in.x;
    e.y = in.y;
    e.value = in.value;
    e.value2 = in.value2;
    e.menu = in.menu;
    e.timer = in.timer;
    if (in.answer >= 0) {
        e.answer = answers[static_cast<std::size_t>(in.answer)];
    }
    return e;
}

int Replay::lastPass() const {
    int last = durations.empty() ? 0 : durations.back().pass;
    if (!inputs.empty()) {
        last = std::max(last, inputs.back().at.pass);
    }
    return last;
}

std::string ReplayError::text() const {
    return "line " + std::to_string(line) + ": " + message;
}

ReplayParse parseReplay(std::string_view text) {
    return Parser().run(text);
}

// Only a regular file of a replay's size: a FIFO would hold the game up, a link to /dev/zero
// feed it without end.
std::optional<Replay> loadReplay(const std::string& path, std::string& error) {
    FileRead read = readRegularFile(path, maxReplayBytes);
    switch (read.check) {
        case FileCheck::regular:
            break;
        case FileCheck::tooLarge:
            error = path + ": too large for a replay file";
            return std::nullopt;
        case FileCheck::notRegular:
            error = path + ": not a regular file";
            return std::nullopt;
        case FileCheck::missing:
        case FileCheck::unreadable:
            error = path + ": cannot read: " + std::strerror(errno);
            return std::nullopt;
    }
    const std::string text = std::move(read.bytes);
    ReplayParse parsed = parseReplay(text);
    if (!parsed.replay) {
        error = path + ": " + parsed.error.text();
        return std::nullopt;
    }
    return std::move(parsed.replay);
}

std::optional<MenuItem> menuItemByName(const std::string& name) {
    for (int i = 0; i < menuItemCount; ++i) {
        if (name == menuNames[i]) {
            return static_cast<MenuItem>(i);
        }
    }
    return std::nullopt;
}

std::optional<TimerId> timerByName(const std::string& name) {
    for (int i = 0; i < timerCount; ++i) {
        if (name == timerNames[i]) {
            return static_cast<TimerId>(i);
        }
    }
    return std::nullopt;
}

const char* menuItemName(MenuItem item) {
    return menuNames[static_cast<int>(item)];
}

const char* timerName(TimerId timer) {
    return timerNames[static_cast<int>(timer)];
}

std::string yieldText(YieldId at) {
    std::string s = std::to_string(at.pass);
    if (at.sub != 0) {
        s += '.';
        s += std::to_string(at.sub);
    }
    return s;
}

namespace {

// The shortest text that reads back to the very same double.
std::string shortestText(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace

std::string floatText(float v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string factsText(const ReplayFacts& f) {
    std::string s;
    if (f.endedAt) {
        s += "ended " + std::to_string(*f.endedAt) + "\n";
    }
    if (f.score) {
        s += "score " + shortestText(*f.score) + "\n";
    }
    if (f.level) {
        s += "reached " + std::to_string(*f.level) + "\n";
    }
    if (f.msPlayed) {
        s += "played " + std::to_string(*f.msPlayed) + "\n";
    }
    return s;
}

std::string headerText(const Replay& r) {
    std::string s = std::string(replayMagic) + "\n" + factsText(r.facts);
    s += "seed " + std::to_string(r.seed) + "\n";
    s += "playfield " + std::to_string(r.playfieldWidth) + " " + std::to_string(r.playfieldHeight) +
         "\n";
    s += std::string("autospeed ") + (r.autoSpeed ? "on" : "off") + "\n";
    s += "userspeed " + std::to_string(r.userSpeed) + "\n";
    s += "highlevel " + std::to_string(r.highLevel) + "\n";
    // The shortest text that reads back to the very same double.
    s += "highscore " + shortestText(r.highScore) + "\n";
    s += std::string("timers ") + (r.timersRecorded ? "recorded" : "clock") + "\n";
    if (r.carried) {
        const CarriedStart& c = *r.carried;
        const auto onOff = [](bool on) { return on ? std::string("on") : std::string("off"); };
        if (c.rndState) {
            s += "rnd " + std::to_string(*c.rndState) + "\n";
        }
        s += "ticks " + std::to_string(c.frameTicks) + "\n";
        s += "player " + floatText(c.playerX) + " " + floatText(c.playerY) + "\n";
        s += "shield " + onOff(c.shield) + "\n";
        s += "collide " + onOff(c.ballsCollide) + "\n";
        s += std::string("bonds ") + (c.bondsRed ? "red" : "blue") + "\n";
        s += "render " + onOff(c.renderTiming) + "\n";
        s += "paused " + onOff(c.paused) + "\n";
        s += "running";
        for (int timer = 0; timer < timerCount; ++timer) {
            if ((c.timersRunning >> timer & 1U) != 0) {
                s += std::string(" ") + timerName(static_cast<TimerId>(timer));
            }
        }
        s += "\n";
        if (c.tailPoint) {
            s += "tail " + floatText(c.tailPoint->first) + " " + floatText(c.tailPoint->second) +
                 "\n";
        }
        s += c.diedOnLevel > 0 ? "begins lastlife " + std::to_string(c.diedOnLevel) + "\n"
                               : std::string("begins newgame\n");
    }
    return s;
}

std::string eventText(const ReplayEvent& e) {
    switch (e.kind) {
        case ReplayEvent::Kind::move:
            return "move " + floatText(e.x) + " " + floatText(e.y);
        case ReplayEvent::Kind::down:
            return "down " + std::to_string(e.value);
        case ReplayEvent::Kind::key:
            return "key " + std::to_string(e.value);
        case ReplayEvent::Kind::menu:
            return std::string("menu ") + menuItemName(e.menu) +
                   (e.answer ? " " + *e.answer : std::string());
        case ReplayEvent::Kind::timer:
            return std::string("timer ") + timerName(e.timer);
        case ReplayEvent::Kind::resize:
            return "resize " + std::to_string(e.value) + " " + std::to_string(e.value2);
        case ReplayEvent::Kind::close:
            return "close";
        case ReplayEvent::Kind::pause:
            return "pause";
        case ReplayEvent::Kind::resume:
            return "resume";
    }
    return "close";
}

}  // namespace brivane
