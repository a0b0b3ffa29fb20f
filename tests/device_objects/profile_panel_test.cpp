// The profile panel of a device page against a keyboard whose profile and key-table operations
// record what they were asked and on which thread: the first start, every flow of the profile
// buttons with its questions and messages, the file dialogs, and the apply sequence of a
// selection after its wait.
#include <gtest/gtest.h>
#include <json/value.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/json_file.h"
#include "device_window_fixture.h"
#include "devices/base/device_profile_ui.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "ui/file_dialogs.h"

namespace qx::devices {
namespace {

using test::DeviceWindow;
using test::RunEventsFor;
using test::WaitUntil;

// A keyboard whose capabilities only note each call; every call must come on the device's worker.
class RecordingKeyboard : public COrvaneUSBDevice, ProfileCapability, KeyTableCapability {
  public:
    explicit RecordingKeyboard(HidBackend& backend)
        : COrvaneUSBDevice(backend, DeviceKind::KeyboardWired) {}
    ~RecordingKeyboard() override { Shutdown(); }
    ProfileCapability* Profiles() override { return this; }
    KeyTableCapability* KeyTable() override { return this; }

    void SetProfilePaths() override { Note("SetProfilePaths"); }
    int LoadProfile() override {
        Note("LoadProfile " + ProfileId().toStdString());
        return 0;
    }
    void SaveProfile() override { Note("SaveProfile"); }
    void ReloadProfile() override { Note("ReloadProfile"); }
    QString GetProfileName() const override { return {}; }
    void ReloadPanelLists() override {}
    std::vector<int> CollectMacros() override {
        Note("CollectMacros");
        return {};
    }
    Result WriteKeyTable(int, const std::vector<KeyAssignRecord>&) override {
        return kResultSuccess;
    }
    Result WriteKeyTableFromProfile() override {
        Note("WriteKeyTableFromProfile");
        return kResultSuccess;
    }
    int UploadMacros(const std::vector<int>&) override {
        Note("UploadMacros");
        return uploadResult.load();
    }
    void DropDanglingMacros() override { Note("DropDanglingMacros"); }
    Result WriteSystemBlock(int, int, int, int, int) override {
        Note("WriteSystemBlock");
        return kResultSuccess;
    }

    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void ClearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    std::atomic<int> uploadResult{0};
    std::atomic<bool> offWorker{false};

