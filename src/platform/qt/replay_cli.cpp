// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay commands. The viewer shows the frames of a game run on the headless platform
// rather than driving the real window from the file: the game then sees exactly the same
// platform as the headless runner, so what is watched is what the report describes.
#include "platform/qt/replay_cli.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/qt/replay_viewer.h"
#include "platform/render/playfield_image.h"
#include "replay/replay_runner.h"

namespace brivane {

namespace {

void printError(const std::string& text) {
    std::fprintf(stderr, "brivane: %s\n", text.c_str());
}

}  // namespace

std::optional<ScreenshotRequest> parseScreenshotRequest(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1) {
        return std::nullopt;
    }
    bool ok = false;
    const int pass = text.left(colon).toInt(&ok);
    if (!ok || pass < 1) {
        return std::nullopt;
    }
    return ScreenshotRequest{pass, text.mid(colon + 1)};
}

int runHeadlessReplay(const HeadlessRunOptions& options, std::ostream& summary) {
    std::string error;
    std::optional<Replay> replay = loadReplay(options.replayPath.toStdString(), error);
    if (!replay) {
        printError(error);
        return 2;
    }
    std::unique_ptr<QFile> report;
    if (!options.reportPath.isEmpty()) {
        report = std::make_unique<QFile>(options.reportPath);
        if (!report->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printError(options.reportPath.toStdString() +
                       ": cannot write: " + report->errorString().toStdString());
            return 2;
        }
    }
    ReplayRunner runner(std::move(*replay), options.passes);
    runner.start();
    PlayfieldImage image(1.0);
    int status = 0;
    while (!runner.finished()) {
        const int pass = runner.passesRun() + 1;
        // Drawing pixels costs far more than the game itself: only the passes photographed
        // are drawn, and every pass draws its scene from scratch, so nothing is lost.
        const bool shoot =
            std::any_of(options.screenshots.begin(), options.screenshots.end(),
                        [pass](const ScreenshotRequest& s) { return s.pass == pass; });
        if (shoot) {
            runner.platform().attachSurface(&image);
        }
        runner.runOnePass();
        if (shoot) {
            runner.platform().attachSurface(nullptr);
            for (const ScreenshotRequest& s : options.screenshots) {
                if (s.pass == pass && !image.image().save(s.path, "PNG")) {
                    printError(s.path.toStdString() + ": cannot write the screenshot");
                    status = 1;
                }
            }
        }
        if (report) {
            const std::string line = runner.reportLine(options.reportParticles) + "\n";
            report->write(line.data(), static_cast<qint64>(line.size()));
        }
    }
    for (const ScreenshotRequest& s : options.screenshots) {
        if (s.pass > runner.passesRun()) {
            printError("no screenshot " + s.path.toStdString() + ": the replay ended after pass " +
                       std::to_string(runner.passesRun()));
        }
    }
    if (report && !report->flush()) {
        printError(options.reportPath.toStdString() + ": cannot write the report");
        status = 1;
    }
    summary << runner.summary() << std::endl;
    return status;
}

int runReplayWindow(const QString& replayPath) {
    std::string error;
    std::optional<Replay> replay = loadReplay(replayPath.toStdString(), error);
    if (!replay) {
        printError(error);
        return 2;
    }
    ReplayViewer viewer(std::move(*replay), QFileInfo(replayPath).fileName());
    viewer.show();
    return QApplication::exec();
}

}  // namespace brivane
