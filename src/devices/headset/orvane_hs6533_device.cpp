#include "devices/headset/orvane_hs6533_device.h"

#include <algorithm>

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/light_record_words.h"
#include "lighting/headset_led_report.h"
#include "lighting/preview_lighting.h"
#include "profiles/profile_manager.h"

namespace qx::devices {
namespace {

// Gains of bands 1-10 of the twelve presets, dB.
constexpr std::array<std::array<int, 10>, 12> kEqPresetTable = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

constexpr int kLedWriteTimeoutMs = 100;
constexpr int kEffectCount = 9;  // effect ids 0-8; a higher id is written as effect 0

// The first result that is not a success, else success.
Result Worse(Result sofar, Result next) { return sofar != kResultSuccess ? sofar : next; }

}  // namespace

COrvaneHS6533Device::COrvaneHS6533Device(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::Headset), library_(audio::SharedAudioLibrary()) {
    for (int i = 0; i < kEffectCount; ++i) effectCodes_.push_back(i);
}

COrvaneHS6533Device::~COrvaneHS6533Device() {
    // The worker calls into this class: it ends before the class goes.
    Shutdown();
}

std::vector<int> COrvaneHS6533Device::PresetBands(int t) {
    if (t < 1 || t > kPresetCount) return {};
    const auto& row = kEqPresetTable[static_cast<size_t>(t - 1)];
    return std::vector<int>(row.begin(), row.end());
}

// --- exchanges

void COrvaneHS6533Device::FirstContact() {
    LoadProfile();
    StartAudio();
    ReadAudioState();
    RequestPanelRefresh();
}

void COrvaneHS6533Device::RefreshFromDevice() {
    DeviceLink& link = CommandLink();
    std::lock_guard lock(model_);
    before_ = mirror_;
    if (!link.IsOpen()) return;
    uint8_t profile = 0;
    if (link.CmdReadConfig(&profile, 1, 0) != kResultSuccess) return;
    std::array<uint8_t, kBlockReadSize> block{};
    if (link.CmdReadConfig(block.data(), block.size(),
                           static_cast<uint16_t>(profile * kReadStride)) != kResultSuccess)
        return;
    std::copy_n(block.begin(), kBlockSize, mirror_.begin());
    mirror_[0] = profile;
    // The device's mode code becomes the effect id; a code the list lacks stays as it is.
    const auto found = std::find(effectCodes_.begin(), effectCodes_.end(), int{mirror_[1]});
    if (found != effectCodes_.end())
        mirror_[1] = static_cast<uint8_t>(std::distance(effectCodes_.begin(), found));
    mirror_[3] = static_cast<uint8_t>(4 - mirror_[3]);
    // Settings read from the headset are its own: it leaves the synchronised lighting.
    SetSynchronisedLighting(false);
}

void COrvaneHS6533Device::PowerQuery() { ReadAndShowPowerRecord(); }

int COrvaneHS6533Device::ApplyLighting() {
    std::lock_guard lock(model_);
    lightInfo_ = profile_.ReadLightInfoBlock();
    const std::array<uint32_t, 4> words = LightWordsOf(lightInfo_);
    COrvaneUSBDevice::StoreLightSettings(words[0], words[1], words[2], words[3]);
    Light() = LightSettingsOf(lightInfo_);
    mirror_[1] = lightInfo_.selectItem;
    mirror_[2] = lightInfo_.light;
    mirror_[3] = lightInfo_.speed;
    mirror_[5] = lightInfo_.multiColor;
    mirror_[6] = lightInfo_.red;
    mirror_[7] = lightInfo_.green;
    mirror_[8] = lightInfo_.blue;
    if (Lighting() != nullptr) Lighting()->ApplySettings(Light());
    return 1;
}

void COrvaneHS6533Device::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    COrvaneUSBDevice::StoreLightSettings(w0, w1, w2, w3);
    std::lock_guard lock(model_);
    lightInfo_ = LightRecordOf({w0, w1, w2, w3});
    profile_.WriteLightInfoBlock(lightInfo_);
}

Result COrvaneHS6533Device::WriteSystemBlock(int profile) {
    Block block;
    {
        std::lock_guard lock(model_);
        block = mirror_;
        const int effect = mirror_[1] < kEffectCount ? mirror_[1] : 0;
        block[1] = static_cast<uint8_t>(effect < static_cast<int>(effectCodes_.size())
                                            ? effectCodes_[static_cast<size_t>(effect)]
                                            : 0);
        block[3] = static_cast<uint8_t>(4 - std::min<int>(mirror_[3], 4));
    }
    DeviceLink& link = CommandLink();
    // A closed channel is a failure to report, not a write that happened.
    if (!link.IsOpen()) return kResultFailed;
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteConfig(block.data(), block.size(),
                                     static_cast<uint16_t>(profile * kWriteStride));
    // The sequence is closed even when the write failed.
    return Worse(result, link.CmdEndConfig());
}

