// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file: what loads from hand-made and odd files, the exact bytes written, and
// the program ending after the write whether or not it succeeded.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "core/scores.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(Scores, LoadsWhatTheFileHoldsAndStopsAtAValueOutOfRange) {
    // Values already in the record before loading, so "left alone" and "read as 0" differ.
    constexpr int kL = 3;
    constexpr double kS = 30;
    const std::tuple<std::optional<std::string>, int, double> cases[] = {
        // clang-format off
        {std::nullopt, kL, kS}, {"highlvl:12\r\nhighscore:1250\r\n", 12, 1250},
        {"HIGHLVL:12\r\nHighScore:1250\r\n", kL, kS},  // case matters
        {"highlvl:abc\r\nhighscore:x9\r\n", 0, 0},
        {"highlvl:5\r\nhighlvl:9\r\nhighscore:1\r\nhighscore:2\r\n", 9, 2},  // the last one wins
        {"highlvl:12\n\rhighscore:1250", 12, 1250},  // LF CR is two ends; no final end
        {"highlvl: 12abc\r\nhighscore:-5\r\n", 12, -5},
        {"# kept by hand\r\n\r\nxhighlvl:7\r\nhighlvl:4\r\n", 4, kS},
        {"\xEF\xBB\xBFhighlvl:12\r\nhighscore:1\r\n", 12, 1},  // an editor's byte-order mark
        {"\xEF\xBBhighlvl:12\r\n", kL, kS},                    // but only a whole one
        {"highlvl:12.7\r\nhighscore:1234.5\r\n", 13, 1234.5},  // a point in every locale
        {"highlvl:12,7\r\nhighscore:1234,5\r\n", 12, 1234},    // and never a comma
        {"highlvl:2.5\r\n", 2, kS}, {"highlvl:3.5\r\n", 4, kS},  // halves to even
        // A level outside 16 bits, or a score no double holds, stops the reading: values read
        // before it stay, nothing after it is read.
        {"highlvl:32767\r\nhighscore:100\r\n", 32767, 100},
        {"highlvl:32767.5\r\nhighscore:100\r\n", kL, kS},  // rounds to 32768
        {"highlvl:-32768.5\r\nhighscore:100\r\n", -32768, 100},  // the even -32768
        {"highlvl:-32769\r\nhighscore:100\r\n", kL, kS},
        {"highscore:100\r\nhighlvl:5\r\nhighlvl:40000\r\nhighscore:200\r\n", 5, 100},
        {"highlvl:7\r\nhighscore:1e999\r\nhighlvl:8\r\n", 7, kS},
        // clang-format on
    };
    for (const auto& [file, level, score] : cases) {
        Harness h;
        h.g.highLevel = kL;
        h.g.highScore = kS;
        h.pf.scoresFile = file;
        loadScores(h.g);
        EXPECT_EQ(std::tuple(h.g.highLevel, h.g.highScore), std::tuple(level, score))
            << file.value_or("(no file)");
    }
}

TEST(Scores, WritesExactlyTwoLinesThenEndsAndReadsBackEveryValue) {
    const std::tuple<std::int16_t, double, const char*> cases[] = {
        {32767, 1e15, "highlvl:32767\r\nhighscore:1000000000000000\r\n"},
        {-5, 0.1, "highlvl:-5\r\nhighscore:0.1\r\n"},
        {-32768, 4503599627370497.0, nullptr},
    };
    for (const auto& [level, score, file] : cases) {
        SCOPED_TRACE(score);
        Harness h;
        h.g.highLevel = level;
        h.g.highScore = score;
        bool pendingEventRan = false;
        h.pf.post(ScriptedEvent::run([&] {
            pendingEventRan = true;  // the file is written first, the program ends after
            EXPECT_TRUE(h.pf.scoresFile.has_value() && !h.pf.programEnded);
        }));
        saveScores(h.g);
        EXPECT_TRUE(file == nullptr || h.pf.scoresFile == file);
        EXPECT_TRUE(pendingEventRan && h.g.ended && h.pf.programEnded);
        Harness reader;
        reader.pf.scoresFile = h.pf.scoresFile;
        loadScores(reader.g);
        EXPECT_EQ(std::tuple(reader.g.highLevel, reader.g.highScore), std::tuple(level, score));
    }
}

TEST(Scores, ClosingOrExitWritesTheFileOfTheRunAndNoPassFollows) {
    for (const ScriptedEvent& ending :
         {ScriptedEvent::closeWindow(), ScriptedEvent::menuItem(MenuItem::mnuFileExit)}) {
        test::Started h;  // first run: no file yet
        h.passes(2);
        h.g.highScore = 90;
        h.pf.post(ending);
        h.passes(5);
        EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:1\r\nhighscore:90\r\n"));
        EXPECT_TRUE(h.pf.programEnded && h.g.ended);
        EXPECT_EQ(h.pf.yields().pass(), 4);  // none after the one that closed
    }
}

TEST(Scores, AFailedWriteKeepsTheOldFileAndACloseDuringTheSaveEndsOnce) {
    for (const bool fails : {false, true}) {
        const std::string file = "highlvl:12\r\nhighscore:1250\r\n";
        Harness h;
        h.pf.scoresFile = file;
        h.start();
        EXPECT_EQ(std::tuple(h.g.highLevel, h.g.highScore), std::tuple(12, 1250.0));
        h.g.highScore = fails ? 9000 : h.g.highScore;  // kept when not beaten
        h.pf.setScoresWriteFails(fails);
        h.pf.post(ScriptedEvent::closeWindow());  // delivered inside the save's own event run
        h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuFileExit));
        saveScores(h.g);
        EXPECT_EQ(h.pf.scoresFile, file) << fails;
        EXPECT_TRUE(h.g.ended && h.pf.programEnded);
    }
}

}  // namespace
}  // namespace brivane
