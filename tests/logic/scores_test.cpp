// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file: what loads from hand-made and odd files, the bytes written, and the end.

#include "core/scores.h"
#include "harness.h"

namespace brivane {
namespace {

// A level outside 16 bits or a score no double holds stops the reading; what came before stays.
TEST(Scores, ReadsWhatTheFileHoldsAndStopsAtAValueOutOfRange) {
    constexpr int kL = 3;
    constexpr double kS = 30;
    const std::tuple<std::string, int, double> cases[] = {
        // clang-format off
        {"", kL, kS}, {"highlvl:12\r\nhighscore:1250\r\n", 12, 1250},
        {"HIGHLVL:12\r\nHighScore:1250\r\n", kL, kS}, {"highlvl:abc\r\nhighscore:x9\r\n", 0, 0},
        {"highlvl:5\r\nhighlvl:9\r\nhighscore:1\r\nhighscore:2\r\n", 9, 2},  // the last one wins
        {"highlvl:12\n\rhighscore:1250", 12, 1250},  // LF CR is two ends; no final end
        {"highlvl: 12abc\r\nhighscore:-5\r\n", 12, -5}, {"# kept\r\n\r\nxhighlvl:7\r\nhighlvl:4\r\n", 4, kS},
        {"\xEF\xBB\xBFhighlvl:12\r\nhighscore:1\r\n", 12, 1}, {"\xEF\xBBhighlvl:12\r\n", kL, kS},  // BOM
        {"highlvl:12.7\r\nhighscore:4.5", 13, 4.5}, {"highlvl:12,7\r\nhighscore:4,5", 12, 4},  // a point, never a comma
        {"highlvl:2.5\r\n", 2, kS}, {"highlvl:3.5\r\n", 4, kS},  // halves to even
        {"highlvl:32767\r\nhighscore:100\r\n", 32767, 100}, {"highlvl:32767.5\r\nhighscore:100\r\n", kL, kS},
        {"highlvl:-32768.5\r\nhighscore:100\r\n", -32768, 100}, {"highlvl:-32769\r\nhighscore:100\r\n", kL, kS},
        {"highscore:100\r\nhighlvl:5\r\nhighlvl:40000\r\nhighscore:200\r\n", 5, 100},
        {"highlvl:7\r\nhighscore:1e999\r\nhighlvl:8\r\n", 7, kS},
        // clang-format on
    };
    for (const auto& [file, level, score] : cases) {
        std::int16_t readLevel = kL;
        double readScore = kS;
        readScores(file, readLevel, readScore);
        EXPECT_EQ(std::tuple(readLevel, readScore), std::tuple(level, score)) << file;
    }
}

TEST(Scores, WritesExactlyTwoLinesAndReadsBackEveryValue) {
    EXPECT_EQ(scoresText(32767, 1e15), "highlvl:32767\r\nhighscore:1000000000000000\r\n");
    EXPECT_EQ(scoresText(-5, 0.1), "highlvl:-5\r\nhighscore:0.1\r\n");
    for (const auto& [level, score] :
         {std::pair<std::int16_t, double>{32767, 1e15}, {-5, 0.1}, {-32768, 4503599627370497.0}}) {
        std::int16_t readLevel = 0;
        double readScore = 0;
        readScores(scoresText(level, score), readLevel, readScore);
        EXPECT_EQ(std::tuple(readLevel, readScore), std::tuple(level, score));
    }
    // The files beside the program and in the user's folder give the better of each value.
    EXPECT_EQ(betterScoresText(scoresText(9, 5), scoresText(3, 7)), scoresText(9, 7));
    EXPECT_EQ(betterScoresText(scoresText(3, 7), "highlvl:9\r\n"), scoresText(9, 7));
}

// Saved once however often closed; a failed write keeps the old file; each value only rises.
TEST(Scores, EndingWritesTheFileOnceKeepingTheBestOfItAndTheRun) {
    const std::string old = scoresText(12, 1250);
    const ScriptedEvent close = ScriptedEvent::closeWindow();
    const std::tuple<std::optional<std::string>, std::optional<std::string>, ScriptedEvent, bool,
                     std::optional<std::string>>
        cases[] = {
            {{}, {}, close, false, scoresText(1, 9000)},  // the first run
            {old, old, ScriptedEvent::menuItem(MenuItem::mnuFileExit), false, scoresText(12, 9000)},
            {old, scoresText(20, 500), close, false, scoresText(20, 9000)},
            {old, old, close, true, old},
        };
    for (const auto& [file, atSave, ending, fails, written] : cases) {
        SCOPED_TRACE(file.value_or("(no file)") + (fails ? " failing" : ""));
        test::Harness h;
        h.pf.scoresFile = file;
        h.start();
        h.passes(2);
        h.g.highScore = 9000;
        h.pf.scoresFile = atSave;
        h.pf.setScoresWriteFails(fails);
        h.pf.post(ending);
        // Delivered inside the save's own event run: the file is written first, the end after.
        std::optional<std::pair<std::optional<std::string>, bool>> during;
        h.pf.post(
            ScriptedEvent::run([&] { during = std::pair(h.pf.scoresFile, h.pf.programEnded); }));
        h.pf.post(close);
        h.passes(5);
        EXPECT_EQ(during, std::pair(written, false));
        EXPECT_EQ(std::tuple(h.pf.scoresFile, h.pf.programEnded, h.g.ended, h.g.highLevel,
                             h.g.highScore, h.pf.yields().pass()),
                  std::tuple(written, true, true, file ? 12 : 1, 9000.0, 4));
    }
}

}  // namespace
}  // namespace brivane
