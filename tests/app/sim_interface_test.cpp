// The Simulator interface of the real program, reached as other programs reach it: qx580 runs as
// a user starts it (on a private session bus) and qx580ctl and plain bus calls look into its
// simulated devices, arm faults and read what the devices received.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "app/bus_names.h"
#include "app/simulator_adaptor.h"
#include "test_time.h"

namespace qx::app::test {
namespace {

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun RunTool(const QString& program, const QStringList& args,
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(qx::test::Patience(15000))) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ToolRun Ctl(const QStringList& args) { return RunTool(QStringLiteral(QX580CTL_PATH), args); }

bool PollUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return false;
        QThread::msleep(100);
    }
    return true;
}

QJsonObject Log(const QString& device) {
    const ToolRun run = Ctl({"sim", "log", device, "--json"});
    return run.status == 0 ? QJsonDocument::fromJson(run.out.toUtf8()).object() : QJsonObject();
}

// Whether the log holds a ReadIdentity answered with status 0: first contact is done.
bool FirstContactDone(const QJsonObject& log) {
    for (const QJsonValue& entry : log["requests"].toArray()) {
        const QJsonObject request = entry.toObject();
        if (request["command"].toInt() == 3 && request["status"].toInt(-1) == 0) return true;
    }
    return false;
}

