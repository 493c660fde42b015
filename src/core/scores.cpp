// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file: two CR LF lines, "highlvl:" with the highest level and "highscore:" with
// the best score. Reading matches lines by prefix, so a file edited by hand or written by an
// older version still loads whatever it holds of the two keys.
#include "core/scores.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "core/best_games.h"
#include "core/numbers.h"

namespace brivane {

namespace {

constexpr std::string_view levelKey = "highlvl:";
constexpr std::string_view scoreKey = "highscore:";

bool startsWith(std::string_view line, std::string_view key) {
    return line.substr(0, key.size()) == key;
}

// CR LF, a lone CR and a lone LF all end a line; text after the last line end is a line too.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            visit(text.substr(start));
            return;
        }
        if (!visit(text.substr(start, end - start))) {
            return;
        }
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
}

}  // namespace

void readScores(std::string_view text, std::int16_t& highLevel, double& highScore) {
    // An editor may have put a byte-order mark before the first line; it is not part of a key.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark) {
        text.remove_prefix(byteOrderMark.size());
    }
    forEachLine(text, [&](std::string_view line) {
        if (startsWith(line, levelKey)) {
            // A level that does not fit the 16-bit field ends the reading; what came before
            // it stays.
            const double level = roundEven(numericValue(std::string(line.substr(levelKey.size()))));
            if (!(level >= -32768.0 && level <= 32767.0)) {
                return false;
            }
            highLevel = static_cast<std::int16_t>(level);
        }
        if (startsWith(line, scoreKey)) {
            // Likewise a score too large for a double, which could never be written back as
            // a number.
            const double score = numericValue(std::string(line.substr(scoreKey.size())));
            if (!std::isfinite(score)) {
                return false;
            }
            highScore = score;
        }
        return true;
    });
}

void loadScores(GameState& g) {
    if (const std::optional<std::string> text = g.pf.readScoresFile()) {
        readScores(*text, g.highLevel, g.highScore);
    }
}

void saveScores(GameState& g) {
    // Every way the program ends comes here, and the game in progress ends with it.
    gameEnded(g, GameEnding::programEnd);
    // Failure is ignored: the old file stays as it was and the program still ends.
    g.pf.writeScoresFile(std::string(levelKey) + std::to_string(g.highLevel) + "\r\n" +
                         std::string(scoreKey) + shortestDecimal(g.highScore) + "\r\n");
    g.pf.processEvents();
    g.ended = true;
    g.pf.endProgram();
}

}  // namespace brivane
