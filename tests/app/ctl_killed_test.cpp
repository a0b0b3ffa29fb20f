// Killed in the middle: the program, qx580ctl and the macro and recoil writers are killed
// (SIGKILL, no chance to tidy up) at random points while they write profiles, macros and recoil
// files. Whatever is left must be usable: every settings file parses, every profile in the list
// has its file, every listed macro that has a file has a readable one, and the next start reads
// the folder without repairing anything.
//
// The delays are random; the seed is printed with every failure so that a run can be repeated
// (QX580_KILLED_SEED=N).
#include <gtest/gtest.h>
#include <json/value.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/json_file.h"
#include "core/json_value.h"
#include "macros/macro_store.h"
#include "macros/recoil_store.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kIdentity = "MIRVEL QX-580 Device";

// --- processes

struct Home {
    QTemporaryDir dir;
    fs::path Root() const { return dir.path().toStdString(); }
    fs::path UserFolder() const { return Root() / "data" / kIdentity; }
};

// The environment of a child: this one, with the home folders and the bus given.
std::vector<std::string> ChildEnvironment(const Home& home, bool withBus,
                                          const std::vector<std::string>& extra = {}) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        for (const char* drop :
             {"XDG_DATA_HOME=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=", "QX580_HID=",
              "QX580_DEBUG=", "QT_QPA_PLATFORM=", "DBUS_SESSION_BUS_ADDRESS=",
              "QX580_KILLED_WRITER=", "QX580_KEEP_HOME="}) {
            if (text.rfind(drop, 0) == 0) goto skip;
        }
        env.push_back(text);
    skip:;
    }
    env.push_back("XDG_DATA_HOME=" + (home.Root() / "data").string());
    env.push_back("XDG_CONFIG_HOME=" + (home.Root() / "config").string());
    env.push_back("XDG_RUNTIME_DIR=" + home.Root().string());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (withBus && bus != nullptr) {
        env.push_back(std::string("DBUS_SESSION_BUS_ADDRESS=") + bus);
    } else {
        env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + (home.Root() / "no-bus").string());
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// Starts a program with its output thrown away; its process id (-1 when it did not start).
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// Waits for a child; its exit status, or 128 + the signal that ended it.
int Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a program to its end (killed after `limit`); its status.
int RunToEnd(const std::vector<std::string>& args, const std::vector<std::string>& env,
             std::chrono::milliseconds limit = 30s) {
    const pid_t pid = Spawn(args, env);
    if (pid < 0) return -1;
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            return Reap(pid);
        }
        std::this_thread::sleep_for(5ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Kills and reaps a child when the test leaves early.
struct KillOnExit {
    pid_t pid;
    ~KillOnExit() { Kill(); }
    void Kill() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        Reap(pid);
        pid = -1;
    }
};

std::vector<std::string> Ctl(std::initializer_list<std::string> args) {
    std::vector<std::string> all{QX580CTL_PATH};
    all.insert(all.end(), args);
    return all;
}

unsigned Seed() {
    if (const char* fixed = std::getenv("QX580_KILLED_SEED")) return unsigned(std::atoi(fixed));
    return std::random_device{}();
}

// --- what a killed writer may leave

bool IsTemporary(const fs::path& path) {
    return path.filename().string().find(".tmp-") != std::string::npos;
}

bool IsSettingsFile(const fs::path& path) {
    static const std::vector<std::string> kExtensions = {".Json", ".json",  ".ini",  ".config",
                                                         ".mac",  ".Shoot", ".light"};
    const std::string extension = path.extension().string();
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

// Every settings file below the user folder parses (temporaries of the atomic writes are not
// settings files: the next start removes them); the problems found, one a line.
std::string UnparsableFiles(const fs::path& folder) {
    std::string problems;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; it != end; it.increment(error)) {
        if (error) break;
        const fs::path path = it->path();
        if (!it->is_regular_file() || IsTemporary(path) || !IsSettingsFile(path)) continue;
        if (qx::ReadJsonFile(path).isNull()) problems += "does not parse: " + path.string() + "\n";
    }
    return problems;
}

