#include "devices/mouse/orvane_mouse_device.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/light_record_words.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/keyboard_key_table.h"
#include "devices/panels/dpi_panel.h"
#include "devices/panels/mouse_option_panel.h"
#include "devices/panels/shoot_control_ui.h"
#include "lighting/preview_lighting.h"
#include "macros/macro_store.h"
#include "macros/macro_upload.h"
#include "profiles/profile_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

constexpr size_t kKeyCountByte = 5;
constexpr size_t kMacroUnitsByte = 6;
constexpr size_t kMacroUnit = 128;

Result Worse(Result sofar, Result next) { return sofar != kResultSuccess ? sofar : next; }

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

}  // namespace

COrvaneMouseDevice::COrvaneMouseDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::MouseWired) {
    effectCodes_ = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    // The primary screen's size, read once (the block carries it).
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            screenWidth_ = screen->size().width();
            screenHeight_ = screen->size().height();
        }
    }
}

COrvaneMouseDevice::~COrvaneMouseDevice() {
    // The threads call into this class: they end before it goes.
    Shutdown();
}

// --- the gate

bool COrvaneMouseDevice::Gate() { return GateResult() == kResultSuccess; }

Result COrvaneMouseDevice::GateResult() {
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    if (Receiver() && !link.CmdPresenceQuery()) return kResultUnreachable;
    return kResultSuccess;
}

// --- first contact and refresh

void COrvaneMouseDevice::FirstContact() {
    if (!Gate()) return;
    ReadIdentityAndKeyTable();
    LoadProfile();
    RequestPanelRefresh();
}

void COrvaneMouseDevice::ReadIdentityAndKeyTable() {
    DeviceLink& link = CommandLink();
    if (link.CmdBeginConfig() != kResultSuccess) {
        // The mouse did not enter configuration: the sequence is closed all the same.
        if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
        return;
    }
    std::array<uint8_t, kIdentitySize> identity{};
    if (link.CmdReadIdentity(identity.data()) != kResultSuccess) {
        DebugLine("identity was not read");
        if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
        return;
    }
    StoreIdentity(identity);
    const int keyCount = identity[kKeyCountByte];
    const DpiScale scale = DpiScaleFromIdentity(identity);
    if (scale.stepWasZero) DebugLine("the mouse reports a DPI step of 0; step 1 is used");
    {
        std::lock_guard lock(model_);
        scale_ = scale;
    }
    std::vector<uint8_t> table(DeviceLink::kMaxBlockSize, 0);
    Result read = kResultFailed;
    if (link.SetBlockSize(static_cast<uint16_t>(keyCount * 3)) == 1)
        read = link.CmdReadKeyTable(table.data());
    else
        DebugLine("key table larger than 512 bytes; not read");
    if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
    if (read != kResultSuccess) return;
    table.resize(static_cast<size_t>(keyCount) * 3);
    std::lock_guard lock(model_);
    keyTable_ = table;
    keyCount_ = keyCount;
    buttonMap_ = BuildButtonMap(keyTable_, keyCount_);
}

void COrvaneMouseDevice::RefreshFromDevice() {
    DeviceLink& link = CommandLink();
    if (!Gate()) return;
    uint8_t profile = 0;
    if (link.CmdReadConfig(&profile, 1, 0) != kResultSuccess) return;
    std::array<uint8_t, kMouseBlockRead> block{};
    if (link.CmdReadConfig(block.data(), block.size(),
                           static_cast<uint16_t>(profile * kMouseBlockStride)) != kResultSuccess)
        return;
    block[0] = profile;
    profile_.store(profile);
    {
        std::lock_guard lock(model_);
        if (!loaded_) LoadProfile();
        const DecodedMouseBlock decoded = DecodeMouseBlock(block, effectCodes_);
        block[9] = 0;
        mirror_ = block;
        lightInfo_.selectItem = decoded.effectId;
        lightInfo_.light = decoded.brightness;
        lightInfo_.speed = decoded.speed;
        lightInfo_.multiColor = decoded.colourful;
        lightInfo_.red = decoded.red;
        lightInfo_.green = decoded.green;
        lightInfo_.blue = decoded.blue;
        ApplyLightLocked();
        profileData_.WriteLightInfoBlock(lightInfo_);
        settings_.activeStage = std::min<int>(decoded.activeStage, kMouseStageCount - 1);
        profileData_.SetActiveStage(settings_.activeStage);
        if (!SaveLocked())
            DebugLine("the mouse's settings were read but the profile was not saved");
    }
    // Settings read from the mouse are its own: it leaves the synchronised lighting.
    SetSynchronisedLighting(false);
    RequestPanelRefresh();
}

