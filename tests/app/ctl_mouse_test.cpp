// The mouse from outside: qx580 --simulate=all on a private session bus, and qx580ctl setting
// its DPI stages, polling rate, recoil data and a button's function through the program; the
// simulated mouse's memory shows what reached it.
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
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

QJsonArray Memory(const QProcessEnvironment& env, const QString& region, int offset, int length) {
    const CtlRun run = Ctl(env, {"sim", "mem", "mouse", region, QString::number(offset),
                                 QString::number(length), "--json"});
    return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

class MouseFromOutside : public ::testing::Test {
  protected:
    void SetUp() override {
        env = Environment(home);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QX580_PATH), {"--simulate=all"});
        ASSERT_TRUE(program.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            const CtlRun dpi = Ctl(env, {"dpi", "get", "--json"});
            if (dpi.status == 0 && QJsonDocument::fromJson(dpi.out.toUtf8())["maximum"].toInt() > 0)
                return;
            QThread::msleep(200);
        }
        FAIL() << "the mouse was not read in time";
    }
    void TearDown() override {
        program.terminate();
        if (!program.waitForFinished(qx::test::Patience(10000))) program.kill();
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess program;
};

TEST_F(MouseFromOutside, DpiAndPollingReachTheMouse) {
    const CtlRun set = Ctl(env, {"dpi", "set", "--stage", "1", "--value", "1600", "--colour",
                                 "0,128,255", "--active"});
    ASSERT_EQ(set.status, 0) << set.err.toStdString();
    // Stage 1 at bytes 23-31 of profile 0's block: on, 15 steps (1600 = 15 × 100 + 100), colour.
    EXPECT_EQ(Memory(env, "config", 23, 9), (QJsonArray{1, 0, 15, 0, 16, 0, 0, 128, 255}));
    EXPECT_EQ(Memory(env, "config", 12, 1), (QJsonArray{1}));
    const QJsonObject dpi =
        QJsonDocument::fromJson(Ctl(env, {"dpi", "get", "--json"}).out.toUtf8()).object();
    EXPECT_EQ(dpi["stages"].toArray()[1].toObject()["dpi"].toInt(), 1600);
    EXPECT_EQ(dpi["active"].toInt(), 1);

    const CtlRun polling = Ctl(env, {"mouse", "set", "polling", "500"});
    EXPECT_EQ(polling.status, 0) << polling.err.toStdString();
    EXPECT_EQ(Memory(env, "config", 11, 1), (QJsonArray{2}));

    // Refusals: out of the mouse's range (with the range), bad usage, a rate it lacks.
    const CtlRun tooHigh = Ctl(env, {"dpi", "set", "--stage", "0", "--value", "99999"});
    EXPECT_EQ(tooHigh.status, 1);
    EXPECT_TRUE(tooHigh.err.contains("100-26100")) << tooHigh.err.toStdString();
    EXPECT_EQ(Ctl(env, {"dpi", "set", "--stage", "7", "--value", "800"}).status, 2);
    EXPECT_EQ(Ctl(env, {"dpi", "set", "--stage", "1", "--colour", "1,2"}).status, 2);
    EXPECT_EQ(Ctl(env, {"dpi", "frob"}).status, 2);
    const CtlRun rate = Ctl(env, {"mouse", "set", "polling", "333"});
    EXPECT_NE(rate.status, 0);
    EXPECT_TRUE(rate.err.contains("125, 250, 500, 1000, 2000")) << rate.err.toStdString();
    const CtlRun help = Ctl(env, {"dpi", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("example:"));
}

TEST_F(MouseFromOutside, RecoilBulletIsSavedAndUploaded) {
    const CtlRun set = Ctl(env, {"recoil", "set", "--gun", "2", "--bullet", "3", "--y", "6",
                                 "--down", "--delay", "90"});
    ASSERT_EQ(set.status, 0) << set.err.toStdString();
    const QJsonObject bullet =
        QJsonDocument::fromJson(
            Ctl(env, {"recoil", "get", "--gun", "2", "--bullet", "3", "--json"}).out.toUtf8())
            .object();
    EXPECT_EQ(bullet["y"].toInt(), 6);
    EXPECT_FALSE(bullet["up"].toBool());
    EXPECT_EQ(bullet["delay"].toInt(), 90);

    const CtlRun upload = Ctl(env, {"recoil", "upload"});
    ASSERT_EQ(upload.status, 0) << upload.err.toStdString();
    // The image's header and four records.
    const QJsonArray header = Memory(env, "recoil", 0, 4);
    EXPECT_EQ(header[0].toInt(), 0xAA);
    EXPECT_EQ(header[1].toInt(), 0x55);

    const QString exported = home.filePath("gun2.shoot");
    EXPECT_EQ(Ctl(env, {"recoil", "export", "--gun", "2", exported}).status, 0);
    EXPECT_TRUE(QFile::exists(exported));
    QFile junk(home.filePath("junk.shoot"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not json");
    junk.close();
    const CtlRun bad = Ctl(env, {"recoil", "import", "--gun", "1", junk.fileName()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains("nothing was changed")) << bad.err.toStdString();
    EXPECT_EQ(Ctl(env, {"recoil", "set", "--gun", "4", "--bullet", "0", "--x", "1"}).status, 2);
}

TEST_F(MouseFromOutside, ButtonFunctionReachesTheMousesKeyTable) {
    // Where the mouse keeps its forward button (factory code 0x10 0x10 0x00).
    const QJsonArray before = Memory(env, "keytable", 0, 48);
    int forward = -1;
    for (int i = 0; i + 2 < before.size(); i += 3) {
        if (before[i].toInt() == 0x10 && before[i + 1].toInt() == 0x10 &&
            before[i + 2].toInt() == 0)
            forward = i;
    }
    ASSERT_GE(forward, 0);
    const CtlRun set = Ctl(env, {"key", "set", "--device", "mouse", "3", "media:play"});
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    const QJsonArray after = Memory(env, "keytable", forward, 3);
    ASSERT_EQ(after.size(), 3);
    EXPECT_EQ(after[0].toInt(), 0x30);
    EXPECT_EQ(after[1].toInt(), 0xCD);
    EXPECT_EQ(after[2].toInt(), 0x00);
    const CtlRun get = Ctl(env, {"key", "get", "--device", "mouse", "3"});
    EXPECT_TRUE(get.out.contains("media:play")) << get.out.toStdString();
}

}  // namespace
