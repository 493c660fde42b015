// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The kept replays and the recorder that keeps them.
#include "replay/library.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "core/best_games.h"
#include "core/game_start.h"
#include "replay/pass_report.h"
#include "replay/replay_runner.h"

namespace brivane {

namespace {

constexpr std::string_view replaySuffix = ".replay";

bool endsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The head up to the first pass or input line; a head cut at the reading limit ends at its
// last whole line.
std::string_view headerPart(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return text.size() < replayHeadBytes ? text : text.substr(0, start);
        }
        const std::string_view line = text.substr(start, end - start);
        if (line.substr(0, 5) == "pass " || line.substr(0, 3) == "at ") {
            return text.substr(0, start);
        }
        start = end + 1;
    }
    return text;
}

}  // namespace

std::optional<ReplayFacts> readFacts(std::string_view head) {
    const ReplayParse parsed = parseReplay(headerPart(head));
    if (!parsed.replay || !parsed.replay->facts.complete()) {
        return std::nullopt;
    }
    return parsed.replay->facts;
}

bool sameGame(const ReplayFacts& facts, const BestGame& row) {
    return facts.complete() && *facts.score == row.score && *facts.level == row.level &&
           *facts.endedAt == row.endedAt && *facts.msPlayed / 1000 == row.secondsPlayed;
}

std::vector<KeptReplay> listKeptReplays(Platform& pf) {
    std::vector<BestGame> table;
    const StoredFile tableFile = pf.readBestGamesFile();
    if (tableFile.state == StoredFile::State::read) {
        table = parseBestGames(tableFile.bytes).value_or(std::vector<BestGame>{});
    }
    std::vector<KeptReplay> kept;
    for (const std::string& name : pf.replayFileNames()) {
        if (!endsWith(name, replaySuffix)) {
            continue;
        }
        const StoredFile file = pf.readReplayFile(name, replayHeadBytes);
        if (file.state != StoredFile::State::read) {
            continue;
        }
        const std::optional<ReplayFacts> facts = readFacts(file.bytes);
        if (!facts) {
            continue;
        }
        const bool inTable = std::any_of(
            table.begin(), table.end(), [&](const BestGame& row) { return sameGame(*facts, row); });
        kept.push_back({name, *facts, inTable, pictureName(name)});
    }
    std::sort(kept.begin(), kept.end(), [](const KeptReplay& a, const KeptReplay& b) {
        if (*a.facts.endedAt != *b.facts.endedAt) {
            return *a.facts.endedAt > *b.facts.endedAt;
        }
        return a.name > b.name;
    });
    return kept;
}

std::vector<const KeptReplay*> replaysToDelete(const std::vector<KeptReplay>& kept) {
    std::vector<const KeptReplay*> gone;
    for (std::size_t i = recentReplaysKept; i < kept.size(); ++i) {
        if (!kept[i].inTable) {
            gone.push_back(&kept[i]);
        }
    }
    return gone;
}

bool removeKeptReplay(Platform& pf, const KeptReplay& replay) {
    const bool removed = pf.removeReplayFile(replay.name);
    pf.removeReplayFile(replay.picture);
    return removed;
}

