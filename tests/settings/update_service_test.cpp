// The update service without a network: catalogue, request bytes, reply reading and the check
// pass, with a recorded HTTP client.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "core/check_date_file.h"
#include "core/test_data_home.h"
#include "core/time_stamp.h"
#include "settings/update_catalogue.h"
#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_request.h"
#include "settings/update_service.h"
#include "settings/update_test_print.h"

namespace qx {
namespace {

using namespace std::string_literals;

TEST(UpdateCatalogue, TargetsTakeTheVersionsOfTheListPositionsAndAbsentOnesAreDropped) {
    const std::vector<std::int32_t> firmware = {0x0105, 0, 0x0200, 0x0999};  // 4th: no row
    const std::vector<UpdateTarget> rows = TargetsToCheck(firmware, 103);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].typeCode, "MS");
    EXPECT_EQ(rows[0].currentVersion, 0x0105);
    EXPECT_EQ(rows[1].typeCode, "Q38");
    EXPECT_EQ(rows[1].currentVersion, 0x0200);
    EXPECT_TRUE(rows[2].IsProgram());
    EXPECT_EQ(rows[2].currentVersion, 103);

    const std::vector<UpdateTarget> programOnly = TargetsToCheck({}, 103);
    ASSERT_EQ(programOnly.size(), 1u);
    EXPECT_EQ(PlaceholderResult(programOnly[0]).name, "AP");
    EXPECT_TRUE(TargetsToCheck({}, 0).empty());
}

TEST(UpdateCatalogue, AppKeysAndInstalledVersion) {
    const std::vector<UpdateTarget> rows = TargetsToCheck(std::vector<std::int32_t>{1, 2, 3}, 4);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(BuildAppKey(rows[0]), "ORBEK_1_TR22M40B_MS_1");
    EXPECT_EQ(BuildAppKey(rows[1]), "ORBEK_1_TR22M40B_KB_1");
    EXPECT_EQ(BuildAppKey(rows[2]), "ORBEK_2_TR22M40B_1_Q38_1");
    EXPECT_EQ(BuildAppKey(rows[3]), "ORBEK_0_ALL_KB_1");
    EXPECT_EQ(BuildAppKey(UpdateCatalogue()[0]), "NULL");

    const struct {
        const char* text;
        std::int32_t version;
    } cases[] = {{"1.0.3", 103}, {"0.1.0", 10}, {"2.10", 210},     {"", 0},
                 {"beta", 0},    {"-1.0", 0},   {"99999999999", 0}};
    for (const auto& c : cases) EXPECT_EQ(InstalledVersionFromText(c.text), c.version) << c.text;
    EXPECT_GT(GetInstalledVersion(), 0);
}

TEST(UpdateRequest, BodyCountsItsZeroAndTheHeadersAreTheThreeTheServiceExpects) {
    EXPECT_EQ(UpdateRequestBody("ORBEK_1_TR22M40B_KB_1", 0x1a, true),
              "app_key=ORBEK_1_TR22M40B_KB_1&version=1a\0"s);
    EXPECT_EQ(UpdateRequestBody("ORBEK_0_ALL_KB_1", 103, false),
              "app_key=ORBEK_0_ALL_KB_1&version=103\0"s);
    const std::string body = UpdateRequestBody("K", 0x0105, true);
    EXPECT_EQ(body.size(), "app_key=K&version=105"s.size() + 1);
    EXPECT_EQ(UpdateRequestHeaders(body.size()),
              (std::vector<std::string>{"Content-Length: 22",
                                        "Content-Type: application/x-www-form-urlencoded",
                                        "Accept:application/prs.Orbek.v1+json"}));
    EXPECT_EQ(UpdateRequestUrl("https://h.example/api/"), "https://h.example/api/updates");
    EXPECT_EQ(UpdateRequestUrl("https://h.example/api"), "https://h.example/api/updates");
}

