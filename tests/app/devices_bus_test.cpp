// The device interface of the real program, reached as scripts reach it: qx580 --simulate runs
// on a private session bus and qx580ctl lists the devices and acts on their profiles through it;
// without a program qx580ctl works on the files and says so.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

namespace {

struct CtlRun {
    int status = -1;
    QString out;
    QString err;
};

QProcessEnvironment Environment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QX580_HID");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    return env;
}

CtlRun Ctl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QX580CTL_PATH), args);
    CtlRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonObject DeviceOf(const CtlRun& run, const QString& name) {
    for (const QJsonValue& device : QJsonDocument::fromJson(run.out.toUtf8())["devices"].toArray())
        if (device["device"].toString() == name) return device.toObject();
    return {};
}

TEST(DevicesOnTheBus, QxctlGoesThroughTheRunningProgramAndSaysSo) {
    QTemporaryDir home;
    const QProcessEnvironment env = Environment(home);
    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardErrorFile(home.filePath("err.txt"));
    program.start(QStringLiteral(QX580_PATH), {"--simulate"});
    ASSERT_TRUE(program.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    CtlRun list;
    while (clock.elapsed() < 30000) {
        list = Ctl(env, {"devices", "--json", "--verbose"});
        if (DeviceOf(list, "keyboard")["online"].toBool()) break;
        QThread::msleep(200);
    }
    const QJsonObject keyboard = DeviceOf(list, "keyboard");
    ASSERT_TRUE(keyboard["online"].toBool()) << list.out.toStdString() << list.err.toStdString();
    EXPECT_TRUE(list.err.contains("asking the running program"));
    EXPECT_EQ(keyboard["connection"].toString(), "cable");
    EXPECT_EQ(keyboard["profiles"].toArray(), QJsonArray{"profile1"});
    EXPECT_EQ(keyboard["selected"].toInt(), 0);

    EXPECT_EQ(Ctl(env, {"profile", "--device", "keyboard", "new"}).status, 0);
    const CtlRun chosen = Ctl(env, {"profile", "--device", "keyboard", "select", "1", "--verbose"});
    EXPECT_EQ(chosen.status, 0) << chosen.err.toStdString();
    EXPECT_TRUE(chosen.err.contains("done by the running program"));
    const QJsonObject after = DeviceOf(Ctl(env, {"devices", "--json"}), "keyboard");
    EXPECT_EQ(after["profiles"].toArray(), (QJsonArray{"profile1", "profile2"}));
    EXPECT_EQ(after["selected"].toInt(), 1) << "the window's panel holds the selection";

    const CtlRun outOfRange = Ctl(env, {"profile", "--device", "keyboard", "select", "9"});
    EXPECT_EQ(outOfRange.status, 1);
    EXPECT_TRUE(outOfRange.err.contains("there is no profile 9"));
    const CtlRun unknown = Ctl(env, {"profile", "--device", "toaster", "list"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("unknown device \"toaster\""));
    const CtlRun rename = Ctl(env, {"profile", "--device", "keyboard", "rename", "PROFILE1"});
    EXPECT_EQ(rename.status, 3) << rename.err.toStdString();

    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
    program.waitForFinished();

    // No program: the files, said with --verbose; the selection made above is in them.
    QProcessEnvironment offline = env;
    offline.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    const CtlRun direct = Ctl(offline, {"devices", "--json", "--verbose"});
    EXPECT_EQ(direct.status, 0) << direct.err.toStdString();
    EXPECT_TRUE(direct.err.contains("reading the files and devices directly"));
    EXPECT_EQ(DeviceOf(direct, "keyboard")["selected"].toInt(), 1);
    EXPECT_FALSE(DeviceOf(direct, "keyboard")["online"].toBool());
}

}  // namespace
