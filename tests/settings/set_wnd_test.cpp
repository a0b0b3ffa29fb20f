// The settings window against a local HTTPS update server (a certificate authority made for the
// test, given to the program through QX580_TEST_CA_FILE): what each answer shows in the rows and
// the status line, the update flow driven by progress messages, closing, and the language choice.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/check_date_file.h"
#include "core/time_stamp.h"
#include "settings/language_settings.h"
#include "settings/set_wnd.h"
#include "settings/update_catalogue.h"
#include "settings/update_info_list_item.h"
#include "test_time.h"
#include "ui/messages.h"
#include "ui/resource_manager.h"
#include "update_server_process.h"

namespace qx::settings {
namespace {

namespace fs = std::filesystem;
using Row = CUpdateInfoListItemUI;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > qx::test::Patience(timeoutMs)) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Stands in for the main window: keeps the messages it is sent.
class MessageSink : public QObject, public ui::CustomMessageHandler {
  public:
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr) override {
        received.push_back({message, wParam});
        return 1;
    }
    std::vector<std::pair<unsigned, qintptr>> received;
};

class SetWndTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir();
        ASSERT_TRUE(test::UpdateServerProcess::MakeCertificates(Folder()));
        fs::create_directories(Folder() / "replies");
        std::ofstream(Folder() / "replies" / "newer-firmware")
            << R"({"name":"KB firmware","version":"0106","version_name":"V1.0.6",)"
               R"("path":"https://downloads.example/kb-0106.bin","device_id":7})";
        std::ofstream(Folder() / "replies" / "malformed") << "<html>not an answer</html>";
        server_ = new test::UpdateServerProcess(Folder(), true);
        ASSERT_GT(server_->Port(), 0);
    }
    static void TearDownTestSuite() {
        delete server_;
        delete folder_;
    }
    static fs::path Folder() { return folder_->path().toStdString(); }

    void SetUp() override {
        for (const char* name :
             {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
            ::unsetenv(name);
        ::setenv("QX580_TEST_CA_FILE", (Folder() / "ca.pem").c_str(), 1);
        datePath_ = Folder() / "updatetime.config";
        fs::remove(datePath_);
        LanguageSettings::ResetForTests();
        LanguageSettings::SetLanguage(0);
    }
    void TearDown() override {
        if (window_) {
            for (Row* row : window_->Rows()) row->SetState(Row::kUpToDate);
            window_->close();
        }
        ::unsetenv("QX580_TEST_CA_FILE");
    }

    // Opens the window on the targets (keyboard firmware 0x0105 and the program at 103) asking
    // the server's scenario ("" : no service address), and waits for the check to end.
    void Open(const std::string& scenario, bool twoFirmwareRows = false) {
        SetWndOptions options;
        options.mainWindow = &sink_;
        options.checkDatePath = datePath_;
        options.stallTimeoutMs = 300;
        options.targets = twoFirmwareRows
                              ? TargetsToCheck(std::vector<std::int32_t>{0x0105, 0x0105}, 0)
                              : TargetsToCheck(std::vector<std::int32_t>{0, 0x0105}, 103);
        if (scenario.empty()) {
            options.service = [] { return UpdateService(std::nullopt, MakeCurlHttpClient()); };
        } else {
            const std::string base =
                "https://127.0.0.1:" + std::to_string(server_->Port()) + "/" + scenario + "/api/";
            options.service = [base] { return UpdateService(base, MakeCurlHttpClient()); };
        }
        window_ = new CSetWnd(std::move(options));
        ASSERT_TRUE(window_->Create());
        window_->show();
        ASSERT_TRUE(WaitUntil([this] {
            return window_ && window_->WindowStatus() != CSetWnd::kChecking;
        })) << "the check did not end";
    }
    QWidget* Control(const char* name) const {
        return window_->FindControl(QString::fromLatin1(name));
    }
    void Click(const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(Control(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    static QString Text(const char* key) {
        return ui::ResourceManager::GetInstance().Text(QLatin1String(key));
    }
    QString StatusLine() const { return ui::ControlText(Control("Update_Status_text")); }

    static inline QTemporaryDir* folder_ = nullptr;
    static inline test::UpdateServerProcess* server_ = nullptr;
    fs::path datePath_;
    MessageSink sink_;
    QPointer<CSetWnd> window_;
};

TEST_F(SetWndTest, NewerFirmwareIsShownAsItsRowsStateAndOffered) {
    Open("newer-firmware");
    ASSERT_EQ(window_->Rows().size(), 2);
    Row* keyboard = window_->Rows()[0];
    EXPECT_EQ(keyboard->Name(), "KB");
    EXPECT_EQ(keyboard->State(), Row::kNeedUpdate);
    EXPECT_EQ(keyboard->StatusText(), Text("NeedUpdateText"));
    EXPECT_EQ(keyboard->CurrentVersion(), "V0105");
    EXPECT_EQ(keyboard->NewVersion(), "V0106");
    EXPECT_EQ(keyboard->DownloadPath(), "https://downloads.example/kb-0106.bin");
    EXPECT_TRUE(keyboard->Checked());
    EXPECT_TRUE(keyboard->CheckEnabled());
    EXPECT_EQ(window_->Rows()[1]->Name(), "AP");
    EXPECT_EQ(window_->WindowStatus(), CSetWnd::kHaveUpdate);
    EXPECT_EQ(StatusLine(), Text("HaveUpdateInfoText"));
    EXPECT_FALSE(Control("update_fw_and_ap")->isHidden());

    // Unchecking every row withdraws the update button.
    for (Row* row : window_->Rows()) row->CheckBox()->click();
    EXPECT_TRUE(Control("update_fw_and_ap")->isHidden());
}

TEST_F(SetWndTest, WithoutAServiceEveryRowIsUpToDateAndTheCheckDateIsWritten) {
    Open("");
    for (Row* row : window_->Rows()) {
        EXPECT_EQ(row->State(), Row::kUpToDate);
        EXPECT_EQ(row->StatusText(), Text("UpdateOkText"));
        EXPECT_FALSE(row->CheckEnabled());
    }
    EXPECT_EQ(window_->WindowStatus(), CSetWnd::kIsLatest);
    EXPECT_EQ(StatusLine(), Text("UpdateIsLastText") + QString::fromStdString(TodayDateText()));
    EXPECT_EQ(ReadOrStampCheckDate(datePath_), TodayDateText());
    EXPECT_TRUE(Control("update_fw_and_ap")->isHidden());
}

// Answers that can't be trusted or read give rows that say so; nothing is offered.
TEST_F(SetWndTest, FailedQuestionsGiveErrorRowsAndOfferNothing) {
    struct Case {
        const char* scenario;
        bool trustTheAuthority;
        const char* reasonKey;
    };
    const Case cases[] = {
        {"newer-firmware", false, "update_error_certificate"},
        {"malformed", true, "update_error_bad_reply"},
        {"endless", true, "update_error_too_large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        if (!c.trustTheAuthority) ::unsetenv("QX580_TEST_CA_FILE");
        Open(c.scenario);
        for (Row* row : window_->Rows()) {
            EXPECT_EQ(row->State(), Row::kUpToDate);
            EXPECT_EQ(row->StatusText(), Text("UpdateCheckFailText") + Text(c.reasonKey));
            EXPECT_FALSE(row->CheckEnabled());
            EXPECT_TRUE(row->NewVersion().isEmpty());
        }
        EXPECT_EQ(window_->WindowStatus(), CSetWnd::kNoConnection);
        EXPECT_EQ(StatusLine(), Text("NoUpdateInfoText"));
        EXPECT_TRUE(Control("update_fw_and_ap")->isHidden());
        window_->close();
        ::setenv("QX580_TEST_CA_FILE", (Folder() / "ca.pem").c_str(), 1);
    }
}

TEST_F(SetWndTest, UpdateFlowFollowsTheProgressMessagesAndNeverStrandsARow) {
    Open("newer-firmware", true);
    ASSERT_EQ(window_->Rows().size(), 2);
    Row* first = window_->Rows()[0];
    Row* second = window_->Rows()[1];
    Click("update_fw_and_ap");
    Click("update_OK_btn");
    EXPECT_EQ(first->State(), Row::kDownloadWait);
    EXPECT_EQ(second->State(), Row::kDownloadWait);
    EXPECT_EQ(first->StatusText(), Text("DownloadWaitText"));

    ui::SendMessage(window_, msg::kUpdateProgress, 4, 37);
    EXPECT_EQ(first->State(), Row::kDownloading);
    EXPECT_TRUE(first->ProgressShown());
    EXPECT_EQ(first->Progress(), 37);
    EXPECT_EQ(qobject_cast<QLabel*>(first->findChild<QLabel*>("update_progress_value"))->text(),
              "37%");
    // Closing waits while a row is being downloaded.
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());

    ui::SendMessage(window_, msg::kUpdateProgress, 1, 0);
    EXPECT_EQ(first->State(), Row::kUpToDate);
    EXPECT_EQ(first->CurrentVersion(), "V0106");
    EXPECT_TRUE(first->NewVersion().isEmpty());
    ui::SendMessage(window_, msg::kUpdateProgress, 4, 5);
    EXPECT_EQ(second->State(), Row::kDownloading);

    // The downloader goes silent: the row is given up as failed and the window can close.
    ASSERT_TRUE(WaitUntil([&] { return second->State() == Row::kUpdateFailed; }, 3000));
    EXPECT_TRUE(second->CheckEnabled());
    EXPECT_EQ(window_->WindowStatus(), CSetWnd::kHaveUpdate);
    EXPECT_TRUE(window_->close());
}

TEST_F(SetWndTest, ClosesInEveryStateButWhileARowIsDownloadingOrUpdating) {
    Open("");
    Row* row = window_->Rows()[0];
    for (int state = 0; state <= 8; ++state) {
        SCOPED_TRACE(state);
        row->SetState(state);
        EXPECT_EQ(window_->CanClose(), state != Row::kDownloading && state != Row::kUpdating);
    }
    row->SetState(Row::kDownloadWait);
    // A close from outside (the window manager's) closes this window only.
    QWidget other;
    other.show();
    EXPECT_TRUE(window_->close());
    EXPECT_TRUE(WaitUntil([this] { return window_.isNull(); }, 2000)) << "the window was not freed";
    EXPECT_TRUE(other.isVisible());
    EXPECT_FALSE(QCoreApplication::closingDown());
}

TEST_F(SetWndTest, LanguageChoiceIsSentToTheMainWindowAndTextsFollow) {
    Open("");
    auto* combo = qobject_cast<QComboBox*>(Control("Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    ASSERT_GE(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 0);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    ASSERT_EQ(sink_.received.size(), 1u);
    EXPECT_EQ(sink_.received[0], (std::pair<unsigned, qintptr>{msg::kLanguageChanged, 1}));

    // The main window switches and tells the open windows: the composed status line follows.
    LanguageSettings::SetLanguage(1);
    ui::SendMessage(window_, msg::kLanguageChanged, 0, 0);
    EXPECT_EQ(StatusLine(), Text("UpdateIsLastText") + QString::fromStdString(TodayDateText()));
    EXPECT_EQ(window_->Rows()[0]->StatusText(), Text("UpdateOkText"));
    LanguageSettings::SetLanguage(0);
}

TEST_F(SetWndTest, ScaleOutsideTheKnownOnesFallsBackTo96) {
    Open("");
    window_->SetDpi(100);
    EXPECT_EQ(window_->Dpi(), 96);
    window_->SetDpi(144);
    EXPECT_EQ(window_->Dpi(), 144);
}

}  // namespace
}  // namespace qx::settings
