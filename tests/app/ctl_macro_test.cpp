// A device's macros scripted through the running program: qx580 --simulate on a private session
// bus, qx580ctl macro import|list|show|export|delete with qx580ctl key set, and the proof in the
// simulated keyboard's key table and macro memory, in a second profile and in the window.
#include <gtest/gtest.h>

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
#include <algorithm>
#include <vector>
#include "ctl_fixture.h"
#include "test_time.h"

namespace {

using namespace qx::app::ctl_test;

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::vector<int> Memory(const QProcessEnvironment& env, const char* region) {
    const CtlRun mem = Ctl(env, {"sim", "mem", "keyboard", region, "--json"});
    std::vector<int> bytes;
    for (const QJsonValue& b : QJsonDocument::fromJson(mem.out.toUtf8()).array())
        bytes.push_back(b.toInt());
    return bytes;
}

using Record = std::vector<int>;  // the 4-byte events of one macro, in a row

// The records of the macro image at the start of the macro memory: a header with 0xAA 0x55, the
// length and the record count, one offset per record, each record a count, two spare bytes and
// its events.
std::vector<Record> MacroRecords(const std::vector<int>& memory) {
    std::vector<Record> records;
    const auto word = [&memory](size_t at) {
        return at + 1 < memory.size() ? size_t(memory[at] | memory[at + 1] << 8) : size_t(0);
    };
    if (memory.size() < 16 || memory[0] != 0xAA || memory[1] != 0x55) return records;
    const size_t length = std::min(word(2), memory.size());
    for (size_t i = 0; i < word(4); ++i) {
        const size_t offset = word(16 + 2 * i);
        const size_t count = word(offset);
        if (offset + 4 + 4 * count > length) return {};
        records.emplace_back(memory.begin() + long(offset + 4),
                             memory.begin() + long(offset + 4 + 4 * count));
    }
    return records;
}

bool Holds(const std::vector<Record>& records, const Record& wanted) {
    return std::find(records.begin(), records.end(), wanted) != records.end();
}

std::vector<int> Entry(const std::vector<int>& table, size_t position);

// The record the key table's entry `position` plays (0x70: the record numbered by its second
// byte); empty when it plays none.
Record Plays(const std::vector<int>& table, const std::vector<Record>& records, size_t position) {
    const std::vector<int> entry = Entry(table, position);
    if (entry.size() != 3 || entry[0] != 0x70 || size_t(entry[1]) >= records.size()) return {};
    return records[size_t(entry[1])];
}

// The 3 bytes of the key table's entry `position`.
std::vector<int> Entry(const std::vector<int>& table, size_t position) {
    const size_t at = position * 3;
    if (at + 2 >= table.size()) return {};
    return {table[at], table[at + 1], table[at + 2]};
}

// The position of the only entry equal to `entry`; the table's size when there is none or more.
size_t Position(const std::vector<int>& table, const std::vector<int>& entry) {
    size_t found = table.size();
    for (size_t position = 0; position * 3 + 2 < table.size(); ++position) {
        if (Entry(table, position) != entry) continue;
        if (found != table.size()) return table.size();
        found = position;
    }
    return found;
}

std::string KeyFunction(const QProcessEnvironment& env, const char* key) {
    const CtlRun run = Ctl(env, {"key", "get", "--device", "keyboard", key, "--json"});
    return QJsonDocument::fromJson(run.out.toUtf8())["keys"][0]["function"]
        .toString()
        .toStdString();
}

QStringList Items(const QProcessEnvironment& env, const char* control) {
    const CtlRun run = Ctl(env, {"ui", "state", control});
    QStringList items;
    for (const QJsonValue& item : QJsonDocument::fromJson(run.out.toUtf8())["items"].toArray())
        items << item.toString();
    return items;
}

// "Greeting": A pressed for 10 ms, a pause of 20 ms, then a left click.
const QByteArray kGreeting = R"({
   "Events" : [
      { "Action" : "down", "Button" : 4, "Delay" : "10", "Type" : 10 },
      { "Action" : "up", "Button" : 4, "Delay" : "20", "Type" : 10 },
      { "Action" : "down", "Button" : 1, "Delay" : "0", "Type" : 1 },
      { "Action" : "up", "Button" : 1, "Delay" : "0", "Type" : 1 }
   ],
   "Guid" : "20240101000000000",
   "MacroName" : "inside",
   "Version" : 64
})";
const Record kGreetingRecord = {10, 0, 0x8A, 4, 20, 0, 0x0A, 4, 0, 0, 0x81, 1, 0, 0, 0x01, 1};
// "Second": B pressed for 7 ms.
const QByteArray kSecond = R"({"Events":[{"Action":"down","Button":5,"Delay":"7","Type":10},)"
                           R"({"Action":"up","Button":5,"Delay":"8","Type":10}],"Version":64})";
