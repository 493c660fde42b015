// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay recorder.
#include "replay/replay_recorder.h"

#include <algorithm>
#include <utility>

#include "core/pause.h"
#include "core/scores.h"
#include "platform/layout.h"
#include "settings/settings_store.h"

namespace brivane {

Replay recordingHeader(Platform& platform, std::uint32_t seed) {
    GameState scratch(platform);
    loadScores(scratch);
    Replay header;
    header.seed = seed;
    header.playfieldWidth = platform.playfieldWidth();
    header.playfieldHeight = platform.playfieldHeight();
    header.autoSpeed = readAutoSpeed(scratch);
    header.userSpeed = readUserSpeed(scratch);
    header.highLevel = scratch.highLevel;
    header.highScore = scratch.highScore;
    return header;
}

ReplayRecorder::ReplayRecorder(std::ostream& out, EventSink& inner, const GameState& g,
                               const YieldCounter& yields, Replay header, int passBase)
    : out_(out),
      inner_(inner),
      g_(g),
      yields_(yields),
      header_(std::move(header)),
      passBase_(passBase) {
    header_.timersRecorded = true;
}

// A file that cannot take more (a full disk, a pipe whose reader went away) stops the
// recording, said once; the game itself plays on.
void ReplayRecorder::flush() {
    out_.flush();
    if (!out_ && !failed_) {
        failed_ = true;
        if (onWriteFailed) {
            onWriteFailed();
        }
    }
}

void ReplayRecorder::writeHeader() {
    if (!headerWritten_) {
        out_ << headerText(header_);
        headerWritten_ = true;
    }
}

void ReplayRecorder::writeDuration(int pass, int ms) {
    // A dialog held open for minutes makes a pass that long; past the longest a file may
    // hold, every automatic step is the same anyway.
    ms = std::clamp(ms, 0, 600000);
    if (ms != lastDuration_ && pass > lastDurationPass_) {
        out_ << "pass " << pass << " " << ms << "\n";
        lastDuration_ = ms;
        lastDurationPass_ = pass;
    }
}

void ReplayRecorder::frameYieldStarting(int pass) {
    if (stopped_) {
        return;
    }
    writeHeader();
    pass -= passBase_;
    // The game measured the previous pass just after its yield.
    if (pass > 1) {
        writeDuration(pass - 1, g_.frameTicks);
    }
    flush();
}

void ReplayRecorder::finish(int lastPass) {
    if (stopped_) {
        return;
    }
    writeHeader();
    lastPass -= passBase_;
    if (lastPass > lastDurationPass_ && lastPass >= 1) {
        lastDuration_ = -1;
        writeDuration(lastPass, g_.frameTicks);
    }
    flush();
}

void ReplayRecorder::stop(int lastPass) {
    finish(lastPass);
    stopped_ = true;
}

void ReplayRecorder::writeLine(YieldId at, const ReplayEvent& event) {
    if (stopped_) {
        return;
    }
    writeHeader();
    out_ << "at " << yieldText(local(at)) << " " << eventText(event) << "\n";
}

void ReplayRecorder::write(const ReplayEvent& event) {
    if (stopped_) {
        return;
    }
    if (inMenu_) {
        heldBack_.push_back("at " + yieldText(local(menuYield_)) + " " + eventText(event) + "\n");
    } else {
        writeLine(yields_.current(), event);
    }
}

void ReplayRecorder::dialogAnswered(const std::string& answer) {
    if (inMenu_ && !menuAnswer_) {
        menuAnswer_ = answer;
    }
}

void ReplayRecorder::windowResized(int outerWidth, int outerHeight) {
    if (!headerWritten_) {
        const WindowLayout l = layoutWindow(outerWidth, outerHeight);
        header_.playfieldWidth = l.playfieldWidth;
        header_.playfieldHeight = l.playfieldHeight;
        return;
    }
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::resize;
    e.value = outerWidth;
    e.value2 = outerHeight;
    write(e);
}

void ReplayRecorder::mouseMove(float x, float y) {
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::move;
    e.x = x;
    e.y = y;
    write(e);
    inner_.mouseMove(x, y);
}

// Pause and resume are kept as what they did, not as the input that did it, so that a replay
// does not hang on settings the file does not hold (Pause When Inactive).
void ReplayRecorder::writePauseChange(bool wasPaused) {
    if (isPaused(g_) != wasPaused) {
        ReplayEvent e;
        e.kind = wasPaused ? ReplayEvent::Kind::resume : ReplayEvent::Kind::pause;
        write(e);
        // No pass comes to flush it while paused, and a pause can last until the machine
        // goes down.
        out_.flush();
    }
}

void ReplayRecorder::windowInactive() {
    const bool wasPaused = isPaused(g_);
    inner_.windowInactive();
    writePauseChange(wasPaused);
}

void ReplayRecorder::mouseDown(int button) {
    if (isPaused(g_)) {  // a click that goes on, or does nothing
        inner_.mouseDown(button);
        writePauseChange(true);
        return;
    }
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::down;
    e.value = button;
    write(e);
    inner_.mouseDown(button);
}

void ReplayRecorder::keyPress(int code) {
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::key;
    e.value = code;
    write(e);
    inner_.keyPress(code);
}

void ReplayRecorder::menuChosen(MenuItem item) {
    if (item == MenuItem::mnuFilePause) {
        const bool wasPaused = isPaused(g_);
        inner_.menuChosen(item);
        writePauseChange(wasPaused);
        return;
    }
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::menu;
    e.menu = item;
    if (inMenu_) {  // a menu chosen while another one's dialog is open
        write(e);
        inner_.menuChosen(item);
        return;
    }
    const YieldId at = yields_.current();
    if (item == MenuItem::mnuFileExit) {
        // Exit ends the program inside the handler: the line must be out before it.
        writeLine(at, e);
        flush();
        inner_.menuChosen(item);
        return;
    }
    inMenu_ = true;
    menuYield_ = at;
    menuAnswer_.reset();
    heldBack_.clear();
    inner_.menuChosen(item);
    inMenu_ = false;
    e.answer = std::move(menuAnswer_);
    menuAnswer_.reset();
    if (stopped_) {
        // The item ended the game: what its dialog let through still belongs to it.
        for (const std::string& line : heldBack_) {
            out_ << line;
        }
        heldBack_.clear();
        flush();
        return;
    }
    // What arrived while the item's dialog was open goes first: every item with a dialog opens
    // it before changing anything, so a replay that delivers these just before the item sees
    // the game in the same state as the ticks did.
    writeHeader();
    for (const std::string& line : heldBack_) {
        out_ << line;
    }
    heldBack_.clear();
    writeLine(at, e);
}

void ReplayRecorder::timerTick(TimerId timer) {
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::timer;
    e.timer = timer;
    write(e);
    inner_.timerTick(timer);
}

void ReplayRecorder::windowClosing() {
    ReplayEvent e;
    e.kind = ReplayEvent::Kind::close;
    write(e);
    flush();  // closing ends the program inside the handler
    inner_.windowClosing();
}

}  // namespace brivane
