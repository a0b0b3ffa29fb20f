// What the tests that drive the running program from outside share: the program started on the
// simulated devices in a temporary home with its own user folders, qx580ctl run against it on the
// private session bus, and the reads of the simulated devices' memory and request log.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "test_time.h"

namespace qx::app::ctl_test {

inline constexpr const char* kService = "org.mirvel.QX580";
inline constexpr const char* kPath = "/org/mirvel/QX580";
inline constexpr const char* kMessages = "org.mirvel.QX580.Messages";

// One qx580ctl run: its exit status (-1 when it did not end), what it printed, how long it took.
struct CtlRun {
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

// The environment of the program and of qx580ctl: offscreen, user folders in `home`, the
// simulated devices (no real HID path), diagnostics on.
inline QProcessEnvironment Environment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QX580_HID");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QX580_DEBUG", "1");
    return env;
}

inline CtlRun Ctl(const QProcessEnvironment& env, const QStringList& args) {
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

inline QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The last lines of a file (the program's standard error), for failure messages.
inline std::string Tail(const QString& path, int lines = 40) {
    const QStringList all = FileText(path).split('\n');
    return all.mid(std::max<qsizetype>(0, all.size() - lines)).join('\n').toStdString();
}

// Polls `done` every 200 ms until it holds or the time is up; the last value of `done`.
inline bool Eventually(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return done();
        QThread::msleep(200);
    }
    return true;
}

// A simulated device's memory region, whole (length 0) or `length` bytes from `offset`.
inline std::vector<int> Memory(const QProcessEnvironment& env, const QString& device,
                               const QString& region, int offset = 0, int length = 0) {
    QStringList args = {"sim", "mem", device, region};
    if (length > 0) args << QString::number(offset) << QString::number(length);
    args << "--json";
    std::vector<int> bytes;
    for (const QJsonValue& b : QJsonDocument::fromJson(Ctl(env, args).out.toUtf8()).array())
        bytes.push_back(b.toInt());
    return bytes;
}

// How many requests named `name` the simulated device has logged.
inline int Packets(const QProcessEnvironment& env, const QString& device, const QString& name) {
    const QJsonDocument log =
        QJsonDocument::fromJson(Ctl(env, {"sim", "log", device, "--json"}).out.toUtf8());
    int count = 0;
    for (const QJsonValue& request : log["requests"].toArray())
        count += request["name"].toString() == name ? 1 : 0;
    return count;
}

// The device's entry in an answer that lists devices ({"devices": [{"device": name, ...}]}).
inline QJsonObject DeviceEntry(const QString& json, const QString& name) {
    for (const QJsonValue& device : QJsonDocument::fromJson(json.toUtf8())["devices"].toArray())
        if (device["device"].toString() == name) return device.toObject();
    return {};
}

// The device's entry in `qx580ctl devices --json`.
inline QJsonObject DeviceJson(const QProcessEnvironment& env, const QString& name) {
    return DeviceEntry(Ctl(env, {"devices", "--json"}).out, name);
}

// Every file the program keeps for the user that should be JSON parses; the broken ones, a line
// each.
inline std::string UnreadableFiles(const QTemporaryDir& home) {
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

// The six values of the host colour message: red, green, blue first.
inline QByteArray Colour(int red, int green, int blue) {
    QByteArray data(24, '\0');
    const std::array<int32_t, 3> rgb = {red, green, blue};
    for (size_t i = 0; i < rgb.size(); ++i) qToLittleEndian<int32_t>(rgb[i], data.data() + 4 * i);
    return data;
}

// A call on the program's Messages interface; whether it was answered.
inline bool Call(QDBusConnection& bus, const char* method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kMessages, method);
    call.setArguments(args);
    return bus.call(call, QDBus::Block, qx::test::Patience(5000)).type() ==
           QDBusMessage::ReplyMessage;
}

// The program on the simulated devices, its standard error in the temporary home; ended with
// SIGTERM (killed when it does not end) when the test is done.
class Program {
  public:
    Program(const QTemporaryDir& home, const QStringList& args, const QProcessEnvironment& env = {})
        : home_(home), env_(env.isEmpty() ? Environment(home) : env) {
        process_.setProcessEnvironment(env_);
        process_.setStandardErrorFile(home.filePath("err.txt"));
        process_.start(QStringLiteral(QX580_PATH), args);
        process_.waitForStarted();
    }
    ~Program() { Stop(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Ends the program with SIGTERM, killed when it does not end in time.
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(qx::test::Patience(10000))) process_.kill();
        process_.waitForFinished();
    }
    const QProcessEnvironment& Env() const { return env_; }
    QProcess& Process() { return process_; }
    // Still running (the check also takes note of an end).
    bool Running() { return !process_.waitForFinished(0) && process_.state() == QProcess::Running; }
    QString Errors() const { return FileText(home_.filePath("err.txt")); }
    std::string Log() const { return Errors().right(4000).toStdString(); }

    // The device list, through the program; its answer time in `ms`.
    QJsonObject Device(const QString& name, qint64* ms = nullptr) const {
        const CtlRun run = Ctl(env_, {"devices", "--json"});
        if (ms != nullptr) *ms = run.ms;
        return DeviceEntry(run.out, name);
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
    // Unplugged, then plugged with its factory memory; on-line again in the program.
    bool ReplugWithReset(const QString& device) const {
        if (Ctl(env_, {"sim", "unplug", device}).status != 0) return false;
        if (!Eventually([&] { return !Online(device); }, 10000)) return false;
        if (Ctl(env_, {"sim", "plug", device, "--reset"}).status != 0) return false;
        return Eventually([&] { return Online(device); }, 10000);
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

}  // namespace qx::app::ctl_test
