// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay runner.
#include "replay/replay_runner.h"

#include <utility>

#include "core/game.h"
#include "core/pause.h"
#include "replay/pass_report.h"

namespace brivane {

ReplayRunner::ReplayRunner(Replay replay, int passLimit)
    : replay_(std::move(replay)), passLimit_(passLimit > 0 ? passLimit : replay_.lastPass()) {
    g_.fixedSeed = replay_.seed;
    g_.carried = replay_.carried;
    // Music and the update check stay off in replays; settings and scores come from the header.
    g_.commandText = "nomusic";
    // A replay of a game that ended leaves the player's table of best games alone.
    g_.keepBestGames = false;
    pf_.setUnwindOnEnd(true);
    pf_.setPlayfieldSize(replay_.playfieldWidth, replay_.playfieldHeight);
    pf_.settings[{"misc", "checkUpdates"}] = "False";
    pf_.settings[{"misc", "autoSpeed"}] = replay_.autoSpeed ? "True" : "False";
    pf_.settings[{"settings", "userSpeed"}] = std::to_string(replay_.userSpeed);
    pf_.scoresFile = "highlvl:" + std::to_string(replay_.highLevel) +
                     "\r\nhighscore:" + reportNumber(replay_.highScore) + "\r\n";
    pf_.setTimersFromClock(!replay_.timersRecorded);
    for (const ReplayPassDuration& d : replay_.durations) {
        pf_.clock().setPassDurationFrom(d.pass, d.ms);
    }
    pf_.onYieldStarting = [this](YieldId now) { postInputsUpTo(now); };
}

// Every input up to the yield now beginning is posted under its own yield: those of a capture
// yield that has not come yet (one that comes inside this yield's handlers) wait for it, and
// those of a yield that never came wait unseen, just as if all had been posted at the start.
void ReplayRunner::postInputsUpTo(YieldId now) {
    const auto& inputs = replay_.inputs;
    while (nextInput_ < inputs.size() &&
           deliveryOrder(inputs[nextInput_].at) <= deliveryOrder(now)) {
        const std::size_t first = nextInput_;
        const YieldId at = inputs[first].at;
        while (nextInput_ < inputs.size() && inputs[nextInput_].at == at) {
            ++nextInput_;
        }
        const std::size_t last = nextInput_;
        pf_.postAt(at, ScriptedEvent::run([this, first, last] {
                       for (std::size_t i = first; i < last && !pf_.programEnded; ++i) {
                           deliverInput(i);
                       }
                   }));
    }
}

void ReplayRunner::deliverInput(std::size_t index) {
    const ReplayEvent e = replay_.event(index);
    switch (e.kind) {
        case ReplayEvent::Kind::move:
            pf_.deliverOne(ScriptedEvent::move(e.x, e.y));
            break;
        case ReplayEvent::Kind::down:
            pf_.deliverOne(ScriptedEvent::down(e.value));
            break;
        case ReplayEvent::Kind::key:
            pf_.deliverOne(ScriptedEvent::key(e.value));
            break;
        case ReplayEvent::Kind::menu: {
            std::optional<std::string> answer = e.answer;
            if (answer && *answer == "cancel") {
                answer = "";
            }
            pf_.deliverOne(ScriptedEvent::menuItem(e.menu, std::move(answer)));
            break;
        }
        case ReplayEvent::Kind::timer:
            pf_.deliverOne(ScriptedEvent::tick(e.timer));
            break;
        case ReplayEvent::Kind::resize:
            pf_.deliverOne(ScriptedEvent::resize(e.value, e.value2));
            break;
        case ReplayEvent::Kind::close:
            pf_.deliverOne(ScriptedEvent::closeWindow());
            break;
        // The file says what the player's input did, not which input it was (the menu item, a
        // key, a click, the focus going elsewhere), so a replay does not hang on a setting it
        // does not hold (Pause When Inactive). The menu item does either, as the game stands.
        case ReplayEvent::Kind::pause:
        case ReplayEvent::Kind::resume:
            if (isPaused(g_) != (e.kind == ReplayEvent::Kind::pause)) {
                pf_.deliverOne(ScriptedEvent::menuItem(MenuItem::mnuFilePause));
            }
            break;
    }
}

void ReplayRunner::start() {
    startUp(g_);
}

bool ReplayRunner::finished() const {
    // Paused with no input left to resume it, the game would only stand there.
    const bool pausedForGood = isPaused(g_) && nextInput_ >= replay_.inputs.size();
    return passesRun_ >= passLimit_ || g_.ended || g_.lives < 0 || pf_.programEnded ||
           pausedForGood;
}

void ReplayRunner::runOnePass() {
    try {
        if (passesRun_ == 0 && replay_.carried) {
            finishBegunPass(g_);
        } else {
            runPass(g_);
        }
    } catch (const ProgramEnd&) {
        // The recorded game's process stopped right there, in the middle of the pass.
    }
    ++passesRun_;
}

ReplaySnapshot ReplayRunner::snapshot() const {
    ReplaySnapshot s{passesRun_, nextInput_, {}, pf_.saveState()};
    copyGame(g_, s.game);
    return s;
}

void ReplayRunner::restore(const ReplaySnapshot& s) {
    passesRun_ = s.passesRun;
    nextInput_ = s.nextInput;
    copyGame(s.game, g_);
    pf_.restoreState(s.platform);
}

std::string ReplayRunner::reportLine(bool withParticles) const {
    return passReport(g_, passesRun_, pf_.statusText, withParticles);
}

std::string ReplayRunner::summary() const {
    return "passes=" + std::to_string(passesRun_) + " level=" + std::to_string(g_.level) +
           " score=" + reportNumber(g_.score) + " lives=" + std::to_string(g_.lives) +
           " highLevel=" + std::to_string(g_.highLevel) +
           " highScore=" + reportNumber(g_.highScore);
}

}  // namespace brivane
