// The update service against a local server on 127.0.0.1 (tests/settings/update_test_server.py):
// HTTPS with a certificate authority made for the test, handed to the client through its
// test-only setting QX580_TEST_CA_FILE.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/check_date_file.h"
#include "core/time_stamp.h"
#include "settings/update_catalogue.h"
#include "settings/update_check.h"
#include "settings/update_service.h"
#include "settings/update_test_print.h"

namespace qx {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

const char kNewerFirmware[] = R"({"name":"KB firmware","version":"0106","version_name":"V1.0.6",)"
                              R"("path":"https://downloads.example/kb-0106.bin","device_id":7})";

// The test server: a child process that prints its port and ends when its input is closed.
class ServerProcess {
  public:
    ServerProcess(const fs::path& folder, bool tls) {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input[0], 0);
            ::dup2(output[1], 1);
            ::execl(QX580_PYTHON, QX580_PYTHON, QX580_UPDATE_SERVER_SCRIPT, "serve", folder.c_str(),
                    tls ? "--tls" : nullptr, nullptr);
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        input_ = input[1];
        if (FILE* out = ::fdopen(output[0], "r")) {
            if (std::fscanf(out, "%d", &port_) != 1) port_ = 0;
            std::fclose(out);
        }
    }
    ~ServerProcess() {
        if (input_ >= 0) ::close(input_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    int Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct LoggedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::vector<std::string> HeaderValues(const std::string& name) const {
        std::vector<std::string> values;
        for (const auto& [key, value] : headers) {
            if (strcasecmp(key.c_str(), name.c_str()) == 0) values.push_back(value);
        }
        return values;
    }
};

class UpdateServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "qx580-updates-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        const std::string makeCerts = std::string(QX580_PYTHON) + " " + QX580_UPDATE_SERVER_SCRIPT +
                                      " make-certs " + folder_.string();
        ASSERT_EQ(std::system(makeCerts.c_str()), 0) << makeCerts;
        https_ = new ServerProcess(folder_, true);
        http_ = new ServerProcess(folder_, false);
        ASSERT_GT(https_->Port(), 0);
        ASSERT_GT(http_->Port(), 0);
    }
    static void TearDownTestSuite() {
        delete https_;
        delete http_;
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void SetUp() override {
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY",
                                 "HTTPS_PROXY", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            ::unsetenv(name);
        }
        ::setenv("QX580_TEST_CA_FILE", (folder_ / "ca.pem").c_str(), 1);
        fs::remove(folder_ / "requests.jsonl");
        fs::remove(DateFile());
        WriteBytes(folder_ / "replies" / "newer-firmware", kNewerFirmware);
    }
    void TearDown() override { ::unsetenv("QX580_TEST_CA_FILE"); }

    static fs::path DateFile() { return folder_ / "updatetime.config"; }
    static std::string HttpsBase(const std::string& scenario, const char* host = "127.0.0.1") {
        return "https://"s + host + ":" + std::to_string(https_->Port()) + "/" + scenario + "/api/";
    }
    static UpdateService Service(const std::string& baseUrl, HttpLimits limits = {}) {
        return UpdateService(baseUrl, MakeCurlHttpClient(limits));
    }

    static std::vector<LoggedRequest> Requests() {
        std::vector<LoggedRequest> requests;
        std::ifstream log(folder_ / "requests.jsonl");
        for (std::string line; std::getline(log, line);) {
            Json::Value record;
            if (!Json::Reader().parse(line, record)) continue;
            LoggedRequest request{record["method"].asString(), record["path"].asString(), {}, ""};
            for (const Json::Value& pair : record["headers"]) {
                request.headers.emplace_back(pair[0].asString(), pair[1].asString());
            }
            const std::string hex = record["body_hex"].asString();
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
                request.body.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            }
            requests.push_back(std::move(request));
        }
        return requests;
    }

    static inline fs::path folder_;
    static inline ServerProcess* https_ = nullptr;
    static inline ServerProcess* http_ = nullptr;
};

