// Settings come back after a replug and after the machine's sleep: qx580 --simulate on a private
// session bus, whose simulated devices are replugged with their factory memory (qx580ctl sim plug
// --reset, as hardware that lost its settings) and whose sleep signal comes from a stand-in for
// logind on the same bus. The devices' memory shows the profile again, the host-driven frames
// stream again and the synchronised lighting goes on.
#include <gtest/gtest.h>

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
#include <functional>
#include <thread>
#include <vector>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

// The sleep signal is looked for on the "system" bus: here the private session bus, where the
// test stands in for logind.
QProcessEnvironment SleepEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment env = Environment(home);
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", env.value("DBUS_SESSION_BUS_ADDRESS"));
    return env;
}

QJsonObject LightJson(const QProcessEnvironment& env, const QString& name) {
    return DeviceEntry(Ctl(env, {"light", "get", "--json"}).out, name);
}

// The stand-in for logind: owns its name on the bus the program takes for the system bus and
// sends PrepareForSleep.
class Logind {
  public:
    Logind() : bus_(QDBusConnection::sessionBus()) {
        owned_ =
            bus_.isConnected() && bus_.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    ~Logind() {
        if (owned_) bus_.unregisterService(QStringLiteral("org.freedesktop.login1"));
    }
    bool Owned() const { return owned_; }
    bool PrepareForSleep(bool start) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        return bus_.send(signal);
    }

  private:
    QDBusConnection bus_;
    bool owned_ = false;
};

TEST(Replug, APluggedWithResetDeviceStartsFromItsFactoryMemory) {
    QTemporaryDir home;
    // With plain --simulate the program has no row for the mouse: nothing writes it back.
    Program program(home, {"--simulate"}, SleepEnvironment(home));
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(Eventually(
        [&] {
            return Ctl(env, {"sim", "plug", "mouse"}).status == 0;
        },
        30000))
        << program.Log();
    const std::vector<int> factory = Memory(env, "mouse", "status", 0, 2);
    ASSERT_EQ(Ctl(env, {"sim", "power", "mouse", "30", "charging"}).status, 0);
    const std::vector<int> changed = Memory(env, "mouse", "status", 0, 2);
    EXPECT_NE(changed, factory);

    // A plain replug keeps the memory; --reset does not.
    ASSERT_EQ(Ctl(env, {"sim", "unplug", "mouse"}).status, 0);
    ASSERT_EQ(Ctl(env, {"sim", "plug", "mouse"}).status, 0);
    EXPECT_EQ(Memory(env, "mouse", "status", 0, 2), changed);
    ASSERT_EQ(Ctl(env, {"sim", "unplug", "mouse"}).status, 0);
    const CtlRun reset = Ctl(env, {"sim", "plug", "mouse", "--reset"});
    ASSERT_EQ(reset.status, 0) << reset.err.toStdString();
    EXPECT_EQ(Memory(env, "mouse", "status", 0, 2), factory);

    const CtlRun twice = Ctl(env, {"sim", "plug", "mouse", "--reset"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_TRUE(twice.err.contains("plugged already")) << twice.err.toStdString();
    EXPECT_EQ(Ctl(env, {"sim", "plug", "toaster", "--reset"}).status, 1);
    EXPECT_TRUE(Ctl(env, {"sim", "--help"}).out.contains("--reset"));
}

TEST(Replug, TheProfileIsWrittenAgainToAKeyboardThatLostItsMemory) {
    QTemporaryDir home;
    Program program(home, {"--simulate"}, SleepEnvironment(home));
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    QThread::msleep(500);

    const CtlRun light = Ctl(env, {"light", "set", "--device", "keyboard", "--effect", "5",
                                   "--brightness", "2", "--colour", "10,20,30"});
    ASSERT_EQ(light.status, 0) << light.err.toStdString();
    const CtlRun key = Ctl(env, {"key", "set", "--device", "keyboard", "A", "media:play"});
    ASSERT_EQ(key.status, 0) << key.err.toStdString();
    const std::vector<int> block = Memory(env, "keyboard", "config", 1, 25);
    const std::vector<int> table = Memory(env, "keyboard", "keytable");
    ASSERT_EQ(block.size(), 25u);
    ASSERT_FALSE(table.empty());

    ASSERT_TRUE(program.ReplugWithReset("keyboard")) << program.Log();
    EXPECT_TRUE(Eventually(
        [&] {
            return Memory(env, "keyboard", "config", 1, 25) == block &&
                   Memory(env, "keyboard", "keytable") == table;
        },
        10000))
        << "the keyboard did not get its profile back\n"
        << program.Log();
    // What the program shows and stores is the profile, not the factory settings it met.
    const QJsonObject shown = LightJson(env, "keyboard");
    EXPECT_EQ(shown["effect"].toInt(), 5);
    EXPECT_TRUE(Ctl(env, {"key", "get", "--device", "keyboard", "A"})
                    .out.startsWith("64 (A) = media:play"));
    EXPECT_EQ(UnreadableFiles(home), "");

    // A later change lands as before.
    ASSERT_EQ(Ctl(env, {"light", "set", "--device", "keyboard", "--colour", "200,0,9"}).status, 0);
    const std::vector<int> later = Memory(env, "keyboard", "config", 6, 3);
    EXPECT_EQ(later, (std::vector<int>{200, 0, 9}));
    EXPECT_TRUE(program.Running());
}

TEST(Replug, HostDrivenFramesStreamAgainAfterAReplugAndAfterSleep) {
    QTemporaryDir home;
    Logind logind;
    ASSERT_TRUE(logind.Owned()) << "run under dbus-run-session";
    Program program(home, {"--simulate"}, SleepEnvironment(home));
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    QThread::msleep(500);

    // A game asks for the host-colour effect; the capture program sends colours.
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        QDBusConnection feed = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "feeder");
        QElapsedTimer sinceGame;
        for (int n = 0; feeding.load(); ++n) {
            // The game keeps its effect: it is restored 5 s after its last message. Each call
            // can be slow on a loaded machine or in a sanitizer build, so the message is timed
            // by the clock, not counted in colours.
            if (n == 0 || sinceGame.elapsed() >= 1000) {
                Call(feed, "SendMessage", {QStringLiteral("Game_Start"), 1, 30});
                sinceGame.start();
            }
            const int value = 40 + (n % 100);
            Call(feed, "CopyData", {QStringLiteral("capture"), 2u, Colour(value, 255 - value, 7)});
            QThread::msleep(20);
        }
        QDBusConnection::disconnectFromBus("feeder");
    });
    const auto streams = [&] { return Packets(env, "keyboard", "StreamFrame") >= 20; };
    EXPECT_TRUE(Eventually(streams, 15000)) << "the keyboard was not streamed to";

    ASSERT_TRUE(program.ReplugWithReset("keyboard")) << program.Log();
    EXPECT_TRUE(Eventually(streams, 15000)) << "the frames did not come again after the replug\n"
                                            << program.Log();

    // The machine sleeps and wakes: the keyboard gets its profile and the frames go on.
    ASSERT_TRUE(logind.PrepareForSleep(true));
    QThread::msleep(300);
    ASSERT_EQ(Ctl(env, {"sim", "log", "keyboard", "--clear"}).status, 0);
    ASSERT_TRUE(logind.PrepareForSleep(false));
    EXPECT_TRUE(Eventually(
        [&] {
            return Packets(env, "keyboard", "WriteConfig") > 0 &&
                   Packets(env, "keyboard", "WriteKeyTable") > 0 &&
                   Packets(env, "keyboard", "LightingResume") > 0;
        },
        10000))
        << "the profile was not written again after the wake-up\n"
        << program.Log();
    EXPECT_TRUE(Eventually(streams, 15000)) << "the frames did not come again after the wake-up";

    feeding.store(false);
    feeder.join();
    EXPECT_TRUE(program.Running());
}

