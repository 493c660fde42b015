// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The high-score file: what loads from hand-made and odd files, the exact bytes written, and
// the program ending after the write whether or not it succeeded.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/scores.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

TEST(Scores, LoadsWhatTheFileHoldsAndStopsAtAValueOutOfRange) {
    // Values already in the record before loading, so "left alone" and "read as 0" differ.
    constexpr int keptLevel = 3;
    constexpr double keptScore = 30;
    const struct {
        std::optional<std::string> file;
        int level;
        double score;
    } cases[] = {
        // clang-format off
        {std::nullopt, keptLevel, keptScore}, {"highlvl:12\r\nhighscore:1250\r\n", 12, 1250},
        {"HIGHLVL:12\r\nHighScore:1250\r\n", keptLevel, keptScore},  // case matters
        {"highlvl:abc\r\nhighscore:x9\r\n", 0, 0},
        {"highlvl:5\r\nhighlvl:9\r\nhighscore:1\r\nhighscore:2\r\n", 9, 2},  // the last one wins
        {"highlvl:12\n\rhighscore:1250", 12, 1250},  // LF CR is two ends; no final end
        {"highlvl: 12abc\r\nhighscore:-5\r\n", 12, -5},
        {"# kept by hand\r\n\r\nxhighlvl:7\r\nhighlvl:4\r\n", 4, keptScore},
        {"\xEF\xBB\xBFhighlvl:12\r\nhighscore:1\r\n", 12, 1},  // an editor's byte-order mark
        {"\xEF\xBBhighlvl:12\r\n", keptLevel, keptScore},  // but only a whole one
        {"highlvl:12.7\r\nhighscore:1234.5\r\n", 13, 1234.5},  // a point in every locale
        {"highlvl:12,7\r\nhighscore:1234,5\r\n", 12, 1234},  // and never a comma
        {"highlvl:2.5\r\n", 2, keptScore}, {"highlvl:3.5\r\n", 4, keptScore},  // halves to even
        // A level outside 16 bits, or a score no double holds, stops the reading: values read
        // before it stay, nothing after it is read.
        {"highlvl:32767\r\nhighscore:100\r\n", 32767, 100},
        {"highlvl:32767.5\r\nhighscore:100\r\n", keptLevel, keptScore},  // rounds to 32768
        {"highlvl:-32768.5\r\nhighscore:100\r\n", -32768, 100},  // the even -32768
        {"highlvl:-32769\r\nhighscore:100\r\n", keptLevel, keptScore},
        {"highscore:100\r\nhighlvl:5\r\nhighlvl:40000\r\nhighscore:200\r\n", 5, 100},
        {"highlvl:7\r\nhighscore:1e999\r\nhighlvl:8\r\n", 7, keptScore},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.value_or("(no file)"));
        Harness h;
        h.g.highLevel = keptLevel;
        h.g.highScore = keptScore;
        h.pf.scoresFile = c.file;
        loadScores(h.g);
        EXPECT_EQ(h.g.highLevel, c.level);
        EXPECT_EQ(h.g.highScore, c.score);
    }
}

TEST(Scores, WritesExactlyTwoLinesThenEndsAndReadsBackEveryValue) {
    const struct {
        std::int16_t level;
        double score;
        const char* file;
    } cases[] = {
        {32767, 1e15, "highlvl:32767\r\nhighscore:1000000000000000\r\n"},
        {-5, 0.1, "highlvl:-5\r\nhighscore:0.1\r\n"},
        {-32768, 4503599627370497.0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.score);
        Harness h;
        h.g.highLevel = c.level;
        h.g.highScore = c.score;
        bool pendingEventRan = false;
        h.pf.post(ScriptedEvent::run([&] {
            pendingEventRan = true;
            EXPECT_TRUE(h.pf.scoresFile.has_value());  // the file is written first
            EXPECT_FALSE(h.pf.programEnded);
        }));
        saveScores(h.g);
        if (c.file != nullptr) {
            EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>(c.file));
        }
        EXPECT_TRUE(pendingEventRan);
        EXPECT_TRUE(h.g.ended);
        EXPECT_TRUE(h.pf.programEnded);
        Harness reader;
        reader.pf.scoresFile = h.pf.scoresFile;
        loadScores(reader.g);
        EXPECT_EQ(reader.g.highLevel, c.level);
        EXPECT_EQ(reader.g.highScore, c.score);
    }
}

TEST(Scores, ClosingOrExitWritesTheFileOfTheRunAndNoPassFollows) {
    const ScriptedEvent endings[] = {ScriptedEvent::closeWindow(),
                                     ScriptedEvent::menuItem(MenuItem::mnuFileExit)};
    for (const ScriptedEvent& ending : endings) {
        test::Started h;  // first run: no file yet
        h.passes(2);
        h.g.highScore = 90;
        h.pf.post(ending);
        h.passes(5);
        EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:1\r\nhighscore:90\r\n"));
        EXPECT_TRUE(h.pf.programEnded);
        EXPECT_TRUE(h.g.ended);
        EXPECT_EQ(h.pf.yields().pass(), 4);  // none after the one that closed
    }
}

TEST(Scores, AFailedWriteKeepsTheOldFileAndACloseDuringTheSaveEndsOnce) {
    const struct {
        std::optional<std::string> file;  // loaded at start
        bool writeFails;
        double highScore;  // set before saving; 0: as loaded
        const char* after;
    } cases[] = {
        {"highlvl:12\r\nhighscore:1250\r\n", false, 0, "highlvl:12\r\nhighscore:1250\r\n"},
        {"highlvl:4\r\nhighscore:40\r\n", true, 900, "highlvl:4\r\nhighscore:40\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        Harness h;
        h.pf.scoresFile = c.file;
        h.start();
        if (c.highScore != 0) {
            h.g.highScore = c.highScore;
        } else {
            EXPECT_EQ(h.g.highLevel, 12);  // kept when not beaten
            EXPECT_EQ(h.g.highScore, 1250);
        }
        h.pf.setScoresWriteFails(c.writeFails);
        h.pf.post(ScriptedEvent::closeWindow());  // delivered inside the save's own event run
        h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuFileExit));
        saveScores(h.g);
        EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>(c.after));
        EXPECT_TRUE(h.g.ended);
        EXPECT_TRUE(h.pf.programEnded);
    }
}

}  // namespace
}  // namespace brivane