TEST(UpdateReply, VersionsCompareInTheTargetsBase) {
    const struct {
        const char* name;
        std::string reply;
        std::int32_t current;
        bool hex;
        std::int32_t status;
        const char* currentText;
        const char* newText;
    } cases[] = {
        {"newer firmware", R"({"name":"KB","version":"0106"})", 0x0105, true, 1, "V0105", "V0106"},
        {"same firmware", R"({"name":"KB","version":"105"})", 0x0105, true, 7, "V0105", "V105"},
        {"hex digits", R"({"name":"KB","version":"01a0"})", 0x0199, true, 1, "V0199", "V01a0"},
        {"same program", R"({"name":"AP","version":"103","version_name":"V1.0.3"})", 103, false, 7,
         "V103", "V1.0.3"},
        {"newer program", R"({"name":"AP","version":"104","version_name":"V1.0.4"})", 103, false, 1,
         "V103", "V1.0.4"},
        {"not a number", R"({"name":"KB","version":"new"})", 0x0105, true, 7, "V0105", "Vnew"},
        {"no version", R"({"name":"KB"})", 0x0105, true, 7, "V0105", "V"},
        {"number", R"({"name":"AP","version":104})", 103, false, 1, "V103", ""},
        {"beyond 32 bits", R"({"name":"AP","version":"99999999999"})", 103, false, 1, "V103", ""},
        {"zero ends the text", "{\"name\":\"KB\",\"version\":\"0106\"}\0garbage"s, 0x0105, true, 1,
         "V0105", "V0106"},
    };
    for (const auto& c : cases) {
        const UpdateResult result = ParseUpdateReply(c.reply, c.current, c.hex);
        EXPECT_EQ(result.error, UpdateError::None) << c.name;
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.currentVersionText, c.currentText) << c.name;
        EXPECT_EQ(result.newVersionText, c.newText) << c.name;
    }

    const UpdateResult full = ParseUpdateReply(
        R"({"name":"KB","version":"0106","version_name":"1.06","path":"https://d/fw.bin",)"
        R"("device_id":7})",
        0x0105, true);
    EXPECT_EQ(full.name, "KB");
    EXPECT_EQ(full.versionName, "1.06");
    EXPECT_EQ(full.downloadPath, "https://d/fw.bin");
    EXPECT_EQ(full.deviceId, 7);
}

TEST(UpdateReply, UnreadableRepliesAreErrorsThatOfferNothing) {
    const std::string replies[] = {"",
                                   "\0{\"name\":\"KB\",\"version\":\"ffff\"}"s,
                                   "<html>502 Bad Gateway</html>",
                                   R"({"name":"KB","version":"ffff")",
                                   R"(["KB","ffff"])",
                                   "\"ffff\"",
                                   std::string(100000, '['),
                                   R"({"name":["x"],"version":{"a":1},"device_id":"x"})"};
    for (std::size_t i = 0; i + 1 < std::size(replies); ++i) {
        const UpdateResult result = ParseUpdateReply(replies[i], 0x0105, true);
        EXPECT_EQ(result.error, UpdateError::BadReply) << i;
        EXPECT_EQ(result.status, kUpToDate) << i;
        EXPECT_TRUE(result.downloadPath.empty()) << i;
    }
    // Members of the wrong type read as missing: no crash, nothing offered.
    const UpdateResult odd = ParseUpdateReply(replies[std::size(replies) - 1], 0x0105, true);
    EXPECT_EQ(odd.error, UpdateError::None);
    EXPECT_EQ(odd.status, kUpToDate);
    EXPECT_TRUE(odd.name.empty());
}

// Answers each request with the next scripted response and records what it was sent.
class RecordedClient : public HttpClient {
  public:
    HttpResponse Send(const HttpRequest& request, std::stop_token) override {
        requests.push_back(request);
        if (responses.empty()) return {HttpFailure::Connection, 0, "", "nothing scripted"};
        HttpResponse next = responses.front();
        responses.pop_front();
        return next;
    }
    std::deque<HttpResponse> responses;
    std::vector<HttpRequest> requests;
};

HttpResponse Reply(std::string body, long status = 200) {
    return {HttpFailure::None, status, std::move(body), ""};
}

class UpdateCheck : public test::TestDataHome {
  protected:
    std::filesystem::path DateFile() const { return Root() / "updatetime.config"; }
};

TEST_F(UpdateCheck, WithoutAnAddressEveryRowIsUpToDateAndNothingIsSent) {
    auto client = std::make_shared<RecordedClient>();
    const UpdateService service(std::nullopt, client);
    EXPECT_FALSE(service.Configured());
    const std::vector<UpdateTarget> targets = TargetsToCheck({{0x0105, 0x0200}}, 103);
    const UpdateCheckOutcome outcome = RunUpdateCheck(targets, service, DateFile());
    EXPECT_TRUE(client->requests.empty());
    ASSERT_EQ(outcome.results.size(), 3u);
    for (const UpdateResult& result : outcome.results) {
        EXPECT_EQ(result.status, kUpToDate);
        EXPECT_EQ(result.error, UpdateError::None);
    }
    EXPECT_EQ(outcome.results[0].currentVersionText, "V0105");
    EXPECT_EQ(outcome.results[2].name, "AP");
    EXPECT_EQ(outcome.results[2].currentVersionText, "V1.0.0.0");
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(outcome.status, UpdateCheckStatus::UpToDate);
}

