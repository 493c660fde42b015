// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The headless home of the platform: a virtual clock advanced by given pass durations (with the
// timers on it), events scripted in advance and delivered only inside a yield, drawing onto an
// optional surface, and in-memory settings, files and socket; sound, music, dialogs, web pages
// and help do nothing. Replays, tests and benchmarks run the real game code on it; tests that
// look at what the game did use a spy built on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/virtual_clock.h"
#include "platform/pictures.h"
#include "platform/platform.h"
#include "platform/yields.h"

namespace brivane {

struct ScriptedEvent {
    enum class Kind : std::uint8_t {
        mouseMove,
        mouseDown,
        key,
        menu,
        timer,
        resize,
        close,
        soundDone,
        socketConnected,
        socketData,
        socketClosed,
        inactive,  // the window lost the focus or was minimised
        call,      // runs a test's own action inside the yield
    };
    Kind kind = Kind::mouseMove;
    float x = 0, y = 0;
    int value = 0;   // button, key code, device, outer width (twips)
    int value2 = 0;  // outer height (twips)
    MenuItem menu = MenuItem::mnuFileJumpLevel;
    TimerId timer = TimerId::tmrClearText;
    // With a menu item: what its dialog is answered, and no later dialog ("" cancels).
    std::optional<std::string> answer;
    std::function<void()> action;

    static ScriptedEvent move(float x, float y) {
        ScriptedEvent e;
        e.x = x;
        e.y = y;
        return e;
    }
    static ScriptedEvent down(int button) { return with(Kind::mouseDown, button); }
    static ScriptedEvent key(int code) { return with(Kind::key, code); }
    static ScriptedEvent menuItem(MenuItem m, std::optional<std::string> answer = std::nullopt) {
        ScriptedEvent e = with(Kind::menu);
        e.menu = m;
        e.answer = std::move(answer);
        return e;
    }
    static ScriptedEvent tick(TimerId t) {
        ScriptedEvent e = with(Kind::timer);
        e.timer = t;
        return e;
    }
    static ScriptedEvent resize(int outerWidth, int outerHeight) {
        return with(Kind::resize, outerWidth, outerHeight);
    }
    static ScriptedEvent closeWindow() { return with(Kind::close); }
    static ScriptedEvent windowInactive() { return with(Kind::inactive); }
    static ScriptedEvent run(std::function<void()> f) {
        ScriptedEvent e = with(Kind::call);
        e.action = std::move(f);
        return e;
    }
    static ScriptedEvent with(Kind kind, int value = 0, int value2 = 0) {
        ScriptedEvent e;
        e.kind = kind;
        e.value = value;
        e.value2 = value2;
        return e;
    }
};

// Thrown by `endProgram` when the platform is set to unwind on end.
struct ProgramEnd {};

class HeadlessPlatform : public Platform {
  public:
    HeadlessPlatform();

    // --- Scripting -------------------------------------------------------------------------
    // Delivered inside the next yield of any kind.
    void post(ScriptedEvent event) { nextYield_.push_back(std::move(event)); }
    // Delivered inside the given yield.
    void postAt(YieldId at, ScriptedEvent event) { byYield_[at].push_back(std::move(event)); }
    // Every pass lasts `ms` unless the clock was given durations by pass number.
    void setPassDuration(int ms) { clock_.setDefaultPassDuration(ms); }
    VirtualClock& clock() { return clock_; }
    const VirtualClock& clock() const { return clock_; }
    // When false, timers fire only through scripted timer events.
    void setTimersFromClock(bool on) { timersFromClock_ = on; }
    // An input-box answer that accepts the offered default text.
    static constexpr const char* acceptDefault = "<default>";
    void queueDialogAnswer(std::string answer) { dialogAnswers_.push_back(std::move(answer)); }
    void clearDialogAnswers() { dialogAnswers_.clear(); }
    void setPlayfieldSize(int w, int h);
    void setTimeOfDayBase(double seconds) { timeOfDayBase_ = seconds; }
    void attachSurface(DrawingSurface* surface);
    void setScoresWriteFails(bool fails) { scoresWriteFails_ = fails; }
    // Ending the program then unwinds the game at once by throwing `ProgramEnd`, as the
    // window's process exit stops it, so no more of the pass runs; replays need that to end
    // where the recorded game ended.
    void setUnwindOnEnd(bool unwind) { unwindOnEnd_ = unwind; }

