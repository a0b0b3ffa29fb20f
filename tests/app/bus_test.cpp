// The bus contracts, on a private session bus: messages by name, the broadcast signal, the
// answer to the work tool, the simulator interface (directly and through qx580ctl) and the
// single-instance hand-over.
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/bus_names.h"
#include "app/message_bus.h"
#include "app/messages_adaptor.h"
#include "app/tool_query.h"
#include "app_fixture.h"
#include "platform/instance_lock.h"
#include "test_time.h"
#include "ui/messages.h"

namespace qx::app::test {

// A stand-in for the outside tool that asks for the device table.
class FakeWorkTool : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.WorkTool")
  public:
    int calls = 0;
    QString sender;
    uint kind = 0;
    QByteArray data;
  public slots:
    void CopyData(const QString& from, uint dataKind, const QByteArray& block) {
        ++calls;
        sender = from;
        kind = dataKind;
        data = block;
    }
};

// Records the program's broadcasts as another program sees them.
class BroadcastSpy : public QObject {
    Q_OBJECT
  public:
    std::vector<std::tuple<QString, int, int>> seen;
  public slots:
    void Broadcast(const QString& name, int wParam, int lParam) {
        seen.emplace_back(name, wParam, lParam);
    }
};

namespace {

QString Name(std::string_view name) {
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// The program's bus object, seen from another connection (another program).
class BusTest : public KeyboardAndHeadsetTest {
  protected:
    void SetUp() override {
        KeyboardAndHeadsetTest::SetUp();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        service_ = std::make_unique<MessageBus>(window_.get(), QDBusConnection::sessionBus());
        ASSERT_TRUE(service_->Register(&bus_)) << service_->Error().toStdString();
        QObject::connect(window_.get(), &CMainWnd::Broadcast, service_.get(),
                         &MessageBus::Broadcast);
        QObject::connect(window_.get(), &CMainWnd::ToolQueryAnswer, service_.get(),
                         &MessageBus::SendToolAnswer);
    }
    void TearDown() override {
        service_.reset();
        KeyboardAndHeadsetTest::TearDown();
    }

    // Calls a method of the program and waits (pumping this thread's events) for the reply.
    QDBusMessage Call(const char* interface, const char* method, const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(kBusService, kBusObjectPath,
                                                           QString::fromLatin1(interface), method);
        call.setArguments(args);
        QDBusPendingCall pending = client_.asyncCall(call, 5000);
        WaitUntil([&] { return pending.isFinished(); });
        return pending.reply();
    }

    QDBusConnection client_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other-program"));
    std::unique_ptr<MessageBus> service_;
};

TEST_F(BusTest, PostAndSendMessagesByName) {
    const QString status = Name(msg::kLightControlStatusName);
    QDBusMessage reply = Call(kMessagesInterface, "PostMessage", {status, 1, 0});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_TRUE(WaitUntil([this] { return !window_->LightingControl(); }));

    reply = Call(kMessagesInterface, "SendMessage", {status, 1, 1});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    ASSERT_EQ(reply.arguments().size(), 1);
    EXPECT_EQ(reply.arguments()[0].toInt(), 1);
    EXPECT_TRUE(window_->LightingControl());

    // A game message by name reaches the selected device.
    reply = Call(kMessagesInterface, "SendMessage", {Name("Game_Start"), 1, 9});
    EXPECT_EQ(reply.arguments().value(0).toInt(), 1);
    EXPECT_EQ(window_->Devices()->CurrentDevice()->GetLightSettings()[0] & 0xFF, 9u);
}

TEST_F(BusTest, UnknownNamesAndOversizedBlocksAreRefused) {
    for (const char* method : {"PostMessage", "SendMessage"}) {
        for (const QString& name : {QStringLiteral("Game_Pause"), QString()}) {
            const QDBusMessage reply = Call(kMessagesInterface, method, {name, 1, 1});
            EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << method;
            EXPECT_EQ(reply.errorName(), kErrorUnknownMessage);
        }
    }
    const QDBusMessage reply = Call(kMessagesInterface, "CopyData",
                                    {QStringLiteral("x"), QVariant::fromValue(uint(1)),
                                     QByteArray(MessagesAdaptor::kMaxCopyDataBytes + 1, 'a')});
    EXPECT_EQ(reply.errorName(), kErrorRefused);
    EXPECT_TRUE(window_->CopyDataBuffer(1).isEmpty());

    const QDBusMessage ok = Call(
        kMessagesInterface, "CopyData",
        {QStringLiteral("capture"), QVariant::fromValue(uint(2)), QByteArray("\x10\x20\x30", 3)});
    EXPECT_EQ(ok.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(window_->CopyDataBuffer(2), QByteArray("\x10\x20\x30", 3));
}

TEST_F(BusTest, LightControlClicksAreBroadcastOnTheBus) {
    BroadcastSpy spy;
    ASSERT_TRUE(client_.connect(QString(), kBusObjectPath, kMessagesInterface,
                                QStringLiteral("Broadcast"), &spy,
                                SLOT(Broadcast(QString, int, int))));
    Click("control_light_status");
    Click("control_light_status");
    ASSERT_TRUE(WaitUntil([&] { return spy.seen.size() >= 2; }));
    const QString name = Name(msg::kLightControlBroadcastName);
    EXPECT_EQ(spy.seen[0], std::make_tuple(name, 1, 0));
    EXPECT_EQ(spy.seen[1], std::make_tuple(name, 1, 1));
}

TEST_F(BusTest, ToolQueryIsAnsweredToTheWorkToolWithTheDeviceTable) {
    // No tool on the bus: nothing is sent, nothing breaks.
    EXPECT_FALSE(service_->SendToolAnswer(QByteArray(1024, '\0')));

    QDBusConnection toolBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("work-tool"));
    FakeWorkTool tool;
    ASSERT_TRUE(toolBus.registerObject(kWorkToolPath, &tool, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(toolBus.registerService(kWorkToolService));

    const QDBusMessage reply =
        Call(kMessagesInterface, "PostMessage", {Name(msg::kToolQueryName), 0, 0});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitUntil([&] { return tool.calls == 1; }));
    EXPECT_EQ(tool.kind, 5u);
    EXPECT_EQ(tool.sender, kBusService);
    // 256 little-endian values: 2 3 0 2, four rows, then (vendor, product, kind) per row.
    QByteArray expected(1024, '\0');
    const int values[] = {2, 3, 0, 2, 4, 0, 0, 2, 0x3A5C, 0x7031, 1, 0, 0, 3, 0x0C76, 0x1630, 7};
    for (int i = 0; i < int(std::size(values)); ++i) {
        expected[i * 4] = char(values[i] & 0xFF);
        expected[i * 4 + 1] = char((values[i] >> 8) & 0xFF);
    }
    EXPECT_EQ(tool.data, expected);

    toolBus.unregisterService(kWorkToolService);
    toolBus.unregisterObject(kWorkToolPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("work-tool"));
}

TEST_F(BusTest, SimulatorPlugsAndUnplugsEntries) {
    QDBusMessage reply = Call(kSimulatorInterface, "Unplug", {QStringLiteral("headset")});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_TRUE(WaitUntil([this] { return !EntryShown(Headset()); }));
    EXPECT_TRUE(EntryShown(Keyboard()));

    devices::COrvaneUSBDevice* headset = Headset();
    reply = Call(kSimulatorInterface, "Plug", {QStringLiteral("headset")});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_TRUE(WaitUntil([this] { return EntryShown(Headset()); }));
    EXPECT_EQ(Headset(), headset) << "a replug reuses the device object";

    EXPECT_EQ(Call(kSimulatorInterface, "Plug", {QStringLiteral("headset")}).errorName(),
              kErrorRefused);
    EXPECT_EQ(Call(kSimulatorInterface, "Unplug", {QStringLiteral("toaster")}).errorName(),
              kErrorUnknownDevice);
    EXPECT_EQ(Call(kSimulatorInterface, "Plug", {QStringLiteral("sim:keyboard:0")}).errorName(),
              kErrorUnknownDevice);
    EXPECT_EQ(Call(kSimulatorInterface, "SetReceiverOnline", {QStringLiteral("keyboard"), false})
                  .errorName(),
              kErrorRefused);
    ASSERT_EQ(Call(kSimulatorInterface, "Plug", {QStringLiteral("keyboard-receiver")}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(
        Call(kSimulatorInterface, "SetReceiverOnline", {QStringLiteral("keyboard-receiver"), false})
            .type(),
        QDBusMessage::ReplyMessage);
    EXPECT_TRUE(bus_.IsPlugged("keyboard-receiver"));
}

#ifdef QX580CTL_PATH
// qx580ctl as a user runs it, while this thread serves the program's bus object.
int RunCtl(const QStringList& args, QString* errorText = nullptr) {
    QProcess ctl;
    ctl.start(QStringLiteral(QX580CTL_PATH), args);
    if (!WaitUntil([&] { return ctl.state() == QProcess::NotRunning; }, 10000)) {
        ctl.kill();
        ctl.waitForFinished();
        return -1;
    }
    if (errorText != nullptr) *errorText = QString::fromUtf8(ctl.readAllStandardError());
    return ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
}

TEST_F(BusTest, QxCtlSimCommandHotPlugsTheRunningProgram) {
    EXPECT_EQ(RunCtl({"sim", "unplug", "keyboard"}), 0);
    EXPECT_TRUE(WaitUntil([this] { return !EntryShown(Keyboard()); }));
    EXPECT_EQ(RunCtl({"sim", "plug", "keyboard"}), 0);
    EXPECT_TRUE(WaitUntil([this] { return EntryShown(Keyboard()); }));

    QString error;
    EXPECT_EQ(RunCtl({"sim", "plug", "toaster"}, &error), 1);
    EXPECT_TRUE(error.contains("toaster")) << error.toStdString();
    EXPECT_EQ(RunCtl({"sim", "dance", "keyboard"}), 2);
    EXPECT_EQ(RunCtl({"sim", "plug"}), 2);
}

TEST(QxCtlSim, WithoutTheProgramSaysSo) {
    QString error;
    EXPECT_EQ(RunCtl({"sim", "plug", "mouse"}, &error), 1);
    EXPECT_TRUE(error.contains("qx580 --simulate")) << error.toStdString();
}
#endif

TEST_F(BusTest, SecondStartAsksTheRunningOneToShowItself) {
    QTemporaryDir folder;
    auto first = platform::MakeInstanceLock(folder.filePath("qx580.lock").toStdString());
    ASSERT_TRUE(first->TryAcquire());

    Click("closebtn");
    ASSERT_FALSE(window_->isVisible());

    auto second = platform::MakeInstanceLock(folder.filePath("qx580.lock").toStdString());
    ASSERT_FALSE(second->TryAcquire());
    EXPECT_TRUE(AskRunningInstanceToShow(client_));
    EXPECT_TRUE(WaitUntil([this] { return window_->isVisible(); }));
}

#ifdef QX580_PATH
TEST(Program, SecondStartShowsTheRunningWindowAndEnds) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QX580_DEBUG", "1");
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(QX580_PATH), {"--simulate"});
    ASSERT_TRUE(first.waitForStarted());
    QByteArray firstLog;
    // Up and on the bus: its first discovery pass has brought the window up (lParam 0).
    ASSERT_TRUE(WaitUntil(
        [&] {
            firstLog += first.readAllStandardError();
            return firstLog.contains("0d0d");
        },
        15000))
        << firstLog.toStdString();

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(QX580_PATH), {"--simulate"});
    ASSERT_TRUE(second.waitForFinished(qx::test::Patience(10000)));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The running one was asked to come up (wParam 0, lParam 1).
    EXPECT_TRUE(WaitUntil(
        [&] {
            firstLog += first.readAllStandardError();
            return firstLog.contains("0d1d");
        },
        5000));
    // SIGTERM ends it the orderly way: workers stopped and joined, status 0.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(qx::test::Patience(10000)));
    firstLog += first.readAllStandardError();
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(firstLog.contains("所有对象处于激发状态")) << firstLog.toStdString();
}
#endif

TEST(MessageBusWithoutBus, RegisterFailsAndTheWindowGoesOn) {
    QDBusConnection none(QStringLiteral("never-connected"));
    MessageBus service(nullptr, none);
    EXPECT_FALSE(service.Register());
    EXPECT_FALSE(service.Error().isEmpty());
    EXPECT_FALSE(service.SendToolAnswer(QByteArray(1024, '\0')));
    service.Broadcast(QStringLiteral("x"), 1, 1);  // nothing to emit on, nothing breaks
    EXPECT_FALSE(AskRunningInstanceToShow(none));
}

}  // namespace
}  // namespace qx::app::test

#include "bus_test.moc"