TEST_F(UpdateServer, NewerFirmwareIsOfferedAndTheRequestHasTheExactBytes) {
    const std::vector<UpdateTarget> targets = TargetsToCheck({{0, 0x1a}}, 103);
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(targets, Service(HttpsBase("newer-firmware")), DateFile());

    ASSERT_EQ(outcome.results.size(), 2u);
    const UpdateResult& keyboard = outcome.results[0];
    EXPECT_EQ(keyboard.error, UpdateError::None) << keyboard.errorText;
    EXPECT_EQ(keyboard.status, kUpdateAvailable);
    EXPECT_EQ(keyboard.name, "KB");
    EXPECT_EQ(keyboard.currentVersionText, "V001a");
    EXPECT_EQ(keyboard.newVersionText, "V0106");
    EXPECT_EQ(keyboard.versionName, "V1.0.6");
    EXPECT_EQ(keyboard.downloadPath, "https://downloads.example/kb-0106.bin");
    EXPECT_EQ(keyboard.deviceId, 7);
    const UpdateResult& program = outcome.results[1];  // 106 (decimal) is newer than 103
    EXPECT_EQ(program.status, kUpdateAvailable);
    EXPECT_EQ(program.name, "AP");
    EXPECT_EQ(program.currentVersionText, "V103");
    EXPECT_EQ(program.newVersionText, "V1.0.6");
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(outcome.status, UpdateCheckStatus::UpdatesAvailable);
    EXPECT_EQ(ReadOrStampCheckDate(DateFile()), TodayDateText());

    const std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string bodies[] = {"app_key=ORBEK_1_TR22M40B_KB_1&version=1a\0"s,
                                  "app_key=ORBEK_0_ALL_KB_1&version=103\0"s};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const LoggedRequest& request = requests[i];
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/newer-firmware/api/updates");
        EXPECT_EQ(request.body, bodies[i]);
        EXPECT_EQ(request.HeaderValues("Content-Length"),
                  std::vector<std::string>{std::to_string(bodies[i].size())});
        EXPECT_EQ(request.HeaderValues("Content-Type"),
                  std::vector<std::string>{"application/x-www-form-urlencoded"});
        EXPECT_EQ(request.HeaderValues("Accept"),
                  std::vector<std::string>{"application/prs.Orbek.v1+json"});
        EXPECT_EQ(request.HeaderValues("User-Agent"), std::vector<std::string>{"WinHttpClient"});
        EXPECT_TRUE(request.HeaderValues("Expect").empty());
    }
}

