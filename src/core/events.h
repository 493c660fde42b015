// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The one door through which the outside world reaches the game: every event the platform
// delivers inside a yield lands here and is handed to its routine.
#pragma once

#include "core/game_state.h"
#include "platform/platform.h"

namespace brivane {

class GameEvents : public EventSink {
  public:
    explicit GameEvents(GameState& g) : g_(g) {}

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
    GameState& g_;
};

}  // namespace brivane
