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

#include "macros/macro_store.h"
#include "test_time.h"

namespace {

constexpr const char* kService = "org.mirvel.QX580";
constexpr const char* kPath = "/org/mirvel/QX580";
constexpr const char* kMessages = "org.mirvel.QX580.Messages";
// How long a bus call that touches no device may take while a device misbehaves.
constexpr qint64 kPromptMs = 2500;

struct CtlRun {
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

QProcessEnvironment Environment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QX580_HID");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QX580_DEBUG", "1");
    return env;
}

CtlRun Ctl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QX580CTL_PATH), args);
    CtlRun run;
    if (!process.waitForFinished(qx::test::Patience(60000))) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ms = clock.elapsed();
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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
                        const QString& region, int offset, int length) {
    std::vector<int> bytes;
    const CtlRun mem = Ctl(env, {"sim", "mem", device, region, QString::number(offset),
                                 QString::number(length), "--json"});
    for (const QJsonValue& b : QJsonDocument::fromJson(mem.out.toUtf8()).array())
        bytes.push_back(b.toInt());
    return bytes;
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
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix != "json" && suffix != "ini" && suffix != "config" && suffix != "mac") continue;
        QFile file(path);
        QJsonParseError error{};
        const bool read = file.open(QIODevice::ReadOnly);
        QJsonDocument::fromJson(read ? file.readAll() : QByteArray(), &error);
        if (!read || error.error != QJsonParseError::NoError) broken += path.toStdString() + "\n";
    }
    return broken;
}

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
    QString Errors() const { return FileText(home_.filePath("err.txt")); }
    std::string Log() const { return Errors().right(4000).toStdString(); }

    // The device list, through the program; its answer time in `ms`.
    QJsonObject Device(const QString& name, qint64* ms = nullptr) const {
        const CtlRun run = Ctl(env_, {"devices", "--json"});
        if (ms != nullptr) *ms = run.ms;
        for (const QJsonValue& device :
             QJsonDocument::fromJson(run.out.toUtf8())["devices"].toArray())
            if (device["device"].toString() == name) return device.toObject();
        return {};
    }
    bool Online(const QString& name) const { return Device(name)["online"].toBool(); }
    // The device is on-line and its first contact is done (its options or key list answer).
    bool WaitForContact(const QString& device) const {
        const QStringList probe =
            device == "keyboard" ? QStringList{"key", "get", "--device", "keyboard", "A"}
            : device == "mouse"  ? QStringList{device, "get"}
                                 : QStringList{"light", "get", "--device", device};
        const bool ready =
            Eventually([&] { return Online(device) && Ctl(env_, probe).status == 0; }, 30000);
        QThread::msleep(1000);  // the reads after first contact settle
        return ready;
    }
    // The texts of the message windows open now (what the program told the user); each is
    // closed once read.
    QStringList TakeMessages() const {
        QStringList told;
        for (int i = 0; i < 5 && Ctl(env_, {"ui", "windows"}).out.contains("MsgWnd"); ++i) {
            const CtlRun state = Ctl(env_, {"ui", "state", "MsgWnd/MessageText"});
            told << QJsonDocument::fromJson(state.out.toUtf8())["text"].toString();
            Ctl(env_, {"ui", "click", "MsgWnd/confirm_btn"});
        }
        return told;
    }
    void CloseMessages() const { (void)TakeMessages(); }
    // The proof that the device is usable: a colour set now reaches its lighting block.
    ::testing::AssertionResult ChangeLands(const QString& device, const QString& memory,
                                           int colourOffset, int red) const {
        const CtlRun set = Ctl(
            env_, {"light", "set", "--device", device, "--colour", QString::number(red) + ",7,9"});
        if (set.status != 0)
            return ::testing::AssertionFailure() << "light set: " << set.err.toStdString();
        const std::vector<int> want = {red, 7, 9};
        if (Eventually([&] { return Memory(env_, memory, "config", colourOffset, 3) == want; },
                       5000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the colour did not reach " << memory.toStdString();
    }

  private:
    const QTemporaryDir& home_;
    QProcessEnvironment env_;
    QProcess process_;
};

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
