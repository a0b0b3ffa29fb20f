// Lighting that follows the sound, end to end: qx580 --simulate on a private session bus, our
// capture program playing a WAV file to it, the keyboard in the sound effect; what reaches the
// simulated keyboard's frame memory follows the sound. The program starts its own capture
// program while a sound effect is chosen, telling the user when it cannot capture. From outside:
// only one sample block in three feeds the keyboard, empty and oversized blocks are ignored; the
// sound style and colours set through qx580ctl reach the profile, the panel and the drawing; the
// style window saves the presets file keeping its other members.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
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
#include <cmath>
#include <functional>
#include <numbers>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

QProcessEnvironment Environment(const QTemporaryDir& home) {
    QProcessEnvironment env = qx::app::ctl_test::Environment(home);
    // No sound server: the capture program the program starts itself cannot capture.
    env.insert("PULSE_SERVER", home.filePath("no-sound-server"));
    return env;
}

QString Ctl(const QProcessEnvironment& env, const QStringList& args, int* status = nullptr) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QX580CTL_PATH), args);
    if (!process.waitForFinished(qx::test::Patience(20000))) process.kill();
    process.waitForFinished();
    if (status != nullptr) *status = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(ms)) return false;
        QThread::msleep(200);
    }
    return true;
}

// A mono 16-bit WAV file of a 440 Hz tone at `amplitude` (0: silence), `seconds` long.
QString WavFile(const QTemporaryDir& dir, const QString& name, double amplitude, double seconds) {
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
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// The sum of the keyboard's frame memory: how much light it was last given.
long FrameLight(const QProcessEnvironment& env) {
    const QJsonDocument memory =
        QJsonDocument::fromJson(Ctl(env, {"sim", "mem", "keyboard", "frame", "--json"}).toUtf8());
    long sum = 0;
    for (const QJsonValue& byte : memory.array()) sum += byte.toInt();
    return sum;
}

class Sound : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        env_ = Environment(home_);
        // The user's presets file, with members of the user's own beside the presets.
        ASSERT_TRUE(QDir().mkpath(home_.filePath("data/MIRVEL QX-580 Device")));
        QJsonDocument styles = QJsonDocument::fromJson(
            FileText(QStringLiteral(QX580_SOURCE_DATA_DIR "/DefaultData/AudioFile.json")).toUtf8());
        QJsonObject root = styles.object();
        QJsonObject styleBlock = root["Device"].toObject();
        styleBlock["Keep"] = 7;
        root["Device"] = styleBlock;
        root["Other"] = "kept";
        QFile file(StylesFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(root).toJson());
        file.close();
        program_.setProcessEnvironment(env_);
        program_.setStandardErrorFile(home_.filePath("err.txt"));
        program_.start(QStringLiteral(QX580_PATH), {"--simulate"});
        ASSERT_TRUE(program_.waitForStarted());
        const bool contact = WaitFor(
            [this] {
                const QJsonDocument devices =
                    QJsonDocument::fromJson(Ctl(env_, {"devices", "--json"}).toUtf8());
                for (const QJsonValue& device : devices["devices"].toArray())
                    if (device["device"] == "keyboard" && device["online"].toBool()) return true;
                return false;
            },
            30000);
        ASSERT_TRUE(contact) << Log().right(3000).toStdString();
        QThread::msleep(1500);  // first contact
    }
    void TearDown() override {
        for (QProcess* process : {&capture_, &program_}) {
            if (process->state() == QProcess::NotRunning) continue;
            process->terminate();
            if (!process->waitForFinished(qx::test::Patience(10000))) process->kill();
            process->waitForFinished();
        }
    }
    QString Log() const { return FileText(home_.filePath("err.txt")); }
    QString StylesFile() const {
        return home_.filePath("data/MIRVEL QX-580 Device/AudioFile.json");
    }
    QJsonObject Stats() const {
        return QJsonDocument::fromJson(Ctl(env_, {"light", "stats", "--json"}).toUtf8()).object();
    }
    // A block of `kind` sent to the program as a capture program sends it.
    static bool Send(uint kind, const QByteArray& data) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.mirvel.QX580", "/org/mirvel/QX580",
                                                           "org.mirvel.QX580.Messages", "CopyData");
        call << QStringLiteral("test") << kind << data;
        return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000).type() ==
               QDBusMessage::ReplyMessage;
    }
    void Play(const QString& wav) {
        if (capture_.state() != QProcess::NotRunning) {
            capture_.terminate();
            capture_.waitForFinished(qx::test::Patience(5000));
        }
        capture_.setProcessEnvironment(env_);
        capture_.start(QFileInfo(QStringLiteral(QX580_PATH)).dir().filePath("qx580-audio"),
                       {"--file", wav, "--loop"});
        ASSERT_TRUE(capture_.waitForStarted());
    }
    void ChooseEffect(int effect) {
        int status = -1;
        Ctl(env_, {"light", "set", "--device", "keyboard", "--effect", QString::number(effect)},
            &status);
        ASSERT_EQ(status, 0);
    }

    QTemporaryDir home_;
    QProcessEnvironment env_;
    QProcess program_;
    QProcess capture_;
};

