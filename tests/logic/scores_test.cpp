// The high-score file: what loads from hand-made and odd files, the exact bytes written, and
// the program ending after the write whether or not it succeeded.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/scores.h"
#include "harness.h"

namespace brivane {
namespace {

using test::Harness;

// Values already in the record before loading, so "left alone" and "read as 0" differ.
constexpr std::int16_t presetLevel = 3;
constexpr double presetScore = 30;

TEST(Scores, LoadsWhatTheFileHolds) {
    const struct {
        const char* file;
        int level;
        double score;
    } cases[] = {
        {"highlvl:12\r\nhighscore:1250\r\n", 12, 1250},
        {"highscore:1250\r\nhighlvl:12\r\n", 12, 1250},  // order does not matter
        {"highlvl:12\r\nhighscore:12.5\r\n", 12, 12.5},
        {"HIGHLVL:12\r\nHighScore:1250\r\n", presetLevel, presetScore},  // case matters
        {"highlvl:\r\nhighscore:\r\n", 0, 0},                            // empty value is 0
        {"highlvl:abc\r\nhighscore:x9\r\n", 0, 0},
        {"highlvl:5\r\nhighlvl:9\r\nhighscore:1\r\nhighscore:2\r\n", 9, 2},  // last one wins
        {"highlvl:12\rhighscore:1250\r", 12, 1250},                          // lone CR
        {"highlvl:12\nhighscore:1250\n", 12, 1250},                          // lone LF
        {"highlvl:12\n\rhighscore:1250", 12, 1250},  // LF CR is two ends; no final end
        {"highlvl: 12abc\r\nhighscore:-5\r\n", 12, -5},
        {"highlvl:1e3\r\nhighscore:2.5e2\r\n", 1000, 250},
        {"# kept by hand\r\n\r\nxhighlvl:7\r\nhighlvl:4\r\n", 4, presetScore},
        {"highlvl:2.5\r\n", 2, presetScore},  // nearest, halves to even
        {"highlvl:3.5\r\n", 4, presetScore},
        {"", presetLevel, presetScore},
    };
    for (const auto& c : cases) {
        Harness h;
        h.g.highLevel = presetLevel;
        h.g.highScore = presetScore;
        h.pf.scoresFile = c.file;
        loadScores(h.g);
        EXPECT_EQ(h.g.highLevel, c.level) << c.file;
        EXPECT_EQ(h.g.highScore, c.score) << c.file;
    }
}

TEST(Scores, LevelOutsideSixteenBitsStopsTheReading) {
    const struct {
        const char* file;
        int level;
        double score;
    } cases[] = {
        {"highlvl:32767\r\nhighscore:100\r\n", 32767, 100},
        {"highlvl:32767.4\r\nhighscore:100\r\n", 32767, 100},
        {"highlvl:32767.5\r\nhighscore:100\r\n", presetLevel, presetScore},  // rounds to 32768
        {"highlvl:32768\r\nhighscore:100\r\n", presetLevel, presetScore},
        {"highlvl:-32768\r\nhighscore:100\r\n", -32768, 100},
        {"highlvl:-32768.5\r\nhighscore:100\r\n", -32768, 100},  // halves to the even -32768
        {"highlvl:-32769\r\nhighscore:100\r\n", presetLevel, presetScore},
        {"highlvl:1e999\r\nhighscore:100\r\n", presetLevel, presetScore},
        // Values read before the bad line stay; nothing after it is read.
        {"highscore:100\r\nhighlvl:5\r\nhighlvl:40000\r\nhighscore:200\r\n", 5, 100},
        // A score no double can hold stops the reading the same way.
        {"highlvl:7\r\nhighscore:1e999\r\nhighlvl:8\r\n", 7, presetScore},
    };
    for (const auto& c : cases) {
        Harness h;
        h.g.highLevel = presetLevel;
        h.g.highScore = presetScore;
        h.pf.scoresFile = c.file;
        loadScores(h.g);
        EXPECT_EQ(h.g.highLevel, c.level) << c.file;
        EXPECT_EQ(h.g.highScore, c.score) << c.file;
    }
}

TEST(Scores, MissingFileLeavesTheValues) {
    Harness h;
    h.g.highLevel = presetLevel;
    h.g.highScore = presetScore;
    loadScores(h.g);
    EXPECT_EQ(h.g.highLevel, presetLevel);
    EXPECT_EQ(h.g.highScore, presetScore);
}

TEST(Scores, WritesExactlyTwoLinesThenEnds) {
    const struct {
        std::int16_t level;
        double score;
        const char* file;
    } cases[] = {
        {0, 0, "highlvl:0\r\nhighscore:0\r\n"},
        {12, 1250, "highlvl:12\r\nhighscore:1250\r\n"},
        {12, 12.5, "highlvl:12\r\nhighscore:12.5\r\n"},
        {32767, 1e15, "highlvl:32767\r\nhighscore:1000000000000000\r\n"},
        {-5, -20, "highlvl:-5\r\nhighscore:-20\r\n"},
        {1, 0.1, "highlvl:1\r\nhighscore:0.1\r\n"},
    };
    for (const auto& c : cases) {
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
        EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>(c.file));
        EXPECT_TRUE(pendingEventRan);
        EXPECT_TRUE(h.g.ended);
        EXPECT_TRUE(h.pf.programEnded);
    }
}

TEST(Scores, RoundTripKeepsEveryValue) {
    const double scores[] = {0, 12.5, 1250, 123456789, 0.1, 1e15, 4503599627370497.0};
    const std::int16_t levels[] = {0, 1, 100, 32767, -32768};
    for (const double score : scores) {
        for (const std::int16_t level : levels) {
            Harness writer;
            writer.g.highLevel = level;
            writer.g.highScore = score;
            saveScores(writer.g);
            Harness reader;
            reader.pf.scoresFile = writer.pf.scoresFile;
            loadScores(reader.g);
            EXPECT_EQ(reader.g.highLevel, level);
            EXPECT_EQ(reader.g.highScore, score) << *writer.pf.scoresFile;
        }
    }
}

TEST(Scores, ClosingOrExitWritesTheFileOfTheRun) {
    const ScriptedEvent endings[] = {ScriptedEvent::closeWindow(),
                                     ScriptedEvent::menuItem(MenuItem::mnuFileExit)};
    for (const ScriptedEvent& ending : endings) {
        Harness h;
        h.start();  // first run: no file yet
        h.passes(2);
        h.g.highScore = 90;
        h.pf.post(ending);
        h.passes(5);
        EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:1\r\nhighscore:90\r\n"));
        EXPECT_TRUE(h.pf.programEnded);
        EXPECT_TRUE(h.g.ended);
    }
}

TEST(Scores, LoadedAtStartAndKeptWhenNotBeaten) {
    Harness h;
    h.pf.scoresFile = "highlvl:12\r\nhighscore:1250\r\n";
    h.start();
    EXPECT_EQ(h.g.highLevel, 12);
    EXPECT_EQ(h.g.highScore, 1250);
    h.pf.post(ScriptedEvent::closeWindow());
    h.passes(1);
    EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:12\r\nhighscore:1250\r\n"));
}

TEST(Scores, FailedWriteStillEnds) {
    Harness h;
    h.pf.scoresFile = "highlvl:4\r\nhighscore:40\r\n";
    h.pf.setScoresWriteFails(true);
    h.g.highLevel = 9;
    h.g.highScore = 900;
    saveScores(h.g);
    EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:4\r\nhighscore:40\r\n"));
    EXPECT_TRUE(h.g.ended);
    EXPECT_TRUE(h.pf.programEnded);
}

TEST(Scores, CloseArrivingWhileSavingEndsOnceWithTheSameFile) {
    Harness h;
    h.start();
    h.g.highScore = 40;
    h.pf.post(ScriptedEvent::closeWindow());  // delivered inside the save's own event run
    h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuFileExit));
    saveScores(h.g);
    EXPECT_EQ(h.pf.scoresFile, std::optional<std::string>("highlvl:1\r\nhighscore:40\r\n"));
    EXPECT_TRUE(h.g.ended);
    EXPECT_TRUE(h.pf.programEnded);
}

}  // namespace
}  // namespace brivane