    // --- In-memory services, read and set from outside ---------------------------------------
    std::map<std::pair<std::string, std::string>, std::string> settings;
    std::optional<std::string> scoresFile;
    std::string caption;
    std::string statusText = "Brivane!";
    bool programEnded = false;
    Picture playerSprite = Picture::imgPlayer;
    Picture playerMatte = Picture::imgPlayerMatte;
    bool musicHasFinished = false;
    std::string folder = "/opt/brivane";
    SocketState sockState = SocketState::closed;
    std::string sockIncoming;  // what the game reads next
    // The table of best games: a file two platforms may share, as two copies of the game
    // share the player's; a false `bestGamesWritable` makes writing and setting aside fail.
    std::shared_ptr<StoredFile> bestGamesFile = std::make_shared<StoredFile>();
    bool bestGamesWritable = true;
    std::vector<StoredFile> bestGamesSetAside;
    std::vector<BestGamesView> bestGamesShown;  // each window opened, in order
    // The kept replays' folder, in memory; a false `replaysWritable` makes writing fail, as a
    // full disk does. A picture is kept as an empty file: this home has no pixels of its own.
    std::map<std::string, std::string> replayFiles;
    bool replaysWritable = true;
    std::function<void(const GameOver&)> onGameOver;
    int replaysShown = 0;
    std::string account = "Ada Lovelace";
    std::int64_t epochBase = 1800000000;  // the wall clock at the virtual clock's start

    // The life icons the game shows, 0 to 7.
    std::array<bool, 8> lifeIcons{};

    // Everything the game can change of the platform, with the clock's reading and the events
    // still to come, so a replay can go back to a moment it passed; not the wiring (sink,
    // surface, hooks) nor the pass durations, which only set-up gives.
    struct State {
        std::map<std::pair<std::string, std::string>, std::string> settings;
        std::optional<std::string> scoresFile;
        std::string caption;
        std::string statusText;
        bool programEnded = false;
        Picture playerSprite = Picture::imgPlayer;
        Picture playerMatte = Picture::imgPlayerMatte;
        bool musicHasFinished = false;
        SocketState sockState = SocketState::closed;
        std::string sockIncoming;
        StoredFile bestGamesFile;
        std::vector<StoredFile> bestGamesSetAside;
        std::vector<BestGamesView> bestGamesShown;
        std::array<bool, 8> lifeIcons{};
        int width = 0;
        int height = 0;
        Rgb foreColor;
        int drawWidth = 1;
        std::array<bool, menuItemCount> checks{};
        VirtualClock::Reading clock;
        YieldCounter yields;
        std::deque<ScriptedEvent> nextYield;
        std::map<YieldId, std::deque<ScriptedEvent>> byYield;
        std::deque<std::string> dialogAnswers;
    };
    // Events posted for yields already past can never be delivered, and are left out.
    State saveState() const;
    void restoreState(const State& state);

    const YieldCounter& yields() const { return yields_; }
    // Called as the main-loop yield of pass n begins, before its events.
    std::function<void(int)> onFrameYield;
    // Called as every yield begins, before the events posted for it are looked up, so events
    // can be posted just in time instead of all in advance.
    std::function<void(YieldId)> onYieldStarting;
    // Called with the answer every dialog got: the text, "cancel", "yes", "no" or "ok".
    std::function<void(const std::string&)> onDialogAnswer;
    // Called as the game opens a sound effect's device with its file, and with the device of
    // every effect it plays, for a home that does play them.
    std::function<void(int, const std::string&)> onSoundOpened;
    std::function<void(int)> onSoundPlayed;

    // Delivers one event now, as a yield would; for an action already running inside a yield.
    void deliverOne(const ScriptedEvent& event);

