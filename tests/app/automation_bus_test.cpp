// The window driver on a private session bus: in this process against the main window on the
// simulated devices, and as a user runs it, qx580ctl against the program started with and
// without --simulate.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/automation_adaptor.h"
#include "app/bus_names.h"
#include "app/message_bus.h"
#include "app/msg_wnd.h"
#include "app_fixture.h"
#include "test_time.h"
#include "ui/file_dialogs.h"
#include "ui/messages.h"

namespace qx::app::test {

// Records the program's broadcasts as another program sees them.
class AutomationBroadcastSpy : public QObject {
    Q_OBJECT
  public:
    std::vector<std::tuple<QString, int, int>> seen;
  public slots:
    void Broadcast(const QString& name, int wParam, int lParam) {
        seen.emplace_back(name, wParam, lParam);
    }
};

namespace {

const QString kLightBroadcast = QString::fromUtf8(
    msg::kLightControlBroadcastName.data(), qsizetype(msg::kLightControlBroadcastName.size()));

// A text of a shipped language file.
QString ShippedText(const char* language, const char* key) {
    QFile file(QStringLiteral(QX580_SOURCE_DATA_DIR "/skin/lang/%1").arg(language));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(key).toString();
}

QJsonObject ParseState(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

// Asks a bus object which interfaces it offers.
QString Introspect(QDBusConnection connection) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kBusService, kBusObjectPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect"));
    call.setAutoStartService(false);
    QDBusPendingCall pending = connection.asyncCall(call, 5000);
    WaitUntil([&] { return pending.isFinished(); });
    return pending.reply().arguments().value(0).toString();
}

class AutomationBusTest : public KeyboardAndHeadsetTest {
  protected:
    void SetUp() override {
        KeyboardAndHeadsetTest::SetUp();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        service_ = std::make_unique<MessageBus>(window_.get(), QDBusConnection::sessionBus());
        ASSERT_TRUE(service_->Register(&bus_)) << service_->Error().toStdString();
        QObject::connect(window_.get(), &CMainWnd::Broadcast, service_.get(),
                         &MessageBus::Broadcast);
        ClearMessageAnswers();
        ui::FileDialogs::ClearAnswers();
    }
    void TearDown() override {
        service_.reset();
        KeyboardAndHeadsetTest::TearDown();
    }

