// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Ending the game from outside its window. Ctrl+C in a terminal (SIGINT), `kill` or a shutdown
// (SIGTERM), a closed terminal (SIGHUP) and a desktop session logging out all end the game the
// way closing its window does, so the best score is written before the process goes. So does
// losing the display (the X server killed, or the client cut off by xkill): Qt says so in a
// last message and exits, and the game takes the closing path first without touching the
// display, then ends with status 1. A window destroyed from outside (xdotool windowclose, an X
// DestroyWindow) ends the game as closing it does.
#pragma once

#include <memory>

class QSocketNotifier;
class QAbstractNativeEventFilter;

namespace brivane {

class QtPlatform;

class QuitRequests {
  public:
    explicit QuitRequests(QtPlatform& platform);
    ~QuitRequests();  // the signals' default actions come back
    QuitRequests(const QuitRequests&) = delete;
    QuitRequests& operator=(const QuitRequests&) = delete;

    // Told the display is gone, as Qt's message about it arrives.
    void displayLost();

  private:
    void closeGame();

    QtPlatform& platform_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QAbstractNativeEventFilter> destroyWatch_;
    bool closing_ = false;
};

}  // namespace brivane