TEST(Replug, SynchronisedLightingGoesOnAfterAReplugAndAfterSleep) {
    QTemporaryDir home;
    Logind logind;
    ASSERT_TRUE(logind.Owned()) << "run under dbus-run-session";
    Program program(home, {"--simulate=all"}, SleepEnvironment(home));
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    ASSERT_TRUE(program.WaitForContact("pad")) << program.Log();
    ASSERT_TRUE(program.WaitForContact("mouse")) << program.Log();
    QThread::msleep(500);

    // The same synchronised effect on each, so that whichever device leads the result is the same.
    for (const auto& [device, effect] : {std::pair{"keyboard", "5"}, {"mouse", "3"}, {"pad", "3"}})
        ASSERT_EQ(Ctl(env, {"light", "set", "--device", device, "--effect", effect, "--colour",
                            "0,160,255"})
                      .status,
                  0)
            << device;
    const CtlRun sync = Ctl(env, {"light", "sync", "on"});
    ASSERT_EQ(sync.status, 0) << sync.err.toStdString();
    ASSERT_TRUE(LightJson(env, "pad")["synchronised"].toBool());
    const std::vector<int> padBlock = Memory(env, "pad", "config", 1, 8);
    ASSERT_FALSE(padBlock.empty());

    ASSERT_TRUE(program.ReplugWithReset("pad")) << program.Log();
    EXPECT_TRUE(Eventually([&] { return Memory(env, "pad", "config", 1, 8) == padBlock; }, 10000))
        << "the pad did not get its synchronised lighting back\n"
        << program.Log();
    EXPECT_TRUE(LightJson(env, "pad")["synchronised"].toBool());
    EXPECT_TRUE(LightJson(env, "keyboard")["synchronised"].toBool());

    ASSERT_TRUE(logind.PrepareForSleep(true));
    QThread::msleep(300);
    ASSERT_EQ(Ctl(env, {"sim", "log", "pad", "--clear"}).status, 0);
    ASSERT_TRUE(logind.PrepareForSleep(false));
    EXPECT_TRUE(Eventually([&] { return Packets(env, "pad", "WriteConfig") > 0; }, 10000))
        << "the pad's lighting was not written again after the wake-up";
    EXPECT_EQ(Memory(env, "pad", "config", 1, 8), padBlock);
    EXPECT_TRUE(LightJson(env, "pad")["synchronised"].toBool());
    EXPECT_TRUE(program.Running());
}

}  // namespace
