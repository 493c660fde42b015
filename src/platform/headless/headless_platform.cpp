// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The headless platform. Its clock reads T while a pass draws and moves; the pass's yield first
// delivers the events scripted for it, then lets the clock fire the timers due by the pass's
// end.
#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <iterator>

#include "platform/layout.h"

namespace brivane {

HeadlessPlatform::HeadlessPlatform() {
    // The window is created with Auto Speed Adjust checked; start-up then applies the setting.
    checks_[static_cast<int>(MenuItem::mnuSettingsAutoSpeed)] = true;
}

void HeadlessPlatform::setPlayfieldSize(int w, int h) {
    width_ = w;
    height_ = h;
    if (surface_ != nullptr) {
        surface_->resize(w, h);
    }
}

void HeadlessPlatform::attachSurface(DrawingSurface* surface) {
    surface_ = surface;
    if (surface_ != nullptr) {
        surface_->resize(width_, height_);
        surface_->setPlayerPictures(playerSprite, playerMatte);
    }
}

void HeadlessPlatform::setPlayerPictures(Picture sprite, Picture matte) {
    playerSprite = sprite;
    playerMatte = matte;
    if (surface_ != nullptr) {
        surface_->setPlayerPictures(sprite, matte);
    }
}

void HeadlessPlatform::clear() {
    if (surface_ != nullptr) {
        surface_->clear();
    }
}

void HeadlessPlatform::line(float x1, float y1, float x2, float y2) {
    if (surface_ != nullptr) {
        surface_->line(x1, y1, x2, y2, foreColor_, drawWidth_);
    }
}

void HeadlessPlatform::paintPicture(Picture picture, float dx, float dy, float w, float h, float sx,
                                    float sy, RasterOp op) {
    if (surface_ != nullptr) {
        surface_->paintPicture(picture, dx, dy, w, h, sx, sy, op);
    }
}

void HeadlessPlatform::printText(float x, float y, const std::string& text) {
    if (surface_ != nullptr) {
        surface_->printText(x, y, text, foreColor_);
    }
}

void HeadlessPlatform::deliverOne(const ScriptedEvent& e) {
    if (sink_ == nullptr && e.kind != ScriptedEvent::Kind::call &&
        e.kind != ScriptedEvent::Kind::resize) {
        return;
    }
    switch (e.kind) {
        case ScriptedEvent::Kind::mouseMove:
            sink_->mouseMove(e.x, e.y);
            break;
        case ScriptedEvent::Kind::mouseDown:
            sink_->mouseDown(e.value);
            break;
        case ScriptedEvent::Kind::key:
            sink_->keyPress(e.value);
            break;
        case ScriptedEvent::Kind::menu:
            if (e.answer) {
                dialogAnswers_.assign(1, *e.answer);
                sink_->menuChosen(e.menu);
                dialogAnswers_.clear();
            } else {
                sink_->menuChosen(e.menu);
            }
            break;
        case ScriptedEvent::Kind::timer:
            // A tick of a disabled timer cannot happen with real timers either.
            if (clock_.timerEnabled(e.timer)) {
                sink_->timerTick(e.timer);
            }
            break;
        case ScriptedEvent::Kind::resize: {
            const WindowLayout l = layoutWindow(e.value, e.value2);
            setPlayfieldSize(l.playfieldWidth, l.playfieldHeight);
            break;
        }
        case ScriptedEvent::Kind::close:
            sink_->windowClosing();
            break;
        case ScriptedEvent::Kind::soundDone:
            sink_->soundDone(e.value);
            break;
        case ScriptedEvent::Kind::socketConnected:
            sockState = SocketState::connected;
            sink_->socketConnected();
            break;
        case ScriptedEvent::Kind::socketData:
            sink_->socketDataArrived(sockIncoming.size());
            break;
        case ScriptedEvent::Kind::socketClosed:
            sockState = SocketState::closed;
            sink_->socketClosed();
            break;
        case ScriptedEvent::Kind::inactive:
            sink_->windowInactive();
            break;
        case ScriptedEvent::Kind::call:
            e.action();
            break;
    }
}

void HeadlessPlatform::endProgram() {
    programEnded = true;
    if (unwindOnEnd_) {
        throw ProgramEnd{};
    }
}

void HeadlessPlatform::deliver(std::deque<ScriptedEvent>& queue) {
    // Handlers may yield and so take further events from the same queue; pop before handling.
    while (!queue.empty() && !programEnded) {
        const ScriptedEvent event = std::move(queue.front());
        queue.pop_front();
        deliverOne(event);
    }
}

void HeadlessPlatform::fireTimersUpTo(std::uint64_t limit) {
    if (!timersFromClock_ || programEnded) {
        return;
    }
    clock_.fireTimersUpTo(limit, [this](TimerId timer) {
        if (sink_ != nullptr) {
            sink_->timerTick(timer);
        }
        return !programEnded;
    });
}

void HeadlessPlatform::processEvents() {
    const YieldId now = yields_.nestedYieldBegins();
    if (onYieldStarting) {
        onYieldStarting(now);
    }
    auto it = byYield_.find(now);
    if (it != byYield_.end()) {
        std::deque<ScriptedEvent> events = std::move(it->second);
        byYield_.erase(it);
        deliver(events);
    }
    deliver(nextYield_);
    fireTimersUpTo(clock_.now());
    yields_.nestedYieldEnds();
}

void HeadlessPlatform::processEventsUntilNextFrame() {
    const std::uint64_t passStart = clock_.now();
    const std::uint64_t heldBefore = clock_.heldTotal();
    yields_.frameYieldBegins();
    if (onFrameYield) {
        onFrameYield(yields_.pass());
    }
    if (onYieldStarting) {
        onYieldStarting(YieldId{yields_.pass(), 0});
    }
    auto it = byYield_.find(YieldId{yields_.pass(), 0});
    if (it != byYield_.end()) {
        std::deque<ScriptedEvent> events = std::move(it->second);
        byYield_.erase(it);
        deliver(events);
    }
    deliver(nextYield_);
    // Time that passed paused inside the yield (a test's stand-in for a player away from the
    // window) comes on top of the pass's own duration, as in the window.
    const std::uint64_t passEnd =
        passStart + static_cast<std::uint64_t>(clock_.passDurationOf(yields_.pass())) +
        (clock_.heldTotal() - heldBefore);
    fireTimersUpTo(passEnd);
    clock_.advanceTo(passEnd);
    yields_.frameYieldEnds();
}

std::string HeadlessPlatform::inputBox(const std::string&, const std::string&,
                                       const std::string& defaultText) {
    std::string answer;
    if (!dialogAnswers_.empty()) {
        answer = std::move(dialogAnswers_.front());
        dialogAnswers_.pop_front();
        if (answer == acceptDefault) {
            answer = defaultText;
        }
    }
    if (onDialogAnswer) {
        onDialogAnswer(answer.empty() ? "cancel" : answer);
    }
    return answer;
}

DialogResult HeadlessPlatform::messageBox(const std::string&, const std::string&,
                                          DialogButtons buttons) {
    std::string answer;
    if (!dialogAnswers_.empty()) {
        answer = std::move(dialogAnswers_.front());
        dialogAnswers_.pop_front();
    }
    const DialogResult result = buttons == DialogButtons::ok ? DialogResult::ok
                                : answer == "yes"            ? DialogResult::yes
                                                             : DialogResult::no;
    if (onDialogAnswer) {
        onDialogAnswer(result == DialogResult::ok    ? "ok"
                       : result == DialogResult::yes ? "yes"
                                                     : "no");
    }
    return result;
}

std::optional<std::string> HeadlessPlatform::readSetting(const std::string& section,
                                                         const std::string& key) {
    auto it = settings.find({section, key});
    if (it == settings.end()) {
        return std::nullopt;
    }
    return it->second;
}

void HeadlessPlatform::saveSetting(const std::string& section, const std::string& key,
                                   const std::string& value) {
    settings[{section, key}] = value;
}

bool HeadlessPlatform::writeScoresFile(const std::string& bytes) {
    if (scoresWriteFails_) {
        return false;
    }
    scoresFile = bytes;
    return true;
}

bool HeadlessPlatform::writeBestGamesFile(const std::string& bytes) {
    if (!bestGamesWritable) {
        return false;
    }
    *bestGamesFile = StoredFile{StoredFile::State::read, bytes};
    return true;
}

bool HeadlessPlatform::setBestGamesFileAside() {
    if (!bestGamesWritable || bestGamesFile->state == StoredFile::State::absent) {
        return false;
    }
    bestGamesSetAside.push_back(*bestGamesFile);
    *bestGamesFile = StoredFile{};
    return true;
}

std::vector<std::string> HeadlessPlatform::replayFileNames() {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : replayFiles) {
        names.push_back(name);
    }
    return names;
}

