// qx580-audio on a private session bus: what reaches a stand-in for the program (sample blocks,
// six values), the helper commands and style colours it obeys, and its silence while the
// program is not on the bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "audio_capture/capture_contract.h"
#include "test_time.h"
#include "ui/messages.h"

namespace {

using namespace qx::audio_capture;

struct Received {
    unsigned kind;
    QByteArray data;
};

// The program's Messages interface, as far as the capture program uses it.
class ProgramStandIn : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Messages")
  public:
    explicit ProgramStandIn(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    std::vector<Received> received;

  public slots:
    void CopyData(const QString&, uint kind, const QByteArray& data) {
        received.push_back({kind, data});
    }
};

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > qx::test::Patience(ms)) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

int32_t Word(const QByteArray& data, int index) {
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + 4 * index;
    return int32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
}

// A mono 16-bit WAV file of a 440 Hz tone (amplitude 0-1), `seconds` long.
QString ToneFile(const QTemporaryDir& dir, double amplitude, double seconds) {
    const int rate = 25000;
    const int frames = int(rate * seconds);
    QByteArray bytes("RIFF");
    const auto put = [&bytes](uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bytes.append(char(v >> (8 * i)));
    };
    put(36 + frames * 2, 4);
    bytes.append("WAVEfmt ");
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    bytes.append("data");
    put(frames * 2, 4);
    for (int f = 0; f < frames; ++f)
        put(uint16_t(int16_t(
                std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * 440 * f / rate)))),
            2);
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

class CaptureBus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.isConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(qx::test::Patience(5000));
        }
        bus_.unregisterObject(QString::fromLatin1(kProgramObjectPath));
        bus_.unregisterService(QString::fromLatin1(kProgramService));
    }
    ProgramStandIn* BeTheProgram() {
        auto* object = new QObject(&owner_);
        auto* standIn = new ProgramStandIn(object);
        EXPECT_TRUE(bus_.registerService(QString::fromLatin1(kProgramService)));
        EXPECT_TRUE(bus_.registerObject(QString::fromLatin1(kProgramObjectPath), object));
        return standIn;
    }
    void Start(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QX580_DEBUG"), QStringLiteral("1"));
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral(QX580_AUDIO_PATH), arguments);
        ASSERT_TRUE(process_.waitForStarted());
        ASSERT_TRUE(WaitFor([this] {
            return bus_.interface()->isServiceRegistered(QString::fromLatin1(kCaptureService));
        })) << process_.readAllStandardError().toStdString();
    }
    bool Finished() {
        return WaitFor([this] { return process_.state() == QProcess::NotRunning; });
    }
    void Tell(const char* method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kCaptureService), QString::fromLatin1(kCaptureObjectPath),
            QString::fromLatin1(kMessagesInterface), QString::fromLatin1(method));
        call.setArguments(arguments);
        const QDBusMessage reply = bus_.call(call);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    QDBusConnection bus_ = QDBusConnection::sessionBus();
    QTemporaryDir dir_;
    QObject owner_;
    QProcess process_;
};

// Half a second of a loud tone: 25 blocks of 500 samples and their six values, in real time.
TEST_F(CaptureBus, AFileReachesTheProgramAsBlocksAndSixValues) {
    ProgramStandIn* program = BeTheProgram();
    Start({QStringLiteral("--file"), ToneFile(dir_, 1.0, 0.5)});
    ASSERT_TRUE(Finished());
    EXPECT_EQ(process_.exitCode(), 0) << process_.readAllStandardError().toStdString();
    WaitFor([program] { return program->received.size() >= 50; }, 2000);
    int blocks = 0, six = 0;
    for (const Received& r : program->received) {
        if (r.kind == kSamplesKind) {
            ++blocks;
            ASSERT_EQ(r.data.size(), 2000);
            int32_t peak = 0;
            for (int i = 0; i < 500; ++i) peak = std::max(peak, std::abs(Word(r.data, i)));
            EXPECT_NEAR(peak, 2047, 3);
        } else if (r.kind == kSixValuesKind) {
            ++six;
            ASSERT_EQ(r.data.size(), 24);
            EXPECT_EQ(Word(r.data, 3), 255) << "a full-scale tone is full loudness";
        }
    }
    EXPECT_EQ(blocks, 25);
    EXPECT_EQ(six, 25);
}