// Every entry of the profile list has a profile file that parses.
std::string ProfilesWithoutFile(const fs::path& deviceFolder) {
    const fs::path list = deviceFolder / "ProfileList.ini";
    if (!fs::exists(list)) return {};
    const Json::Value document = qx::ReadJsonFile(list);
    if (document.isNull()) return "the profile list does not parse\n";
    std::string problems;
    for (const Json::Value& entry : qx::json::Get(document, "profilelist")) {
        const std::string id = qx::json::ToString(qx::json::Get(entry, "profileUUID"));
        const fs::path file = deviceFolder / (id + ".Json");
        if (!fs::exists(file)) {
            problems += "listed without its file: " + id + "\n";
        } else if (!qx::ReadJsonFile(file).isObject()) {
            problems += "listed with a file that is not a profile: " + id + "\n";
        }
    }
    return problems;
}

size_t ListedProfiles(const fs::path& deviceFolder) {
    return qx::json::ArraySize(
        qx::json::Get(qx::ReadJsonFile(deviceFolder / "ProfileList.ini"), "profilelist"));
}

// A listed macro has a file that parses, or none (an added macro not yet saved, which reads as
// an empty macro); a macro file that does not parse is a problem.
std::string BrokenMacros(const fs::path& deviceFolder) {
    qx::MacroStore store(deviceFolder);
    if (fs::exists(store.ListPath()) && qx::ReadJsonFile(store.ListPath()).isNull())
        return "the macro list does not parse\n";
    std::string problems;
    for (const qx::MacroInfo& macro : store.ReadMacroList()) {
        const fs::path file = store.MacroFilePath(macro.guid);
        if (file.empty()) {
            problems += "a listed macro has an identifier that is not a file name\n";
        } else if (fs::exists(file) && qx::ReadJsonFile(file).isNull()) {
            problems += "a listed macro's file does not parse: " + file.string() + "\n";
        }
    }
    return problems;
}

std::string Problems(const Home& home) {
    const fs::path user = home.UserFolder();
    return UnparsableFiles(user) + ProfilesWithoutFile(user / "keyboard") +
           BrokenMacros(user / "keyboard") + BrokenMacros(user / "mouse");
}

// --- the writers that are killed

// After its first whole round of writes a writer leaves the file "writer-wrote" beside the user
// folder, so that the test can be sure the writes were reached at least once.
void MarkWritten(const fs::path& folder, int round) {
    if (round == 0) std::ofstream(folder.parent_path().parent_path() / "writer-wrote").put('1');
}

// Macro and recoil writes as the program's stores make them, over and over, in a process of
// their own (this test program started again with QX580_KILLED_WRITER set).
void MacroWrites(const fs::path& folder) {
    qx::MacroStore store(folder);
    Json::Value events(Json::arrayValue);
    for (int i = 0;; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = 30 + i % 20;
        event["Delay"] = i % 300;
        event["Type"] = 0;
        events.append(event);
        if (events.size() > 200) events = Json::Value(Json::arrayValue);
        if (const auto added = store.AddMacro()) (void)store.SaveMacro(*added, events);
        const auto list = store.ReadMacroList();
        if (!list.empty()) {
            (void)store.SaveMacro(list[size_t(i) % list.size()], events);
            (void)store.RenameMacro(i % int(list.size()), "m" + std::to_string(i));
        }
        if (list.size() > 20) (void)store.DeleteMacro(0);
        if (i % 7 == 0 && !list.empty()) {
            (void)store.ExportMacro(0, folder / "exported.mac");
            (void)store.ImportMacro(folder / "exported.mac");
        }
        MarkWritten(folder, i);
    }
}

void RecoilWrites(const fs::path& folder) {
    qx::RecoilStore store(folder, fs::path(QX580_SOURCE_DATA_DIR) / "DefaultData");
    if (!store.InitRecoil()) return;
    for (int i = 0;; ++i) {
        const int gun = i % qx::RecoilStore::kGunCount;
        qx::BulletSetting setting;
        setting.x = i % 100;
        setting.y = (i * 7) % 100;
        setting.delay = i % 500;
        setting.left = i % 3 == 0;
        (void)store.SaveBullet(gun, i % qx::RecoilStore::kBulletCount, setting);
        if (i % 11 == 0) (void)store.ResetGun(gun);
        if (i % 13 == 0) {
            (void)store.ExportGun(gun, folder / "exported.Shoot");
            (void)store.ImportGun((gun + 1) % qx::RecoilStore::kGunCount,
                                  folder / "exported.Shoot");
        }
        MarkWritten(folder, i);
    }
}