// The program on its own data folders, ended in the orderly way.
class Program {
  public:
    explicit Program(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QX580_HID");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", home_.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home_.path());
        process_.setProcessEnvironment(env);
        // Files, not pipes: nothing here reads while the program runs.
        process_.setStandardOutputFile(home_.filePath("out.txt"));
        process_.setStandardErrorFile(home_.filePath("err.txt"));
        process_.start(QStringLiteral(QX580_PATH), args);
        process_.waitForStarted();
    }
    ~Program() {
        process_.terminate();
        if (!process_.waitForFinished(qx::test::Patience(10000))) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool Running() {
        process_.waitForFinished(qx::test::Patience(0));  // takes note of an end that has happened
        return process_.state() == QProcess::Running;
    }
    QString Output() const {
        QFile file(home_.filePath("err.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

  private:
    QTemporaryDir home_;
    QProcess process_;
};

// The program's object on the bus as another program sees it.
QDBusMessage CallProgram(const char* interface, const char* method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kBusService, kBusObjectPath, QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(args);
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

QString Introspection() {
    const QDBusMessage reply = CallProgram("org.freedesktop.DBus.Introspectable", "Introspect", {});
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toString()
                                                      : QString();
}

// One program for the whole suite: starting it takes a few seconds. The tests leave its devices
// as they found them (plugged, no faults armed).
class SimulatedProgram : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        program_ = new Program({"--simulate"});
        const bool up = PollUntil([] { return FirstContactDone(Log("keyboard")); }, 30000);
        ASSERT_TRUE(up) << "the keyboard's first contact never showed in its log\n"
                        << program_->Output().toStdString();
    }
    static void TearDownTestSuite() {
        delete program_;
        program_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(program_ != nullptr && program_->Running()); }

    static Program* program_;
};
Program* SimulatedProgram::program_ = nullptr;

TEST_F(SimulatedProgram, KeyboardIdentityInMemoryIsWhatDeviceInfoReads) {
    const ToolRun mem = Ctl({"sim", "mem", "keyboard", "identity", "--json"});
    ASSERT_EQ(mem.status, 0) << mem.err.toStdString();
    const QJsonArray bytes = QJsonDocument::fromJson(mem.out.toUtf8()).array();
    ASSERT_EQ(bytes.size(), 34);
    QString hex;
    for (const QJsonValue& byte : bytes)
        hex += QStringLiteral("%1").arg(byte.toInt(), 2, 16, QChar('0'));

    const ToolRun info = Ctl({"--simulate", "device", "info", "--json"});
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    QString reported;
    for (const QJsonValue& device : QJsonDocument::fromJson(info.out.toUtf8()).array()) {
        if (device.toObject()["slot"].toInt() == 0)
            reported = device.toObject()["identity"].toString();
    }
    EXPECT_EQ(hex, reported);

    // The plain form: offsets and hex bytes, 16 a line, from the asked offset.
    const ToolRun plain = Ctl({"sim", "mem", "keyboard", "identity", "0x10", "4"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.out, QStringLiteral("0010: %1 %2 %3 %4\n")
                             .arg(hex.mid(32, 2), hex.mid(34, 2), hex.mid(36, 2), hex.mid(38, 2)));
}

TEST_F(SimulatedProgram, LogListsWhatFirstContactSent) {
    const QJsonObject log = Log("keyboard");
    EXPECT_EQ(log["device"].toString(), "keyboard");
    EXPECT_TRUE(log["plugged"].toBool());
    const QJsonArray requests = log["requests"].toArray();
    ASSERT_GE(requests.size(), 3);
    // Open the sequence, read the 34 identity bytes in one cable packet, then the key table.
    const int commands[] = {0x01, 0x03, 0x07};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject r = requests[i].toObject();
        SCOPED_TRACE(i);
        EXPECT_EQ(r["index"].toInt(), i);
        EXPECT_EQ(r["command"].toInt(), commands[i]);
        EXPECT_EQ(r["interface"].toString(), "cable");
        EXPECT_TRUE(r["checksum_ok"].toBool());
        EXPECT_TRUE(r["answered"].toBool());
        EXPECT_EQ(r["status"].toInt(-1), 0);
    }
    EXPECT_EQ(requests[1].toObject()["length"].toInt(), 34);
    EXPECT_EQ(requests[1].toObject()["offset"].toInt(), 0);
    EXPECT_EQ(requests[1].toObject()["name"].toString(), "ReadIdentity");

    const ToolRun plain = Ctl({"sim", "log", "keyboard"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_TRUE(
        plain.out.contains(QRegularExpression("#1 .* ms  cable +0x03 ReadIdentity +len 34")))
        << plain.out.toStdString();
}

TEST_F(SimulatedProgram, FaultMakesTheNextRequestFailAndTheLogSaysSo) {
    // The keyboard's first contact after a replug meets the armed fault.
    ASSERT_EQ(Ctl({"sim", "unplug", "keyboard"}).status, 0);
    const ToolRun armed = Ctl({"sim", "fault", "keyboard", "status-ff", "1"});
    ASSERT_EQ(armed.status, 0) << armed.err.toStdString();
    ASSERT_EQ(Ctl({"sim", "plug", "keyboard"}).status, 0);
    QJsonArray requests;
    ASSERT_TRUE(PollUntil(
        [&] {
            requests = Log("keyboard")["requests"].toArray();
            return requests.size() >= 2;
        },
        15000));
    EXPECT_EQ(requests[0].toObject()["status"].toInt(), 0xFF);
    EXPECT_EQ(requests[1].toObject()["status"].toInt(), 0x00) << "the fault was for one packet";

    const ToolRun plain = Ctl({"sim", "log", "keyboard", "--clear"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.out.contains("#0 ")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.section('\n', 1, 1).contains("status 0xff")) << plain.out.toStdString();

    // Cleared: what arrives from now on (nothing yet, or later traffic) starts after it.
    const QJsonArray after = Log("keyboard")["requests"].toArray();
    EXPECT_TRUE(after.isEmpty() || after[0].toObject()["index"].toInt() >= requests.size());
}

TEST_F(SimulatedProgram, UnknownNamesAreClearErrors) {
    struct Case {
        QStringList args;
        int status;
        QStringList mentions;
    };
    const Case cases[] = {
        {{"sim", "mem", "toaster", "identity"}, 1, {"toaster", "keyboard"}},
        {{"sim", "mem", "headset", "keytable"}, 1, {"keytable", "identity, config, status"}},
        {{"sim", "mem", "keyboard", "identity", "40"}, 1, {"past the end"}},
        {{"sim", "fault", "keyboard", "wobble"}, 1, {"wobble", "unplug-after"}},
        {{"sim", "notify", "blender", "0x401"}, 1, {"blender"}},
        {{"sim", "power", "toaster", "50"}, 1, {"toaster"}},
        {{"sim", "log", "pad"}, 1, {"pad", "never been plugged"}},
        {{"sim", "power", "keyboard", "101"}, 2, {"101"}},
        {{"sim", "notify", "keyboard", "0x10000"}, 2, {"0x10000"}},
        {{"sim", "mem", "keyboard"}, 2, {"REGION"}},
        {{"sim", "log", "keyboard", "--everything"}, 2, {"--everything"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = Ctl(c.args);
        EXPECT_EQ(run.status, c.status);
        for (const QString& word : c.mentions)
            EXPECT_TRUE(run.err.contains(word)) << run.err.toStdString();
    }

    // The bus errors carry names a program can tell apart.
    struct BusCase {
        const char* method;
        QVariantList args;
        const char* error;
    };
    const BusCase busCases[] = {
        {"ReadMemory",
         {QStringLiteral("toaster"), QStringLiteral("identity"), QVariant::fromValue(0u),
          QVariant::fromValue(0u)},
         kErrorUnknownDevice},
        {"ReadMemory",
         {QStringLiteral("keyboard"), QStringLiteral("flash"), QVariant::fromValue(0u),
          QVariant::fromValue(0u)},
         kErrorUnknownRegion},
        {"SetFault",
         {QStringLiteral("keyboard"), QStringLiteral("wobble"), QVariant::fromValue(1u)},
         kErrorUnknownFault},
        {"SetPower",
         {QStringLiteral("keyboard"), QVariant::fromValue(150u), QVariant(false)},
         kErrorInvalidArgument},
    };
    for (const BusCase& c : busCases) {
        SCOPED_TRACE(c.method);
        const QDBusMessage reply = CallProgram(kSimulatorInterface, c.method, c.args);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(reply.errorName(), QString::fromLatin1(c.error));
        EXPECT_FALSE(reply.errorMessage().isEmpty());
    }
}

TEST_F(SimulatedProgram, NotificationAndPowerReachTheDevice) {
    // A key-down notification is no command: nothing breaks, the program still answers.
    ASSERT_EQ(Ctl({"sim", "notify", "keyboard", "0x0504"}).status, 0);
    ASSERT_EQ(Ctl({"sim", "power", "keyboard", "55", "charging"}).status, 0);
    const ToolRun status = Ctl({"sim", "mem", "keyboard", "status", "0", "2", "--json"});
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(status.out.toUtf8()).array(), (QJsonArray{55, 1}));
    ASSERT_EQ(Ctl({"sim", "power", "keyboard", "100"}).status, 0);
    EXPECT_TRUE(Introspection().contains("org.mirvel.QX580.Simulator"));
}

TEST(ProgramWithoutSimulation, OffersNoSimulatorInterface) {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    // Wait for any earlier program of this bus to have left its name.
    PollUntil([] { return Introspection().isEmpty(); }, 10000);
    Program program({});
    QString xml;
    ASSERT_TRUE(PollUntil(
        [&] {
            xml = Introspection();
            return xml.contains(kMessagesInterface);
        },
        20000))
        << program.Output().toStdString();
    EXPECT_FALSE(xml.contains(kSimulatorInterface)) << xml.toStdString();
    const ToolRun run = Ctl({"sim", "log", "keyboard"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("qx580 --simulate")) << run.err.toStdString();
}

}  // namespace
}  // namespace qx::app::test
