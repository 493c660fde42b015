// The replay runner.
#include "replay/replay_runner.h"

#include "core/game.h"
#include "replay/pass_report.h"

namespace brivane {

ReplayRunner::ReplayRunner(const Replay& replay, int passLimit)
    : passLimit_(passLimit > 0 ? passLimit : replay.lastPass()) {
    g_.fixedSeed = replay.seed;
    // Music and the update check stay off in replays; settings and scores come from the header.
    g_.commandText = "nomusic";
    pf_.setUnwindOnEnd(true);
    pf_.setPlayfieldSize(replay.playfieldWidth, replay.playfieldHeight);
    pf_.settings[{"misc", "checkUpdates"}] = "False";
    pf_.settings[{"misc", "autoSpeed"}] = replay.autoSpeed ? "True" : "False";
    pf_.settings[{"settings", "userSpeed"}] = std::to_string(replay.userSpeed);
    pf_.scoresFile = "highlvl:" + std::to_string(replay.highLevel) +
                     "\r\nhighscore:" + reportNumber(replay.highScore) + "\r\n";
    pf_.setTimersFromClock(!replay.timersRecorded);
    for (const ReplayPassDuration& d : replay.durations) {
        pf_.clock().setPassDurationFrom(d.pass, d.ms);
    }
    for (const ReplayInput& input : replay.inputs) {
        schedule(input);
    }
}

void ReplayRunner::schedule(const ReplayInput& input) {
    const ReplayEvent& e = input.event;
    switch (e.kind) {
        case ReplayEvent::Kind::move:
            pf_.postAt(input.at, ScriptedEvent::move(e.x, e.y));
            break;
        case ReplayEvent::Kind::down:
            pf_.postAt(input.at, ScriptedEvent::down(e.value));
            break;
        case ReplayEvent::Kind::key:
            pf_.postAt(input.at, ScriptedEvent::key(e.value));
            break;
        case ReplayEvent::Kind::menu: {
            std::optional<std::string> answer = e.answer;
            if (answer && *answer == "cancel") {
                answer = "";
            }
            pf_.postAt(input.at, ScriptedEvent::menuItem(e.menu, std::move(answer)));
            break;
        }
        case ReplayEvent::Kind::timer:
            pf_.postAt(input.at, ScriptedEvent::tick(e.timer));
            break;
        case ReplayEvent::Kind::resize:
            pf_.postAt(input.at, ScriptedEvent::resize(e.value, e.value2));
            break;
        case ReplayEvent::Kind::close:
            pf_.postAt(input.at, ScriptedEvent::closeWindow());
            break;
    }
}

void ReplayRunner::start() {
    startUp(g_);
}

bool ReplayRunner::finished() const {
    return passesRun_ >= passLimit_ || g_.ended || g_.lives < 0 || pf_.programEnded;
}

void ReplayRunner::runOnePass() {
    try {
        runPass(g_);
    } catch (const ProgramEnd&) {
        // The recorded game's process stopped right there, in the middle of the pass.
    }
    ++passesRun_;
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
