#include "devices/pad/orvane_mouse_pad_device.h"

#include <algorithm>

#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/light_record_words.h"
#include "lighting/preview_lighting.h"
#include "profiles/profile_manager.h"

namespace qx::devices {
namespace {

Result Worse(Result sofar, Result next) { return sofar != kResultSuccess ? sofar : next; }

uint8_t CodeOf(int effect, std::span<const int> codes) {
    if (effect < 0 || effect >= kPadDeviceEffects || static_cast<size_t>(effect) >= codes.size())
        effect = 0;
    return codes.empty() ? 0 : static_cast<uint8_t>(codes[static_cast<size_t>(effect)]);
}

}  // namespace

PadBlock BuildPadBlock(const PadBlock& mirror, std::span<const int> effectCodes) {
    PadBlock block = mirror;
    block[1] = CodeOf(mirror[1], effectCodes);
    block[3] = static_cast<uint8_t>(4 - std::min<int>(mirror[3], 4));
    return block;
}

PadBlock MirrorFromRead(std::span<const uint8_t> read, uint8_t profile,
                        std::span<const int> effectCodes) {
    PadBlock mirror{};
    std::copy_n(read.begin(), std::min(read.size(), mirror.size()), mirror.begin());
    mirror[0] = profile;
    for (size_t i = 0; i < effectCodes.size(); ++i) {
        if (effectCodes[i] == mirror[1]) {
            mirror[1] = static_cast<uint8_t>(i);
            break;
        }
    }
    mirror[3] = static_cast<uint8_t>(4 - std::min<int>(mirror[3], 4));
    return mirror;
}

COrvaneMousePadDevice::COrvaneMousePadDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::MousePad) {
    effectCodes_ = {0, 1, 2, 3, 4, 5, 6, 7, 8};
}

COrvaneMousePadDevice::~COrvaneMousePadDevice() { Shutdown(); }

void COrvaneMousePadDevice::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
}

void COrvaneMousePadDevice::RefreshPanel() {
    ReloadPanelLists();
    RefreshLightPanel();
}

Result COrvaneMousePadDevice::GateResult() {
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    if (Receiver() && !link.CmdPresenceQuery()) return kResultUnreachable;
    return kResultSuccess;
}

// --- exchanges

void COrvaneMousePadDevice::FirstContact() {
    if (GateResult() == kResultSuccess && ReadIdentity() != kResultSuccess)
        DebugLine("identity was not read");
    // The pad's own bytes of its block are carried into every write: they are read first.
    RefreshFromDevice();
    LoadProfile();
    RequestPanelRefresh();
}

void COrvaneMousePadDevice::RefreshFromDevice() {
    // Settings read from the pad are its own: it leaves the synchronised lighting.
    if (ReadMirror()) SetSynchronisedLighting(false);
}

bool COrvaneMousePadDevice::ReadMirror() {
    {
        std::lock_guard lock(model_);
        before_ = mirror_;
    }
    if (GateResult() != kResultSuccess) return false;
    DeviceLink& link = CommandLink();
    uint8_t profile = 0;
    if (link.CmdReadConfig(&profile, 1, 0) != kResultSuccess) return false;
    std::array<uint8_t, kPadReadSize> read{};
    if (link.CmdReadConfig(read.data(), read.size(),
                           static_cast<uint16_t>(profile * kPadReadStride)) != kResultSuccess)
        return false;
    profile_.store(profile);
    std::lock_guard lock(model_);
    mirror_ = MirrorFromRead(read, profile, effectCodes_);
    mirrorRead_ = true;
    FeedPreviewLocked();
    return true;
}

Result COrvaneMousePadDevice::WriteSystemBlock(int profile) {
    if (!MirrorRead()) {
        // Without the pad's own bytes the write would clear them: they are read now, and the
        // profile's lighting goes over them.
        ReadMirror();
        std::lock_guard lock(model_);
        if (!mirrorRead_) return GateResult() == kResultSuccess ? kResultFailed : GateResult();
        ApplyLightLocked();
    }
    PadBlock block;
    {
        std::lock_guard lock(model_);
        block = BuildPadBlock(mirror_, effectCodes_);
    }
    if (const Result gate = GateResult(); gate != kResultSuccess) return gate;
    DeviceLink& link = CommandLink();
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteConfig(block.data(), block.size(),
                                     static_cast<uint16_t>(profile * kPadWriteStride));
    return Worse(result, link.CmdEndConfig());
}

void COrvaneMousePadDevice::PowerQuery() { ReadAndShowPowerRecord(); }

// --- lighting

int COrvaneMousePadDevice::ApplyLighting() {
    std::lock_guard lock(model_);
    lightInfo_ = profileData_.ReadLightInfoBlock();
    // The profile's per-LED effects over the frame and the timed effects of its custom modes.
    if (lighting::LightingEngine* engine = Lighting()) {
        if (!profileData_.GetLightConfigPath().empty())
            profileData_.LoadLightConfig(profileData_.GetLightConfigPath());
        engine->SetLedEffectList(ToLedEffectRecords(profileData_.GetLedEffectList()));
        engine->SetTimedEffects(ToTimedEffects(profileData_.GetTimedEffectSteps()));
    }
    ApplyLightLocked();
    return 1;
}