TEST_F(UpdateServer, NoServerLeavesEveryRowUpToDateAndWritesTheCheckDate) {
    const std::string base = "https://127.0.0.1:" + std::to_string(ClosedPort()) + "/api/";
    std::vector<std::size_t> announced;
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(TargetsToCheck({{0x0105}}, 103), Service(base), DateFile(),
                       [&](std::size_t row, const UpdateResult&) { announced.push_back(row); });
    ASSERT_EQ(outcome.results.size(), 2u);
    for (const UpdateResult& result : outcome.results) {
        EXPECT_EQ(result.status, kUpToDate);
        EXPECT_EQ(result.error, UpdateError::NoConnection);
        EXPECT_TRUE(result.newVersionText.empty());
    }
    EXPECT_EQ(outcome.results[0].currentVersionText, "V0105");
    EXPECT_EQ(announced, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_EQ(outcome.status, UpdateCheckStatus::NoConnection);
    EXPECT_EQ(ReadOrStampCheckDate(DateFile()), TodayDateText());
}

TEST_F(UpdateServer, AnUntrustedCertificateIsAnErrorAndItsReplyIsNotUsed) {
    const struct {
        const char* name;
        bool giveTestAuthority;
        const char* host;
    } cases[] = {
        {"unknown authority", false, "127.0.0.1"},
        {"certificate for another name", true, "localhost"},
    };
    for (const auto& c : cases) {
        if (!c.giveTestAuthority) ::unsetenv("QX580_TEST_CA_FILE");
        const UpdateCheckOutcome outcome =
            RunUpdateCheck(TargetsToCheck({{0x0105}}, 0),
                           Service(HttpsBase("newer-firmware", c.host)), DateFile());
        ASSERT_EQ(outcome.results.size(), 1u);
        const UpdateResult& result = outcome.results[0];
        EXPECT_EQ(result.error, UpdateError::Certificate) << c.name << ": " << result.errorText;
        EXPECT_EQ(result.status, kUpToDate) << c.name;
        EXPECT_TRUE(result.newVersionText.empty()) << c.name;
        EXPECT_TRUE(result.downloadPath.empty()) << c.name;
        EXPECT_EQ(outcome.status, UpdateCheckStatus::NoConnection) << c.name;
        ::setenv("QX580_TEST_CA_FILE", (folder_ / "ca.pem").c_str(), 1);
    }
}

TEST_F(UpdateServer, OversizedMalformedAndFailedRepliesAreErrors) {
    const std::string offer = R"({"name":"KB","version":"0106"})";
    const std::size_t limit = HttpLimits{}.maxReplyBytes;
    WriteBytes(folder_ / "replies" / "at-limit", offer + std::string(limit - offer.size(), ' '));
    WriteBytes(folder_ / "replies" / "over-limit",
               offer + std::string(limit + 1 - offer.size(), ' '));
    WriteBytes(folder_ / "replies" / "html", "<html><body>Service Unavailable</body></html>");
    WriteBytes(folder_ / "replies" / "array", R"([{"name":"KB","version":"0106"}])");
    WriteBytes(folder_ / "replies" / "empty", "");
    const struct {
        const char* scenario;
        UpdateError error;
    } cases[] = {
        {"at-limit", UpdateError::None},           {"over-limit", UpdateError::ReplyTooLarge},
        {"endless", UpdateError::ReplyTooLarge},   {"html", UpdateError::BadReply},
        {"array", UpdateError::BadReply},          {"empty", UpdateError::BadReply},
        {"status-500", UpdateError::ServerStatus}, {"missing", UpdateError::ServerStatus},  // 404
    };
    for (const auto& c : cases) {
        const UpdateResult result =
            Service(HttpsBase(c.scenario)).RequestUpdateInfo("ORBEK_1_TR22M40B_KB_1", 0x0105, true);
        EXPECT_EQ(result.error, c.error) << c.scenario << ": " << result.errorText;
        if (c.error == UpdateError::None) {
            EXPECT_EQ(result.status, kUpdateAvailable) << c.scenario;
        } else {
            EXPECT_EQ(result.status, kUpToDate) << c.scenario;
            EXPECT_TRUE(result.newVersionText.empty()) << c.scenario;
        }
    }
}

TEST_F(UpdateServer, ASilentServerTimesOutAndAStopEndsTheWait) {
    HttpLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(1000);
    limits.stallTimeout = std::chrono::milliseconds(1000);
    limits.totalTimeout = std::chrono::milliseconds(2000);
    const UpdateResult timedOut =
        Service(HttpsBase("silent"), limits).RequestUpdateInfo("K", 0x0105, true);
    EXPECT_EQ(timedOut.error, UpdateError::NoConnection) << timedOut.errorText;
    EXPECT_EQ(timedOut.status, kUpToDate);

    // Default (long) limits: only the stop can end this wait.
    std::stop_source stop;
    std::jthread stopper([&] {
        // Once the server holds the second request (the first timed out above).
        for (int i = 0; i < 1000 && Requests().size() < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        stop.request_stop();
    });
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(TargetsToCheck({{0x0105}}, 103), Service(HttpsBase("silent")), DateFile(),
                       {}, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(outcome.results.size(), 2u);
    EXPECT_EQ(Requests().size(), 2u);  // the timed-out one and the stopped one
}

TEST_F(UpdateServer, ThePlainProxyOfTheEnvironmentIsUsed) {
    ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(http_->Port())).c_str(), 1);
    const UpdateResult result = Service("http://updates.invalid/newer-firmware/api/")
                                    .RequestUpdateInfo("ORBEK_1_TR22M40B_KB_1", 0x0105, true);
    EXPECT_EQ(result.error, UpdateError::None) << result.errorText;
    EXPECT_EQ(result.status, kUpdateAvailable);
    const std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "http://updates.invalid/newer-firmware/api/updates");
    EXPECT_EQ(requests[0].body, "app_key=ORBEK_1_TR22M40B_KB_1&version=105\0"s);
}

}  // namespace
}  // namespace qx
