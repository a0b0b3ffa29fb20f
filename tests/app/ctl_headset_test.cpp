// The headset's sound settings from outside: qx580 --simulate on a private session bus, driven by
// qx580ctl headset. Each change is proven by the window's controls and by the profile file.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

QString OptionValue(const CtlRun& get, const QString& name) {
    for (const QJsonValue& option : QJsonDocument::fromJson(get.out.toUtf8())["options"].toArray())
        if (option["name"].toString() == name) return option["value"].toString();
    return {};
}

// The settings of the headset's profile (the one profile of a fresh folder).
QJsonObject Stages(const QTemporaryDir& home) {
    const QDir folder(home.filePath("data/MIRVEL QX-580 Device/HD"));
    const QStringList profiles = folder.entryList({"*.Json"}, QDir::Files);
    if (profiles.size() != 1) return {};
    QFile file(folder.filePath(profiles.front()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document["Device"][0]["SystemSetStages"].toObject();
}

TEST(HeadsetFromOutside, EveryHeadsetSettingGoesThroughTheRunningProgram) {
    QTemporaryDir home;
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();
    QElapsedTimer clock;
    clock.start();
    bool online = false;
    while (!online && clock.elapsed() < 30000) {
        const CtlRun list = Ctl(env, {"devices", "--json"});
        for (const QJsonValue& device :
             QJsonDocument::fromJson(list.out.toUtf8())["devices"].toArray())
            online =
                online || (device["device"].toString() == "headset" && device["online"].toBool());
        QThread::msleep(200);
    }
    ASSERT_TRUE(online);
    // The profile's first application (a moment after the arrival) is over before the changes.
    QThread::msleep(1500);
    const CtlRun first = Ctl(env, {"headset", "set", "mic", "33"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();

    EXPECT_EQ(Ctl(env, {"headset", "set", "mic-mute", "on"}).status, 0);
    EXPECT_EQ(Ctl(env, {"headset", "set", "monitor", "71"}).status, 0);
    EXPECT_EQ(Ctl(env, {"headset", "set", "eq", "7"}).status, 0);
    EXPECT_EQ(Ctl(env, {"headset", "set", "voice", "3"}).status, 0);
    EXPECT_EQ(Ctl(env, {"headset", "set", "surround", "on"}).status, 0);
    EXPECT_EQ(Ctl(env, {"headset", "set", "eq-band", "4", "-9"}).status, 0);

    const CtlRun get = Ctl(env, {"headset", "get", "--json"});
    ASSERT_EQ(get.status, 0) << get.err.toStdString();
    EXPECT_EQ(OptionValue(get, "mic"), "33");
    EXPECT_EQ(OptionValue(get, "mic-mute"), "on");
    EXPECT_EQ(OptionValue(get, "monitor"), "71");
    EXPECT_EQ(OptionValue(get, "voice"), "3");
    EXPECT_EQ(OptionValue(get, "surround"), "on");
    EXPECT_EQ(OptionValue(get, "eq"), "custom") << "a moved band makes the page custom";
    EXPECT_EQ(OptionValue(get, "eq-band-4"), "-9");

    // The window shows it.
    const CtlRun slider = Ctl(env, {"ui", "state", "6533_MicMoniter_slider"});
    EXPECT_EQ(QJsonDocument::fromJson(slider.out.toUtf8())["value"].toInt(), 71)
        << slider.out.toStdString();
    const CtlRun voice = Ctl(env, {"ui", "state", "magic_option_3"});
    EXPECT_TRUE(QJsonDocument::fromJson(voice.out.toUtf8())["checked"].toBool());

    const QJsonObject stages = Stages(home);
    EXPECT_EQ(stages["MicInValue"].toInt(), 33);
    EXPECT_EQ(stages["MicInSelect"].toInt(), 0);
    EXPECT_EQ(stages["MicMoniterValue"].toInt(), 71);
    EXPECT_EQ(stages["EqType"].toInt(), 7) << "the moved band is not saved until named";
    EXPECT_EQ(stages["MagicEnable"].toInt(), 1);
    EXPECT_EQ(stages["MagicType"].toInt(), 3);

    // Bad values and forms: exit 2 with a message.
    for (const QStringList& bad :
         {QStringList{"headset", "set", "mic", "101"}, QStringList{"headset", "set", "eq", "13"},
          QStringList{"headset", "set", "eq-band", "11", "0"},
          QStringList{"headset", "set", "voice", "robot"},
          QStringList{"headset", "set", "volume", "3"}, QStringList{"headset", "frob"}}) {
        const CtlRun run = Ctl(env, bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    const CtlRun help = Ctl(env, {"headset", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("example: qx580ctl headset set"));

    program.Stop();
}

}  // namespace