StoredFile HeadlessPlatform::readReplayFile(const std::string& name, std::size_t limit) {
    const auto it = replayFiles.find(name);
    if (it == replayFiles.end()) {
        return {};
    }
    return StoredFile{StoredFile::State::read, it->second.substr(0, limit)};
}

bool HeadlessPlatform::writeReplayFile(const std::string& name, const std::string& bytes) {
    if (!replaysWritable) {
        return false;
    }
    replayFiles[name] = bytes;
    return true;
}

std::string HeadlessPlatform::socketRead() {
    std::string data = std::move(sockIncoming);
    sockIncoming.clear();
    return data;
}

HeadlessPlatform::State HeadlessPlatform::saveState() const {
    State s{settings,
            scoresFile,
            caption,
            statusText,
            programEnded,
            playerSprite,
            playerMatte,
            musicHasFinished,
            sockState,
            sockIncoming,
            *bestGamesFile,
            bestGamesSetAside,
            bestGamesShown,
            lifeIcons,
            width_,
            height_,
            foreColor_,
            drawWidth_,
            checks_,
            clock_.reading(),
            yields_,
            nextYield_,
            {},
            dialogAnswers_};
    for (const auto& [at, events] : byYield_) {
        const bool toCome =
            at.pass > yields_.pass() ||
            (at.pass == yields_.pass() && (at.sub == 0 || at.sub > yields_.nestedYields()));
        if (toCome) {
            s.byYield.emplace(at, events);
        }
    }
    return s;
}

void HeadlessPlatform::restoreState(const State& s) {
    settings = s.settings;
    scoresFile = s.scoresFile;
    caption = s.caption;
    statusText = s.statusText;
    programEnded = s.programEnded;
    musicHasFinished = s.musicHasFinished;
    sockState = s.sockState;
    sockIncoming = s.sockIncoming;
    *bestGamesFile = s.bestGamesFile;
    bestGamesSetAside = s.bestGamesSetAside;
    bestGamesShown = s.bestGamesShown;
    lifeIcons = s.lifeIcons;
    foreColor_ = s.foreColor;
    drawWidth_ = s.drawWidth;
    checks_ = s.checks;
    clock_.setReading(s.clock);
    yields_ = s.yields;
    nextYield_ = s.nextYield;
    byYield_ = s.byYield;
    dialogAnswers_ = s.dialogAnswers;
    // Through the setters, so an attached surface takes the size and pictures too.
    setPlayfieldSize(s.width, s.height);
    setPlayerPictures(s.playerSprite, s.playerMatte);
}

}  // namespace brivane
