// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file: two CR LF lines, "highlvl:" with the highest level and "highscore:" with
// the best score. Reading matches lines by prefix, so a file edited by hand or written by an
// older version still loads whatever it holds of the two keys.
#include "core/scores.h"

#include <algorithm>
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

std::string scoresText(std::int16_t highLevel, double highScore) {
    return std::string(levelKey) + std::to_string(highLevel) + "\r\n" + std::string(scoreKey) +
           shortestDecimal(highScore) + "\r\n";
}

std::string betterScoresText(std::string_view a, std::string_view b) {
    std::int16_t levelA = 0;
    double scoreA = 0;
    readScores(a, levelA, scoreA);
    std::int16_t levelB = levelA;
    double scoreB = scoreA;
    readScores(b, levelB, scoreB);
    return scoresText(std::max(levelA, levelB), std::max(scoreA, scoreB));
}

void loadScores(GameState& g) {
    if (const std::optional<std::string> text = g.pf.readScoresFile()) {
        readScores(*text, g.highLevel, g.highScore);
    }
}

void saveScores(GameState& g) {
    // Every way the program ends comes here, and the game in progress ends with it.
    gameEnded(g, GameEnding::programEnd);
    // A second copy of the game may have saved a better run since this one loaded the file, so
    // the file is read again right before it is replaced and each value only ever rises. The
    // record keeps this run's own values: only the file holds the merge.
    std::int16_t level = g.highLevel;
    double score = g.highScore;
    if (const std::optional<std::string> text = g.pf.readScoresFile()) {
        std::int16_t savedLevel = level;
        double savedScore = score;
        readScores(*text, savedLevel, savedScore);
        level = std::max(level, savedLevel);
        score = std::max(score, savedScore);
    }
    // Failure is ignored: the old file stays as it was and the program still ends.
    g.pf.writeScoresFile(scoresText(level, score));
    g.pf.processEvents();
    g.ended = true;
    g.pf.endProgram();
}

}  // namespace brivane
