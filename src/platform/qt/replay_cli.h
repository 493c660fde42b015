// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay commands of the program: the headless runner (no window, virtual clock, report,
// screenshots, summary line) and the replay viewer (replay_viewer.h). Both run the real game
// on the headless platform, drawn by the window's own renderer.
#pragma once

#include <QString>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "replay/replay_file.h"

namespace brivane {

struct ScreenshotRequest {
    int pass = 0;
    QString path;
};

struct HeadlessRunOptions {
    QString replayPath;
    QString reportPath;  // empty: no report
    bool reportParticles = false;
    std::vector<ScreenshotRequest> screenshots;
    int passes = 0;  // 0: through the last pass the file mentions
};

// Exit status: 0 after a run, 2 for a file that cannot be read or parsed (nothing written).
// Messages go to stderr, the summary line to `summary`.
int runHeadlessReplay(const HeadlessRunOptions& options, std::ostream& summary);

// Opens the replay viewer and runs the application's event loop until it is closed; a file
// that cannot be read is refused on standard error with exit status 2.
int runReplayWindow(const QString& replayPath);

// "PASS:OUT.png"; nullopt when malformed.
std::optional<ScreenshotRequest> parseScreenshotRequest(const QString& text);

}  // namespace brivane