TEST_F(UpdateCheck, RowsFollowTheRepliesAndFailuresAreCounted) {
    auto client = std::make_shared<RecordedClient>();
    client->responses = {
        Reply(R"({"name":"fw","version":"0106","path":"https://d/ms.bin"})"),
        Reply(R"({"version":"0300","path":"https://d/kb.bin"})"),  // no name: nothing offered
        {HttpFailure::Timeout, 0, "", "timed out"},
        Reply(R"({"name":"app","version":"104","version_name":"V1.0.4"})", 503),
    };
    const UpdateService service("https://updates.example/api/", client);
    std::vector<UpdateTarget> targets = TargetsToCheck({{0x0105, 0x0200, 0x0300}}, 103);
    targets.insert(targets.begin() + 1, UpdateCatalogue()[1]);  // version 0: never asked
    std::vector<std::size_t> announced;
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(targets, service, DateFile(),
                       [&](std::size_t row, const UpdateResult&) { announced.push_back(row); });

    ASSERT_EQ(client->requests.size(), 4u);
    EXPECT_EQ(client->requests[0].url, "https://updates.example/api/updates");
    EXPECT_EQ(client->requests[0].verb, HttpVerb::Post);
    EXPECT_EQ(client->requests[0].body, "app_key=ORBEK_1_TR22M40B_MS_1&version=105\0"s);
    EXPECT_EQ(client->requests[3].body, "app_key=ORBEK_0_ALL_KB_1&version=103\0"s);
    EXPECT_EQ(announced, (std::vector<std::size_t>{0, 2, 3, 4}));

    ASSERT_EQ(outcome.results.size(), 5u);
    const UpdateResult& ms = outcome.results[0];
    EXPECT_EQ(ms.status, kUpdateAvailable);
    EXPECT_EQ(ms.name, "MS");
    EXPECT_EQ(ms.newVersionText, "V0106");
    EXPECT_EQ(ms.downloadPath, "https://d/ms.bin");
    const UpdateResult& kb = outcome.results[2];
    EXPECT_EQ(kb.status, kUpToDate);
    EXPECT_EQ(kb.error, UpdateError::None);
    EXPECT_TRUE(kb.newVersionText.empty());
    EXPECT_TRUE(kb.downloadPath.empty());
    EXPECT_EQ(outcome.results[3].error, UpdateError::NoConnection);
    EXPECT_EQ(outcome.results[3].currentVersionText, "V0300");
    EXPECT_EQ(outcome.results[4].error, UpdateError::ServerStatus);
    EXPECT_EQ(outcome.results[4].status, kUpToDate);
    EXPECT_EQ(outcome.results[4].currentVersionText, "V1.0.0.0");
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_EQ(outcome.status, UpdateCheckStatus::UpdatesAvailable);
    EXPECT_EQ(ReadOrStampCheckDate(DateFile()), TodayDateText());
}

TEST_F(UpdateCheck, StatusLineWhenNothingIsOffered) {
    const std::vector<UpdateTarget> targets = TargetsToCheck({{0x0105}}, 103);
    auto failing = std::make_shared<RecordedClient>();  // nothing scripted: every send fails
    EXPECT_EQ(RunUpdateCheck(targets, UpdateService("http://u/api/", failing), DateFile()).status,
              UpdateCheckStatus::NoConnection);

    auto mixed = std::make_shared<RecordedClient>();
    mixed->responses = {Reply(R"({"name":"fw","version":"0105"})")};
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(targets, UpdateService("http://u/api/", mixed), DateFile());
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.status, UpdateCheckStatus::UpToDate);
}

TEST_F(UpdateCheck, AStoppedCheckAsksNoFurther) {
    auto client = std::make_shared<RecordedClient>();
    std::stop_source stop;
    stop.request_stop();
    const UpdateCheckOutcome outcome =
        RunUpdateCheck(TargetsToCheck({{0x0105}}, 103), UpdateService("http://u/api/", client),
                       DateFile(), {}, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(client->requests.empty());
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_FALSE(std::filesystem::exists(DateFile()));
}

}  // namespace
}  // namespace qx
