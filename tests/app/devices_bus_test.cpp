// The device interface of the real program, reached as scripts reach it: qx580 --simulate runs
// on a private session bus and qx580ctl lists the devices and acts on their profiles through it;
// without a program qx580ctl works on the files and says so.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

QJsonObject DeviceOf(const CtlRun& run, const QString& name) {
    for (const QJsonValue& device : QJsonDocument::fromJson(run.out.toUtf8())["devices"].toArray())
        if (device["device"].toString() == name) return device.toObject();
    return {};
}

TEST(DevicesOnTheBus, QxctlGoesThroughTheRunningProgramAndSaysSo) {
    QTemporaryDir home;
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    QElapsedTimer clock;
    clock.start();
    CtlRun list;
    while (clock.elapsed() < 30000) {
        list = Ctl(env, {"devices", "--json", "--verbose"});
        if (DeviceOf(list, "keyboard")["online"].toBool()) break;
        QThread::msleep(200);
    }
    const QJsonObject keyboard = DeviceOf(list, "keyboard");
    ASSERT_TRUE(keyboard["online"].toBool())
        << list.out.toStdString() << list.err.toStdString() << "\n--- qx580:\n"
        << Tail(home.filePath("err.txt"));
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

    program.Stop();

    // No program: the files, said with --verbose; the selection made above is in them.
    QProcessEnvironment offline = env;
    offline.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    const CtlRun direct = Ctl(offline, {"devices", "--json", "--verbose"});
    EXPECT_EQ(direct.status, 0) << direct.err.toStdString();
    EXPECT_TRUE(direct.err.contains("reading the files and devices directly"));
    EXPECT_EQ(DeviceOf(direct, "keyboard")["selected"].toInt(), 1);
    EXPECT_FALSE(DeviceOf(direct, "keyboard")["online"].toBool());
}

// Waits until the program lists `device` on-line; the last list.
CtlRun WaitOnline(const QProcessEnvironment& env, const QString& device) {
    QElapsedTimer clock;
    clock.start();
    CtlRun list;
    while (clock.elapsed() < 30000) {
        list = Ctl(env, {"devices", "--json"});
        if (DeviceOf(list, device)["online"].toBool()) break;
        QThread::msleep(200);
    }
    return list;
}

// Waits until the keyboard's first contact has read its settings block (a ReadConfig in its log):
// from then on the program holds the keyboard's profile.
bool WaitFirstContact(const QProcessEnvironment& env) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        const CtlRun log = Ctl(env, {"sim", "log", "keyboard", "--json"});
        for (const QJsonValue& entry :
             QJsonDocument::fromJson(log.out.toUtf8())["requests"].toArray())
            if (entry["name"].toString() == "ReadConfig") return true;
        QThread::msleep(200);
    }
    return false;
}