// --- writes

Result COrvaneMouseDevice::WriteSystemBlock(int profile, int currentProfileByte, int applyFlag,
                                            int screenWidth, int screenHeight) {
    MouseBlock block;
    {
        std::lock_guard lock(model_);
        MouseBlockInput input;
        input.light = lightInfo_;
        input.pollingIndex = settings_.PollingIndex();
        input.activeStage = settings_.activeStage;
        input.stages = settings_.stages;
        input.corrections = profileData_.GetCorrectList();
        MouseBlockFrame frame;
        frame.firstByte = static_cast<uint8_t>(currentProfileByte);
        frame.byte59 = static_cast<uint8_t>(applyFlag);
        frame.screenWidth = static_cast<uint16_t>(std::clamp(screenWidth, 0, 0xFFFF));
        frame.screenHeight = static_cast<uint16_t>(std::clamp(screenHeight, 0, 0xFFFF));
        block = BuildMouseBlock(input, effectCodes_, frame);
    }
    if (const Result gate = GateResult(); gate != kResultSuccess) return gate;
    DeviceLink& link = CommandLink();
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteConfig(block.data(), block.size(),
                                     static_cast<uint16_t>(profile * kMouseBlockStride));
    // The sequence is closed even when the write failed.
    return Worse(result, link.CmdEndConfig());
}

Result COrvaneMouseDevice::WriteLightingBlock() {
    return WriteSystemBlock(0, 0, 1, screenWidth_, screenHeight_);
}

Result COrvaneMouseDevice::WriteKeyTable(int profile, const std::vector<KeyAssignRecord>& keyList) {
    if (const Result gate = GateResult(); gate != kResultSuccess) return gate;
    DeviceLink& link = CommandLink();
    std::array<uint8_t, kIdentitySize> identity{};
    if (const Result read = link.CmdReadIdentity(identity.data()); read != kResultSuccess)
        return read;
    StoreIdentity(identity);
    std::vector<uint8_t> table;
    {
        std::lock_guard lock(model_);
        if (keyCount_ == 0) return kResultFailed;  // the key table was never read
        table = BuildMouseKeyTable(keyTable_, keyList, buttonMap_, MacroCount());
    }
    if (link.SetBlockSize(static_cast<uint16_t>(table.size())) != 1) return kResultFailed;
    table.resize(DeviceLink::kMaxBlockSize, 0);
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess) result = link.CmdWriteKeyTable(table.data(), profile);
    return Worse(result, link.CmdEndConfig());
}

Result COrvaneMouseDevice::WriteKeyTableFromProfile() { return WriteKeyTable(0, KeyList()); }

std::vector<int> COrvaneMouseDevice::CollectMacros() {
    std::lock_guard lock(model_);
    return CollectMouseMacros(keyList_, buttonMap_, MacroCount());
}

int COrvaneMouseDevice::UploadMacros(const std::vector<int>& macros) {
    DeviceLink& link = CommandLink();
    if (link.IsOpen()) {
        if (!Gate()) return -1;
        std::array<uint8_t, kIdentitySize> identity{};
        if (link.CmdReadIdentity(identity.data()) == kResultSuccess) StoreIdentity(identity);
    }
    const size_t capacity = size_t{Identity()[kMacroUnitsByte]} * kMacroUnit;
    const MacroUploadPlan plan = PrepareMacroUpload(UserDeviceFolder(), macros, capacity);
    if (plan.result != 0) return plan.result;
    if (plan.image.empty()) return 0;
    if (!Gate()) return -1;
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteMacros(plan.image.data(), plan.image.size());
    result = Worse(result, link.CmdEndConfig());
    return result == kResultSuccess ? 0 : -1;
}

COrvaneMouseDevice::RecoilUpload COrvaneMouseDevice::UploadRecoil() {
    RecoilUpload upload;
    const std::vector<uint8_t> image = BuildRecoilImage(UserDeviceFolder());
    upload.imageBytes = image.size();
    if (image.empty()) return upload;
    if (image.size() > kRecoilMemorySize) {
        upload.overflowBytes = image.size() - kRecoilMemorySize;
        return upload;
    }
    if (const Result gate = GateResult(); gate != kResultSuccess) {
        upload.result = gate;
        return upload;
    }
    DeviceLink& link = CommandLink();
    std::array<uint8_t, kIdentitySize> identity{};
    if (link.CmdReadIdentity(identity.data()) == kResultSuccess) StoreIdentity(identity);
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess) result = link.CmdWriteRecoil(image.data(), image.size());
    upload.result = Worse(result, link.CmdEndConfig());
    return upload;
}

