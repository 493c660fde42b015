// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The seam between the game and the outside world. Game logic reaches the window, the clock,
// the timers, dialogs, sound, files, the settings store and the network only through Platform,
// and the outside world reaches the game only through EventSink, called from inside a yield.
// Coordinates on the playfield are twips (15 to a pixel); pen widths are pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/best_games_table.h"

namespace brivane {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

// Pictures the game blits from. The first eight live in the hidden picture store; the last two
// are the window's current player look (life icon 0 and its matte), switched by the shield.
enum class Picture : std::uint8_t {
    imgPlayer,
    imgPlayerMatte,
    imgPlayerShield,
    imgPlayerShieldMatte,
    imgBalls,
    imgElectrons,
    imgStrings,
    imgQuarks,
    lifeIcon,
    lifeIconMatte,
};
inline constexpr int pictureCount = 10;

enum class RasterOp : std::uint8_t {
    srcAnd,    // destination = destination AND source (the mask)
    srcPaint,  // destination = destination OR source (the sprite)
};

enum class MenuItem : std::uint8_t {
    mnuFileJumpLevel,
    mnuFileMusic,
    mnuFileExit,
    mnuSettingsAutoSpeed,
    mnuSettingsDisplayRender,
    mnuSettingsUpdates,
    mnuHelpAbout,
    mnuHelpHelp,
    mnuFileNewGame,
    mnuFileHighScores,
    mnuSettingsSoundEffects,
    mnuFilePause,
    mnuSettingsPauseInactive,
    mnuFileReplays,
    mnuSettingsKeepReplays,
};
inline constexpr int menuItemCount = 15;

enum class TimerId : std::uint8_t {
    tmrClearText,
    tmrDoElectron,
    tmrToggleBonds,
    tmrKillTails,
    tmrLoopMusic,
};
inline constexpr int timerCount = 5;

// Interval in milliseconds and whether the timer runs when the window is created.
struct TimerSpec {
    int intervalMs;
    bool enabledAtStart;
};
inline constexpr TimerSpec timerSpecs[timerCount] = {
    {5000, false},  // tmrClearText
    {7000, true},   // tmrDoElectron
    {5000, true},   // tmrToggleBonds
    {50, false},    // tmrKillTails
    {5000, true},   // tmrLoopMusic
};

enum class DialogButtons : std::uint8_t { ok, yesNo };
enum class DialogResult : std::uint8_t { ok, yes, no };

enum class SocketState : std::uint8_t { closed, connecting, connected };

inline constexpr int soundDeviceCount = 5;

// What the platform delivers to the game. Called only from inside Platform::processEvents or
// Platform::processEventsUntilNextFrame, never from anywhere else.
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void mouseMove(float x, float y) = 0;  // playfield twips
    virtual void mouseDown(int button) = 0;        // 1 left, 2 right
    virtual void keyPress(int code) = 0;           // character code
    virtual void menuChosen(MenuItem item) = 0;
    virtual void timerTick(TimerId timer) = 0;
    virtual void windowClosing() = 0;
    virtual void soundDone(int device) = 0;
    virtual void socketConnected() = 0;
    virtual void socketDataArrived(std::size_t bytes) = 0;
    virtual void socketClosed() = 0;
    // The table window's answers: OK on the row being named, and Clear confirmed.
    virtual void bestGameNamed(const std::string& name) = 0;
    virtual void bestGamesCleared() = 0;
    // The player moved the music window's volume (0 to 100) and let go of it.
    virtual void musicVolumeChosen(int volume) = 0;
    // The window lost the focus to another window, or was minimised.
    virtual void windowInactive() = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    virtual void setEventSink(EventSink* sink) = 0;

    // Window.
    virtual void loadWindow() = 0;  // create it hidden
    virtual void showWindow() = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setLifeIconVisible(int index, bool visible) = 0;
    // Copies a stored picture pair into the eight life icons and the player matte.
    virtual void setPlayerPictures(Picture sprite, Picture matte) = 0;
    virtual bool menuChecked(MenuItem item) const = 0;
    virtual void setMenuChecked(MenuItem item, bool checked) = 0;

    // Playfield drawing.
    virtual int playfieldWidth() const = 0;
    virtual int playfieldHeight() const = 0;
    virtual void clear() = 0;
    virtual void refresh() = 0;
    virtual void setForeColor(Rgb colour) = 0;
    virtual void setDrawWidth(int pixels) = 0;
    virtual void line(float x1, float y1, float x2, float y2) = 0;
    // Copies a w x h rectangle of a picture from (sx, sy) to (dx, dy), all in twips.
    virtual void paintPicture(Picture picture, float dx, float dy, float w, float h, float sx,
                              float sy, RasterOp op) = 0;
    virtual void printText(float x, float y, const std::string& text) = 0;
    virtual int pictureWidth(Picture picture) const = 0;   // twips
    virtual int pictureHeight(Picture picture) const = 0;  // twips

