// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games, through the real handlers on the headless platform.

#include "core/best_games.h"
#include "core/lives.h"
#include "harness.h"
#include "replay/replay_runner.h"

namespace brivane {
namespace {

const std::string head = "brivane-best-games 1\n";

std::vector<BestGame> tableIn(const HeadlessPlatform& pf) {
    return parseBestGames(pf.bestGamesFile->bytes).value_or(std::vector<BestGame>{});
}

TEST(BestGamesFile, ReadsOnlyWhatTheGameWritesAndWhatItWritesReadsBack) {
    const std::pair<std::string, int> rows[] = {
        // text, games (-1: not a table)
        // clang-format off
        {"", 0}, {head, 0}, {head + "1250\t3\t1800000000\t75\tAda\n", 1},
        {"brivane-best-games 1\r\n1250\t3\t0\t0\tAda\r\n\r\n", 1},
        {head + "1250\t32767\t0\t0\t\n", 1}, {head + "0.5\t1\t0\t0\tA\n", 1},  // nameless; least score
        {"brivane-best-games 2\n", -1}, {"highlvl:3\r\nhighscore:1250\r\n", -1},  // the scores file
        {head + "1250\t3\t0\t0\n", -1}, {head + "0\t3\t0\t0\tA\n", -1},  // a field short; score 0
        {head + "-5\t3\t0\t0\tA\n", -1}, {head + "+5\t3\t0\t0\tA\n", -1},
        {head + "1e5\t3\t0\t0\tA\n", -1}, {head + "inf\t3\t0\t0\tA\n", -1},
        {head + "5\t0\t0\t0\tA\n", -1}, {head + "5\t32768\t0\t0\tA\n", -1},
        {head + "5\t3\t-1\t0\tA\n", -1}, {head + "5\t3\t0\t9223372036854775808\tA\n", -1},
        {head + "5 \t3\t0\t0\tA\n", -1}, {head + "5\t3\t0\t0\tA\ngarbage\n", -1},
        // clang-format on
    };
    for (const auto& [text, games] : rows) {
        const auto parsed = parseBestGames(text);
        EXPECT_EQ(parsed ? static_cast<int>(parsed->size()) : -1, games) << text;
    }
    // What is written reads back, and a file put in another order by hand reads best first.
    const std::vector<BestGame> games = {
        {"Ада Лавлейс", 123456789012, 3, 1800000000, 3725},
        {"", 10, 1, 1, 1},
        {"李小龍 🐉", 0.5, 32767, 0, 0},
    };
    EXPECT_EQ(parseBestGames(bestGamesText(games)), games);
    EXPECT_EQ(parseBestGames(bestGamesText({games[2], games[0], games[1]})), games);
    EXPECT_EQ(
        parseBestGames(head + "5\t1\t0\t0\t" + std::string(40, 'x') + "\x07\n").value()[0].name,
        std::string(32, 'x'));
}

TEST(BestGamesNames, CountCharactersAndLoseControlsAndBrokenBytes) {
    const std::pair<std::string, std::string> rows[] = {
        // clang-format off
        {"  Ada Lovelace  ", "Ada Lovelace"}, {"A\tB\nC\rD\x7f" "E\x1b[31m", "ABCDE[31m"},
        {"A\xC2\x9F" "B\xC2\xA0" "C", "AB\xC2\xA0" "C"},  // the last C1 control goes, not a no-break space
        {"ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"},  // 17 characters in 34 bytes, all kept
        {"A\xC3", "A"}, {"A\xC0\xAF!", "A!"},  // cut off in a character; an overlong slash
        {std::string(33, 'a'), std::string(32, 'a')}, {"A\xED\xA0\x80!\xED\xBF\xBF!", "A!!"},  // surrogates
        {"\xED\x9F\xBF!\xEE\x80\x80", "\xED\x9F\xBF!\xEE\x80\x80"},  // either side of them
        {"A\xF4\x90\x80\x80!", "A!"}, {"\xFF\xFE", ""}, {"<b>B</b>", "<b>B</b>"},  // past Unicode; markup kept
        {std::string(31, 'a') + "\x01\x02 b", std::string(31, 'a')},  // trimmed after the cut
        // clang-format on
    };
    for (const auto& [in, out] : rows) {
        EXPECT_EQ(cleanName(in), out) << in;
    }
}

// A started game that has scored `score` at `level`.
struct Scored : test::Started {
    explicit Scored(double score = 1250, int level = 3) {
        g.score = score;
        toLevel(level);
        g.score = score;
    }
    void loseLastLife() {
        setLives(g, 0);
        g.dying = true;
        g.deathFade = 0;
        passes(1);
    }
};

// Only a scored game asks; declined, a death goes on, else it ends with its game, costing no life.
TEST(NewGame, AsksOnlyAfterScoringAndADeathUnderWayEndsWithItsGame) {
    const std::tuple<double, int, std::optional<std::string>, bool> rows[] = {
        // score, lives as a death begins (-1: no death), answer, restarts
        {0, -1, {}, true},      {1250, -1, "no", false}, {1250, -1, "yes", true},
        {0.5, -1, "no", false}, {1250, 0, "yes", true},  {0, 3, {}, true},
        {1250, 3, "no", false}};
    for (const auto& [score, dyingLives, answer, restarts] : rows) {
        SCOPED_TRACE(testing::Message() << score << ", " << dyingLives);
        Scored s(score, 7);
        const bool dying = dyingLives >= 0;
        setLives(s.g, static_cast<std::int16_t>(dying ? dyingLives : 2));
        if (dying) {
            s.g.dying = s.g.bondDeath = true;
            s.g.deathFade = 101;
            s.passes(1);
        }
        s.g.shieldOwned = true;  // bought, and down for now
        s.g.shieldOn = false;
        s.send(ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, answer));
        const bool goesOn = dying && !restarts;
        EXPECT_EQ(std::tuple(s.g.shieldOn, s.pf.dialogs.size(), s.g.dying, s.g.bondDeath),
                  std::tuple(restarts, score > 0 ? 1u : 0u, goesOn, goesOn));
        EXPECT_TRUE(!restarts || s.g.messageText == "Trap particles in a loop of your tail");
        s.passes(dying ? 80 : 0);
        EXPECT_EQ(std::tuple(s.g.level, s.g.lives, s.g.score, s.g.ballCount),
                  restarts ? std::tuple(1, 5, 0.0, 1.0) : std::tuple(7, 2, score, 7.0));
    }
}

TEST(BestGamesNaming, TheNameGivenIsKeptAndOfferedNextTime) {
    const std::array<std::string, 5> rows[] = {
        // the stored name ("-": none yet), the account's, the name typed, the offer, the name kept
        {"-", "Ada Lovelace", "Grace\t Hopper ", "Ada Lovelace", "Grace Hopper"},
        {"Linus", "Ada Lovelace", "", "Linus", "Linus"},  // an emptied box keeps the offer
        {"\x01\x02", "  ", "Ken", "Player", "Ken"},       // nothing usable anywhere
    };
    for (const auto& [stored, account, typed, offered, kept] : rows) {
        SCOPED_TRACE(typed);
        Scored s;
        if (stored != "-") {
            s.pf.settings[{"misc", "playerName"}] = stored;
        }
        s.pf.account = account;
        s.loseLastLife();
        EXPECT_EQ(s.pf.bestGamesShown.at(0).editName, offered);
        s.wired.events.bestGameNamed(typed);
        s.wired.events.bestGameNamed("Other");  // a second answer to the same window names nothing
        EXPECT_EQ(std::tuple(tableIn(s.pf).at(0).name, s.pf.settings[{"misc", "playerName"}],
                             lastName(s.g)),
                  std::tuple(kept, kept, kept));
    }
}

// A scored game enters, asking only a player still there; a damaged file goes aside if it can.
TEST(BestGamesEndings, AGameThatScoredEntersAndADamagedFileIsKeptAsideAndNeverOverwritten) {
    const StoredFile good{StoredFile::State::read, head + "500\t2\t0\t0\tOld\n"};
    const StoredFile damaged{StoredFile::State::read, head + "500\t2\t0\n"};
    const StoredFile unusable{StoredFile::State::unusable, ""};
    const StoredFile full{StoredFile::State::read,
                          bestGamesText(std::vector<BestGame>(10, {"old", 100, 1, 5, 1}))};
    const auto newGame = ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, "yes");
    const auto close = ScriptedEvent::closeWindow();
    const std::tuple<StoredFile, bool, double, std::optional<ScriptedEvent>, std::size_t, int,
                     std::size_t>
        rows[] = {
            // clang-format off
            // file, writable, score, ending ({}: last life), set aside, its row (-1: none), games
            {{}, true, 1250, {}, 0, 0, 1}, {{}, true, 0, {}, 0, -1, 0},
            {{}, true, 1250, newGame, 0, 0, 1}, {{}, true, 0, newGame, 0, -1, 0},
            {{}, true, 1250, close, 0, 0, 1}, {{}, true, 0, close, 0, -1, 0},
            {good, true, 1250, {}, 0, 0, 2}, {damaged, true, 1250, {}, 1, 0, 1},
            {unusable, true, 1250, {}, 1, 0, 1}, {damaged, false, 1250, {}, 0, 0, 0},
            {unusable, false, 1250, {}, 0, 0, 0}, {full, true, 99, {}, 0, -1, 10},
            {full, true, 100, {}, 0, -1, 10}, {full, true, 101, {}, 0, 0, 10},
            // clang-format on
        };
    int n = 0;
    for (const auto& [file, writable, score, ending, setAside, row, games] : rows) {
        SCOPED_TRACE(n++);
        Scored s(score);
        *s.pf.bestGamesFile = file;
        s.pf.bestGamesWritable = writable;
        s.send(ScriptedEvent::menuItem(MenuItem::mnuFileHighScores));
        EXPECT_EQ(
            std::tuple(s.pf.bestGamesShown.size(), s.pf.bestGamesShown.at(0).games,
                       s.pf.bestGamesShown.at(0).editRow, *s.pf.bestGamesFile),
            std::tuple(1u, parseBestGames(file.bytes).value_or(std::vector<BestGame>{}), -1, file));
        s.g.msPlayed = 3725999;
        ending ? s.send(*ending) : s.loseLastLife();
        // The next game's time starts from nothing: at most the rest of the pass it began in.
        EXPECT_LE(s.g.msPlayed, 16);
        EXPECT_EQ(s.pf.bestGamesSetAside, std::vector<StoredFile>(setAside, file));
        // Ended in the virtual clock's first second, after 3725.999 s of passes, in whole seconds.
        const BestGame entry{"Ada Lovelace", score, 3, s.pf.epochBase, 3725};
        const bool asked = row >= 0 && !(ending && ending->kind == ScriptedEvent::Kind::close);
        const BestGamesView& view = s.pf.bestGamesShown.back();
        EXPECT_EQ(std::tuple(s.pf.bestGamesShown.size(), view.editRow, view.editName),
                  asked ? std::tuple(2u, row, "Ada Lovelace") : std::tuple(1u, -1, ""));
        EXPECT_TRUE(!asked ||
                    (view.games.at(row) == entry && (!writable || view.games == tableIn(s.pf))));
        const std::vector<BestGame> table = tableIn(s.pf);
        EXPECT_TRUE(writable || *s.pf.bestGamesFile == file);
        EXPECT_EQ(table.size(), games);
        EXPECT_TRUE(!writable ||
                    (row < 0 ? std::ranges::count(table, entry) == 0 : table.at(row) == entry));
    }
}

