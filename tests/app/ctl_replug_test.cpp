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
#include "test_time.h"

namespace {

constexpr const char* kService = "org.mirvel.QX580";
constexpr const char* kPath = "/org/mirvel/QX580";
constexpr const char* kMessages = "org.mirvel.QX580.Messages";

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
    env.insert("QX580_DEBUG", "1");
    // The sleep signal is looked for on the "system" bus: here the private session bus, where
    // the test stands in for logind.
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", env.value("DBUS_SESSION_BUS_ADDRESS"));
    return env;
}

CtlRun Ctl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QX580CTL_PATH), args);
    CtlRun run;
    if (!process.waitForFinished(qx::test::Patience(30000))) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::string Tail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    return lines.mid(std::max<qsizetype>(0, lines.size() - 40)).join('\n').toStdString();
}

bool Eventually(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return done();
        QThread::msleep(200);
    }
    return true;
}

std::vector<int> Memory(const QProcessEnvironment& env, const QString& device,
                        const QString& region, int offset = 0, int length = 0) {
    QStringList args = {"sim", "mem", device, region};
    if (length > 0) args << QString::number(offset) << QString::number(length);
    args << "--json";
    std::vector<int> bytes;
    for (const QJsonValue& b : QJsonDocument::fromJson(Ctl(env, args).out.toUtf8()).array())
        bytes.push_back(b.toInt());
    return bytes;
}

QJsonObject DeviceJson(const QProcessEnvironment& env, const QString& name) {
    const QJsonDocument list =
        QJsonDocument::fromJson(Ctl(env, {"devices", "--json"}).out.toUtf8());
    for (const QJsonValue& device : list["devices"].toArray())
        if (device["device"].toString() == name) return device.toObject();
    return {};
}

QJsonObject LightJson(const QProcessEnvironment& env, const QString& name) {
    const QJsonDocument light =
        QJsonDocument::fromJson(Ctl(env, {"light", "get", "--json"}).out.toUtf8());
    for (const QJsonValue& device : light["devices"].toArray())
        if (device["device"].toString() == name) return device.toObject();
    return {};
}

int Packets(const QProcessEnvironment& env, const QString& device, const QString& name) {
    const QJsonDocument log =
        QJsonDocument::fromJson(Ctl(env, {"sim", "log", device, "--json"}).out.toUtf8());
    int count = 0;
    for (const QJsonValue& request : log["requests"].toArray())
        count += request["name"].toString() == name ? 1 : 0;
    return count;
}

// Every JSON file the program keeps for the user parses.
std::string UnreadableFiles(const QTemporaryDir& home) {
    std::string broken;
    QDirIterator files(home.filePath("data"), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (!path.endsWith(".Json", Qt::CaseInsensitive) && !path.endsWith(".ini") &&
            !path.endsWith(".config") && !path.endsWith(".mac"))
            continue;
        QFile file(path);
        QJsonParseError error{};
        if (!file.open(QIODevice::ReadOnly) || (QJsonDocument::fromJson(file.readAll(), &error),
                                                error.error != QJsonParseError::NoError))
            broken += path.toStdString() + "\n";
    }
    return broken;
}

// The six values of the host colour: red, green, blue first.
QByteArray Colour(int red, int green, int blue) {
    QByteArray data(24, '\0');
    const std::array<int32_t, 3> rgb = {red, green, blue};
    for (size_t i = 0; i < rgb.size(); ++i) qToLittleEndian<int32_t>(rgb[i], data.data() + 4 * i);
    return data;
}

bool Call(QDBusConnection& bus, const char* method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kMessages, method);
    call.setArguments(args);
    return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

// The program on the simulated devices, its standard error in the temporary home.
class Program {
  public:
    Program(const QTemporaryDir& home, const QStringList& args) : home_(home) {
        env_ = Environment(home);
        process_.setProcessEnvironment(env_);
        process_.setStandardErrorFile(home.filePath("err.txt"));
        process_.start(QStringLiteral(QX580_PATH), args);
        process_.waitForStarted();
    }
    ~Program() {
        process_.terminate();
        if (!process_.waitForFinished(qx::test::Patience(10000))) process_.kill();
        process_.waitForFinished();
    }
    const QProcessEnvironment& Env() const { return env_; }
    // Still running (the check also takes note of an end).
    bool Running() {
        return !process_.waitForFinished(qx::test::Patience(0)) &&
               process_.state() == QProcess::Running;
    }
    std::string Log() const { return Tail(home_.filePath("err.txt")); }
    // The device's first contact is done once its key list (keyboard) or its options answer.
    bool WaitForContact(const QString& device) {
        const bool ready = Eventually(
            [&] {
                const QStringList args =
                    device == "keyboard" ? QStringList{"key", "get", "--device", "keyboard", "A"}
                    : device == "mouse"  ? QStringList{device, "get"}
                                         : QStringList{"light", "get", "--device", device};
                return DeviceJson(env_, device)["online"].toBool() && Ctl(env_, args).status == 0;
            },
            30000);
        QThread::msleep(1000);  // the reads after first contact settle
        return ready;
    }
    // Unplugged, then plugged with its factory memory; on-line again in the program.
    bool ReplugWithReset(const QString& device) {
        if (Ctl(env_, {"sim", "unplug", device}).status != 0) return false;
        if (!Eventually([&] { return !DeviceJson(env_, device)["online"].toBool(); }, 10000))
            return false;
        if (Ctl(env_, {"sim", "plug", device, "--reset"}).status != 0) return false;
        return Eventually([&] { return DeviceJson(env_, device)["online"].toBool(); }, 10000);
    }

  private:
    const QTemporaryDir& home_;
    QProcessEnvironment env_;
    QProcess process_;
};

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
    Program program(home, {"--simulate"});
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
    Program program(home, {"--simulate"});
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
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    ASSERT_TRUE(program.WaitForContact("keyboard")) << program.Log();
    QThread::msleep(500);

    // A game asks for the host-colour effect; the capture program sends colours.
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        QDBusConnection feed = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "feeder");
        for (int n = 0; feeding.load(); ++n) {
            // The game keeps its effect (it is restored 5 s after its last message; a loaded
            // machine, a sanitizer build, can make each call slow).
            if (n % 10 == 0) Call(feed, "SendMessage", {QStringLiteral("Game_Start"), 1, 30});
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
    Program program(home, {"--simulate=all"});
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
