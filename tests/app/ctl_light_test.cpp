// The lighting from outside: qx580ctl light talks to the running qx580 --simulate, which stores,
// saves and writes each change before it answers; the keyboard's settings block in the simulated
// memory shows what reached the device. Synchronised lighting on and off across the keyboard and
// the headset.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>

#include "app/light_sync.h"
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

QJsonObject Lighting(const QProcessEnvironment& env, const QString& device, bool* sync = nullptr) {
    const CtlRun run = Ctl(env, {"light", "get", "--json"});
    const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8()).object();
    if (sync != nullptr) *sync = root["sync"].toBool();
    for (const QJsonValue& d : root["devices"].toArray())
        if (d["device"].toString() == device) return d.toObject();
    return {};
}

// Bytes 0-25 of the keyboard's settings memory (profile 0's block).
QJsonArray KeyboardBlock(const QProcessEnvironment& env) {
    const CtlRun run = Ctl(env, {"sim", "mem", "keyboard", "config", "0", "26", "--json"});
    return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

class LightFromOutside : public ::testing::Test {
  protected:
    void SetUp() override {
        env = Environment(home);
        program.setProcessEnvironment(env);
        program.setStandardErrorFile(home.filePath("err.txt"));
        program.start(QStringLiteral(QX580_PATH), {"--simulate"});
        ASSERT_TRUE(program.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            if (Lighting(env, "keyboard")["online"].toBool() &&
                Lighting(env, "headset")["online"].toBool())
                break;
            QThread::msleep(200);
        }
        ASSERT_TRUE(Lighting(env, "keyboard")["online"].toBool());
        ASSERT_TRUE(Lighting(env, "headset")["online"].toBool());
        // On-line comes before first contact, which reads the devices' settings: a change made
        // before it ends would be read over.
        QThread::msleep(1500);
    }
    void TearDown() override {
        program.terminate();
        if (!program.waitForFinished(qx::test::Patience(10000))) program.kill();
        program.waitForFinished();
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess program;
};

TEST_F(LightFromOutside, SetReachesTheKeyboardsBlockBeforeTheAnswer) {
    const CtlRun set =
        Ctl(env, {"light", "set", "--device", "keyboard", "--effect", "5", "--brightness", "3",
                  "--speed", "1", "--direction", "0", "--colour", "10,20,30"});
    ASSERT_EQ(set.status, 0) << set.err.toStdString();
    // Read at once: the answer came after the write.
    const QJsonArray block = KeyboardBlock(env);
    ASSERT_EQ(block.size(), 26);
    EXPECT_EQ(block[1].toInt(), 5);      // the effect's code
    EXPECT_EQ(block[2].toInt(), 3);      // brightness
    EXPECT_EQ(block[3].toInt(), 4 - 1);  // 4 - speed
    EXPECT_EQ(block[4].toInt(), 0);      // direction
    EXPECT_EQ(block[5].toInt(), 0);      // a colour given turns colourful off
    EXPECT_EQ(block[6].toInt(), 10);
    EXPECT_EQ(block[7].toInt(), 20);
    EXPECT_EQ(block[8].toInt(), 30);

    const QJsonObject shown = Lighting(env, "keyboard");
    EXPECT_EQ(shown["effect"].toInt(), 5);
    EXPECT_EQ(shown["effectName"].toString(), "light_effect_static");
    EXPECT_EQ(shown["speed"].toInt(), 1);
    EXPECT_EQ(shown["red"].toInt(), 10);

    // Only what is given changes; a host-driven effect is written as 254.
    ASSERT_EQ(Ctl(env, {"light", "set", "--device", "keyboard", "--effect", "29"}).status, 0);
    const QJsonArray host = KeyboardBlock(env);
    EXPECT_EQ(host[1].toInt(), 254);
    EXPECT_EQ(host[2].toInt(), 3);
    EXPECT_EQ(host[6].toInt(), 10);

    const CtlRun text = Ctl(env, {"light", "get", "--device", "keyboard"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("keyboard: effect 29")) << text.out.toStdString();
}

TEST_F(LightFromOutside, BadValuesAndDevicesAreRefusedWithTheReason) {
    struct Case {
        QStringList args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"set", "--device", "keyboard", "--brightness", "9"}, 2, "bad value \"9\""},
        {{"set", "--device", "toaster", "--effect", "1"}, 2, "unknown device \"toaster\""},
        {{"set", "--device", "keyboard", "--colour", "1,2"}, 2, "bad colour"},
        {{"set", "--device", "keyboard"}, 2, "nothing to set"},
        {{"set", "--device", "keyboard", "--effect", "99"}, 2, "out of range"},
        {{"sync", "maybe"}, 2, "on or off"},
        {{"get", "--device", "toaster"}, 2, "unknown device"},
    };
    for (const Case& c : cases) {
        const CtlRun run = Ctl(env, QStringList{"light"} + c.args);
        EXPECT_EQ(run.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    // Nothing reached the keyboard from them.
    EXPECT_NE(KeyboardBlock(env)[1].toInt(), 99);
    const CtlRun help = Ctl(env, {"light", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("example:"));
    EXPECT_TRUE(help.out.contains("--colour R,G,B"));
}

TEST_F(LightFromOutside, SyncGivesEveryDeviceTheEffectAndOffGivesTheirOwnBack) {
    ASSERT_EQ(
        Ctl(env, {"light", "set", "--device", "keyboard", "--effect", "6", "--colour", "0,255,0"})
            .status,
        0);
    const int headsetBefore = Lighting(env, "headset")["effect"].toInt();
    const CtlRun on = Ctl(env, {"light", "sync", "on"});
    ASSERT_EQ(on.status, 0) << on.err.toStdString();
    bool sync = false;
    const QJsonObject keyboard = Lighting(env, "keyboard", &sync);
    const QJsonObject headset = Lighting(env, "headset");
    EXPECT_TRUE(sync);
    EXPECT_TRUE(keyboard["synchronised"].toBool());
    EXPECT_TRUE(headset["synchronised"].toBool());
    EXPECT_EQ(keyboard["effect"].toInt(), 6);  // breathing
    EXPECT_EQ(headset["effect"].toInt(), 2);   // the headset's breathing
    EXPECT_EQ(headset["green"].toInt(), 255);
    EXPECT_EQ(KeyboardBlock(env)[1].toInt(), 6);

    const CtlRun off = Ctl(env, {"light", "sync", "off"});
    ASSERT_EQ(off.status, 0) << off.err.toStdString();
    const QJsonObject back = Lighting(env, "headset", &sync);
    EXPECT_FALSE(sync);
    EXPECT_FALSE(back["synchronised"].toBool());
    EXPECT_EQ(back["effect"].toInt(), headsetBefore);

    // An effect without a synchronised version is refused, nothing changed.
    ASSERT_EQ(Ctl(env, {"light", "set", "--device", "keyboard", "--effect", "1"}).status, 0);
    const CtlRun refused = Ctl(env, {"light", "sync", "on"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("no synchronised version")) << refused.err.toStdString();
    EXPECT_FALSE(Lighting(env, "headset")["synchronised"].toBool());
}

// The synchronised lighting's thread is told to stop and joined, also from its long idle wait.
TEST(LightSyncThread, StopsAtOnceFromItsIdleWaitAndIsJoined) {
    qx::app::LightSync sync(nullptr);
    sync.Start();
    ASSERT_TRUE(sync.Running());
    QThread::msleep(50);  // in the idle wait: nobody takes part
    const auto before = std::chrono::steady_clock::now();
    sync.Stop();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_FALSE(sync.Running());
    EXPECT_LT(took, std::chrono::milliseconds(qx::app::LightSync::kIdleWaitMs / 2))
        << "the stop cut the idle wait short";
    EXPECT_EQ(sync.Steps(), 0u);
    EXPECT_FALSE(sync.SwitchOn(nullptr));
    EXPECT_FALSE(sync.SwitchOff());
}

}  // namespace