Result COrvaneHS6533Device::SendLedReports() {
    if (!LightingControl()) return kResultSuccess;
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    const auto reports = lighting::PackHeadsetLedReports(Frame());
    Result result = kResultSuccess;
    for (const lighting::HeadsetLedReport& report : reports) {
        size_t written = 0;
        if (link.CableInterface().Write(report.data(), report.size(), &written,
                                        kLedWriteTimeoutMs) == 0 ||
            written != report.size())
            result = kResultWriteFailed;
    }
    return result;
}

Result COrvaneHS6533Device::StreamFrame(const uint8_t*, size_t) {
    // The reports are packed from the frame itself: each LED's level takes part.
    return SendLedReports();
}

// --- profile

std::filesystem::path COrvaneHS6533Device::ProfilePath() const {
    std::lock_guard lock(model_);
    return profile_.GetProfilePath();
}

void COrvaneHS6533Device::SetProfilePaths() {
    std::lock_guard lock(model_);
    PointProfileData(profile_, "the headset");
}

int COrvaneHS6533Device::LoadProfile() {
    std::lock_guard lock(model_);
    SetProfilePaths();
    profile_.SetDeviceIndex(0);
    profile_.Load(profile_.GetProfilePath());
    if (profile_.LoadWriteFailed()) DebugLine("the headset's profile could not be completed");
    ApplyLighting();
    system_ = profile_.GetHeadsetSystem();
    customNames_ = profile_.GetCustomEqNames();
    const int k = system_.customEqSeletIndex;
    selectedCustom_ = k >= 0 && k < static_cast<int>(customNames_.size()) ? k : -1;
    LoadBandsLocked();
    surround_ = profile_.GetSurround() != 0;
    profileLoaded_ = true;
    return 1;
}

void COrvaneHS6533Device::LoadBandsLocked() {
    std::vector<int> bands = system_.eqType == kCustomEqType
                                 ? profile_.GetCustomEqBands(system_.customEqSeletIndex)
                                 : profile_.GetEqBands(system_.eqType);
    bands.resize(kBandCount, 0);
    bands_ = bands;
}

void COrvaneHS6533Device::SaveProfile() {
    std::lock_guard lock(model_);
    if (!SaveLocked()) DebugLine("the headset's profile was not saved");
}

bool COrvaneHS6533Device::SaveLocked() {
    if (profile_.GetProfilePath().empty()) return false;
    return profile_.Save();
}

void COrvaneHS6533Device::StoreSystemLocked() { profile_.SetHeadsetSystem(system_); }

void COrvaneHS6533Device::ReloadProfile() {
    LoadProfile();
    SaveProfile();
    RefreshPanel();
}

QString COrvaneHS6533Device::GetProfileName() const {
    std::lock_guard lock(model_);
    return ProfileNameOf(profile_);
}

void COrvaneHS6533Device::ReloadPanelLists() {
    std::vector<int> codes = ModelEffectCodes();
    std::lock_guard lock(model_);
    // A missing or damaged list leaves the codes as they were.
    if (!codes.empty()) effectCodes_ = std::move(codes);
}

// --- the model

HeadsetSystemRecord COrvaneHS6533Device::System() const {
    std::lock_guard lock(model_);
    return system_;
}

std::vector<int> COrvaneHS6533Device::Bands() const {
    std::lock_guard lock(model_);
    return bands_;
}

std::vector<std::string> COrvaneHS6533Device::CustomNames() const {
    std::lock_guard lock(model_);
    return customNames_;
}

int COrvaneHS6533Device::SelectedCustom() const {
    std::lock_guard lock(model_);
    return selectedCustom_;
}

bool COrvaneHS6533Device::Surround() const {
    std::lock_guard lock(model_);
    return surround_;
}

bool COrvaneHS6533Device::ProfileLoaded() const {
    std::lock_guard lock(model_);
    return profileLoaded_;
}

COrvaneHS6533Device::Block COrvaneHS6533Device::Mirror() const {
    std::lock_guard lock(model_);
    return mirror_;
}

audio::FeatureAvailability COrvaneHS6533Device::Availability() const {
    std::lock_guard lock(model_);
    return availability_;
}

// --- notifications and lighting

void COrvaneHS6533Device::OnNotificationCode(uint16_t code, bool) {
    if (code == 0x0401) RequestRefresh(500);
}

std::string COrvaneHS6533Device::NotificationExitLine() const { return "HS 设备同步线程设定退出"; }

std::unique_ptr<lighting::LightingEngine> COrvaneHS6533Device::CreateLighting(int) const {
    return std::make_unique<lighting::HeadsetLighting>();
}

}  // namespace qx::devices
