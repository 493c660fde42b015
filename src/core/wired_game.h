// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A game wired to a platform: its game-state record, and the handlers through which the
// platform's events reach it. The program, the replay runner, the tests and the benchmarks all
// wire a game this way; `Events` lets a test stand in its own handlers.
#pragma once

#include "core/events.h"
#include "core/game_state.h"
#include "platform/platform.h"

namespace brivane {

template <class Events = GameEvents>
struct WiredGame {
    explicit WiredGame(Platform& pf) : g(pf), events(g) { pf.setEventSink(&events); }
    WiredGame(const WiredGame&) = delete;
    WiredGame& operator=(const WiredGame&) = delete;

    GameState g;
    Events events;
};

}  // namespace brivane
