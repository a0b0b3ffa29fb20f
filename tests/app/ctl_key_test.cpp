// A key's function set by a script through the running program: qx580 --simulate on a private
// session bus, qx580ctl key get|set|reset, and the proof in the simulated keyboard's key table,
// the key cap's tooltip and the answers for what cannot be done.
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
#include <vector>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

// The keyboard's whole key table as numbers.
std::vector<int> KeyTable(const QProcessEnvironment& env) {
    const CtlRun mem = Ctl(env, {"sim", "mem", "keyboard", "keytable", "--json"});
    std::vector<int> bytes;
    for (const QJsonValue& b : QJsonDocument::fromJson(mem.out.toUtf8()).array())
        bytes.push_back(b.toInt());
    return bytes;
}

// Positions (in 3-byte entries) where two tables differ.
std::vector<size_t> Changed(const std::vector<int>& a, const std::vector<int>& b) {
    std::vector<size_t> positions;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2])
            positions.push_back(i / 3);
    return positions;
}

TEST(KeysOnTheBus, AKeySetByAScriptReachesTheKeyTableAndTheWindow) {
    QTemporaryDir home;
    Program program(home, {"--simulate"});
    const QProcessEnvironment& env = program.Env();

    // The program holds the keyboard's key list once its first contact is done.
    QElapsedTimer clock;
    clock.start();
    CtlRun get;
    while (clock.elapsed() < 30000) {
        get = Ctl(env, {"key", "get", "--device", "keyboard", "A"});
        if (get.status == 0) break;
        QThread::msleep(200);
    }
    ASSERT_EQ(get.status, 0) << get.err.toStdString() << Tail(home.filePath("err.txt"));
    EXPECT_EQ(get.out.trimmed(), "64 (A) = key:A");
    // Reads of the key table settle before the comparison.
    QThread::msleep(500);
    const std::vector<int> before = KeyTable(env);
    ASSERT_GE(before.size(), 170u * 3);

    const CtlRun set = Ctl(env, {"key", "set", "--device", "keyboard", "a", "media:play"});
    ASSERT_EQ(set.status, 0) << set.err.toStdString();
    const std::vector<int> after = KeyTable(env);
    const std::vector<size_t> changed = Changed(before, after);
    ASSERT_EQ(changed.size(), 1u);
    const size_t at = changed[0] * 3;
    EXPECT_EQ((std::vector<int>{before[at], before[at + 1], before[at + 2]}),
              (std::vector<int>{0x20, 0x00, 0x04}));
    EXPECT_EQ((std::vector<int>{after[at], after[at + 1], after[at + 2]}),
              (std::vector<int>{0x30, 0xCD, 0x00}));

    const CtlRun json = Ctl(env, {"key", "get", "--device", "keyboard", "64", "--json"});
    const QJsonObject key = QJsonDocument::fromJson(json.out.toUtf8())["keys"][0].toObject();
    EXPECT_EQ(key["value"].toInt(), 0x30CD00);
    EXPECT_EQ(key["default"].toString(), "key:A");
    const CtlRun cap = Ctl(env, {"ui", "state", "key_64"});
    EXPECT_TRUE(cap.out.contains("Assigned: Play/Pause")) << cap.out.toStdString();

    // What cannot be done: a usage error (2) or the program's refusal (1).
    struct Case {
        QStringList args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"key", "set", "--device", "keyboard", "A", "toaster"}, 2, "unknown function"},
        {{"key", "set", "--device", "toaster", "A", "default"}, 2, "unknown device"},
        {{"key", "get", "--device", "keyboard", "NoSuchKey"}, 2, "no key \"NoSuchKey\""},
        {{"key", "set", "--device", "keyboard", "A", "macro:0"}, 2, "there is no macro 0"},
        {{"key", "set", "--device", "keyboard", "A", "dpi:up"}, 1, "no DPI steps"},
        {{"key", "set", "--device", "keyboard", "A"}, 2, "KEY and a FUNCTION"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CtlRun run = Ctl(env, c.args);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    EXPECT_EQ(Changed(after, KeyTable(env)).size(), 0u) << "nothing refused was written";
    const CtlRun help = Ctl(env, {"key", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("example")) << help.out.toStdString();

    const CtlRun reset = Ctl(env, {"key", "reset", "--device", "keyboard", "A"});
    EXPECT_EQ(reset.status, 0) << reset.err.toStdString();
    EXPECT_EQ(Changed(before, KeyTable(env)).size(), 0u);
    EXPECT_EQ(Ctl(env, {"key", "get", "--device", "keyboard", "A"}).out.trimmed(),
              "64 (A) = key:A");

    program.Stop();
}

}  // namespace
