// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Entry point: reads the command line into one set of options, then plays the game in its
// window (keeping its replays, and recording it when asked), watches a replay in a window, or
// runs a replay headless.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <variant>

#include "core/game.h"
#include "core/wired_game.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/quit_requests.h"
#include "platform/qt/replay_cli.h"
#include "platform/qt/replay_viewer.h"
#include "platform/qt/window_icon.h"
#include "platform/render/playfield_image.h"
#include "replay/library.h"
#include "replay/pass_report.h"
#include "replay/replay_recorder.h"
#include "version.h"

namespace brivane {
namespace {

struct Options {
    enum class Mode { play, record, watch, open, headless };
    Mode mode = Mode::play;
    std::optional<std::uint32_t> seed;
    bool noMusic = false;
    QString recordPath;
    QString reportPath;  // play and record: the live report; headless: the replay's
    HeadlessRunOptions headless;
};

// The options, or the exit status of a command line that is refused.
std::variant<Options, int> readCommandLine(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Brivane, an arcade game of loops and particles."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed the random generator with <n>."),
                                        QStringLiteral("n"));
    const QCommandLineOption noMusicOption(QStringLiteral("nomusic"),
                                           QStringLiteral("Play without the music."));
    const QCommandLineOption recordOption(QStringLiteral("record"),
                                          QStringLiteral("Play, recording every input to <file>."),
                                          QStringLiteral("file"));
    const QCommandLineOption replayOption(QStringLiteral("replay"),
                                          QStringLiteral("Watch the recorded game in <file>."),
                                          QStringLiteral("file"));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("Run the --replay file without a window, as fast as possible, and print "
                       "a summary line."));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("Write one JSON line per pass to <file>, for a replay run headless or a "
                       "game played in the window."),
        QStringLiteral("file"));
    const QCommandLineOption particlesOption(
        QStringLiteral("report-particles"),
        QStringLiteral("With --report: list every particle in each line."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("With --headless: save the playfield after pass PASS as a PNG (may be "
                       "repeated)."),
        QStringLiteral("PASS:OUT.png"));
    const QCommandLineOption passesOption(
        QStringLiteral("passes"),
        QStringLiteral("With --headless: run <n> passes (default: through the file's last)."),
        QStringLiteral("n"));
    for (const QCommandLineOption* o :
         {&seedOption, &noMusicOption, &recordOption, &replayOption, &headlessOption, &reportOption,
          &particlesOption, &screenshotOption, &passesOption}) {
        parser.addOption(*o);
    }
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A replay file to watch, given alone."),
                                 QStringLiteral("[FILE.replay]"));
    parser.process(app);

    const auto refuse = [](const char* text) {
        std::fprintf(stderr, "brivane: %s\n", text);
        return 2;
    };
    Options o;
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        if (files.size() > 1 || !parser.optionNames().isEmpty()) {
            return refuse("a replay file to watch is given alone, without options");
        }
        o.mode = Options::Mode::open;
        o.headless.replayPath = files.front();
        return o;
    }
    o.noMusic = parser.isSet(noMusicOption);
    o.reportPath = parser.value(reportOption);
    o.headless.reportParticles = parser.isSet(particlesOption);
    if (parser.isSet(headlessOption)) {
        if (!parser.isSet(replayOption)) {
            return refuse("--headless needs --replay FILE");
        }
        o.mode = Options::Mode::headless;
        o.headless.replayPath = parser.value(replayOption);
        o.headless.reportPath = o.reportPath;
        for (const QString& text : parser.values(screenshotOption)) {
            const auto shot = parseScreenshotRequest(text);
            if (!shot) {
                return refuse("--screenshot takes PASS:OUT.png, PASS a whole number from 1");
            }
            o.headless.screenshots.push_back(*shot);
        }
        if (parser.isSet(passesOption)) {
            bool ok = false;
            o.headless.passes = parser.value(passesOption).toInt(&ok);
            if (!ok || o.headless.passes < 1) {
                return refuse("--passes takes a whole number from 1");
            }
        }
        return o;
    }
    if (parser.isSet(screenshotOption) || parser.isSet(passesOption)) {
        return refuse("--screenshot and --passes need --headless");
    }
    if (parser.isSet(particlesOption) && !parser.isSet(reportOption)) {
        return refuse("--report-particles needs --report FILE");
    }
    if (parser.isSet(replayOption)) {
        if (parser.isSet(recordOption)) {
            return refuse("--replay and --record cannot be combined");
        }
        if (parser.isSet(reportOption)) {
            return refuse("--replay writes a report only with --headless");
        }
        o.mode = Options::Mode::watch;
        o.headless.replayPath = parser.value(replayOption);
        return o;
    }
    if (parser.isSet(seedOption)) {
        bool ok = false;
        o.seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            return refuse("--seed takes a whole number from 0 to 4294967295");
        }
    }
    if (parser.isSet(recordOption)) {
        o.mode = Options::Mode::record;
        o.recordPath = parser.value(recordOption);
    }
    return o;
}