// --- profile

void COrvaneMouseDevice::SetProfilePaths() {
    std::lock_guard lock(model_);
    PointProfileData(profileData_, "the mouse");
}

int COrvaneMouseDevice::LoadProfile() {
    std::lock_guard lock(model_);
    SetProfilePaths();
    profileData_.SetDeviceIndex(0);
    profileData_.Load(profileData_.GetProfilePath());
    if (profileData_.LoadWriteFailed()) DebugLine("the mouse's profile could not be completed");
    keyList_ = profileData_.GetKeyList();
    MouseSettings settings;
    settings.stages = profileData_.GetDpiStages();
    settings.activeStage = std::clamp(profileData_.GetActiveStage(), 0, kMouseStageCount - 1);
    settings.system = profileData_.GetMouseSystem();
    settings_ = settings;
    loaded_ = !profileData_.GetProfilePath().empty();
    ApplyLighting();
    return 1;
}

void COrvaneMouseDevice::SaveProfile() {
    std::lock_guard lock(model_);
    if (!SaveLocked()) DebugLine("the mouse's profile was not saved");
}

bool COrvaneMouseDevice::SaveLocked() {
    if (profileData_.GetProfilePath().empty()) return false;
    return profileData_.Save();
}

void COrvaneMouseDevice::ReloadProfile() {
    LoadProfile();
    SaveProfile();
    RefreshPanel();
}

QString COrvaneMouseDevice::GetProfileName() const {
    std::lock_guard lock(model_);
    return ProfileNameOf(profileData_);
}

void COrvaneMouseDevice::ReloadPanelLists() {
    QStringList names = MacroListNames();
    std::vector<int> codes = ModelEffectCodes();
    std::lock_guard lock(model_);
    macroNames_ = std::move(names);
    // A missing or damaged list leaves the codes as they were.
    if (!codes.empty()) effectCodes_ = std::move(codes);
}

void COrvaneMouseDevice::DropDanglingMacros() {
    ReloadPanelLists();
    std::lock_guard lock(model_);
    if (RevertDanglingMacros(keyList_, static_cast<int>(macroNames_.size()))) {
        profileData_.SetKeyList(keyList_);
        if (!SaveLocked()) DebugLine("the mouse's profile was not saved");
    }
}

int COrvaneMouseDevice::MacroCount() const {
    std::lock_guard lock(model_);
    return static_cast<int>(macroNames_.size());
}

// --- lighting

int COrvaneMouseDevice::ApplyLighting() {
    std::lock_guard lock(model_);
    lightInfo_ = profileData_.ReadLightInfoBlock();
    // The timed effects of the profile's custom light modes (effect ids 10 and above).
    if (lighting::LightingEngine* engine = Lighting()) {
        if (!profileData_.GetLightConfigPath().empty())
            profileData_.LoadLightConfig(profileData_.GetLightConfigPath());
        engine->SetLedEffectList(ToLedEffectRecords(profileData_.GetLedEffectList()));
        engine->SetTimedEffects(ToTimedEffects(profileData_.GetTimedEffectSteps()));
    }
    ApplyLightLocked();
    return 1;
}

void COrvaneMouseDevice::ApplyLightLocked() {
    const std::array<uint32_t, 4> words = LightWordsOf(lightInfo_);
    COrvaneUSBDevice::StoreLightSettings(words[0], words[1], words[2], words[3]);
    const uint8_t before = Light().effectId;
    Light() = LightSettingsOf(lightInfo_);
    if (before != Light().effectId) ClearDecay();
    // The picture's preview follows what the mouse shows (the engine restarts a changed effect).
    if (lighting::LightingEngine* engine = Lighting()) engine->ApplySettings(Light());
}

void COrvaneMouseDevice::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    COrvaneUSBDevice::StoreLightSettings(w0, w1, w2, w3);
    std::lock_guard lock(model_);
    lightInfo_ = LightRecordOf({w0, w1, w2, w3});
    profileData_.WriteLightInfoBlock(lightInfo_);
}

// --- the model

bool COrvaneMouseDevice::ProfileLoaded() const {
    std::lock_guard lock(model_);
    return loaded_;
}

std::filesystem::path COrvaneMouseDevice::ProfilePath() const {
    std::lock_guard lock(model_);
    return profileData_.GetProfilePath();
}