TEST(KilledWriter, WritesUntilKilled) {
    const char* which = std::getenv("QX580_KILLED_WRITER");
    if (which == nullptr) GTEST_SKIP() << "only run as the writer of the killed-in-the-middle test";
    const fs::path data = std::getenv("XDG_DATA_HOME");
    const fs::path user = data / kIdentity;
    const fs::path folder = user / (std::string(which) == "macro" ? "keyboard" : "mouse");
    fs::create_directories(folder);
    // Tells the test that the writes begin now (the start of a process takes its own time).
    std::ofstream(data / "writer-started").put('1');
    if (std::string(which) == "macro") {
        MacroWrites(folder);
    } else {
        RecoilWrites(folder);
    }
}

// --- the tests

TEST(KilledInTheMiddle, MacroAndRecoilWritesLeaveUsableFiles) {
    const unsigned seed = Seed();
    SCOPED_TRACE("QX580_KILLED_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    Home home;
    ASSERT_TRUE(home.dir.isValid());
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    for (const char* writer : {"macro", "recoil"}) {
        for (int round = 0; round < 12; ++round) {
            const fs::path wrote = home.Root() / "data" / "writer-wrote";
            fs::remove(wrote);
            const pid_t pid = Spawn({self, "--gtest_filter=KilledWriter.WritesUntilKilled"},
                                    ChildEnvironment(home, false,
                                                     {std::string("QX580_KILLED_WRITER=") + writer,
                                                      "QX580_KEEP_HOME=1"}));
            ASSERT_GT(pid, 0);
            const fs::path started = home.Root() / "data" / "writer-started";
            const auto limit = std::chrono::steady_clock::now() + 30s;
            while (!fs::exists(started) && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(1ms);
            fs::remove(started);
            // In the first round the kill waits for a whole round of writes, wherever the
            // machine's load puts it; in the others it falls anywhere from the writes' start.
            while (round == 0 && !fs::exists(wrote) && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(100, 80000)(random)));
            kill(pid, SIGKILL);
            EXPECT_EQ(Reap(pid), 128 + SIGKILL) << writer << ": the writer ended before its kill";
            const std::string problems = Problems(home);
            ASSERT_EQ(problems, "") << writer << " writer killed in round " << round;
        }
    }
    // The writers did write between their kills.
    EXPECT_FALSE(qx::MacroStore(home.UserFolder() / "keyboard").ReadMacroList().empty());
    // What the killed writers left starts cleanly: the recoil files need no restoring.
    qx::RecoilStore recoil(home.UserFolder() / "mouse",
                           fs::path(QX580_SOURCE_DATA_DIR) / "DefaultData");
    EXPECT_TRUE(recoil.InitRecoil());
    for (const char* device : {"keyboard", "mouse"}) {
        for (const auto& entry : fs::directory_iterator(home.UserFolder() / device))
            EXPECT_EQ(entry.path().filename().string().find(".damaged"), std::string::npos)
                << "a file was set aside as damaged: " << entry.path();
    }
}

TEST(KilledInTheMiddle, QxctlKilledWhileWritingProfilesLeavesUsableFiles) {
    const unsigned seed = Seed();
    SCOPED_TRACE("QX580_KILLED_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    Home home;
    ASSERT_TRUE(home.dir.isValid());
    const auto env = ChildEnvironment(home, false);
    ASSERT_EQ(RunToEnd(Ctl({"profile", "--device", "keyboard", "list"}), env), 0);
    // How long one whole change takes here (a sanitized build is slower, a loaded machine too):
    // the kills fall anywhere from its start to a little past its end. The middle of three
    // runs to begin with; a change that ends before its kill shows the machine got quicker, and
    // the range shrinks.
    std::vector<long> runs;
    for (int i = 0; i < 3; ++i) {
        const auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(RunToEnd(Ctl({"profile", "--device", "keyboard", "new"}), env), 0);
        runs.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - before)
                           .count());
    }
    std::sort(runs.begin(), runs.end());
    long whole = runs[1];
    const std::vector<std::vector<std::string>> actions = {
        Ctl({"profile", "--device", "keyboard", "new"}),
        Ctl({"profile", "--device", "keyboard", "copy"}),
        Ctl({"profile", "--device", "keyboard", "rename", "renamed"}),
        Ctl({"profile", "--device", "keyboard", "select", "1"}),
        Ctl({"profile", "--device", "keyboard", "delete"}),
        Ctl({"profile", "--device", "keyboard", "reset"})};
    // At least 40 rounds, and more (up to 200) until ten kills came while qx580ctl ran.
    int killedRunning = 0;
    for (int round = 0; round < 200 && (round < 40 || killedRunning < 10); ++round) {
        const auto& action = actions[size_t(round) % actions.size()];
        const pid_t pid = Spawn(action, env);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(
            std::uniform_int_distribution<long>(whole / 4, whole * 3 / 2)(random)));
        kill(pid, SIGKILL);
        if (Reap(pid) == 128 + SIGKILL) {
            ++killedRunning;
        } else {
            whole = std::max(whole * 7 / 8, 2000L);
        }
        const std::string problems = Problems(home);
        ASSERT_EQ(problems, "") << "qx580ctl " << action[1] << " " << action.back()
                                << " killed in round " << round;
    }
    EXPECT_GE(killedRunning, 10) << "most kills came after qx580ctl had finished";
    // The next run reads the list as it is: nothing to rebuild, no temporary left behind.
    ASSERT_EQ(RunToEnd(Ctl({"profile", "--device", "keyboard", "list"}), env), 0);
    for (const auto& entry : fs::directory_iterator(home.UserFolder() / "keyboard")) {
        EXPECT_FALSE(IsTemporary(entry.path())) << entry.path();
        EXPECT_EQ(entry.path().filename().string().find(".damaged"), std::string::npos)
            << "a file was set aside as damaged: " << entry.path();
    }
}