bool openForWriting(std::ofstream& file, const QString& path, const char* option) {
    file.open(path.toStdString(), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "brivane: %s: cannot write the file\n", option);
    }
    return static_cast<bool>(file);
}

// Runs the game in its window until the program ends. The report of a game played in the
// window is written line by line as passes end, and once more when the program ends inside a
// pass, since its process stops right there; a replay of its recording reports the same lines.
int runInWindow(const Options& o, QtPlatform& platform, WiredGame<>& game,
                ReplayRecorder* recorder) {
    std::ofstream reportFile;
    if (!o.reportPath.isEmpty() && !openForWriting(reportFile, o.reportPath, "--report")) {
        return 2;
    }
    const auto report = [&](int pass) {
        if (reportFile.is_open()) {
            reportFile << passReport(game.g, pass, platform.statusText(),
                                     o.headless.reportParticles)
                       << '\n';
            reportFile.flush();
            if (!reportFile) {
                // A full disk or a reader gone away ends the report, not the game.
                std::fprintf(stderr,
                             "brivane: --report: cannot write the file; the report stops\n");
                reportFile.close();
            }
        }
    };
    platform.onProgramEnd = [&] { report(platform.yields().pass()); };
    const QuitRequests quitRequests(platform);
    startUp(game.g);
    mainLoop(game.g, [&] { report(platform.yields().pass() - 1); });
    if (recorder != nullptr) {
        recorder->finish(platform.yields().pass() - 1);
    }
    return 0;
}

void setUpGame(const Options& o, GameState& g) {
    g.fixedSeed = o.seed;
    if (o.noMusic) {
        g.commandText = "nomusic";
    }
}

// Plays in the window. Every game is recorded for the kept replays, by a keeper between the
// platform and the game's handlers; with --record a recorder in front of it writes the same
// inputs to the file named as well.
int play(const Options& o) {
    std::ofstream file;
    const bool recording = o.mode == Options::Mode::record;
    if (recording && !openForWriting(file, o.recordPath, "--record")) {
        return 2;
    }
    registerGameFonts();
    QtPlatform platform(QtPlatform::Options{});
    WiredGame<> game(platform);
    setUpGame(o, game.g);
    // A recording's header needs the seed before start-up would choose it.
    game.g.fixedSeed = startingSeed(game.g);
    platform.loadWindow();
    const Replay header = recordingHeader(platform, *game.g.fixedSeed);
    ReplayKeeper keeper(platform, game.events, game.g, platform.yields(), header);
    std::optional<ReplayRecorder> recorder;
    if (recording) {
        recorder.emplace(file, keeper, game.g, platform.yields(), header);
        recorder->onWriteFailed = [] {
            std::fprintf(stderr, "brivane: --record: cannot write the file; the recording stops\n");
        };
    }
    ReplayRecorder* named = recorder ? &*recorder : nullptr;
    platform.setEventSink(named != nullptr ? static_cast<EventSink*>(named) : &keeper);
    platform.onFrameYield = [&keeper, named](int pass) {
        if (named != nullptr) {
            named->frameYieldStarting(pass);
        }
        keeper.frameYieldStarting(pass);
    };
    platform.onDialogAnswer = [&keeper, named](const std::string& answer) {
        if (named != nullptr) {
            named->dialogAnswered(answer);
        }
        keeper.dialogAnswered(answer);
    };
    platform.onResize = [&keeper, named](int w, int h) {
        if (named != nullptr) {
            named->windowResized(w, h);
        }
        keeper.windowResized(w, h);
    };
    platform.onGameOver = [&keeper](const GameOver& over) { keeper.gameOver(over); };
    return runInWindow(o, platform, game, named);
}

