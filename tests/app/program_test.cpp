// The qx580 program as a user starts it: a picture of its window on the simulated devices, no
// session bus, a bad command line, and a second start while one runs.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app_fixture.h"

namespace qx::app::test {
namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

QProcessEnvironment ProgramEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    return env;
}

ProgramRun RunProgram(const QStringList& args, const QProcessEnvironment& env,
                      int timeoutMs = 20000) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QX580_PATH), args);
    ProgramRun run;
    if (!program.waitForFinished(timeoutMs)) {
        program.kill();
        program.waitForFinished();
        return run;
    }
    run.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.out = QString::fromUtf8(program.readAllStandardOutput());
    run.err = QString::fromUtf8(program.readAllStandardError());
    return run;
}

TEST(Program, ScreenshotWithoutASessionBusSaysOnceThatTheBusFeaturesAreOff) {
    QTemporaryDir home;
    QProcessEnvironment env = ProgramEnvironment(home);
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    const QString picture = home.filePath("shot.png");
    const ProgramRun run = RunProgram({"--simulate", "--screenshot", picture}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err.count("no session bus"), 1) << run.err.toStdString();
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 1000);
    EXPECT_GE(image.height(), 640);
}

// Without a graphical session: one line that says so and how to run it, status 1; help needs no
// display.
TEST(Program, WithoutADisplayItSaysSoInOneLine) {
    QTemporaryDir home;
    QProcessEnvironment env = ProgramEnvironment(home);
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    const ProgramRun run = RunProgram({"--simulate"}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("needs a graphical session")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("xvfb-run")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("reinstall")) << run.err.toStdString();
    EXPECT_EQ(RunProgram({"--help"}, env).exitCode, 0);
}

TEST(Program, BadCommandLineIsAUsageError) {
    QTemporaryDir home;
    const ProgramRun run = RunProgram({"--screenshot"}, ProgramEnvironment(home));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("usage: qx580")) << run.err.toStdString();
    const ProgramRun unwritable = RunProgram(
        {"--simulate", "--screenshot", "/nonexistent/shot.png"}, ProgramEnvironment(home));
    EXPECT_EQ(unwritable.exitCode, 1) << unwritable.err.toStdString();
}

}  // namespace
}  // namespace qx::app::test
