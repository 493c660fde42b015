// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The library of kept replays. Every game played in the window is recorded while it is played
// (ReplayKeeper, in memory) and, when it ends, kept in the folder "replays" of the user's data
// folder with a small picture of its last moments. The last 20 games are kept, and every game
// in the table of best games for as long as it is there; older ones are deleted. A replay that
// cannot be written is lost without a word: the game, the scores and the table never are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_state.h"
#include "platform/platform.h"
#include "platform/yields.h"
#include "replay/replay_file.h"
#include "replay/replay_recorder.h"

namespace brivane {

inline constexpr std::size_t recentReplaysKept = 20;
// A kept replay's header, facts and all, is far shorter; the rest of a file is not read to list it.
inline constexpr std::size_t replayHeadBytes = 4096;

struct KeptReplay {
    std::string name;   // in the replays folder
    ReplayFacts facts;  // complete
    bool inTable = false;
    std::string picture;  // the picture's name beside it
};

// The facts of a kept replay from the head of its file, without its inputs; nullopt when the
// head is not that of a replay file with all four facts.
std::optional<ReplayFacts> readFacts(std::string_view head);
// Whether a table row is the game a replay holds: the same score, level, end and time played.
bool sameGame(const ReplayFacts& facts, const BestGame& row);
// The kept replays, newest first; files that are not kept replays are left out (and alone).
std::vector<KeptReplay> listKeptReplays(Platform& pf);
// The replays of a list (newest first) that are no longer kept: past the 20 newest and out of
// the table.
std::vector<const KeptReplay*> replaysToDelete(const std::vector<KeptReplay>& kept);
bool removeKeptReplay(Platform& pf, const KeptReplay& replay);
// "brivane-20270115-093000.replay" for a game that ended then (UTC), with "-2", "-3"... when
// the name is taken.
std::string newReplayName(std::int64_t endedAt, const std::vector<std::string>& taken);
std::string pictureName(const std::string& replayName);
// Settings > Keep Replays.
bool keepReplaysOn(Platform& pf);

// Stands between the platform (or a --record recorder) and the game's handlers, recording
// each game of the run into memory and keeping it when it ends. A game that begins after
// another one (New Game, the last life) starts a recording of its own whose header carries
// what it took over, so it replays on its own to its own report.
class ReplayKeeper : public EventSink {
  public:
    ReplayKeeper(Platform& pf, EventSink& inner, const GameState& g, const YieldCounter& yields,
                 Replay header);
    ~ReplayKeeper() override;
    ReplayKeeper(const ReplayKeeper&) = delete;
    ReplayKeeper& operator=(const ReplayKeeper&) = delete;

    // From the platform, as ReplayRecorder takes them.
    void frameYieldStarting(int pass);
    void dialogAnswered(const std::string& answer);
    void windowResized(int outerWidth, int outerHeight);
    void gameOver(const GameOver& over);
    // What the recording of the game in progress holds in memory.
    std::size_t bytesHeld() const;

    void mouseMove(float x, float y) override;
    void mouseDown(int button) override;
    void keyPress(int code) override;
    void menuChosen(MenuItem item) override;
    void timerTick(TimerId timer) override;
    void windowClosing() override;
    void soundDone(int device) override;
    void socketConnected() override;
    void socketDataArrived(std::size_t bytes) override;
    void socketClosed() override;
    void bestGameNamed(const std::string& name) override;
    void bestGamesCleared() override;
    void musicVolumeChosen(int volume) override;
    void windowInactive() override;

  private:
    // Counts the handlers running, so that a recording is replaced only once none of them is.
    class Depth {
      public:
        explicit Depth(ReplayKeeper& k) : k_(k) { ++k_.depth_; }
        ~Depth();
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;

      private:
        ReplayKeeper& k_;
    };
    struct Ended {
        GameOver over;
        std::string name;
        bool keep = false;
        std::optional<Replay> next;  // the header of the game that began
        int nextBase = 0;
        bool nextKeepable = true;
        bool inHandler = false;  // ended inside an input's handler, which went on after it
    };
    void begin(Replay header, int passBase, bool keepable);
    void settle();
    // Whether the recording of a game that began in the pass before plays through the next
    // pass's moves to the very state the live game reached: what the pass did after the game began
    // (the rest of a handler, the rest of the pass) is not in any replay, and a game it changed is
    // not kept.
    bool replaysItsFirstPass() const;

    Platform& pf_;
    EventSink& inner_;
    const GameState& g_;
    const YieldCounter& yields_;
    std::unique_ptr<std::ostringstream> out_;
    std::unique_ptr<ReplayRecorder> recorder_;
    bool keepable_ = true;
    int verifyAt_ = 0;  // the run's pass after the one the new game began in
    int depth_ = 0;
    std::optional<Ended> ended_;
};

}  // namespace brivane