std::string newReplayName(std::int64_t endedAt, const std::vector<std::string>& taken) {
    using namespace std::chrono;
    const sys_seconds t{seconds{endedAt}};
    const sys_days day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> time{t - day};
    char stem[64];
    std::snprintf(stem, sizeof stem, "brivane-%04d%02u%02u-%02d%02d%02d",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    const auto isTaken = [&taken](const std::string& name) {
        return std::find(taken.begin(), taken.end(), name) != taken.end() ||
               std::find(taken.begin(), taken.end(), pictureName(name)) != taken.end();
    };
    std::string name = std::string(stem) + std::string(replaySuffix);
    for (int n = 2; isTaken(name); ++n) {
        name = std::string(stem) + "-" + std::to_string(n) + std::string(replaySuffix);
    }
    return name;
}

std::string pictureName(const std::string& replayName) {
    const std::string_view stem =
        endsWith(replayName, replaySuffix)
            ? std::string_view(replayName).substr(0, replayName.size() - replaySuffix.size())
            : std::string_view(replayName);
    return std::string(stem) + ".png";
}

bool keepReplaysOn(Platform& pf) {
    return pf.readSetting("misc", "keepReplays") != "False";
}

ReplayKeeper::ReplayKeeper(Platform& pf, EventSink& inner, const GameState& g,
                           const YieldCounter& yields, Replay header)
    : pf_(pf), inner_(inner), g_(g), yields_(yields) {
    begin(std::move(header), 0, true);
}

ReplayKeeper::~ReplayKeeper() = default;

void ReplayKeeper::begin(Replay header, int passBase, bool keepable) {
    verifyAt_ = header.carried ? passBase + 2 : 0;
    recorder_.reset();
    out_ = std::make_unique<std::ostringstream>();
    recorder_ =
        std::make_unique<ReplayRecorder>(*out_, inner_, g_, yields_, std::move(header), passBase);
    keepable_ = keepable;
}

ReplayKeeper::Depth::~Depth() {
    if (--k_.depth_ == 0) {
        k_.settle();
    }
}

void ReplayKeeper::gameOver(const GameOver& over) {
    const int pass = yields_.pass();
    recorder_->stop(pass);
    Ended e;
    e.over = over;
    // A game that began in the run and ended before its start could be checked is not kept.
    e.keep = keepable_ && verifyAt_ == 0 && keepReplaysOn(pf_);
    if (e.keep) {
        // The picture now, while the playfield still shows the game's last moments.
        e.name = newReplayName(over.endedAt, pf_.replayFileNames());
        e.keep = pf_.writeReplayPicture(pictureName(e.name));
    }
    if (over.how != GameEnding::programEnd) {
        Replay next;
        next.seed = g_.fixedSeed.value_or(0);
        next.playfieldWidth = pf_.playfieldWidth();
        next.playfieldHeight = pf_.playfieldHeight();
        next.autoSpeed = g_.autoSpeed;
        next.userSpeed = g_.userSpeed;
        next.highLevel = g_.highLevel;
        next.highScore = g_.highScore;
        next.carried = carriedStart(g_, over.how);
        e.next = std::move(next);
        e.nextBase = pass - 1;
        // New Game chosen inside capture scoring's yield: the scoring then goes on over the
        // new game's level, which no replay starting at level 1 can play.
        e.nextKeepable = over.how == GameEnding::lastLife || yields_.current().sub == 0;
    }
    e.inHandler = depth_ > 0;
    ended_ = std::move(e);
    // The program ends inside this very handler, and the last life ends in a pass, outside
    // any; New Game waits for its menu handler to return, with what its dialog let through.
    if (depth_ == 0 || over.how == GameEnding::programEnd) {
        settle();
    }
}

void ReplayKeeper::settle() {
    if (!ended_) {
        return;
    }
    Ended e = std::move(*ended_);
    ended_.reset();
    if (e.keep) {
        std::string text = out_->str();
        const std::size_t firstLine = text.find('\n') + 1;
        ReplayFacts facts{e.over.endedAt, e.over.score, e.over.level, e.over.msPlayed};
        text.insert(firstLine, factsText(facts));
        if (pf_.writeReplayFile(e.name, text)) {
            for (const KeptReplay* gone : replaysToDelete(listKeptReplays(pf_))) {
                removeKeptReplay(pf_, *gone);
            }
        } else {
            pf_.removeReplayFile(pictureName(e.name));
        }
    }
    if (e.next) {
        // A pointer move that lost the last life goes on to leave a tail point in the new game.
        if (e.inHandler && e.over.how == GameEnding::lastLife && g_.tailCount == 1) {
            e.next->carried->tailPoint = std::pair{g_.tail[1].x, g_.tail[1].y};
        }
        begin(std::move(*e.next), e.nextBase, e.nextKeepable);
    }
}

namespace {

// The state a report shows, without the particles' identities (they carry the time of day).
std::string comparable(const GameState& g) {
    std::string text = passReport(g, 0, "", true);
    for (std::size_t at = text.find("\"IDnum\":\""); at != std::string::npos;
         at = text.find("\"IDnum\":\"", at)) {
        text.erase(at, text.find('"', at + 9) + 1 - at);
    }
    return text + " " + std::to_string(g.rnd.state());
}

bool sameTail(const GameState& a, const GameState& b) {
    return a.tailCount == b.tailCount &&
           std::equal(a.tail.begin(), a.tail.end(), b.tail.begin(), b.tail.end(),
                      [](const TailPoint& p, const TailPoint& q) {
                          return p.x == q.x && p.y == q.y && p.age == q.age && p.inLoop == q.inLoop;
                      });
}

}  // namespace

bool ReplayKeeper::replaysItsFirstPass() const {
    ReplayParse parsed = parseReplay(out_->view());
    if (!parsed.replay) {
        return false;
    }
    // The live game stands at the start of its next pass's yield: the replay's second pass,
    // whose yield has had no input yet.
    ReplayRunner runner(std::move(*parsed.replay), 2);
    runner.start();
    runner.runOnePass();
    runner.runOnePass();
    return comparable(runner.game()) == comparable(g_) && sameTail(runner.game(), g_);
}

std::size_t ReplayKeeper::bytesHeld() const {
    return out_->view().size();
}

void ReplayKeeper::frameYieldStarting(int pass) {
    recorder_->frameYieldStarting(pass);
    if (pass == verifyAt_) {
        verifyAt_ = 0;
        keepable_ = keepable_ && replaysItsFirstPass();
    }
}

void ReplayKeeper::dialogAnswered(const std::string& answer) {
    recorder_->dialogAnswered(answer);
}

void ReplayKeeper::windowResized(int outerWidth, int outerHeight) {
    recorder_->windowResized(outerWidth, outerHeight);
}

void ReplayKeeper::mouseMove(float x, float y) {
    const Depth d(*this);
    recorder_->mouseMove(x, y);
}

void ReplayKeeper::mouseDown(int button) {
    const Depth d(*this);
    recorder_->mouseDown(button);
}

void ReplayKeeper::keyPress(int code) {
    const Depth d(*this);
    recorder_->keyPress(code);
}

void ReplayKeeper::menuChosen(MenuItem item) {
    const Depth d(*this);
    recorder_->menuChosen(item);
}

void ReplayKeeper::timerTick(TimerId timer) {
    const Depth d(*this);
    recorder_->timerTick(timer);
}

void ReplayKeeper::windowClosing() {
    const Depth d(*this);
    recorder_->windowClosing();
}

void ReplayKeeper::soundDone(int device) {
    const Depth d(*this);
    recorder_->soundDone(device);
}

void ReplayKeeper::socketConnected() {
    const Depth d(*this);
    recorder_->socketConnected();
}

void ReplayKeeper::socketDataArrived(std::size_t bytes) {
    const Depth d(*this);
    recorder_->socketDataArrived(bytes);
}

void ReplayKeeper::socketClosed() {
    const Depth d(*this);
    recorder_->socketClosed();
}

void ReplayKeeper::bestGameNamed(const std::string& name) {
    const Depth d(*this);
    recorder_->bestGameNamed(name);
}

void ReplayKeeper::bestGamesCleared() {
    const Depth d(*this);
    recorder_->bestGamesCleared();
}

void ReplayKeeper::musicVolumeChosen(int volume) {
    const Depth d(*this);
    recorder_->musicVolumeChosen(volume);
}

void ReplayKeeper::windowInactive() {
    const Depth d(*this);
    recorder_->windowInactive();
}

}  // namespace brivane