MouseSettings COrvaneMouseDevice::Settings() const {
    std::lock_guard lock(model_);
    return settings_;
}

LightInfoRecord COrvaneMouseDevice::LightInfo() const {
    std::lock_guard lock(model_);
    return lightInfo_;
}

std::vector<KeyAssignRecord> COrvaneMouseDevice::KeyList() const {
    std::lock_guard lock(model_);
    return keyList_;
}

std::vector<uint8_t> COrvaneMouseDevice::ButtonMap() const {
    std::lock_guard lock(model_);
    return buttonMap_;
}

DpiScale COrvaneMouseDevice::Scale() const {
    std::lock_guard lock(model_);
    return scale_;
}

std::array<uint8_t, kMouseBlockRead> COrvaneMouseDevice::Mirror() const {
    std::lock_guard lock(model_);
    return mirror_;
}

std::vector<int> COrvaneMouseDevice::EffectCodeList() const {
    std::lock_guard lock(model_);
    return effectCodes_;
}

void COrvaneMouseDevice::StoreSettingsLocked(const MouseSettings& settings) {
    settings_ = settings;
    profileData_.SetDpiStages(settings.stages);
    profileData_.SetActiveStage(settings.activeStage);
    profileData_.SetMouseSystem(settings.system.words[0], settings.system.words[1],
                                settings.system.words[2]);
}

void COrvaneMouseDevice::ChangeSettings(std::function<void(MouseSettings&)> edit, bool toDevice,
                                        Done done) {
    const bool posted = Post([this, edit = std::move(edit), toDevice, done] {
        QString error;
        {
            std::lock_guard lock(model_);
            if (!loaded_) LoadProfile();
            MouseSettings settings = settings_;
            edit(settings);
            const MouseSettings before = settings_;
            StoreSettingsLocked(settings);
            if (!SaveLocked()) {
                StoreSettingsLocked(before);
                error = Text("ms_profile_not_saved_text");
            }
        }
        if (error.isEmpty() && toDevice) {
            const Result result = WriteSystemBlock(0, 0, 1, screenWidth_, screenHeight_);
            error = ResultText(result);
        }
        OnUiThread([done, error] {
            if (done) done(error);
        });
    });
    if (!posted && done) done(ResultText(kResultFailed));
}

QString COrvaneMouseDevice::ResultText(Result result) {
    switch (result) {
        case kResultSuccess:
            return QString();
        case kResultUnreachable:
            return Text("ms_write_failed_text") + Text("ms_error_unreachable");
        case kResultStatusFF:
        case kResultStatusFE:
            return Text("ms_write_failed_text") + Text("ms_error_refused");
        default:
            return Text("ms_write_failed_text") + Text("ms_error_no_answer");
    }
}

// --- queries and notifications

void COrvaneMouseDevice::PowerQuery() { ReceiverPowerQuery(); }

int COrvaneMouseDevice::PresenceQuery() { return ReceiverPresenceQuery(); }

void COrvaneMouseDevice::OnNotificationCode(uint16_t code, bool receiver) {
    const uint16_t high = code >> 8;
    if (code == 0x0401) {
        RequestRefresh(50);
    } else if (code == 0x0403) {
        if (receiver || Light().effectId != kReactiveEffect) return;
        if (auto* mouse = dynamic_cast<lighting::MouseLighting*>(Lighting())) {
            mouse->OnPress();
            NoteFrameWritten();
        }
    } else if ((high == 0x10 || high == 0x11) && CommandLink().IsOpen()) {
        profile_.store(code & 0x0F);
        if (high == 0x11) {
            // The mouse's own DPI button chose the stage: the profile follows, so that the
            // next block written does not take it back.
            const int stage = std::min((code >> 4) & 0x0F, kMouseStageCount - 1);
            Post([this, stage] {
                std::lock_guard lock(model_);
                mirror_[12] = static_cast<uint8_t>(stage);
                if (!loaded_) return;
                settings_.activeStage = stage;
                profileData_.SetActiveStage(stage);
                if (!SaveLocked()) DebugLine("the mouse's profile was not saved");
            });
        }
        Post([this] { RequestPanelRefresh(); });
    }
}

std::string COrvaneMouseDevice::NotificationExitLine() const { return "MS 设备同步线程设定退出"; }

std::unique_ptr<lighting::LightingEngine> COrvaneMouseDevice::CreateLighting(int ledCount) const {
    return std::make_unique<lighting::MouseLighting>(ledCount);
}

}  // namespace qx::devices
