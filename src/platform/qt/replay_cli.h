// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay commands of the program: the headless runner (no window, virtual clock, report,
// screenshots, summary line) and the replay window, which shows a replay's passes at their
// recorded pace. Both run the real game on the headless platform, drawn by the window's own
// renderer.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/render/playfield_image.h"
#include "replay/replay_file.h"
#include "replay/replay_runner.h"

class QLabel;

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

class PlayfieldWidget;

// Shows a replay's passes at their recorded pace, in the game's playfield widget with the status
// line below it, until the replay ends.
class ReplayWindow : public QWidget {
  public:
    explicit ReplayWindow(Replay replay);
    ~ReplayWindow() override;
    int passesRun() const;
    // The playfield as the replay last drew it, and the widget that shows it.
    const QImage& picture() { return image_.image(); }
    PlayfieldWidget* playfield() const { return picture_; }

  private:
    void runOne();

    ReplayRunner runner_;
    PlayfieldImage image_;
    PlayfieldWidget* picture_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer step_;
};

// Opens the replay window and runs the application's event loop until it is closed.
int runReplayWindow(const QString& replayPath);

// "PASS:OUT.png"; nullopt when malformed.
std::optional<ScreenshotRequest> parseScreenshotRequest(const QString& text);

}  // namespace brivane