// An option set from a script reaches the keyboard (its memory), the window and the profile file,
// and is still there after the program starts again.
TEST(DevicesOnTheBus, KeyboardOptionSetThroughTheProgramReachesTheKeyboardAndStays) {
    QTemporaryDir home;
    const QProcessEnvironment env = Environment(home);
    const auto start = [&](QProcess& program) {
        program.setProcessEnvironment(env);
        program.setStandardErrorFile(home.filePath("err.txt"));
        program.start(QStringLiteral(QX580_PATH), {"--simulate"});
        return program.waitForStarted();
    };
    const auto stop = [](QProcess& program) {
        program.terminate();
        if (!program.waitForFinished(qx::test::Patience(10000))) program.kill();
        program.waitForFinished();
    };
    constexpr int kWinLockByte = 21;  // of profile 0's settings block
    {
        QProcess program;
        ASSERT_TRUE(start(program));
        ASSERT_TRUE(DeviceOf(WaitOnline(env, "keyboard"), "keyboard")["online"].toBool())
            << Tail(home.filePath("err.txt"));
        ASSERT_TRUE(WaitFirstContact(env)) << Tail(home.filePath("err.txt"));
        const CtlRun before = Ctl(env, {"sim", "mem", "keyboard", "config",
                                        QString::number(kWinLockByte), "1", "--json"});
        ASSERT_EQ(before.status, 0) << before.err.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(before.out.toUtf8()).array(), QJsonArray{0});
        const CtlRun set = Ctl(env, {"keyboard", "set", "winlock", "on"});
        EXPECT_EQ(set.status, 0) << set.err.toStdString();
        const CtlRun after = Ctl(env, {"sim", "mem", "keyboard", "config",
                                       QString::number(kWinLockByte), "1", "--json"});
        EXPECT_EQ(QJsonDocument::fromJson(after.out.toUtf8()).array(), QJsonArray{1})
            << "the keyboard's settings block has the lock";
        const CtlRun state = Ctl(env, {"ui", "state", "winlockflag_option"});
        EXPECT_TRUE(state.out.contains("\"checked\": true") ||
                    state.out.contains("\"checked\":true"))
            << state.out.toStdString() << state.err.toStdString();
        EXPECT_EQ(Ctl(env, {"keyboard", "set", "repeat-rate", "2"}).status, 0);

        // The lighting-control button: off, then on again, which resumes the keyboard's own
        // lighting with exactly one 0x1C.
        const auto resumes = [&] {
            int count = 0;
            const CtlRun log = Ctl(env, {"sim", "log", "keyboard", "--json"});
            for (const QJsonValue& entry :
                 QJsonDocument::fromJson(log.out.toUtf8())["requests"].toArray())
                count += entry["command"].toInt() == 0x1C;
            return count;
        };
        const int resumesBefore = resumes();
        EXPECT_EQ(Ctl(env, {"ui", "click", "control_light_status"}).status, 0);
        EXPECT_EQ(Ctl(env, {"ui", "click", "control_light_status"}).status, 0);
        QElapsedTimer waited;
        waited.start();
        while (resumes() == resumesBefore && waited.elapsed() < qx::test::Patience(5000))
            QThread::msleep(100);
        EXPECT_EQ(resumes(), resumesBefore + 1);
        const CtlRun refused = Ctl(env, {"keyboard", "set", "polling-rate", "333"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(refused.err.contains("125, 250, 500, 1000")) << refused.err.toStdString();
        stop(program);
        // The profile file has it.
        const QDir folder(home.filePath("data/MIRVEL QX-580 Device/keyboard"));
        const QStringList profiles = folder.entryList({"*.Json"}, QDir::Files);
        ASSERT_EQ(profiles.size(), 1) << folder.path().toStdString();
        QFile file(folder.filePath(profiles.front()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject stages =
            QJsonDocument::fromJson(file.readAll())["Device"][0]["SystemStages"].toObject();
        EXPECT_EQ(stages["WinFlag"].toInt(), 1);
        EXPECT_EQ(stages["Repeat"].toInt(), 2);
    }
    {
        // A new program on a new simulated keyboard: the repeat rate is the profile's (the
        // keyboard does not keep it); the flags are the keyboard's own, as first contact reads
        // them from its settings block.
        QProcess program;
        ASSERT_TRUE(start(program));
        ASSERT_TRUE(DeviceOf(WaitOnline(env, "keyboard"), "keyboard")["online"].toBool());
        ASSERT_TRUE(WaitFirstContact(env));
        const CtlRun get = Ctl(env, {"keyboard", "get", "--json"});
        EXPECT_EQ(get.status, 0) << get.err.toStdString();
        const QJsonDocument options = QJsonDocument::fromJson(get.out.toUtf8());
        bool found = false;
        for (const QJsonValue& option : options["options"].toArray()) {
            if (option["name"].toString() != "repeat-rate") continue;
            found = true;
            EXPECT_EQ(option["value"].toString(), "2") << "kept in the profile file";
        }
        EXPECT_TRUE(found) << get.out.toStdString();
        stop(program);
    }
}

}  // namespace