// A loud tone lights the keyboard's bars; silence lets them fall back to the background.
TEST_F(Sound, TheKeyboardFollowsWhatTheCaptureProgramPlays) {
    Play(WavFile(home_, "loud.wav", 0.8, 2.0));
    ASSERT_TRUE(
        WaitFor([this] { return Log().contains("audio capture program on the bus"); }, 10000))
        << "the program did not find the capture program";
    ChooseEffect(29);
    long loud = 0;
    EXPECT_TRUE(WaitFor([&] { return (loud = FrameLight(env_)) > 0; }, 15000))
        << "no light reached the keyboard";
    Play(WavFile(home_, "silence.wav", 0.0, 2.0));
    long quiet = loud;
    EXPECT_TRUE(WaitFor([&] { return (quiet = FrameLight(env_)) < loud / 4; }, 15000))
        << "loud " << loud << ", after silence " << quiet;
    EXPECT_FALSE(Log().contains("qx580-audio started")) << "another capture program was there";
}

// Without a capture program on the bus, choosing the sound effect starts ours; without a sound
// server it cannot capture, and the window says why.
TEST_F(Sound, ChoosingTheSoundEffectStartsTheCaptureProgram) {
    ChooseEffect(29);
    EXPECT_TRUE(WaitFor([this] { return Log().contains("qx580-audio started"); }, 10000));
    EXPECT_TRUE(WaitFor([this] { return Log().contains("audio capture: "); }, 15000))
        << Log().right(2000).toStdString();
    EXPECT_TRUE(Log().contains("no sound server")) << Log().right(2000).toStdString();
    const QJsonDocument bar =
        QJsonDocument::fromJson(Ctl(env_, {"ui", "state", "notice_bar"}).toUtf8());
    EXPECT_TRUE(bar["visible"].toBool());
    // Another effect: nothing is started again.
    ChooseEffect(5);
    QThread::msleep(1000);
    EXPECT_EQ(Log().count("qx580-audio started"), 1);
}

// Nine sample blocks feed the keyboard three times, whatever the phase of the analysis; an
// empty block, blocks longer than their kind allows and an unknown kind are ignored.
TEST_F(Sound, OneSampleBlockInThreeFeedsTheKeyboardAndBadBlocksAreIgnored) {
    const QJsonObject before = Stats();
    ASSERT_TRUE(before.contains("levelFeeds")) << Ctl(env_, {"light", "stats"}).toStdString();
    QByteArray block(2000, '\0');
    for (int i = 0; i < 9; ++i) {
        block[4 * i] = char(i * 16);  // samples that differ from block to block
        ASSERT_TRUE(Send(1, block));
    }
    for (const auto& [kind, size] :
         {std::pair{1u, 0}, std::pair{1u, 2004}, std::pair{2u, 28}, std::pair{7u, 4}})
        ASSERT_TRUE(Send(kind, QByteArray(size, '\x10')));
    ASSERT_TRUE(Send(2, QByteArray(24, '\x01')));
    ASSERT_TRUE(Send(1, QByteArray(8, '\x01'))) << "a short block is taken";
    const QJsonObject after = Stats();
    auto delta = [&](const char* key) { return after[key].toInteger() - before[key].toInteger(); };
    EXPECT_EQ(delta("sampleBlocks"), 10);
    EXPECT_EQ(delta("levelFeeds"), 3) << QJsonDocument(after).toJson().toStdString();
    EXPECT_EQ(delta("ignored"), 4);
    EXPECT_EQ(delta("valueBlocks"), 1);
    EXPECT_EQ(delta("valueFeeds"), 1);
    int status = -1;
    Ctl(env_, {"light", "stats", "--bogus"}, &status);
    EXPECT_EQ(status, 2);
}

