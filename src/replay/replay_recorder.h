// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Records a game as a replay file while it is played: stands between the platform and the
// game's event sink, writes every input with the yield it arrived in, and learns from the
// platform when a pass's yield begins (to write the last pass's duration and flush), which
// answer a dialog got, and when the window was resized. Knows nothing of any window system,
// so the window and the tests record the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "platform/platform.h"
#include "platform/yields.h"
#include "replay/replay_file.h"

namespace brivane {

// The header of a recording: what the game is about to start from, read the way start-up reads
// it (the settings store and the high-score file) without starting anything. The high level and
// score are kept exactly as read, so the replay starts from the very same state.
Replay recordingHeader(Platform& platform, std::uint32_t seed);

class ReplayRecorder : public EventSink {
  public:
    // `header` is written before the first input or pass; a resize before then (the window
    // being shown during start-up) changes its playfield instead. Its timer mode is forced to
    // recorded, since every tick the game sees is written.
    // `passBase` is the number of the run's passes before the recording's first: a game that
    // began in pass n of the run is recorded from its pass 1 (`passBase` n - 1).
    ReplayRecorder(std::ostream& out, EventSink& inner, const GameState& g,
                   const YieldCounter& yields, Replay header, int passBase = 0);

    // Told once, when the file stops taking what is written.
    std::function<void()> onWriteFailed;

    // From the platform.
    void frameYieldStarting(int pass);
    void dialogAnswered(const std::string& answer);
    void windowResized(int outerWidth, int outerHeight);
    // After the main loop: writes the last pass's duration so a replay runs through it.
    void finish(int lastPass);
    // The game ended in the run's pass `lastPass`, inside the handler now running: the
    // recording ends as finish() ends it, without that handler's own input (which began the
    // next game) and without anything after it.
    void stop(int lastPass);
    bool stopped() const { return stopped_; }

    void mouseMove(float x, float y) override;
    void mouseDown(int button) override;
    void keyPress(int code) override;
    void menuChosen(MenuItem item) override;
    void timerTick(TimerId timer) override;
    void windowClosing() override;
    void soundDone(int device) override { inner_.soundDone(device); }
    void socketConnected() override { inner_.socketConnected(); }
    void socketDataArrived(std::size_t bytes) override { inner_.socketDataArrived(bytes); }
    void socketClosed() override { inner_.socketClosed(); }
    // Not written: they change only the table of best games, which a replay never keeps.
    void bestGameNamed(const std::string& name) override { inner_.bestGameNamed(name); }
    void bestGamesCleared() override { inner_.bestGamesCleared(); }
    // A volume is the player's taste, not an input of the game: kept, not recorded.
    void musicVolumeChosen(int volume) override { inner_.musicVolumeChosen(volume); }
    void windowInactive() override;

  private:
    void flush();
    void writeHeader();
    void write(const ReplayEvent& event);
    void writeLine(YieldId at, const ReplayEvent& event);
    void writeDuration(int pass, int ms);
    // After an input that may have paused or resumed the game: writes what it did, if anything.
    void writePauseChange(bool wasPaused);

    std::ostream& out_;
    EventSink& inner_;
    const GameState& g_;
    const YieldCounter& yields_;
    Replay header_;
    YieldId local(YieldId at) const { return {at.pass - passBase_, at.sub}; }

    int passBase_ = 0;
    bool stopped_ = false;
    bool headerWritten_ = false;
    bool failed_ = false;
    int lastDuration_ = -1;
    int lastDurationPass_ = 0;
    // While a menu item's handler runs, what arrives (ticks during its dialog) is held back
    // until the dialog's answer, which the menu line carries, is known.
    bool inMenu_ = false;
    YieldId menuYield_;
    std::optional<std::string> menuAnswer_;
    std::vector<std::string> heldBack_;
};

}  // namespace brivane