const Record kSecondRecord = {7, 0, 0x8A, 5, 8, 0, 0x0A, 5};

TEST(MacrosOnTheBus, ImportShowAssignAndDeleteReachTheKeyboardAndEveryProfile) {
    QTemporaryDir home;
    const QProcessEnvironment env = Environment(home);
    const QString greeting = home.filePath("greeting.mac");
    const QString second = home.filePath("second.mac");
    WriteFile(greeting, kGreeting);
    WriteFile(second, kSecond);
    WriteFile(home.filePath("not-json.mac"), "MacroName = nothing");
    WriteFile(home.filePath("bad-events.mac"), R"({"Events": 5})");
    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardErrorFile(home.filePath("err.txt"));
    program.start(QStringLiteral(QX580_PATH), {"--simulate"});
    ASSERT_TRUE(program.waitForStarted());

    QElapsedTimer clock;
    clock.start();
    CtlRun list;
    while (clock.elapsed() < 30000) {
        list = Ctl(env, {"macro", "list"});
        if (list.status == 0 && !KeyFunction(env, "A").empty()) break;
        QThread::msleep(200);
    }
    ASSERT_EQ(list.status, 0) << list.err.toStdString() << Tail(home.filePath("err.txt"));
    EXPECT_EQ(list.out, "");
    QThread::msleep(500);  // the first contact's reads settle
    const std::vector<int> before = Memory(env, "keytable");
    const size_t a = Position(before, {0x20, 0x00, 0x04});
    const size_t b = Position(before, {0x20, 0x00, 0x05});
    ASSERT_LT(a, before.size() / 3);
    ASSERT_LT(b, before.size() / 3);
    ASSERT_EQ(Ctl(env, {"ui", "click", "macro_Op_tab"}).status, 0);

    CtlRun run = Ctl(env, {"macro", "import", greeting, "--name", "Greeting"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "imported as Greeting");
    run = Ctl(env, {"macro", "import", second});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "imported as macro_1");
    EXPECT_EQ(Ctl(env, {"macro", "list"}).out, "0  Greeting  (4 events)\n1  macro_1  (2 events)\n");
    // The editor follows at once.
    EXPECT_EQ(Items(env, "macro_name_list"), (QStringList{"Greeting", "macro_1"}));

    const CtlRun show = Ctl(env, {"macro", "show", "greeting", "--json"});
    ASSERT_EQ(show.status, 0) << show.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(show.out.toUtf8())["rows"].toArray();
    ASSERT_EQ(rows.size(), 4);
    const struct {
        const char* kind;
        const char* name;
        const char* action;
        int delay;
    } expected[] = {{"key", "A", "down", 10},
                    {"key", "A", "up", 20},
                    {"mouse", "left", "down", 0},
                    {"mouse", "left", "up", 0}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i]["kind"].toString(), expected[i].kind);
        EXPECT_EQ(rows[i]["name"].toString(), expected[i].name);
        EXPECT_EQ(rows[i]["action"].toString(), expected[i].action);
        EXPECT_EQ(rows[i]["delay"].toInt(), expected[i].delay);
    }
    const QString text = Ctl(env, {"macro", "show", "1"}).out;
    EXPECT_TRUE(text.startsWith("1  macro_1\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(R"(\n\s+1  key\s+B\s+up\s+8 ms\n)")))
        << text.toStdString();

    // An export is the imported file byte for byte.
    run = Ctl(env, {"macro", "export", "Greeting", home.filePath("out.mac")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QFile exported(home.filePath("out.mac"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(exported.readAll(), kGreeting);

    // What cannot be done: a usage error (2) with a message, nothing changed.
    struct Case {
        QStringList args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"macro", "show", "NoSuch"}, 2, "no macro \"NoSuch\" (macros: Greeting, macro_1)"},
        {{"macro", "delete", "7"}, 2, "no macro \"7\""},
        {{"macro", "import", home.filePath("missing.mac")}, 2, "no such file"},
        {{"macro", "import", home.filePath("not-json.mac")}, 2, "not JSON"},
        {{"macro", "import", home.filePath("bad-events.mac")}, 2, "\"Events\" is not a list"},
        {{"macro", "import", second, "--name", "GREETING"}, 2, "named \"Greeting\" exists"},
        {{"macro", "export", "Greeting", home.filePath("no/folder/x.mac")}, 2, "could not be"},
        {{"macro", "list", "--device", "headset"}, 2, "unknown device"},
        {{"macro", "list", "--device", "pad"}, 2, "macros: keyboard, mouse"},
        {{"macro", "show"}, 2, "show takes one NAME"},
        {{"macro", "frobnicate"}, 2, "unknown action"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CtlRun bad = Ctl(env, c.args);
        EXPECT_EQ(bad.status, c.status) << bad.err.toStdString();
        EXPECT_TRUE(bad.err.contains(c.says)) << bad.err.toStdString();
    }
    EXPECT_EQ(Ctl(env, {"macro", "list"}).out, "0  Greeting  (4 events)\n1  macro_1  (2 events)\n");
    const CtlRun help = Ctl(env, {"macro", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("example")) << help.out.toStdString();

    // A second profile with keys on both macros, then back to the first.
    ASSERT_EQ(Ctl(env, {"profile", "--device", "keyboard", "new"}).status, 0);
    ASSERT_EQ(Ctl(env, {"profile", "--device", "keyboard", "select", "1"}).status, 0);
    Ctl(env, {"key", "set", "--device", "keyboard", "C", "macro:1"});
    Ctl(env, {"key", "set", "--device", "keyboard", "D", "macro:0"});
    EXPECT_EQ(KeyFunction(env, "C"), "macro:1,mode=0");
    EXPECT_EQ(KeyFunction(env, "D"), "macro:0,mode=0");
    ASSERT_EQ(Ctl(env, {"profile", "--device", "keyboard", "select", "0"}).status, 0);

    // The first profile: A plays macro_1, B plays Greeting; both macros reach the keyboard.
    run = Ctl(env, {"key", "set", "--device", "keyboard", "A", "macro:1"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    run = Ctl(env, {"key", "set", "--device", "keyboard", "B", "macro:0"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    std::vector<int> table = Memory(env, "keytable");
    std::vector<Record> records = MacroRecords(Memory(env, "macros"));
    EXPECT_EQ(Plays(table, records, a), kSecondRecord);
    EXPECT_EQ(Plays(table, records, b), kGreetingRecord);

    // The key panel on key A shows both macros among its choices.
    ASSERT_EQ(Ctl(env, {"ui", "click", "key_Op_tab"}).status, 0);
    ASSERT_EQ(Ctl(env, {"ui", "click", "key_64"}).status, 0);
    EXPECT_EQ(Items(env, "keyset_macro_combo"), (QStringList{"Greeting", "macro_1"}));

    run = Ctl(env, {"macro", "delete", "Greeting"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString() << Tail(home.filePath("err.txt"));
    EXPECT_EQ(Ctl(env, {"macro", "list"}).out, "0  macro_1  (2 events)\n");
    // Rewritten on the device by the time the answer came: A follows its macro to number 0,
    // B is the B key again, and the image holds macro_1 only.
    table = Memory(env, "keytable");
    records = MacroRecords(Memory(env, "macros"));
    EXPECT_EQ(Plays(table, records, a), kSecondRecord);
    EXPECT_EQ(Entry(table, b), (std::vector<int>{0x20, 0x00, 0x05}));
    EXPECT_FALSE(Holds(records, kGreetingRecord));
    EXPECT_EQ(KeyFunction(env, "A"), "macro:0,mode=0");
    EXPECT_EQ(KeyFunction(env, "B"), "key:B");
    EXPECT_EQ(Items(env, "keyset_macro_combo"), (QStringList{"macro_1"}));
    ASSERT_EQ(Ctl(env, {"ui", "click", "macro_Op_tab"}).status, 0);
    EXPECT_EQ(Items(env, "macro_name_list"), (QStringList{"macro_1"}));

    // The second profile was renumbered too.
    ASSERT_EQ(Ctl(env, {"profile", "--device", "keyboard", "select", "1"}).status, 0);
    EXPECT_EQ(KeyFunction(env, "C"), "macro:0,mode=0");
    EXPECT_EQ(KeyFunction(env, "D"), "key:D");

    program.terminate();
    if (!program.waitForFinished(qx::test::Patience(10000))) program.kill();
    program.waitForFinished();
}

}  // namespace
