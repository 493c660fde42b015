// The replay commands end to end: the headless runner's summary, report, screenshots and exit
// status, in process and through the program itself, and the shipped demo.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/qt/replay_cli.h"

namespace brivane {
namespace {

const char* const game =
    "brivane-replay 1\nseed 11\nat 1 move 4000 3000\nat 3 move 4400 3100\n"
    "at 5 menu mnuFileJumpLevel 1\npass 90 16\n";

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The shipped example, found from the build tree upwards.
QString demoPath() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int i = 0; i < 6; ++i) {
        if (dir.exists(QStringLiteral("examples/demo.replay"))) {
            return dir.filePath(QStringLiteral("examples/demo.replay"));
        }
        if (!dir.cdUp()) {
            break;
        }
    }
    return {};
}

TEST(HeadlessReplay, ReportsAndScreenshotsRepeatExactly) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath = write(dir, QStringLiteral("g.replay"), game);
    options.reportParticles = true;
    for (const QString& run : {QStringLiteral("a"), QStringLiteral("b")}) {
        options.reportPath = dir.filePath(run + QStringLiteral(".jsonl"));
        options.screenshots = {{1, dir.filePath(run + QStringLiteral("1.png"))},
                               {60, dir.filePath(run + QStringLiteral("60.png"))}};
        EXPECT_EQ(runHeadlessReplay(options), 0);
    }
    const QByteArray report = readAll(dir.filePath(QStringLiteral("a.jsonl")));
    EXPECT_EQ(report.count('\n'), 90);
    EXPECT_EQ(report, readAll(dir.filePath(QStringLiteral("b.jsonl"))));
    for (const char* shot : {"1.png", "60.png"}) {
        const QImage a(dir.filePath(QStringLiteral("a") + QLatin1String(shot)));
        const QImage b(dir.filePath(QStringLiteral("b") + QLatin1String(shot)));
        ASSERT_FALSE(a.isNull()) << shot;
        EXPECT_EQ(a.size(), QSize(597, 441));
        EXPECT_EQ(a, b) << shot;
    }
    // Different passes show different scenes: the screenshots are not of a blank playfield.
    EXPECT_NE(QImage(dir.filePath(QStringLiteral("a1.png"))),
              QImage(dir.filePath(QStringLiteral("a60.png"))));
}

TEST(HeadlessReplay, MalformedOrMissingFileExitsTwoAndWritesNothing) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath = write(dir, QStringLiteral("bad.replay"), "brivane-replay 1\nat 2 fly\n");
    options.reportPath = dir.filePath(QStringLiteral("r.jsonl"));
    options.screenshots = {{1, dir.filePath(QStringLiteral("s.png"))}};
    EXPECT_EQ(runHeadlessReplay(options), 2);
    options.replayPath = dir.filePath(QStringLiteral("missing.replay"));
    EXPECT_EQ(runHeadlessReplay(options), 2);
    EXPECT_FALSE(QFileInfo::exists(options.reportPath));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("s.png"))));

    std::string error;
    EXPECT_FALSE(loadReplayFile(write(dir, QStringLiteral("e.replay"), ""), error));
    EXPECT_NE(error.find("line 1: empty file"), std::string::npos) << error;
}

TEST(HeadlessReplay, ScreenshotRequests) {
    struct Case {
        const char* text;
        bool ok;
        int pass;
    };
    for (const Case& c :
         {Case{"12:out.png", true, 12}, Case{"1:a:b.png", true, 1}, Case{"0:out.png", false, 0},
          Case{"x:out.png", false, 0}, Case{"12:", false, 0}, Case{"out.png", false, 0}}) {
        const auto r = parseScreenshotRequest(QString::fromLatin1(c.text));
        EXPECT_EQ(r.has_value(), c.ok) << c.text;
        if (r) {
            EXPECT_EQ(r->pass, c.pass) << c.text;
        }
    }
}

// The program itself: summary line on stdout, exit status, the demo's loops catching balls.
TEST(HeadlessReplay, ProgramRunsTheDemoHeadless) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/brivane");
    const QString demo = demoPath();
    if (!QFileInfo::exists(program) || demo.isEmpty()) {
        GTEST_SKIP() << "the program or the demo is not beside the tests";
    }
    QTemporaryDir dir;
    QProcess p;
    p.start(program, {QStringLiteral("--headless"), QStringLiteral("--replay"), demo,
                      QStringLiteral("--report"), dir.filePath(QStringLiteral("d.jsonl"))});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(out.startsWith(QStringLiteral("passes="))) << out.toStdString();
    const QStringList fields = out.split(QLatin1Char(' '));
    ASSERT_EQ(fields.size(), 6) << out.toStdString();
    EXPECT_GT(fields[2].section(QLatin1Char('='), 1).toDouble(), 0.0) << out.toStdString();

    QProcess bad;
    bad.start(program, {QStringLiteral("--headless"), QStringLiteral("--replay"),
                        write(dir, QStringLiteral("b.replay"), "brivane-replay 1\nseed x\n")});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(bad.readAllStandardError().contains("line 2: bad seed"));
}

}  // namespace
}  // namespace brivane
