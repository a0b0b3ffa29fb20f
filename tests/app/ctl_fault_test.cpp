// Faults met by the running program: qx580 --simulate on a private session bus, whose simulated
// devices leave the bus in the middle of a profile apply, a macro upload and a frame stream, go
// silent, answer with error statuses or stray replies, or whose receiver switches the device
// off. After each the program still runs, answers on the bus at once (its window is not waiting
// on the device), says what failed, keeps its files readable, and takes the device back: a later
// change lands in the device's memory.
#include <gtest/gtest.h>

#include <json/json.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "ctl_fixture.h"
#include "macros/macro_store.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

// How long a bus call that touches no device may take while a device misbehaves.
constexpr qint64 kPromptMs = 2500;

// After a fault: the program runs, answers promptly, its files parse.
void ExpectUnharmed(Program& program, const QTemporaryDir& home, const QString& device) {
    ASSERT_TRUE(program.Running()) << program.Log();
    qint64 ms = 0;
    EXPECT_FALSE(program.Device(device, &ms).isEmpty());
    EXPECT_LT(ms, kPromptMs) << "the device list took " << ms << " ms";
    EXPECT_EQ(UnreadableFiles(home), "");
}

// Unplug after `count` more packets, run `args` through qx580ctl, see the device go and the user
// told (`told`: a text the message window must show, empty when the window need not show one),
// replug it and change it.
void UnplugDuring(Program& program, const QTemporaryDir& home, int count, const QStringList& args,
                  const QString& told, CtlRun* run) {
    const QProcessEnvironment& env = program.Env();
    ASSERT_EQ(Ctl(env, {"sim", "fault", "keyboard", "unplug-after", QString::number(count)}).status,
              0);
    *run = Ctl(env, args);
    EXPECT_TRUE(Eventually([&] { return !program.Online("keyboard"); }, 10000))
        << "the keyboard did not leave during " << args.join(' ').toStdString();
    ExpectUnharmed(program, home, "keyboard");
    if (!told.isEmpty()) {
        QStringList shown;
        EXPECT_TRUE(Eventually(
            [&] {
                shown += program.TakeMessages();
                return shown.join('\n').contains(told);
            },
            5000))
            << "the user was not told; shown: " << shown.join(" | ").toStdString();
    }
    ASSERT_EQ(Ctl(env, {"sim", "plug", "keyboard"}).status, 0);
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    program.CloseMessages();
    EXPECT_TRUE(program.ChangeLands("keyboard", "keyboard", 6, 100 + count));
}

TEST(Faults, UnplugInTheMiddleOfAProfileApplyAndAMacroUpload) {
    QTemporaryDir home;
    // A macro the keyboard can be given, as the macro editor saves it.
    const std::filesystem::path folder =
        std::filesystem::path(home.filePath("data").toStdString()) / "MIRVEL QX-580 Device" /
        "keyboard";
    std::filesystem::create_directories(folder);
    {
        qx::MacroStore store(folder);
        const auto macro = store.AddMacro();
        ASSERT_TRUE(macro.has_value());
        Json::Value events(Json::arrayValue);
        for (int i = 0; i < 120; ++i) {
            Json::Value event(Json::objectValue);
            event["Action"] = i % 2 ? "up" : "down";
            event["Button"] = 30 + (i / 2) % 10;
            event["Delay"] = 20;
            event["Type"] = 0;
            events.append(event);
        }
        ASSERT_TRUE(store.SaveMacro(*macro, events));
    }
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    ASSERT_EQ(Ctl(env, {"profile", "--device", "keyboard", "new"}).status, 0);

    // The profile apply: its settings block, macros and key table; the keyboard leaves on its
    // second, third and fifth packet.
    for (int count : {1, 2, 4}) {
        SCOPED_TRACE("profile select, unplug after " + std::to_string(count));
        CtlRun run;
        UnplugDuring(program, home, count, {"profile", "--device", "keyboard", "select", "0"},
                     "did not reach the device", &run);
        EXPECT_NE(run.status, -1) << "qx580ctl did not end";
    }

    // A macro upload: the key gets the macro; the keyboard leaves in the middle of the image.
    ASSERT_EQ(Ctl(env, {"sim", "log", "keyboard", "--clear"}).status, 0);
    const CtlRun plain = Ctl(env, {"key", "set", "--device", "keyboard", "B", "macro:0"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    const int macroPackets = Packets(env, "keyboard", "WriteMacros");
    ASSERT_GT(macroPackets, 1) << "the macro image did not take several packets";
    ASSERT_EQ(Ctl(env, {"key", "set", "--device", "keyboard", "B", "default"}).status, 0);
    program.CloseMessages();
    CtlRun upload;
    UnplugDuring(program, home, 3, {"key", "set", "--device", "keyboard", "A", "macro:0"}, "",
                 &upload);
    EXPECT_EQ(upload.status, 1) << "a macro the keyboard did not get was reported as done";
    EXPECT_FALSE(upload.err.trimmed().isEmpty()) << "qx580ctl did not say what failed";
    EXPECT_TRUE(program.Running());
}

TEST(Faults, UnplugInTheMiddleOfAFrameStream) {
    QTemporaryDir home;
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();

    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        QDBusConnection feed = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "feeder");
        for (int n = 0; feeding.load(); ++n) {
            if (n % 50 == 0) Call(feed, "SendMessage", {QStringLiteral("Game_Start"), 1, 30});
            const int value = 40 + (n % 100);
            Call(feed, "CopyData", {QStringLiteral("capture"), 2u, Colour(value, 255 - value, 7)});
            QThread::msleep(20);
        }
        QDBusConnection::disconnectFromBus("feeder");
    });
    const auto streams = [&] { return Packets(env, "keyboard", "StreamFrame") >= 20; };
    EXPECT_TRUE(Eventually(streams, 15000)) << "the keyboard was not streamed to";

    ASSERT_EQ(Ctl(env, {"sim", "fault", "keyboard", "unplug-after", "10"}).status, 0);
    EXPECT_TRUE(Eventually([&] { return !program.Online("keyboard"); }, 10000));
    ExpectUnharmed(program, home, "keyboard");
    ASSERT_EQ(Ctl(env, {"sim", "plug", "keyboard"}).status, 0);
    EXPECT_TRUE(Eventually(streams, 15000)) << "the frames did not come again\n" << program.Log();

    feeding.store(false);
    feeder.join();
    EXPECT_TRUE(program.Running());
}