    // Time and events.
    virtual std::uint32_t tickCount() = 0;  // milliseconds, wraps
    virtual double timeOfDay() = 0;         // seconds since midnight, with fraction
    virtual void processEvents() = 0;       // run what is pending, then return
    // The main loop's yield: process events until the next display refresh is due.
    virtual void processEventsUntilNextFrame() = 0;
    virtual void setTimerEnabled(TimerId timer, bool enabled) = 0;
    virtual bool timerEnabled(TimerId timer) const = 0;

    // Modal dialogs.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;  // "" when cancelled
    virtual DialogResult messageBox(const std::string& text, const std::string& title,
                                    DialogButtons buttons) = 0;

    // Settings store (application "brivane").
    virtual std::optional<std::string> readSetting(const std::string& section,
                                                   const std::string& key) = 0;
    virtual void saveSetting(const std::string& section, const std::string& key,
                             const std::string& value) = 0;

    // Files beside the program, and ending it.
    virtual std::string programFolder() = 0;
    virtual std::optional<std::string> readScoresFile() = 0;
    virtual bool writeScoresFile(const std::string& bytes) = 0;  // atomic; false leaves old file
    virtual void endProgram() = 0;

    // Sound effects and music.
    virtual void openSoundDevice(int device, const std::string& path) = 0;
    virtual void playSoundDevice(int device) = 0;  // from the start, in the background
    virtual void createMusicWindow() = 0;
    virtual void showMusicWindow() = 0;
    virtual void startMusic(const std::string& playlistPath) = 0;
    virtual bool musicFinished() = 0;  // the playlist ended on its own (not paused or stopped)

    // Network, web page and help viewer.
    virtual SocketState socketState() = 0;
    virtual void socketConnect(const std::string& host, int port) = 0;
    virtual void socketSend(const std::string& bytes) = 0;
    virtual std::string socketRead() = 0;
    virtual void socketClose() = 0;
    virtual void openWebPage(const std::string& url) = 0;
    virtual void showHelp(const std::string& path) = 0;

    // The table of best games: a file of its own in the user's data folder, and its window.
    virtual StoredFile readBestGamesFile() = 0;
    virtual bool writeBestGamesFile(const std::string& bytes) = 0;  // atomic; false keeps old
    // Renames a file that cannot be read as a table to a free name beside it.
    virtual bool setBestGamesFileAside() = 0;
    virtual std::int64_t secondsSinceEpoch() = 0;  // wall clock, UTC
    // The user's full name from the account, else the login name.
    virtual std::string accountName() = 0;
    // Opens the table window the next time events are processed, without waiting for it.
    virtual void showBestGames(const BestGamesView& view) = 0;
    // Sound effects turned off: the device is let go until it is opened again.
    virtual void closeSoundDevice(int device) = 0;
    // Sets the music window's volume (0 to 100) without reporting it back as the player's.
    virtual void setMusicVolume(int volume) = 0;
    // Pause. While paused the five timers stand still and keep the time they had left (one
    // enabled meanwhile gets its full interval from the resume), the music holds, and the
    // window shows that play is paused; where there is a player to wait for, the main loop's
    // yield sleeps until events come and does not end before the game goes on.
    virtual void setPaused(bool paused) = 0;
    // Ends every sound effect that is playing.
    virtual void stopSounds() = 0;

    // The kept replays. A game played in the window ended (never said in a replay).
    virtual void gameOver(const GameOver& over) = 0;
    // Files of the folder "replays" in the user's data folder, by name: the names there, one
    // read up to `limit` bytes (cut there), one replaced atomically, one removed.
    virtual std::vector<std::string> replayFileNames() = 0;
    virtual StoredFile readReplayFile(const std::string& name, std::size_t limit) = 0;
    virtual bool writeReplayFile(const std::string& name, const std::string& bytes) = 0;
    virtual bool removeReplayFile(const std::string& name) = 0;
    // Keeps a small picture of the playfield as it stands now in that folder.
    virtual bool writeReplayPicture(const std::string& name) = 0;
    // File > Replays...: opens the window of the kept replays without waiting for it.
    virtual void showReplays() = 0;
};

}  // namespace brivane