    QDBusPendingCall Start(const char* method, const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kBusService, kBusObjectPath, kAutomationInterface, QString::fromLatin1(method));
        call.setArguments(args);
        return client_.asyncCall(call, 5000);
    }
    // Calls a method of the driver and waits (pumping this thread's events) for the reply.
    QDBusMessage Call(const char* method, const QVariantList& args) {
        QDBusPendingCall pending = Start(method, args);
        WaitUntil([&] { return pending.isFinished(); });
        return pending.reply();
    }
    QJsonObject State(const char* name) {
        const QDBusMessage reply = Call("State", {QString::fromLatin1(name)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return ParseState(reply.arguments().value(0).toString());
    }

    QDBusConnection client_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("driver-user"));
    std::unique_ptr<MessageBus> service_;
};

TEST_F(AutomationBusTest, ClickOfTheLightingButtonShowsAndBroadcastsTheChange) {
    AutomationBroadcastSpy spy;
    ASSERT_TRUE(client_.connect(QString(), kBusObjectPath, kMessagesInterface,
                                QStringLiteral("Broadcast"), &spy,
                                SLOT(Broadcast(QString, int, int))));
    const QJsonObject before = State("control_light_status");
    EXPECT_EQ(before["class"].toString(), "QPushButton");
    EXPECT_EQ(before["window"].toString(), "MainWnd");
    const QString onText = before["text"].toString();
    ASSERT_FALSE(onText.isEmpty());

    const QDBusMessage reply = Call("Click", {QStringLiteral("control_light_status")});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_FALSE(window_->LightingControl());
    const QJsonObject after = State("control_light_status");
    EXPECT_NE(after["text"].toString(), onText);
    EXPECT_EQ(after["accessible_name"].toString(), after["text"].toString());
    ASSERT_TRUE(WaitUntil([&] { return !spy.seen.empty(); }));
    EXPECT_EQ(spy.seen.back(), std::make_tuple(kLightBroadcast, 1, 0));
}

TEST_F(AutomationBusTest, LanguageChoiceSwitchesEveryTextAndAccessibleName) {
    // The language choice is in the settings window.
    ASSERT_EQ(Call("Click", {QStringLiteral("setbtn")}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitUntil([&] {
        return Call("State", {QStringLiteral("SetWnd/Language_combox_info")}).type() ==
               QDBusMessage::ReplyMessage;
    }));
    const QJsonObject combo = State("Language_combox_info");
    ASSERT_EQ(combo["items"].toArray().size(), 2);
    const int other = 1 - combo["selected_index"].toInt();
    const char* file = other == 0 ? "lan_en.json" : "lan_cn.json";

    ASSERT_EQ(Call("Select", {QStringLiteral("Language_combox_info"), other}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(State("Language_combox_info")["selected_index"].toInt(), other);
    EXPECT_EQ(State("control_light_status")["text"].toString(),
              ShippedText(file, "control_light_on_text"));
    // An icon button is named by its tooltip's text.
    EXPECT_EQ(State("MainWnd/minbtn")["accessible_name"].toString(), ShippedText(file, "min_tip"));
    ASSERT_EQ(Call("Click", {QStringLiteral("SetWnd/closebtn")}).type(),
              QDBusMessage::ReplyMessage);
}

TEST_F(AutomationBusTest, ErrorsSayWhatIsWrong) {
    struct Case {
        const char* method;
        QVariantList args;
        const char* error;
        const char* saying;
    };
    const std::vector<Case> cases = {
        {"Click", {QStringLiteral("no_such_btn")}, kErrorUnknownControl, "no_such_btn"},
        {"State", {QStringLiteral("no_such_btn")}, kErrorUnknownControl, "no_such_btn"},
        {"Select", {QStringLiteral("device_profile_combo"), 7}, kErrorRefused, "not 7"},
        {"SetText",
         {QStringLiteral("control_light_status"), QStringLiteral("x")},
         kErrorRefused,
         "QPushButton"},
        {"Screenshot", {QString(), QStringLiteral("shot.png")}, kErrorInvalidArgs, "absolute"},
        {"Screenshot",
         {QStringLiteral("NoWnd"), QStringLiteral("/tmp/x.png")},
         kErrorUnknownControl,
         "NoWnd"},
        {"AnswerNextMessage", {2}, kErrorInvalidArgs, "confirm"},
        {"AnswerNextFileDialog",
         {QStringLiteral("profiles/a.json")},
         kErrorInvalidArgs,
         "absolute"},
    };
    for (const Case& c : cases) {
        const QDBusMessage reply = Call(c.method, c.args);
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << c.method;
        EXPECT_EQ(reply.errorName(), QString::fromLatin1(c.error)) << c.method;
        EXPECT_TRUE(reply.errorMessage().contains(QString::fromLatin1(c.saying)))
            << c.method << ": " << reply.errorMessage().toStdString();
    }
    EXPECT_EQ(QueuedMessageAnswers(), 0);
    EXPECT_EQ(ui::FileDialogs::QueuedAnswers(), 0);
}

TEST_F(AutomationBusTest, AnswersGivenAheadAreTakenByTheNextBoxAndDialog) {
    ASSERT_EQ(Call("AnswerNextMessage", {1}).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(Call("AnswerNextFileDialog", {QStringLiteral("/tmp/../tmp/profile.json")}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_EQ(Call("AnswerNextFileDialog", {QString()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(ShowMessage(window_.get(), "title", "text", 96, false, CMsgWnd::kConfirmAndCancel),
              1);
    EXPECT_EQ(ui::FileDialogs::GetSaveFileName(window_.get(), "Export", "", "*.json"),
              "/tmp/profile.json");
    EXPECT_EQ(ui::FileDialogs::GetOpenFileName(window_.get(), "Import", "", "*.json"), "");
}

TEST_F(AutomationBusTest, AClickThatOpensAModalBoxIsAnsweredWhileTheBoxIsOpen) {
    // A control of the page that asks the user something.
    auto* ask = new QPushButton(window_->FindControl("title_bar"));
    ask->setObjectName("ask_btn");
    ask->show();
    window_->PaintManager().AttachControls(ask);
    int result = -1;
    QObject::connect(ask, &QPushButton::clicked, [&] {
        result = ShowMessage(window_.get(), "title", "text", 96, false, CMsgWnd::kConfirmAndCancel);
    });

    QDBusPendingCall click = Start("Click", {QStringLiteral("ask_btn")});
    bool answeredWhileOpen = false;
    bool confirmed = false;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr || confirmed) return;
        if (click.isFinished()) {
            answeredWhileOpen = true;
            // The box is driven like any window while it runs.
            const QDBusMessage windows = Call("Windows", {});
            EXPECT_TRUE(windows.arguments().value(0).toStringList().contains("MsgWnd"));
            confirmed = true;
            Start("Click", {QStringLiteral("MsgWnd/confirm_btn")});
        } else if (clock.elapsed() > 4000) {
            confirmed = true;
            qobject_cast<QDialog*>(box)->done(0);
        }
    });
    poll.start(20);
    ASSERT_TRUE(WaitUntil([&] { return result != -1; }, 8000));
    EXPECT_TRUE(answeredWhileOpen);
    EXPECT_EQ(result, 1);
    delete ask;
}

TEST(AutomationWithoutSimulator, TheInterfaceIsNotOffered) {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    QWidget window;
    {
        MessageBus service(&window, QDBusConnection::sessionBus());
        ASSERT_TRUE(service.Register()) << service.Error().toStdString();
        QDBusConnection client =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("peek"));
        const QString interfaces = Introspect(client);
        EXPECT_TRUE(interfaces.contains(kMessagesInterface)) << interfaces.toStdString();
        EXPECT_FALSE(interfaces.contains(kAutomationInterface));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("peek"));
}

#if defined(QX580_PATH) && defined(QX580CTL_PATH)
struct CtlRun {
    int status = -1;
    QString out;
    QString err;
};

// qx580ctl as a user runs it (this thread keeps serving its events meanwhile).
CtlRun Ctl(const QStringList& args) {
    QProcess ctl;
    ctl.start(QStringLiteral(QX580CTL_PATH), args);
    CtlRun run;
    if (!WaitUntil([&] { return ctl.state() == QProcess::NotRunning; }, 15000)) {
        ctl.kill();
        ctl.waitForFinished();
        return run;
    }
    run.out = QString::fromUtf8(ctl.readAllStandardOutput());
    run.err = QString::fromUtf8(ctl.readAllStandardError());
    run.status = ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    return run;
}

// The program as a user starts it, in user folders of its own.
class RunningProgram {
  public:
    explicit RunningProgram(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", home_.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home_.path());
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(QX580_PATH), args);
    }
    ~RunningProgram() {
        process_.terminate();
        if (!process_.waitForFinished(qx::test::Patience(10000))) process_.kill();
        process_.waitForFinished();
    }
    QProcess& Process() { return process_; }
    QString Folder() const { return home_.path(); }

  private:
    QTemporaryDir home_;
    QProcess process_;
};

TEST(AutomationOfTheProgram, QxCtlDrivesTheSimulatedProgramsWindow) {
    RunningProgram program({"--simulate"});
    ASSERT_TRUE(program.Process().waitForStarted());
    // Up once its window is shown after the first device pass.
    ASSERT_TRUE(WaitUntil(
        [] {
            return Ctl({"ui", "windows"}).out == "MainWnd\n";
        },
        20000))
        << program.Process().readAllStandardError().toStdString();

    QDBusConnection client =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("spy"));
    AutomationBroadcastSpy spy;
    ASSERT_TRUE(client.connect(QString(), kBusObjectPath, kMessagesInterface,
                               QStringLiteral("Broadcast"), &spy,
                               SLOT(Broadcast(QString, int, int))));

    CtlRun run = Ctl({"ui", "state", "control_light_status"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject before = ParseState(run.out);
    EXPECT_EQ(before["class"].toString(), "QPushButton");
    EXPECT_TRUE(before["visible"].toBool());

    ASSERT_EQ(Ctl({"ui", "click", "control_light_status"}).status, 0);
    ASSERT_TRUE(WaitUntil([&] { return !spy.seen.empty(); }));
    EXPECT_EQ(spy.seen.back(), std::make_tuple(kLightBroadcast, 1, 0));
    const QJsonObject after = ParseState(Ctl({"ui", "state", "control_light_status"}).out);
    EXPECT_NE(after["text"].toString(), before["text"].toString());

    // The settings window's language choice: every text follows.
    ASSERT_EQ(Ctl({"ui", "click", "setbtn"}).status, 0);
    ASSERT_TRUE(WaitUntil([&] {
        return Ctl({"ui", "state", "SetWnd/Language_combox_info"}).status == 0;
    }));
    const QJsonObject combo = ParseState(Ctl({"ui", "state", "Language_combox_info"}).out);
    const int other = 1 - combo["selected_index"].toInt();
    ASSERT_EQ(Ctl({"ui", "select", "Language_combox_info", QString::number(other)}).status, 0);
    EXPECT_EQ(ParseState(Ctl({"ui", "state", "control_light_status"}).out)["text"].toString(),
              ShippedText(other == 0 ? "lan_en.json" : "lan_cn.json", "control_light_off_text"));
    ASSERT_EQ(Ctl({"ui", "click", "SetWnd/closebtn"}).status, 0);

    const QString picture = program.Folder() + "/shot.png";
    run = Ctl({"ui", "shot", picture});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE(QImage(picture, "PNG").isNull());

    run = Ctl({"ui", "click", "no_such_btn"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("no control named \"no_such_btn\"")) << run.err.toStdString();
    run = Ctl({"ui", "select", "device_profile_combo", "9"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("not 9")) << run.err.toStdString();
    EXPECT_EQ(Ctl({"ui", "select", "device_profile_combo", "one"}).status, 2);
    EXPECT_EQ(Ctl({"ui", "wave", "closebtn"}).status, 2);
    EXPECT_EQ(Ctl({"ui", "answer", "maybe"}).status, 2);
    QDBusConnection::disconnectFromBus(QStringLiteral("spy"));
}

TEST(AutomationOfTheProgram, WithoutSimulateThereIsNoDriver) {
    RunningProgram program({});
    ASSERT_TRUE(program.Process().waitForStarted());
    QDBusConnection client =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("peek-real"));
    QString interfaces;
    ASSERT_TRUE(WaitUntil(
        [&] {
            interfaces = Introspect(client);
            return interfaces.contains(kMessagesInterface);
        },
        20000));
    EXPECT_FALSE(interfaces.contains(kAutomationInterface)) << interfaces.toStdString();
    const CtlRun run = Ctl({"ui", "windows"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("qx580 --simulate")) << run.err.toStdString();
    QDBusConnection::disconnectFromBus(QStringLiteral("peek-real"));
}
#endif

}  // namespace
}  // namespace qx::app::test

#include "automation_bus_test.moc"
