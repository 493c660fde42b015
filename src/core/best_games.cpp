// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games and its file.
//
// The file is text: the line "brivane-best-games 1", then one line per game with its score,
// level, end time (seconds since 1970, UTC), seconds played and name, separated by tabs. Names
// hold no control characters, so a tab or a line end can never come from one.
#include "core/best_games.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <system_error>

#include "core/numbers.h"

namespace brivane {

namespace {

constexpr std::string_view header = "brivane-best-games 1";
constexpr const char* nameSection = "misc";
constexpr const char* nameKey = "playerName";
// For an account that has neither a full name nor a login name the game can read.
constexpr const char* fallbackName = "Player";

template <typename Int>
bool readWhole(std::string_view text, Int& value) {
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return false;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool readScore(std::string_view text, double& value) {
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return false;
    }
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           value > 0;
}

std::optional<BestGame> parseLine(std::string_view line) {
    std::string_view fields[4];
    for (std::string_view& field : fields) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        field = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    BestGame game;
    int level = 0;
    if (!readScore(fields[0], game.score) || !readWhole(fields[1], level) || level < 1 ||
        level > 32767 || !readWhole(fields[2], game.endedAt) ||
        !readWhole(fields[3], game.secondsPlayed)) {
        return std::nullopt;
    }
    game.level = static_cast<std::int16_t>(level);
    game.name = cleanName(line);
    return game;
}

// Decodes one UTF-8 sequence at `i`; returns its length, 0 for a broken one, and the code point.
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t length = 0;
    char32_t min = 0;
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    if ((b & 0xE0) == 0xC0) {
        length = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// Reads the file, lets `edit` change the table, and writes it back ranked and cut. A file that
// is there but not a table is renamed out of the way first; when even that fails nothing is
// written, as the player's old table may still be in it.
std::vector<BestGame> rewriteTable(GameState& g,
                                   const std::function<void(std::vector<BestGame>&)>& edit) {
    const StoredFile file = g.pf.readBestGamesFile();
    std::vector<BestGame> games;
    bool damaged = file.state == StoredFile::State::unusable;
    if (file.state == StoredFile::State::read) {
        if (std::optional<std::vector<BestGame>> parsed = parseBestGames(file.bytes)) {
            games = std::move(*parsed);
        } else {
            damaged = true;
        }
    }
    edit(games);
    rankBestGames(games);
    if (!damaged || g.pf.setBestGamesFileAside()) {
        g.pf.writeBestGamesFile(bestGamesText(games));
    }
    return games;
}

}  // namespace

std::string cleanName(std::string_view text) {
    std::string out;
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < text.size() && characters < nameLimit) {
        char32_t cp = 0;
        const std::size_t length = decode(text, i, cp);
        if (length == 0) {
            ++i;
            continue;
        }
        if (!isControl(cp) && !(cp == ' ' && characters == 0)) {
            out.append(text.substr(i, length));
            ++characters;
        }
        i += length;
    }
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

std::optional<std::vector<BestGame>> parseBestGames(std::string_view text) {
    std::vector<BestGame> games;
    if (text.empty()) {
        return games;  // nothing written yet, nothing to lose
    }
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            if (line != header) {
                return std::nullopt;
            }
            first = false;
        } else if (!line.empty()) {
            std::optional<BestGame> game = parseLine(line);
            if (!game) {
                return std::nullopt;
            }
            games.push_back(std::move(*game));
        }
    }
    rankBestGames(games);
    return games;
}

std::string bestGamesText(const std::vector<BestGame>& games) {
    std::string text(header);
    text += '\n';
    for (const BestGame& game : games) {
        text += shortestDecimal(game.score) + '\t' + std::to_string(game.level) + '\t' +
                std::to_string(game.endedAt) + '\t' + std::to_string(game.secondsPlayed) + '\t' +
                cleanName(game.name) + '\n';
    }
    return text;
}

void rankBestGames(std::vector<BestGame>& games) {
    std::stable_sort(games.begin(), games.end(), [](const BestGame& a, const BestGame& b) {
        if (a.score != b.score) {
            return a.score > b.score;
        }
        return a.endedAt < b.endedAt;
    });
    if (games.size() > bestGamesKept) {
        games.resize(bestGamesKept);
    }
}

std::string lastName(GameState& g) {
    if (const std::optional<std::string> stored = g.pf.readSetting(nameSection, nameKey)) {
        std::string name = cleanName(*stored);
        if (!name.empty()) {
            return name;
        }
    }
    std::string name = cleanName(g.pf.accountName());
    return name.empty() ? fallbackName : name;
}

void gameEnded(GameState& g, GameEnding how) {
    const std::int64_t ms = g.msPlayed;
    g.msPlayed = 0;
    if (!g.keepBestGames) {
        return;
    }
    const GameOver over{how, g.score, g.level, g.pf.secondsSinceEpoch(), ms};
    if (!(g.score > 0)) {
        g.pf.gameOver(over);
        return;
    }
    const BestGame entry{lastName(g), g.score, g.level, over.endedAt, ms / 1000};
    std::vector<BestGame> games =
        rewriteTable(g, [&entry](std::vector<BestGame>& list) { list.push_back(entry); });
    // After the table is written, so the replays kept for it are the ones it now holds.
    g.pf.gameOver(over);
    const auto row = std::find(games.begin(), games.end(), entry);
    if (row == games.end() || how == GameEnding::programEnd) {
        return;
    }
    const int editRow = static_cast<int>(row - games.begin());
    g.namingEntry = entry;
    g.shownGames = games;
    g.pf.showBestGames({std::move(games), editRow, entry.name});
}

void menuHighScores(GameState& g) {
    if (!g.keepBestGames) {
        return;
    }
    const StoredFile file = g.pf.readBestGamesFile();
    std::vector<BestGame> games;
    if (file.state == StoredFile::State::read) {
        games = parseBestGames(file.bytes).value_or(std::vector<BestGame>{});
    }
    g.namingEntry.reset();
    g.shownGames = games;
    g.pf.showBestGames({std::move(games), -1, ""});
}

void nameBestGame(GameState& g, const std::string& name) {
    if (!g.namingEntry) {
        return;
    }
    const BestGame entry = *g.namingEntry;
    g.namingEntry.reset();
    std::string chosen = cleanName(name);
    if (chosen.empty()) {
        chosen = entry.name;  // an emptied box keeps the name it offered
    }
    g.pf.saveSetting(nameSection, nameKey, chosen);
    if (chosen == entry.name) {
        return;
    }
    rewriteTable(g, [&](std::vector<BestGame>& list) {
        const auto it = std::find(list.begin(), list.end(), entry);
        if (it != list.end()) {
            it->name = chosen;
        }
    });
}

void clearBestGames(GameState& g) {
    // Only the games the player saw go: one that another copy of the game added meanwhile stays.
    const std::vector<BestGame> shown = std::move(g.shownGames);
    g.shownGames.clear();
    g.namingEntry.reset();
    rewriteTable(g, [&shown](std::vector<BestGame>& list) {
        std::erase_if(list, [&shown](const BestGame& game) {
            return std::find(shown.begin(), shown.end(), game) != shown.end();
        });
    });
}

}  // namespace brivane