TEST(Faults, SilenceErrorStatusesAndStrayRepliesWhileTheLightingChanges) {
    QTemporaryDir home;
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();

    struct Case {
        const char* fault;
        const char* count;
        bool fails;  // the change is refused (else it may be taken)
    };
    const Case cases[] = {
        {"silent", "0", true},
        {"status-ff", "0", true},
        {"status-fe", "0", true},
        {"stray-reply", "1", false},
    };
    int red = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(Ctl(env, {"sim", "fault", "keyboard", c.fault, c.count}).status, 0);
        // The change waits on the device on its own; meanwhile the program answers at once.
        QProcess change;
        change.setProcessEnvironment(env);
        change.start(QStringLiteral(QX580CTL_PATH),
                     {"light", "set", "--device", "keyboard", "--colour", "1,2,3"});
        ASSERT_TRUE(change.waitForStarted());
        QThread::msleep(300);
        qint64 ms = 0;
        EXPECT_TRUE(program.Device("keyboard", &ms)["online"].toBool());
        EXPECT_LT(ms, kPromptMs) << "the device list took " << ms << " ms";
        ASSERT_TRUE(change.waitForFinished(qx::test::Patience(60000)));
        const QString said = QString::fromUtf8(change.readAllStandardError());
        if (c.fails) {
            EXPECT_EQ(change.exitCode(), 1) << "a change the keyboard refused was reported done";
            EXPECT_FALSE(said.trimmed().isEmpty()) << "qx580ctl did not say what failed";
        }
        ASSERT_EQ(Ctl(env, {"sim", "fault", "keyboard", "none"}).status, 0);
        ExpectUnharmed(program, home, "keyboard");
        program.CloseMessages();
        red += 10;
        EXPECT_TRUE(program.ChangeLands("keyboard", "keyboard", 6, red)) << program.Log();
    }
}

TEST(Faults, TheReceiverSwitchesTheMouseOffAndOn) {
    QTemporaryDir home;
    Program program(home, {"--simulate=all"});
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("mouse")) << program.Log();
    // The mouse moves from its cable to its receiver.
    ASSERT_EQ(Ctl(env, {"sim", "unplug", "mouse"}).status, 0);
    ASSERT_TRUE(Eventually([&] { return !program.Online("mouse"); }, 10000));
    ASSERT_EQ(Ctl(env, {"sim", "plug", "mouse-receiver"}).status, 0);
    ASSERT_TRUE(program.WaitForContact("mouse")) << program.Log();
    ASSERT_TRUE(program.Device("mouse")["connection"].toString().contains("receiver"))
        << QJsonDocument(program.Device("mouse")).toJson().toStdString();
    EXPECT_TRUE(program.ChangeLands("mouse", "mouse-receiver", 6, 60)) << program.Log();

    ASSERT_EQ(Ctl(env, {"sim", "offline", "mouse-receiver"}).status, 0);
    EXPECT_TRUE(Eventually([&] { return !program.Online("mouse"); }, 15000))
        << "the mouse behind the switched-off receiver stayed on-line";
    ExpectUnharmed(program, home, "mouse");
    // A change meanwhile is refused with its reason.
    const CtlRun refused = Ctl(env, {"light", "set", "--device", "mouse", "--colour", "1,2,3"});
    EXPECT_NE(refused.status, 0);
    EXPECT_FALSE(refused.err.trimmed().isEmpty());
    program.CloseMessages();

    ASSERT_EQ(Ctl(env, {"sim", "online", "mouse-receiver"}).status, 0);
    EXPECT_TRUE(Eventually([&] { return program.Online("mouse"); }, 15000))
        << "the mouse did not come back when the receiver found it again";
    QThread::msleep(500);
    EXPECT_TRUE(program.ChangeLands("mouse", "mouse-receiver", 6, 70)) << program.Log();
    EXPECT_TRUE(program.Running());
}

}  // namespace
