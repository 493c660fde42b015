// The replay commands end to end: the headless runner's summary, report, screenshots and exit
// status, in process and through the program itself, and the shipped demo.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include "platform/qt/replay_cli.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

using test::readFile;
using test::writeFile;

TEST(HeadlessReplay, ReportsAndScreenshotsRepeatExactly) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath =
        writeFile(dir.filePath("g.replay"),
                  "brivane-replay 1\nseed 11\nat 1 move 4000 3000\n"
                  "at 3 move 4400 3100\nat 5 menu mnuFileJumpLevel 1\npass 90 16\n");
    options.reportParticles = true;
    for (const QString& run : QStringList{"a", "b"}) {
        options.reportPath = dir.filePath(run + ".jsonl");
        options.screenshots = {{1, dir.filePath(run + "1.png")},
                               {60, dir.filePath(run + "60.png")}};
        EXPECT_EQ(runHeadlessReplay(options), 0);
    }
    const QByteArray report = readFile(dir.filePath("a.jsonl"));
    EXPECT_EQ(report.count('\n'), 90);
    EXPECT_EQ(report, readFile(dir.filePath("b.jsonl")));
    for (const char* shot : {"1.png", "60.png"}) {
        const QImage a(dir.filePath(QString("a") + shot));
        ASSERT_FALSE(a.isNull()) << shot;
        EXPECT_EQ(a.size(), QSize(597, 441));
        EXPECT_EQ(a, QImage(dir.filePath(QString("b") + shot))) << shot;
    }
    // Different passes show different scenes: the screenshots are not of a blank playfield.
    EXPECT_NE(QImage(dir.filePath("a1.png")), QImage(dir.filePath("a60.png")));
}

TEST(HeadlessReplay, MalformedOrMissingFileExitsTwoAndWritesNothing) {
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.replayPath = writeFile(dir.filePath("bad.replay"), "brivane-replay 1\nat 2 fly\n");
    options.reportPath = dir.filePath("r.jsonl");
    options.screenshots = {{1, dir.filePath("s.png")}};
    EXPECT_EQ(runHeadlessReplay(options), 2);
    options.replayPath = dir.filePath("missing.replay");
    EXPECT_EQ(runHeadlessReplay(options), 2);
    EXPECT_FALSE(QFileInfo::exists(options.reportPath));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("s.png")));

    std::string error;
    EXPECT_FALSE(loadReplayFile(writeFile(dir.filePath("e.replay"), ""), error));
    EXPECT_NE(error.find("line 1: empty file"), std::string::npos) << error;
}

TEST(HeadlessReplay, ScreenshotRequests) {
    const struct {
        const char* text;
        int pass;  // -1: refused
    } cases[] = {{"12:out.png", 12}, {"1:a:b.png", 1}, {"0:out.png", -1},
                 {"x:out.png", -1},  {"12:", -1},      {"out.png", -1}};
    for (const auto& c : cases) {
        const auto r = parseScreenshotRequest(c.text);
        EXPECT_EQ(r ? r->pass : -1, c.pass) << c.text;
    }
}

// The program itself: summary line on stdout, exit status, the demo's loops catching balls.
TEST(HeadlessReplay, ProgramRunsTheDemoHeadless) {
    const QString program = QCoreApplication::applicationDirPath() + "/brivane";
    QString demo;
    for (QDir dir(QCoreApplication::applicationDirPath()); demo.isEmpty() && dir.cdUp();) {
        if (dir.exists("examples/demo.replay")) {
            demo = dir.filePath("examples/demo.replay");
        }
    }
    if (!QFileInfo::exists(program) || demo.isEmpty()) {
        GTEST_SKIP() << "the program or the demo is not beside the tests";
    }
    QTemporaryDir dir;
    QProcess p;
    p.start(program, {"--headless", "--replay", demo, "--report", dir.filePath("d.jsonl")});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(out.startsWith("passes=")) << out.toStdString();
    const QStringList fields = out.split(QLatin1Char(' '));
    ASSERT_EQ(fields.size(), 6) << out.toStdString();
    EXPECT_GT(fields[2].section(QLatin1Char('='), 1).toDouble(), 0.0) << out.toStdString();

    QProcess bad;
    bad.start(program, {"--headless", "--replay",
                        writeFile(dir.filePath("b.replay"), "brivane-replay 1\nseed x\n")});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(bad.readAllStandardError().contains("line 2: bad seed"));
}

}  // namespace
}  // namespace brivane
