// Entry point: reads the command line, brings up the Qt platform and runs the game.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "core/events.h"
#include "core/game.h"
#include "core/game_state.h"
#include "platform/qt/qt_platform.h"
#include "platform/render/playfield_image.h"
#include "version.h"

int main(int argc, char* argv[]) {
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
    parser.addOption(seedOption);
    parser.addOption(noMusicOption);
    parser.process(app);

    brivane::registerGameFonts();
    brivane::QtPlatform platform(brivane::QtPlatform::Options{});
    brivane::GameState game(platform);
    if (parser.isSet(seedOption)) {
        bool ok = false;
        const uint seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            std::fputs("brivane: --seed takes a whole number from 0 to 4294967295\n", stderr);
            return 2;
        }
        game.fixedSeed = seed;
    }
    if (parser.isSet(noMusicOption)) {
        game.commandText = "nomusic";
    }
    brivane::GameEvents events(game);
    platform.setEventSink(&events);
    brivane::startUp(game);
    brivane::mainLoop(game);
    return 0;
}