int watch(const Options& o) {
    registerGameFonts();
    return runReplayWindow(o.headless.replayPath);
}

// A replay file named alone, as a file manager opens one: the viewer, or the reason it cannot
// be watched.
int open(const QString& path) {
    registerGameFonts();
    openReplayViewer(path, nullptr);
    const QWidgetList shown = QApplication::topLevelWidgets();
    if (std::none_of(shown.begin(), shown.end(), [](QWidget* w) { return w->isVisible(); })) {
        return 2;
    }
    return QApplication::exec();
}

int runHeadless(const Options& o) {
    return runHeadlessReplay(o.headless, std::cout);
}

// Qt aborts when it finds no display to open a window on, after several lines of its own. The
// player is told in one line what is missing instead, and the game ends with status 1. What
// Qt says while the application starts is held back, and said after all once it has started.
struct StartingQt {
    static inline QStringList heldBack;
    static inline QtMessageHandler previous = nullptr;

    static std::string missing() {
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        if (display.isEmpty() && wayland.isEmpty()) {
            return "no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set";
        }
        const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
        if (display.isEmpty() &&
            !QFileInfo::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so"))) {
            return "no display to open the window on: this Wayland session (WAYLAND_DISPLAY=" +
                   wayland.toStdString() +
                   ") needs Qt's Wayland plugin, and DISPLAY is not set for X11";
        }
        return "cannot reach the display (DISPLAY=" + display.toStdString() +
               ", WAYLAND_DISPLAY=" + wayland.toStdString() + ")";
    }

    static void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "brivane: %s\n", missing().c_str());
            std::fflush(stderr);
            std::_Exit(1);
        }
        heldBack.append(qFormatLogMessage(type, context, text));
    }

    StartingQt() { previous = qInstallMessageHandler(onMessage); }
    ~StartingQt() {
        qInstallMessageHandler(previous);
        for (const QString& line : heldBack) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        }
        heldBack.clear();
    }
};

}  // namespace
}  // namespace brivane

int main(int argc, char* argv[]) {
    // A report or recording piped to a reader that goes away must not kill the game (and its
    // unsaved score) with SIGPIPE: the write fails instead, and is said once.
    std::signal(SIGPIPE, SIG_IGN);
    // The headless runner, --help and --version need no display at all.
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--headless", "--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0) {
                setenv("QT_QPA_PLATFORM", "offscreen", 1);
            }
        }
    }
    std::optional<brivane::StartingQt> starting(std::in_place);
    QApplication app(argc, argv);
    starting.reset();
    QApplication::setApplicationName(QStringLiteral("brivane"));
    QApplication::setOrganizationName(QStringLiteral("brivane"));
    // Ties the windows to the installed desktop entry (its icon and name, on Wayland too).
    brivane::setUpApplicationIdentity();
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(brivane::versionMajor)
                                            .arg(brivane::versionMinor)
                                            .arg(brivane::versionRevision));
    const auto options = brivane::readCommandLine(app);
    if (const int* status = std::get_if<int>(&options)) {
        return *status;
    }
    const brivane::Options& o = std::get<brivane::Options>(options);
    switch (o.mode) {
        case brivane::Options::Mode::play:
        case brivane::Options::Mode::record:
            return brivane::play(o);
        case brivane::Options::Mode::watch:
            return brivane::watch(o);
        case brivane::Options::Mode::open:
            return brivane::open(o.headless.replayPath);
        case brivane::Options::Mode::headless:
            return brivane::runHeadless(o);
    }
    return 0;
}
