// The host-driven lighting of the real program: qx580 --simulate on a private session bus gets a
// game's message for the host-colour effect and the colours as the audio capture program sends
// them, streams them to the simulated keyboard (seen with qx580ctl sim), and is stopped in the
// middle of it: its light thread ends and is joined, and the program ends normally.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
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
#include <thread>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using qx::app::ctl_test::Environment;
using qx::app::ctl_test::kMessages;
using qx::app::ctl_test::kPath;
using qx::app::ctl_test::kService;

QString Ctl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QX580CTL_PATH), args);
    if (!process.waitForFinished(qx::test::Patience(20000))) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A call on the program's message interface, as a game or the audio capture program makes it.
bool Call(QDBusConnection& bus, const char* method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kMessages, method);
    call.setArguments(args);
    return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

// The six values of the host colour: red, green, blue first.
QByteArray Colour(int red, int green, int blue) {
    QByteArray data(24, '\0');
    const std::array<int32_t, 3> rgb = {red, green, blue};
    for (size_t i = 0; i < rgb.size(); ++i) qToLittleEndian<int32_t>(rgb[i], data.data() + 4 * i);
    return data;
}

int StreamPackets(const QProcessEnvironment& env) {
    const QJsonDocument log =
        QJsonDocument::fromJson(Ctl(env, {"sim", "log", "keyboard", "--json"}).toUtf8());
    int count = 0;
    for (const QJsonValue& request : log["requests"].toArray())
        count += request["name"].toString() == "StreamFrame" ? 1 : 0;
    return count;
}

TEST(Streaming, TheProgramStopsCleanlyWhileItStreamsToTheKeyboard) {
    QTemporaryDir home;
    const QProcessEnvironment env = Environment(home);
    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardErrorFile(home.filePath("err.txt"));
    program.start(QStringLiteral(QX580_PATH), {"--simulate"});
    ASSERT_TRUE(program.waitForStarted());
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << "run under dbus-run-session";

    QElapsedTimer clock;
    clock.start();
    bool contact = false;
    while (clock.elapsed() < 30000 && !contact) {
        const QJsonDocument devices =
            QJsonDocument::fromJson(Ctl(env, {"devices", "--json"}).toUtf8());
        for (const QJsonValue& device : devices["devices"].toArray())
            contact = contact || (device["device"] == "keyboard" && device["online"].toBool());
        if (!contact) QThread::msleep(200);
    }
    ASSERT_TRUE(contact) << FileText(home.filePath("err.txt")).right(3000).toStdString();
    QThread::msleep(1500);  // the contact timer and first contact

    // A game asks for the host-colour effect; the capture program sends colours.
    ASSERT_TRUE(Call(bus, "SendMessage", {QStringLiteral("Game_Start"), 1, 30}));
    std::atomic<bool> feeding{true};
    std::atomic<int> sent{0};
    std::thread feeder([&] {
        QDBusConnection feed = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "feeder");
        int n = 0;
        while (feeding.load()) {
            const int value = 40 + (n % 100);
            Call(feed, "CopyData", {QStringLiteral("capture"), 2u, Colour(value, 255 - value, 7)});
            // The game keeps its effect (the restore comes 5 s after its last message).
            if (n % 100 == 0) Call(feed, "SendMessage", {QStringLiteral("Game_Start"), 1, 30});
            ++n;
            sent.store(n);
            QThread::msleep(20);
        }
        QDBusConnection::disconnectFromBus("feeder");
    });

    // The frames reach the keyboard's frame memory.
    int streamed = 0;
    clock.restart();
    while (clock.elapsed() < qx::test::Patience(15000) && (streamed = StreamPackets(env)) < 40)
        QThread::msleep(200);
    EXPECT_GE(streamed, 40) << "the keyboard was not streamed to";

    // Stopped in the middle of the stream.
    program.terminate();
    const bool ended = program.waitForFinished(qx::test::Patience(10000));
    feeding.store(false);
    feeder.join();
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    ASSERT_TRUE(ended) << "the program did not end while streaming";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QString err = FileText(home.filePath("err.txt"));
    EXPECT_TRUE(err.contains(QString::fromUtf8("KB灯光线程设定退出")))
        << "the light thread did not end";
    EXPECT_TRUE(err.contains(QString::fromUtf8("线程退出：：对象处于激发状态")))
        << "the light thread was not joined";
    EXPECT_FALSE(err.contains(QString::fromUtf8("线程退出：：对象处于非激发状态")))
        << "the light thread did not end in time";
    EXPECT_GT(sent.load(), 0);
}

}  // namespace