// Each copy re-reads the shared file just before writing, so an older window loses nothing.
TEST(BestGamesFile, TwoCopiesWritingInTurnKeepEachOthersGames) {
    Scored a(3000), b(2000);
    b.pf.bestGamesFile = a.pf.bestGamesFile;
    a.loseLastLife();                      // a's window opens on a table of a's game alone
    b.send(ScriptedEvent::closeWindow());  // b ends meanwhile
    a.wired.events.bestGameNamed("Alice");
    EXPECT_EQ(std::pair(tableIn(a.pf).at(0).name, tableIn(a.pf).at(1).name),
              (std::pair<std::string, std::string>("Alice", "Ada Lovelace")));
    // a clears what its High Scores window showed; c's game, ended after that, stays.
    a.send(ScriptedEvent::menuItem(MenuItem::mnuFileHighScores));
    Scored c(100);
    c.pf.bestGamesFile = a.pf.bestGamesFile;
    c.send(ScriptedEvent::menuItem(MenuItem::mnuFileNewGame, "yes"));
    a.wired.events.bestGamesCleared();
    EXPECT_EQ(tableIn(a.pf), (std::vector{BestGame{"Ada Lovelace", 100, 3, 1800000000, 0}}));
}

// A replay ends games and opens the table, yet never touches the file or shows a window.
TEST(BestGamesReplay, AReplayKeepsNoTable) {
    ReplayRunner runner(parseReplay("brivane-replay 1\nseed 7\nat 3 menu mnuFileHighScores\n"
                                    "at 4 menu mnuFileNewGame yes\nat 5 close\n")
                            .replay.value(),
                        0);
    runner.start();
    while (!runner.finished()) {
        runner.game().score = 1250;
        runner.runOnePass();
    }
    EXPECT_EQ(std::tuple(runner.platform().programEnded, runner.platform().bestGamesFile->state,
                         runner.platform().bestGamesShown.size()),
              std::tuple(true, StoredFile::State::absent, 0u));
}

}  // namespace
}  // namespace brivane
