// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt home of the platform: frmMain and its elements, the five timers, dialogs, the settings
// store, files beside the program, sound devices, the music window and the update socket.
// Every Qt signal that matters to the game is turned into a call on the EventSink, and Qt only
// dispatches them inside processEvents, so handlers run only where the game yields.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/qt/frm_main.h"
#include "platform/render/playfield_image.h"
#include "platform/yields.h"

class QSettings;

namespace brivane {

class QtServices;
class QtSound;
class ReplayLibraryWindow;

class QtPlatform : public Platform {
  public:
    struct Options {
        QString settingsFile;    // empty: the user's store for application "brivane"
        QString userDataFolder;  // empty: the user's own (where the table of best games is)
        bool exitProcessOnEnd = true;
    };
    static constexpr std::size_t settingsLimit = 1024 * 1024;
    // The playfield picture's largest side in pixels, whatever the screens.
    static constexpr int maxPictureSide = 16384;
    explicit QtPlatform(Options options);
    ~QtPlatform() override;

    frmMain* window() { return window_.get(); }
    PlayfieldImage& playfieldImage() { return image_; }
    bool programEnded() const { return ended_; }
    QtServices& services() { return *services_; }
    QtSound& sound() { return *sound_; }
    // Where the game's events go; nothing once the program has been told to end.
    EventSink* sink() const { return ended_ ? nullptr : sink_; }

    const YieldCounter& yields() const { return yields_; }
    // For a recording: the main-loop yield of pass n begins; a dialog was answered ("yes",
    // "no", "ok", the text typed, or "cancel"); the window took a new outer size (twips).
    std::function<void(int)> onFrameYield;
    std::function<void(const std::string&)> onDialogAnswer;
    std::function<void(int, int)> onResize;
    // The program is about to end inside a handler: the last chance to write anything out.
    std::function<void()> onProgramEnd;
    // A game ended, for the kept replays.
    std::function<void(const GameOver&)> onGameOver;
    // "replays" in the user's data folder.
    QString replaysFolder() const;
    // The window of File > Replays..., while it is open.
    ReplayLibraryWindow* replaysWindow() const;
    std::string statusText() const;
    // Ends the game the way the window's close button does, for a request from outside.
    void closeWindow();
    // The display is gone: from now on nothing touches it, and the program ends with status 1.
    void displayLost() { displayGone_ = true; }

    void setEventSink(EventSink* sink) override { sink_ = sink; }
    void loadWindow() override;
    void showWindow() override;
    void setCaption(const std::string& text) override;
    void setStatusText(const std::string& text) override;
    void setLifeIconVisible(int index, bool visible) override;
    void setPlayerPictures(Picture sprite, Picture matte) override;
    bool menuChecked(MenuItem item) const override;
    void setMenuChecked(MenuItem item, bool checked) override;

    int playfieldWidth() const override;
    int playfieldHeight() const override;
    void clear() override;
    void refresh() override;
    void setForeColor(Rgb colour) override { foreColor_ = colour; }
    void setDrawWidth(int pixels) override { drawWidth_ = pixels; }
    void line(float x1, float y1, float x2, float y2) override;
    void paintPicture(Picture picture, float dx, float dy, float w, float h, float sx, float sy,
                      RasterOp op) override;
    void printText(float x, float y, const std::string& text) override;
    int pictureWidth(Picture picture) const override;
    int pictureHeight(Picture picture) const override;

    std::uint32_t tickCount() override;
    double timeOfDay() override;
    void processEvents() override;
    void processEventsUntilNextFrame() override;
    void setTimerEnabled(TimerId timer, bool enabled) override;
    bool timerEnabled(TimerId timer) const override;

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    DialogResult messageBox(const std::string& text, const std::string& title,
                            DialogButtons buttons) override;

    std::optional<std::string> readSetting(const std::string& section,
                                           const std::string& key) override;
    void saveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;

    std::string programFolder() override;
    std::optional<std::string> readScoresFile() override;
    bool writeScoresFile(const std::string& bytes) override;
    void endProgram() override;

    void openSoundDevice(int device, const std::string& path) override;
    void playSoundDevice(int device) override;
    void createMusicWindow() override;
    void showMusicWindow() override;
    void startMusic(const std::string& playlistPath) override;
    bool musicFinished() override;

    SocketState socketState() override;
    void socketConnect(const std::string& host, int port) override;
    void socketSend(const std::string& bytes) override;
    std::string socketRead() override;
    void socketClose() override;
    void openWebPage(const std::string& url) override;
    void showHelp(const std::string& path) override;
    StoredFile readBestGamesFile() override;
    bool writeBestGamesFile(const std::string& bytes) override;
    bool setBestGamesFileAside() override;
    std::int64_t secondsSinceEpoch() override;
    std::string accountName() override;
    void showBestGames(const BestGamesView& view) override;
    void closeSoundDevice(int device) override;
    void setMusicVolume(int volume) override;
    void setPaused(bool paused) override;
    void stopSounds() override;
    void gameOver(const GameOver& over) override;
    std::vector<std::string> replayFileNames() override;
    StoredFile readReplayFile(const std::string& name, std::size_t limit) override;
    bool writeReplayFile(const std::string& name, const std::string& bytes) override;
    bool removeReplayFile(const std::string& name) override;
    bool writeReplayPicture(const std::string& name) override;
    void showReplays() override;

  private:
    // The path of a file of the replays folder; empty for a name that is not a plain one.
    QString replayPath(const std::string& name) const;
    void ensureWindow();
    // Shows the playfield picture now if anything was drawn on it since it was last shown.
    void present();
    qreal screenRatio() const;
    int frameIntervalMs() const;
    void runPendingEvents();
    void openBestGames(const BestGamesView& view);

    Options options_;
    EventSink* sink_ = nullptr;
    PlayfieldImage image_;
    std::unique_ptr<frmMain> window_;
    std::unique_ptr<QSettings> settings_;
    std::array<QTimer, timerCount> timers_;
    std::unique_ptr<QtServices> services_;
    std::unique_ptr<QtSound> sound_;
    QElapsedTimer frameClock_;
    QTimer frameWake_;  // ends the wait for the next frame; kept, as a pass is too short to
                        // make and register a timer each time
    qint64 lastFrameEnd_ = 0;
    Rgb foreColor_{255, 255, 255};
    int drawWidth_ = 1;
    bool drawnSincePresent_ = false;
    bool ended_ = false;
    bool paused_ = false;
    // While paused: which timers are enabled, and the milliseconds each had left.
    std::array<bool, timerCount> heldEnabled_{};
    std::array<int, timerCount> heldLeft_{};
    bool displayGone_ = false;
    bool settingsRefused_ = false;
    QPointer<QWidget> replays_;  // the ReplayLibraryWindow
    YieldCounter yields_;
};

}  // namespace brivane