    // --- Platform --------------------------------------------------------------------------
    void setEventSink(EventSink* sink) override { sink_ = sink; }
    void loadWindow() override {}
    void showWindow() override {}
    void setCaption(const std::string& text) override { caption = text; }
    void setStatusText(const std::string& text) override { statusText = text; }
    void setLifeIconVisible(int index, bool visible) override {
        if (index >= 0 && index < static_cast<int>(lifeIcons.size())) {
            lifeIcons[static_cast<std::size_t>(index)] = visible;
        }
    }
    void setPlayerPictures(Picture sprite, Picture matte) override;
    bool menuChecked(MenuItem item) const override { return checks_[static_cast<int>(item)]; }
    void setMenuChecked(MenuItem item, bool checked) override {
        checks_[static_cast<int>(item)] = checked;
    }
    int playfieldWidth() const override { return width_; }
    int playfieldHeight() const override { return height_; }
    void clear() override;
    void refresh() override {}
    void setForeColor(Rgb colour) override { foreColor_ = colour; }
    void setDrawWidth(int pixels) override { drawWidth_ = pixels; }
    void line(float x1, float y1, float x2, float y2) override;
    void paintPicture(Picture picture, float dx, float dy, float w, float h, float sx, float sy,
                      RasterOp op) override;
    void printText(float x, float y, const std::string& text) override;
    int pictureWidth(Picture picture) const override { return pictureWidthTwips(picture); }
    int pictureHeight(Picture picture) const override { return pictureHeightTwips(picture); }
    std::uint32_t tickCount() override { return static_cast<std::uint32_t>(clock_.now()); }
    double timeOfDay() override {
        return timeOfDayBase_ + static_cast<double>(clock_.now()) / 1000.0;
    }
    void processEvents() override;
    void processEventsUntilNextFrame() override;
    void setTimerEnabled(TimerId timer, bool enabled) override {
        clock_.setTimerEnabled(timer, enabled);
    }
    bool timerEnabled(TimerId timer) const override { return clock_.timerEnabled(timer); }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    DialogResult messageBox(const std::string& text, const std::string& title,
                            DialogButtons buttons) override;
    std::optional<std::string> readSetting(const std::string& section,
                                           const std::string& key) override;
    void saveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::string programFolder() override { return folder; }
    std::optional<std::string> readScoresFile() override { return scoresFile; }
    bool writeScoresFile(const std::string& bytes) override;
    void endProgram() override;
    void openSoundDevice(int device, const std::string& path) override {
        if (onSoundOpened) {
            onSoundOpened(device, path);
        }
    }
    void playSoundDevice(int device) override {
        if (onSoundPlayed) {
            onSoundPlayed(device);
        }
    }
    void createMusicWindow() override {}
    void showMusicWindow() override {}
    void startMusic(const std::string&) override { musicHasFinished = false; }
    bool musicFinished() override { return musicHasFinished; }
    SocketState socketState() override { return sockState; }
    void socketConnect(const std::string&, int) override { sockState = SocketState::connecting; }
    void socketSend(const std::string&) override {}
    std::string socketRead() override;
    void socketClose() override { sockState = SocketState::closed; }
    void openWebPage(const std::string&) override {}
    void showHelp(const std::string&) override {}
    StoredFile readBestGamesFile() override { return *bestGamesFile; }
    bool writeBestGamesFile(const std::string& bytes) override;
    bool setBestGamesFileAside() override;
    std::int64_t secondsSinceEpoch() override {
        return epochBase + static_cast<std::int64_t>(clock_.now() / 1000);
    }
    std::string accountName() override { return account; }
    void showBestGames(const BestGamesView& view) override { bestGamesShown.push_back(view); }
    void closeSoundDevice(int) override {}
    void setMusicVolume(int) override {}
    // The yield has no player to wait for, so it ends as usual while paused.
    void setPaused(bool paused) override { clock_.setHeld(paused); }
    void stopSounds() override {}
    void gameOver(const GameOver& over) override {
        if (onGameOver) {
            onGameOver(over);
        }
    }
    std::vector<std::string> replayFileNames() override;
    StoredFile readReplayFile(const std::string& name, std::size_t limit) override;
    bool writeReplayFile(const std::string& name, const std::string& bytes) override;
    bool removeReplayFile(const std::string& name) override { return replayFiles.erase(name) > 0; }
    bool writeReplayPicture(const std::string& name) override { return writeReplayFile(name, {}); }
    void showReplays() override { ++replaysShown; }

  private:
    void deliver(std::deque<ScriptedEvent>& queue);
    void fireTimersUpTo(std::uint64_t limit);

    EventSink* sink_ = nullptr;
    DrawingSurface* surface_ = nullptr;
    bool scoresWriteFails_ = false;
    bool unwindOnEnd_ = false;
    bool timersFromClock_ = true;
    int width_ = 8955;
    int height_ = 6615;
    Rgb foreColor_{255, 255, 255};
    int drawWidth_ = 1;
    std::array<bool, menuItemCount> checks_{};
    VirtualClock clock_;
    double timeOfDayBase_ = 43200.0;
    YieldCounter yields_;
    std::deque<ScriptedEvent> nextYield_;
    std::map<YieldId, std::deque<ScriptedEvent>> byYield_;
    std::deque<std::string> dialogAnswers_;
};

}  // namespace brivane
