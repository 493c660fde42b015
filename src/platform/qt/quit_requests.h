// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Ending the game from outside its window. Ctrl+C in a terminal (SIGINT), `kill` or a shutdown
// (SIGTERM), a closed terminal (SIGHUP) and a desktop session logging out all end the game the
// way closing its window does, so the best score is written before the process goes.
#pragma once

#include <memory>

class QSocketNotifier;

namespace brivane {

class QtPlatform;

class QuitRequests {
  public:
    explicit QuitRequests(QtPlatform& platform);
    ~QuitRequests();  // the signals' default actions come back
    QuitRequests(const QuitRequests&) = delete;
    QuitRequests& operator=(const QuitRequests&) = delete;

  private:
    void closeGame();

    QtPlatform& platform_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    bool closing_ = false;
};

}  // namespace brivane