  private:
    void Note(const std::string& call) {
        if (!Worker().OnWorkerThread()) offWorker = true;
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
    }
    std::mutex mutex_;
    std::vector<std::string> calls_;
};

std::vector<DeviceFamilyRow> RecordingFamilies() {
    std::vector<DeviceFamilyRow> rows(DeviceFamilies().begin(), DeviceFamilies().end());
    rows[static_cast<size_t>(DeviceFamily::Keyboard)].create =
        [](HidBackend& backend) -> std::unique_ptr<COrvaneUSBDevice> {
        return std::make_unique<RecordingKeyboard>(backend);
    };
    return rows;
}

// Message boxes answered from a queue (0 when it is empty), their texts kept.
struct Messages {
    Messages() {
        CDeviceProfileUI::SetMessageBox([this](QWidget*, const QString& text, int mode) {
            shown.push_back(text);
            modes.push_back(mode);
            if (answers.empty()) return 0;
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~Messages() { CDeviceProfileUI::SetMessageBox({}); }
    std::deque<int> answers;
    std::vector<QString> shown;
    std::vector<int> modes;
};

class ProfilePanel : public ::testing::Test {
  protected:
    void SetUp() override {
        window.Start();
        keyboard = dynamic_cast<RecordingKeyboard*>(window.controller->Keyboards().front());
        ASSERT_NE(keyboard, nullptr);
        panel = CDeviceProfileUI::Of(keyboard);
        ASSERT_NE(panel, nullptr);
        combo = keyboard->Page()->findChild<QComboBox*>("device_profile_combo");
        ASSERT_NE(combo, nullptr);
    }
    void TearDown() override { ui::FileDialogs::ClearAnswers(); }

    QStringList ComboItems() const {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    void Click(const char* name) {
        QWidget* control = keyboard->Page()->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        window.paintManager->SendNotify(control, "click");
    }
    void ChooseInCombo(int index) {
        combo->setCurrentIndex(index);
        window.paintManager->SendNotify(combo, "itemselect", index);
    }
    std::filesystem::path Folder() const { return keyboard->UserDeviceFolder(); }

    const std::vector<DeviceFamilyRow> families = RecordingFamilies();
    Messages messages;
    DeviceWindow window{kSupportedDevices, families};
    RecordingKeyboard* keyboard = nullptr;
    CDeviceProfileUI* panel = nullptr;
    QComboBox* combo = nullptr;
};

TEST_F(ProfilePanel, FirstStartMakesProfile1FromTheDefaultsAndTheDeviceTakesIt) {
    EXPECT_EQ(ComboItems(), QStringList{"profile1"});
    EXPECT_EQ(combo->currentIndex(), 0);
    const QString id = panel->GetCurrentProfileId();
    EXPECT_FALSE(id.isEmpty());
    EXPECT_EQ(keyboard->ProfileId(), id);
    const Json::Value file = ReadJsonFile(Folder() / (id.toStdString() + ".Json"));
    EXPECT_EQ(file["profilename"].asString(), "profile1");
    EXPECT_TRUE(file["Device"].isArray()) << "the profile is a copy of the shipped default";
    // The keyboard's page shows no cursor tab; the menu starts hidden and the spread button
    // toggles it.
    EXPECT_TRUE(keyboard->Page()->findChild<QWidget*>("cursor_Op_tab")->isHidden());
    EXPECT_FALSE(panel->IsProfileMenuVisible());
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(panel->IsProfileMenuVisible());
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(panel->IsProfileMenuVisible());
}

TEST_F(ProfilePanel, ButtonsAddCopyRenameAndDeleteWithTheirMessages) {
    Click("device_add_btn");
    Click("device_copy_btn");
    EXPECT_EQ(ComboItems(), (QStringList{"profile1", "profile2", "profile1 copy"}));
    EXPECT_EQ(combo->currentIndex(), 0) << "a new profile does not change the selection";

    auto* edit = keyboard->Page()->findChild<QLineEdit*>("device_profile_name_edit");
    ASSERT_NE(edit, nullptr);
    struct Case {
        const char* typed;
        const char* message;  // nullptr: renamed
    } cases[] = {{"PROFILE2", "message_text_5"}, {"   ", "message_text_25"}, {"Work", nullptr}};
    for (const Case& c : cases) {
        messages.shown.clear();
        edit->setText(c.typed);
        Click("device_profile_edit_save_btn");
        if (c.message != nullptr) {
            EXPECT_EQ(messages.shown, std::vector<QString>{c.message}) << c.typed;
            EXPECT_EQ(messages.modes, std::vector<int>(messages.modes.size(), 0));
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
    EXPECT_EQ(ComboItems(), (QStringList{"Work", "profile2", "profile1 copy"}));
    const Json::Value list = ReadJsonFile(Folder() / "ProfileList.ini");
    EXPECT_EQ(list["profilelist"][0]["profilename"].asString(), "Work");

    // Deleting the selected first profile selects the new first one and applies it.
    const std::string deletedFile = panel->GetCurrentProfileId().toStdString() + ".Json";
    Click("device_sub_btn");
    EXPECT_EQ(ComboItems(), (QStringList{"profile2", "profile1 copy"}));
    EXPECT_FALSE(std::filesystem::exists(Folder() / deletedFile));
    ASSERT_TRUE(WaitUntil([&] { return !keyboard->Calls().empty(); }, 3000));
    EXPECT_EQ(keyboard->ProfileId(), panel->GetCurrentProfileId());
    EXPECT_EQ(ReadJsonFile(Folder() / "ProfileList.ini")["profileselect"].asInt(), 0);
}

TEST_F(ProfilePanel, ExportToANewFileAndImportItBack) {
    const std::filesystem::path exported = Folder().parent_path() / "out" / "mine.json";
    std::filesystem::create_directories(exported.parent_path());
    ASSERT_FALSE(std::filesystem::exists(exported));
    ui::FileDialogs::QueueAnswer(QString::fromStdString(exported.string()));
    Click("device_export_btn");
    ASSERT_TRUE(std::filesystem::exists(exported)) << "a save dialog's new file is written";
    EXPECT_EQ(ReadJsonFile(exported)["profilename"].asString(), "profile1");

    for (int i = 0; i < 2; ++i) {
        ui::FileDialogs::QueueAnswer(QString::fromStdString(exported.string()));
        Click("device_import_btn");
    }
    EXPECT_EQ(ComboItems(), (QStringList{"profile1", "mine", "mine(1)"}));

    // Not a profile, and a cancelled dialog: nothing is added.
    const std::filesystem::path other = exported.parent_path() / "other.json";
    ASSERT_TRUE(WriteJsonFile(other, Json::Value(Json::arrayValue)));
    ui::FileDialogs::QueueAnswer(QString::fromStdString(other.string()));
    Click("device_import_btn");
    ui::FileDialogs::QueueAnswer(QString());
    Click("device_import_btn");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProfilePanel, SelectionIsAppliedOnTheWorkerAfterItsWaitWhichASecondChoiceRestarts) {
    Click("device_add_btn");
    Click("device_add_btn");
    keyboard->ClearCalls();

    QElapsedTimer clock;
    clock.start();
    ChooseInCombo(1);
    RunEventsFor(250);
    EXPECT_TRUE(keyboard->Calls().empty()) << "nothing before the wait is over";
    ChooseInCombo(2);
    const qint64 second = clock.elapsed();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->Calls().size() >= 6; }, 3000));
    EXPECT_GE(clock.elapsed() - second, 350) << "the second choice restarted the wait";

    const std::string id = panel->GetCurrentProfileId().toStdString();
    EXPECT_EQ(keyboard->Calls(), (std::vector<std::string>{
                                     "LoadProfile " + id, "DropDanglingMacros", "WriteSystemBlock",
                                     "CollectMacros", "UploadMacros", "WriteKeyTableFromProfile"}))
        << "one apply, of the last choice";
    EXPECT_FALSE(keyboard->offWorker) << "device operations run on the device's worker";
    EXPECT_EQ(ReadJsonFile(Folder() / "ProfileList.ini")["profileselect"].asInt(), 2);
}

TEST_F(ProfilePanel, UploadResultsDecideMessagesAndTheKeyTable) {
    struct Case {
        int upload;
        QString message;
        bool keyTable;
    } cases[] = {{-1, "message_text_7", true}, {3, "3", false}, {0, "", true}};
    for (const Case& c : cases) {
        keyboard->uploadResult = c.upload;
        keyboard->ClearCalls();
        messages.shown.clear();
        bool applied = false;
        CDeviceProfileUI::ApplyOutcome outcome;
        const auto connection = QObject::connect(panel, &CDeviceProfileUI::Applied,
                                                 [&](CDeviceProfileUI::ApplyOutcome o) {
                                                     applied = true;
                                                     outcome = o;
                                                 });
        ASSERT_TRUE(panel->SelectAndApply(0));
        ASSERT_TRUE(WaitUntil([&] { return applied; }));
        QObject::disconnect(connection);
        EXPECT_EQ(outcome.keyTableWritten, c.keyTable) << c.upload;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u) << c.upload;
            EXPECT_TRUE(messages.shown[0].contains(c.message)) << messages.shown[0].toStdString();
        }
    }
    EXPECT_FALSE(panel->SelectAndApply(5)) << "no such profile";
}

TEST_F(ProfilePanel, ResetAndRestoreDefaultsAskFirst) {
    const std::filesystem::path file =
        Folder() / (panel->GetCurrentProfileId().toStdString() + ".Json");
    Json::Value changed = ReadJsonFile(file);
    changed["Device"][0]["LightInfo"]["Light"] = 99;
    ASSERT_TRUE(WriteJsonFile(file, changed));

    for (const char* button : {"device_reset_btn", "default_btn"}) {
        messages.answers = {0};
        keyboard->ClearCalls();
        Click(button);
        EXPECT_EQ(messages.shown.back(), "message_text_22");
        EXPECT_EQ(messages.modes.back(), 1) << "a question has two buttons";
        RunEventsFor(100);
        EXPECT_TRUE(keyboard->Calls().empty()) << button << ": cancelled";
    }
    EXPECT_EQ(ReadJsonFile(file)["Device"][0]["LightInfo"]["Light"].asInt(), 99);

    messages.answers = {1};
    Click("device_reset_btn");
    ASSERT_TRUE(WaitUntil([&] { return keyboard->Calls().size() >= 5; }));
    EXPECT_NE(ReadJsonFile(file)["Device"][0]["LightInfo"]["Light"].asInt(), 99);
    EXPECT_EQ(ReadJsonFile(file)["profilename"].asString(), "profile1");

    keyboard->ClearCalls();
    messages.answers = {1};
    Click("default_btn");
    ASSERT_TRUE(WaitUntil([&] { return keyboard->Calls().size() >= 3; }));
    EXPECT_EQ(keyboard->Calls(),
              (std::vector<std::string>{"ReloadProfile", "WriteKeyTableFromProfile",
                                        "WriteSystemBlock"}));
    EXPECT_FALSE(keyboard->offWorker);
}

}  // namespace
}  // namespace qx::devices