void COrvaneMousePadDevice::FeedPreviewLocked() {
    lighting::LightingEngine* engine = Lighting();
    if (engine == nullptr) return;
    // The pad's preview runs the effect and speed its block holds, with the colours, brightness
    // and direction of the light settings.
    lighting::LightSettings preview = Light();
    preview.effectId = mirror_[1];
    preview.speed = mirror_[3];
    engine->ApplySettings(preview);
}

void COrvaneMousePadDevice::ApplyLightLocked() {
    lighting::LightSettings& light = Light();
    light.effectId = lightInfo_.selectItem;
    light.brightness = lightInfo_.light;
    light.speed = lightInfo_.speed;
    light.direction = lightInfo_.fx;
    light.colourful = lightInfo_.multiColor;
    light.colour = {lightInfo_.red, lightInfo_.green, lightInfo_.blue};
    // The mirror carries the lighting into the next write; its direction byte is the pad's.
    mirror_[1] = lightInfo_.selectItem;
    mirror_[2] = lightInfo_.light;
    mirror_[3] = lightInfo_.speed;
    mirror_[5] = lightInfo_.multiColor;
    mirror_[6] = lightInfo_.red;
    mirror_[7] = lightInfo_.green;
    mirror_[8] = lightInfo_.blue;
    FeedPreviewLocked();
}

void COrvaneMousePadDevice::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    COrvaneUSBDevice::StoreLightSettings(w0, w1, w2, w3);
    const std::array<uint32_t, 4> words = {w0, w1, w2, w3};
    auto byte = [&words](size_t i) { return static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4))); };
    std::lock_guard lock(model_);
    LightInfoRecord info;
    info.selectItem = byte(0);
    info.light = byte(1);
    info.speed = byte(2);
    info.fx = byte(3);
    info.multiColor = byte(4);
    info.red = byte(5);
    info.green = byte(6);
    info.blue = byte(7);
    info.reserved9 = byte(8);
    info.reserved10 = byte(9);
    info.reserved11 = byte(10);
    info.zzccLedMode = byte(11);
    info.customGroup = byte(12);
    info.oldLedmode = byte(13);
    lightInfo_ = info;
    profileData_.WriteLightInfoBlock(info);
}

// --- profile

void COrvaneMousePadDevice::SetProfilePaths() {
    std::lock_guard lock(model_);
    PointProfileData(profileData_, "the pad");
}

int COrvaneMousePadDevice::LoadProfile() {
    std::lock_guard lock(model_);
    SetProfilePaths();
    profileData_.SetDeviceIndex(0);
    profileData_.Load(profileData_.GetProfilePath());
    loaded_ = !profileData_.GetProfilePath().empty();
    ApplyLighting();
    return 1;
}

void COrvaneMousePadDevice::SaveProfile() {
    std::lock_guard lock(model_);
    if (profileData_.GetProfilePath().empty() || !profileData_.Save())
        DebugLine("the pad's profile was not saved");
}

void COrvaneMousePadDevice::ReloadProfile() {
    LoadProfile();
    SaveProfile();
    RefreshPanel();
}

QString COrvaneMousePadDevice::GetProfileName() const {
    std::lock_guard lock(model_);
    return ProfileNameOf(profileData_);
}

void COrvaneMousePadDevice::ReloadPanelLists() {
    std::vector<int> codes = ModelEffectCodes();
    std::lock_guard lock(model_);
    // A missing or damaged list leaves the codes as they were.
    if (!codes.empty()) effectCodes_ = std::move(codes);
}

// --- the model

PadBlock COrvaneMousePadDevice::Mirror() const {
    std::lock_guard lock(model_);
    return mirror_;
}

PadBlock COrvaneMousePadDevice::MirrorBefore() const {
    std::lock_guard lock(model_);
    return before_;
}

bool COrvaneMousePadDevice::MirrorRead() const {
    std::lock_guard lock(model_);
    return mirrorRead_;
}

bool COrvaneMousePadDevice::ProfileLoaded() const {
    std::lock_guard lock(model_);
    return loaded_;
}

std::filesystem::path COrvaneMousePadDevice::ProfilePath() const {
    std::lock_guard lock(model_);
    return profileData_.GetProfilePath();
}

LightInfoRecord COrvaneMousePadDevice::LightInfo() const {
    std::lock_guard lock(model_);
    return lightInfo_;
}

// --- notifications

void COrvaneMousePadDevice::OnNotificationCode(uint16_t code, bool) {
    if (code == 0x0401) RequestRefresh(500);
}

std::string COrvaneMousePadDevice::NotificationExitLine() const {
    return "MP 设备同步线程设定退出";
}

std::unique_ptr<lighting::LightingEngine> COrvaneMousePadDevice::CreateLighting(
    int ledCount) const {
    return std::make_unique<lighting::PadLighting>(ledCount);
}

}  // namespace qx::devices