// The sound style and colours from outside: stored in the profile, shown on the page and drawn:
// without sound the keyboard shows the background.
TEST_F(Sound, TheSoundSettingsAreReachedFromOutside) {
    ChooseEffect(29);
    int status = -1;
    Ctl(env_,
        {"light", "set", "--device", "keyboard", "--sound-style", "1", "--background", "0,0,0",
         "--foreground", "255,128,0", "--edit", "foreground"},
        &status);
    ASSERT_EQ(status, 0);
    const QJsonDocument got = QJsonDocument::fromJson(
        Ctl(env_, {"light", "get", "--device", "keyboard", "--json"}).toUtf8());
    const QJsonObject sound = got["devices"][0]["sound"].toObject();
    EXPECT_EQ(sound["style"].toInt(), 1);
    EXPECT_EQ(sound["foreground"].toArray(), (QJsonArray{255, 128, 0}));
    EXPECT_EQ(sound["edited"].toString(), "foreground");
    const QJsonDocument edit =
        QJsonDocument::fromJson(Ctl(env_, {"ui", "state", "deng_audioedit_G"}).toUtf8());
    EXPECT_EQ(edit["text"].toString(), "128");
    const QJsonDocument style =
        QJsonDocument::fromJson(Ctl(env_, {"ui", "state", "light_combo_audiomodeSelect"}).toUtf8());
    EXPECT_EQ(style["selected_index"].toInt(), 1);
    // No sound and a black background: nothing lit; a blue background lights the keyboard blue.
    EXPECT_TRUE(WaitFor([&] { return FrameLight(env_) == 0; }, 15000));
    Ctl(env_, {"light", "set", "--device", "keyboard", "--background", "0,0,200"}, &status);
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(WaitFor([&] { return FrameLight(env_) > 0; }, 15000));
    const QJsonDocument memory =
        QJsonDocument::fromJson(Ctl(env_, {"sim", "mem", "keyboard", "frame", "--json"}).toUtf8());
    long red = 0;
    for (qsizetype i = 0; i + 2 < memory.array().size(); i += 3) red += memory[i].toInt();
    EXPECT_EQ(red, 0) << "only blue is shown";
    // Values out of range are usage errors; a device without sound lighting refuses.
    Ctl(env_, {"light", "set", "--device", "keyboard", "--sound-style", "7"}, &status);
    EXPECT_EQ(status, 2);
    Ctl(env_, {"light", "set", "--device", "keyboard", "--foreground", "1,2"}, &status);
    EXPECT_EQ(status, 2);
    Ctl(env_, {"light", "set", "--device", "headset", "--sound-style", "1"}, &status);
    EXPECT_EQ(status, 1);
}

// The style window opened from the page: OK saves the presets, the file's other members stay.
TEST_F(Sound, TheStyleWindowKeepsTheOtherMembersOfThePresetsFile) {
    ChooseEffect(29);
    int status = -1;
    auto ui = [&](const QStringList& args) {
        Ctl(env_, QStringList{"ui"} + args, &status);
        return status == 0;
    };
    ASSERT_TRUE(ui({"click", "deng_Op_tab"}));
    ASSERT_TRUE(ui({"click", "music_setting_btn"}));
    ASSERT_TRUE(WaitFor([&] { return Ctl(env_, {"ui", "windows"}).contains("MusicWnd"); }, 10000));
    ASSERT_TRUE(ui({"click", "MusicWnd/audio_select_tab3"}));
    ASSERT_TRUE(ui({"value", "MusicWnd/audio_r_slider", "5"}));
    ASSERT_TRUE(ui({"text", "MusicWnd/audio_edit_name1", ""}));
    ASSERT_TRUE(ui({"click", "MusicWnd/okbtn"}));
    ASSERT_TRUE(WaitFor([&] { return !Ctl(env_, {"ui", "windows"}).contains("MusicWnd"); }, 10000));
    const QJsonObject file = QJsonDocument::fromJson(FileText(StylesFile()).toUtf8()).object();
    EXPECT_EQ(file["Other"].toString(), "kept");
    EXPECT_EQ(file["Device"]["Keep"].toInt(), 7);
    const QJsonObject info = file["Device"]["AudioLightInfo"].toObject();
    EXPECT_EQ(info["nAudioStyle"].toInt(), 2);
    EXPECT_EQ(info["nStyleR2"].toInt(), 5);
    EXPECT_EQ(info["nStyleName1"].toString(), QString::fromUtf8("第一组"));
}

}  // namespace
