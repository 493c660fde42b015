// Entry point: reads the command line, then plays the game in its window (recording it when
// asked), watches a replay in a window, or runs a replay headless.
#include <QApplication>
#include <QCommandLineParser>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "core/events.h"
#include "core/game.h"
#include "core/game_state.h"
#include "core/scores.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/replay_cli.h"
#include "platform/render/playfield_image.h"
#include "replay/pass_report.h"
#include "replay/replay_recorder.h"
#include "settings/settings_store.h"
#include "version.h"

namespace {

// The header of a recording: what the game is about to start from, read the way start-up
// reads it (the settings store and the high-score file) without starting anything.
brivane::Replay recordingHeader(brivane::QtPlatform& platform, std::uint32_t seed) {
    brivane::GameState scratch(platform);
    brivane::loadScores(scratch);
    brivane::Replay header;
    header.seed = seed;
    header.playfieldWidth = platform.playfieldWidth();
    header.playfieldHeight = platform.playfieldHeight();
    header.autoSpeed = brivane::readAutoSpeed(scratch);
    header.userSpeed = brivane::readUserSpeed(scratch);
    header.highLevel = std::max<int>(0, scratch.highLevel);
    header.highScore = std::max(0.0, std::floor(scratch.highScore));
    return header;
}

int fail(const char* text) {
    std::fprintf(stderr, "brivane: %s\n", text);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The headless runner, --help and --version need no display at all.
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--headless", "--help", "-h", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0) {
                setenv("QT_QPA_PLATFORM", "offscreen", 1);
            }
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("brivane"));
    QApplication::setOrganizationName(QStringLiteral("brivane"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(brivane::versionMajor)
                                            .arg(brivane::versionMinor)
                                            .arg(brivane::versionRevision));

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
    parser.process(app);

    if (parser.isSet(headlessOption)) {
        if (!parser.isSet(replayOption)) {
            return fail("--headless needs --replay FILE");
        }
        brivane::HeadlessRunOptions options;
        options.replayPath = parser.value(replayOption);
        options.reportPath = parser.value(reportOption);
        options.reportParticles = parser.isSet(particlesOption);
        for (const QString& text : parser.values(screenshotOption)) {
            const auto shot = brivane::parseScreenshotRequest(text);
            if (!shot) {
                return fail("--screenshot takes PASS:OUT.png, PASS a whole number from 1");
            }
            options.screenshots.push_back(*shot);
        }
        if (parser.isSet(passesOption)) {
            bool ok = false;
            options.passes = parser.value(passesOption).toInt(&ok);
            if (!ok || options.passes < 1) {
                return fail("--passes takes a whole number from 1");
            }
        }
        return brivane::runHeadlessReplay(options);
    }
    for (const QCommandLineOption* o : {&screenshotOption, &passesOption}) {
        if (parser.isSet(*o)) {
            return fail("--screenshot and --passes need --headless");
        }
    }
    if (parser.isSet(particlesOption) && !parser.isSet(reportOption)) {
        return fail("--report-particles needs --report FILE");
    }
    if (parser.isSet(replayOption)) {
        if (parser.isSet(recordOption)) {
            return fail("--replay and --record cannot be combined");
        }
        if (parser.isSet(reportOption)) {
            return fail("--replay writes a report only with --headless");
        }
        brivane::registerGameFonts();
        return brivane::runReplayWindow(parser.value(replayOption));
    }

    std::optional<std::uint32_t> seed;
    if (parser.isSet(seedOption)) {
        bool ok = false;
        seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            return fail("--seed takes a whole number from 0 to 4294967295");
        }
    }

    brivane::registerGameFonts();
    brivane::QtPlatform platform(brivane::QtPlatform::Options{});
    brivane::GameState game(platform);
    if (parser.isSet(noMusicOption)) {
        game.commandText = "nomusic";
    }
    brivane::GameEvents events(game);
    platform.setEventSink(&events);

    std::ofstream recordFile;
    std::unique_ptr<brivane::ReplayRecorder> recorder;
    if (parser.isSet(recordOption)) {
        recordFile.open(parser.value(recordOption).toStdString(),
                        std::ios::out | std::ios::trunc | std::ios::binary);
        if (!recordFile) {
            return fail("--record: cannot write the file");
        }
        // A recording needs its seed, so one is chosen here the way start-up would choose it.
        if (!seed) {
            seed = static_cast<std::uint32_t>(QTime::currentTime().msecsSinceStartOfDay());
        }
        platform.loadWindow();
        recorder = std::make_unique<brivane::ReplayRecorder>(
            recordFile, events, game, platform.yields(), recordingHeader(platform, *seed));
        platform.setEventSink(recorder.get());
        brivane::ReplayRecorder* r = recorder.get();
        platform.onFrameYield = [r](int pass) { r->frameYieldStarting(pass); };
        platform.onDialogAnswer = [r](const std::string& answer) { r->dialogAnswered(answer); };
        platform.onResize = [r](int w, int h) { r->windowResized(w, h); };
    }
    // The report of a game played in the window is written line by line as passes end, and
    // once more when the program ends inside a pass, since its process stops right there;
    // a replay of its recording reports the same lines.
    std::ofstream reportFile;
    if (parser.isSet(reportOption)) {
        reportFile.open(parser.value(reportOption).toStdString(),
                        std::ios::out | std::ios::trunc | std::ios::binary);
        if (!reportFile) {
            return fail("--report: cannot write the file");
        }
    }
    const bool reportParticles = parser.isSet(particlesOption);
    const auto report = [&](int pass) {
        if (reportFile.is_open()) {
            reportFile << brivane::passReport(game, pass, platform.statusText(), reportParticles)
                       << '\n';
            reportFile.flush();
        }
    };
    platform.onProgramEnd = [&] { report(platform.yields().pass()); };

    game.fixedSeed = seed;
    brivane::startUp(game);
    brivane::mainLoop(game, [&] { report(platform.yields().pass() - 1); });
    if (recorder) {
        recorder->finish(platform.yields().pass() - 1);
    }
    return 0;
}