TEST(KilledInTheMiddle, ProgramKilledWhileWritingProfilesLeavesUsableFiles) {
    const unsigned seed = Seed();
    SCOPED_TRACE("QX580_KILLED_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    Home home;
    ASSERT_TRUE(home.dir.isValid());
    const auto env = ChildEnvironment(home, true);
    const std::vector<std::vector<std::string>> actions = {
        Ctl({"profile", "--device", "keyboard", "new"}),
        Ctl({"profile", "--device", "keyboard", "select", "1"}),
        Ctl({"profile", "--device", "keyboard", "copy"}),
        Ctl({"profile", "--device", "keyboard", "rename", "renamed"}),
        Ctl({"profile", "--device", "keyboard", "select", "0"}),
        Ctl({"profile", "--device", "keyboard", "delete"}),
        Ctl({"profile", "--device", "keyboard", "reset"})};
    size_t mostListed = 0;
    for (int round = 0; round < 4; ++round) {
        const pid_t program = Spawn({QX580_PATH, "--simulate"}, env);
        ASSERT_GT(program, 0);
        KillOnExit guard{program};
        // Until the program is on the bus and answers for the keyboard.
        const auto ready = std::chrono::steady_clock::now() + 60s;
        while (!QDBusConnection::sessionBus().interface()->isServiceRegistered(
                   QStringLiteral("org.mirvel.QX580")) &&
               std::chrono::steady_clock::now() < ready)
            std::this_thread::sleep_for(50ms);
        while (RunToEnd(Ctl({"profile", "--device", "keyboard", "list"}), env) != 0 &&
               std::chrono::steady_clock::now() < ready)
            std::this_thread::sleep_for(100ms);
        ASSERT_LT(std::chrono::steady_clock::now(), ready) << "the program did not come up";
        // Changes asked of the program one after another, until it is killed: the first (a new
        // profile) is waited for, however slow the machine is now, so that every round has
        // writes; the kill falls anywhere in those that follow.
        std::atomic<bool> stop{false};
        std::atomic<int> asked{0};
        std::thread asking([&] {
            for (size_t i = 0; !stop.load(); ++i) {
                RunToEnd(actions[i % actions.size()], env, 10s);
                asked.fetch_add(1);
            }
        });
        const auto firstAnswered = std::chrono::steady_clock::now() + 30s;
        while (asked.load() == 0 && std::chrono::steady_clock::now() < firstAnswered)
            std::this_thread::sleep_for(5ms);
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(50, 1500)(random)));
        guard.Kill();
        stop.store(true);
        asking.join();
        const std::string problems = Problems(home);
        ASSERT_EQ(problems, "") << "the program killed in round " << round;
        mostListed = std::max(mostListed, ListedProfiles(home.UserFolder() / "keyboard"));
    }
    EXPECT_GT(mostListed, 1u) << "the program was killed before it added a profile";
}

}  // namespace