// After a hello only the blocks asked for are sent: none, then the samples alone.
TEST_F(CaptureBus, AfterAHelloOnlyTheBlocksAskedForAreSent) {
    ProgramStandIn* program = BeTheProgram();
    Start({QStringLiteral("--file"), ToneFile(dir_, 1.0, 0.2), QStringLiteral("--loop")});
    const QString command = QString::fromLatin1(qx::msg::kAudioHelperCommandName.data(),
                                                qsizetype(qx::msg::kAudioHelperCommandName.size()));
    Tell("PostMessage", {command, kCommandHello, 0});
    WaitFor([] { return false; }, 300);  // blocks sent before the hello arrive first
    program->received.clear();
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(program->received.empty()) << program->received.size() << " blocks unasked";
    Tell("PostMessage", {command, kCommandSamples, 0});
    ASSERT_TRUE(WaitFor([program] { return program->received.size() >= 5; }));
    for (const Received& r : program->received) EXPECT_EQ(r.kind, kSamplesKind);
}

// Commands 6-8 and a style colour (kind 10, slider steps 0-9) set the colour of the six values.
TEST_F(CaptureBus, HelperCommandsAndStyleColoursSetTheColour) {
    ProgramStandIn* program = BeTheProgram();
    Start({QStringLiteral("--file"), ToneFile(dir_, 1.0, 0.2), QStringLiteral("--loop")});
    const QString command = QString::fromLatin1(qx::msg::kAudioHelperCommandName.data(),
                                                qsizetype(qx::msg::kAudioHelperCommandName.size()));
    for (int c : {kCommandHello, kCommandSamples, kCommandSixValues})
        Tell("PostMessage", {command, c, 0});
    Tell("PostMessage", {command, kCommandRed, 10});
    Tell("PostMessage", {command, kCommandGreen, 20});
    Tell("PostMessage", {command, kCommandBlue, 300});
    const auto lastColour = [program] {
        for (auto r = program->received.rbegin(); r != program->received.rend(); ++r)
            if (r->kind == kSixValuesKind)
                return std::array<int32_t, 3>{Word(r->data, 0), Word(r->data, 1), Word(r->data, 2)};
        return std::array<int32_t, 3>{-1, -1, -1};
    };
    program->received.clear();
    EXPECT_TRUE(WaitFor([&] {
        return lastColour() == std::array<int32_t, 3>{10, 20, 255};
    })) << lastColour()[0]
        << "," << lastColour()[1] << "," << lastColour()[2];

    QByteArray style(40, '\0');
    style[0] = 9;  // red 9, green 0, blue 3 in slider steps
    style[8] = 3;
    Tell("CopyData", {QStringLiteral("test"), uint(kStyleColourKind), style});
    program->received.clear();
    EXPECT_TRUE(WaitFor([&] { return lastColour() == std::array<int32_t, 3>{255, 0, 85}; }));
    // A colour of the wrong size changes nothing.
    Tell("CopyData", {QStringLiteral("test"), uint(kStyleColourKind), QByteArray(12, '\1')});
    program->received.clear();
    WaitFor([&] { return program->received.size() > 4; });
    EXPECT_EQ(lastColour(), (std::array<int32_t, 3>{255, 0, 85}));
}

// While the program is not on the bus nothing is sent; once it comes, blocks flow.
TEST_F(CaptureBus, NothingIsSentWhileTheProgramIsAway) {
    Start({QStringLiteral("--file"), ToneFile(dir_, 0.5, 0.3)});
    ASSERT_TRUE(Finished());
    EXPECT_EQ(process_.exitCode(), 0);
    EXPECT_TRUE(process_.readAllStandardError().contains("qx580-audio: 0 blocks sent"));

    ProgramStandIn* program = BeTheProgram();
    Start({QStringLiteral("--file"), ToneFile(dir_, 0.5, 0.3)});
    ASSERT_TRUE(Finished());
    WaitFor([program] { return program->received.size() >= 30; }, 2000);
    EXPECT_EQ(program->received.size(), 30u);
}

TEST_F(CaptureBus, BadArgumentsAndFilesAreRefused) {
    QProcess run;
    run.start(QStringLiteral(QX580_AUDIO_PATH),
              {QStringLiteral("--file"), QStringLiteral("/nonexistent.wav")});
    ASSERT_TRUE(run.waitForFinished());
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_TRUE(run.readAllStandardError().contains("cannot open"));
    run.start(QStringLiteral(QX580_AUDIO_PATH),
              {QStringLiteral("--gain-shift"), QStringLiteral("12")});
    ASSERT_TRUE(run.waitForFinished());
    EXPECT_EQ(run.exitCode(), 2);
    run.start(QStringLiteral(QX580_AUDIO_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(run.waitForFinished());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(run.readAllStandardOutput().contains("examples:"));
}

}  // namespace

#include "capture_bus_test.moc"
