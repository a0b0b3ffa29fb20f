#include "devices/keyboard/orvane_keyboard_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/diagnostics.h"
#include "devices/base/device_profile_ui.h"
#include "devices/keyboard/keyboard_key_table.h"
#include "devices/keyboard/keyboard_write_errors.h"
#include "lighting/keyboard_lighting.h"
#include "macros/macro_upload.h"

namespace qx::devices {
namespace {

constexpr size_t kKeyCountByte = 5;
constexpr size_t kMacroUnitsByte = 6;
constexpr size_t kMacroUnit = 128;

// The first result that is not a success, else success.
Result Worse(Result sofar, Result next) { return sofar != kResultSuccess ? sofar : next; }

}  // namespace

COrvaneKeyboardDevice::COrvaneKeyboardDevice(HidBackend& backend)
    : COrvaneUSBDevice(backend, DeviceKind::KeyboardWired) {
    effectCodes_ = DefaultEffectCodes();
    maps_.primary.fill(kNoPosition);
    maps_.colour.fill(kNoPosition);
}

COrvaneKeyboardDevice::~COrvaneKeyboardDevice() {
    // The threads call into this class: they end before it goes.
    Shutdown();
}

// --- first contact and refresh

void COrvaneKeyboardDevice::FirstContact() {
    if (!CommandLink().IsOpen()) return;
    ReadIdentityAndKeyTables();
    LoadProfile();
    ReadSystemBlock();
    RequestPanelRefresh();
}

void COrvaneKeyboardDevice::ContactAgain() {
    if (!CommandLink().IsOpen()) return;
    ReadIdentityAndKeyTables();
    LoadProfile();
    RequestPanelRefresh();
}

void COrvaneKeyboardDevice::RefreshFromDevice() {
    if (lastCode_.load() == 0x402) {
        // The keyboard asks for its profiles again: the list is read anew on the UI thread
        // (where its panel lives), then the profile and the settings block here.
        OnUiThread([this] {
            if (CDeviceProfileUI* panel = CDeviceProfileUI::Of(this)) {
                panel->InitProfileList();
                SetProfileId(panel->GetCurrentProfileId());
            }
            Post([this] {
                LoadProfile();
                ReadSystemBlock();
                RequestPanelRefresh();
            });
        });
        return;
    }
    ReadSystemBlock();
    RequestPanelRefresh();
}

void COrvaneKeyboardDevice::ReadIdentityAndKeyTables() {
    DeviceLink& link = CommandLink();
    if (link.CmdBeginConfig() != kResultSuccess) DebugLine("begin of configuration failed");
    std::array<uint8_t, kIdentitySize> identity{};
    if (link.CmdReadIdentity(identity.data()) != kResultSuccess) {
        DebugLine("identity was not read");
        if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
        return;
    }
    const int keyCount = identity[kKeyCountByte];
    StoreIdentity(identity);
    // A table larger than the transfer buffer is refused; the sequence is closed all the same
    // so that the keyboard does not stay in configuration mode.
    if (link.SetBlockSize(static_cast<uint16_t>(keyCount * 3)) != 1) {
        DebugLine("key table larger than 512 bytes; not read");
        if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
        return;
    }
    std::array<uint8_t, DeviceLink::kMaxBlockSize> table{};
    std::array<uint8_t, DeviceLink::kMaxBlockSize> bytes{};
    const Result tableRead = link.CmdReadKeyTable(table.data());
    const Result bytesRead = link.CmdReadKeyBytes(bytes.data());
    if (link.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
    std::lock_guard lock(model_);
    if (bytesRead == kResultSuccess) keyBytes_ = bytes;
    if (tableRead != kResultSuccess) {
        DebugLine("key table was not read");
        return;
    }
    keyTable_ = table;
    keyCount_ = keyCount;
    maps_ = BuildKeyPositionMaps(keyTable_, keyCount_);
}

void COrvaneKeyboardDevice::ReadSystemBlock() {
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return;
    uint8_t profile = 0;
    if (link.CmdReadConfig(&profile, 1, 0) != kResultSuccess) return;
    SystemBlock block{};
    if (link.CmdReadConfig(block.data(), block.size(),
                           static_cast<uint16_t>(profile * kSystemBlockStride)) != kResultSuccess)
        return;
    block[0] = profile;
    deviceProfile_.store(profile);
    // Settings read from the keyboard are its own: it leaves the synchronised lighting.
    SetSynchronisedLighting(false);

    std::lock_guard lock(model_);
    lastBlock_ = block;
    const DecodedSystemBlock decoded = DecodeSystemBlock(block, effectCodes_);
    const uint8_t hostEffect = lightInfo_.selectItem;
    LightInfoRecord light = decoded.light;
    // A host-driven effect on the keyboard (or a code the list lacks) keeps the host's effect.
    light.selectItem = decoded.effectId.value_or(hostEffect);
    light.oldLedmode = lightInfo_.oldLedmode;
    light.reserved9 = lightInfo_.reserved9;
    light.reserved10 = lightInfo_.reserved10;
    light.reserved11 = lightInfo_.reserved11;
    lightInfo_ = light;
    ApplyLightLocked();
    system_.wKey = decoded.wKey;
    system_.sixKey = decoded.sixKey;
    system_.winLock = decoded.winLock;
    const KeyboardSystemRecord record = system_.Record();
    profile_.SetKeyboardSystem(record.words[0], record.words[1], record.words[2]);
    profile_.WriteLightInfoBlock(lightInfo_);
    if (!SaveLocked()) DebugLine("the keyboard's settings were read but the profile was not saved");
}

// --- writes

Result COrvaneKeyboardDevice::WriteSystemBlock(int profile, int currentProfileByte, int, int, int) {
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    SystemBlock block;
    {
        std::lock_guard lock(model_);
        block = BuildSystemBlock(system_, lightInfo_, effectCodes_,
                                 static_cast<uint8_t>(currentProfileByte));
    }
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteConfig(block.data(), block.size(),
                                     static_cast<uint16_t>(profile * kSystemBlockStride));
    // The sequence is closed even when the write failed.
    result = Worse(result, link.CmdEndConfig());
    return result;
}

Result COrvaneKeyboardDevice::WriteKeyTable(int profile,
                                            const std::vector<KeyAssignRecord>& keyList) {
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    std::array<uint8_t, kIdentitySize> identity{};
    if (const Result read = link.CmdReadIdentity(identity.data()); read != kResultSuccess)
        return read;
    std::vector<uint8_t> table;
    StoreIdentity(identity);
    {
        std::lock_guard lock(model_);
        const size_t used = std::min<size_t>(static_cast<size_t>(keyCount_) * 3, keyTable_.size());
        const std::span<const uint8_t> current(keyTable_.data(), used);
        table = BuildKeyTable(current, keyList, maps_.primary, MacroCount());
    }
    // The command sends a whole block; what follows the keys is sent as zeros.
    table.resize(DeviceLink::kMaxBlockSize, 0);
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess) result = link.CmdWriteKeyTable(table.data(), profile);
    result = Worse(result, link.CmdEndConfig());
    return result;
}

Result COrvaneKeyboardDevice::WriteKeyTableFromProfile() { return WriteKeyTable(0, KeyList()); }

std::vector<int> COrvaneKeyboardDevice::CollectMacros() {
    std::lock_guard lock(model_);
    return CollectKeyMacros(keyList_, maps_.primary, MacroCount());
}

int COrvaneKeyboardDevice::UploadMacros(const std::vector<int>& macros) {
    DeviceLink& link = CommandLink();
    if (link.IsOpen()) {
        std::array<uint8_t, kIdentitySize> identity{};
        if (link.CmdReadIdentity(identity.data()) == kResultSuccess) StoreIdentity(identity);
    }
    const size_t capacity = size_t{Identity()[kMacroUnitsByte]} * kMacroUnit;
    const MacroUploadPlan plan = PrepareMacroUpload(UserDeviceFolder(), macros, capacity);
    if (plan.result != 0) return plan.result;  // too large (events over), or not built (-1)
    if (plan.image.empty()) return 0;          // nothing to send
    // A keyboard that is gone or refuses the image has not got it: that is a failure to tell.
    if (!link.IsOpen()) return -1;
    Result result = link.CmdBeginConfig();
    if (result == kResultSuccess)
        result = link.CmdWriteMacros(plan.image.data(), plan.image.size());
    result = Worse(result, link.CmdEndConfig());
    return result == kResultSuccess ? 0 : -1;
}

Result COrvaneKeyboardDevice::SendCustomColourMask() {
    if (Light().effectId != kCustomColourEffect) return kResultFailed;
    DeviceLink& link = CommandLink();
    if (!link.IsOpen()) return kResultFailed;
    KeyPositionMap colourMap;
    {
        std::lock_guard lock(model_);
        colourMap = maps_.colour;
    }
    const auto mask = CustomColourMask(Frame(), colourMap);
    const Result result = link.CmdWriteKeyMask(mask.data(), mask.size(), 0);
    // The keyboard needs a moment after a refused mask.
    if (result != kResultSuccess) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return result;
}

void COrvaneKeyboardDevice::RestoreExtraSettings() {
    // The keyboard takes the mask on its cable only, and uses it in the custom-colour effect.
    if (Receiver() || Light().effectId != kCustomColourEffect) return;
    if (SendCustomColourMask() != kResultSuccess)
        DebugLine("the custom-colour mask was not written again");
}

void COrvaneKeyboardDevice::SetCustomColour(int key) {
    auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting());
    if (keyboard == nullptr || Light().effectId != kCustomColourEffect) return;
    const lighting::LightFrame before = Frame();
    if (key < 0 || key >= before.size) return;
    keyboard->ApplySettings(Light());
    keyboard->SetCustomColour(key);
    NoteFrameWritten();
    const lighting::LightFrame frame = Frame();
    {
        std::lock_guard lock(model_);
        std::vector<ColourCell> cells;
        for (int i = 0; i < frame.size; ++i) {
            const lighting::LedRecord& led = frame.leds[static_cast<size_t>(i)];
            cells.push_back({led.red, led.green, led.blue, 0, led.custom});
        }
        profile_.SetCustomColours(cells, lightInfo_.customGroup);
        if (!SaveLocked()) ShowUserMessage(WriteErrorText(WriteError::ProfileNotSaved));
    }
    // Through the receiver the mask is not sent: the keyboard takes it on its cable only.
    if (Receiver()) return;
    Post([this] {
        const Result result = SendCustomColourMask();
        if (result == kResultSuccess) return;
        OnUiThread([result] { ShowUserMessage(WriteErrorText(result)); });
    });
}

// --- the model

bool COrvaneKeyboardDevice::ProfileLoaded() const {
    std::lock_guard lock(model_);
    return !profile_.GetProfilePath().empty();
}

KeyboardSystem COrvaneKeyboardDevice::System() const {
    std::lock_guard lock(model_);
    return system_;
}

LightInfoRecord COrvaneKeyboardDevice::LightInfo() const {
    std::lock_guard lock(model_);
    return lightInfo_;
}

std::vector<KeyAssignRecord> COrvaneKeyboardDevice::KeyList() const {
    std::lock_guard lock(model_);
    return keyList_;
}

KeyPositionMaps COrvaneKeyboardDevice::PositionMaps() const {
    std::lock_guard lock(model_);
    return maps_;
}

std::vector<int> COrvaneKeyboardDevice::EffectCodeList() const {
    std::lock_guard lock(model_);
    return effectCodes_;
}

int COrvaneKeyboardDevice::MacroCount() const {
    std::lock_guard lock(model_);
    return static_cast<int>(macroNames_.size());
}

void COrvaneKeyboardDevice::ChangeSystem(const KeyboardSystem& wanted, bool toDevice,
                                         std::function<void(const QString&)> done) {
    auto finish = [this, done](const QString& error) {
        ShowSystemControls();
        if (done) done(error);
    };
    std::unique_lock lock(model_);
    const KeyboardSystem before = system_;
    auto saveOrUndo = [this, before]() -> bool {
        std::lock_guard relock(model_);
        const KeyboardSystemRecord record = system_.Record();
        profile_.SetKeyboardSystem(record.words[0], record.words[1], record.words[2]);
        if (SaveLocked()) return true;
        system_ = before;
        const KeyboardSystemRecord old = before.Record();
        profile_.SetKeyboardSystem(old.words[0], old.words[1], old.words[2]);
        return false;
    };
    if (!toDevice) {
        system_ = wanted;
        lock.unlock();
        finish(saveOrUndo() ? QString() : WriteErrorText(WriteError::ProfileNotSaved));
        return;
    }
    // The keyboard's system options are set on its own cable.
    if (Kind() != DeviceKind::KeyboardWired) {
        lock.unlock();
        finish(WriteErrorText(WriteError::NotOnCable));
        return;
    }
    if (!CommandLink().IsOpen()) {
        lock.unlock();
        finish(WriteErrorText(kResultFailed));
        return;
    }
    system_ = wanted;
    lock.unlock();
    const bool posted = Post([this, before, wanted, saveOrUndo, finish] {
        const Result result = WriteSystemBlock(0, 0, 1, 0, 0);
        OnUiThread([this, result, before, wanted, saveOrUndo, finish] {
            if (result != kResultSuccess) {
                {
                    std::lock_guard relock(model_);
                    // A later change in the meantime is left alone.
                    if (system_ == wanted) system_ = before;
                }
                finish(WriteErrorText(result));
                return;
            }
            finish(saveOrUndo() ? QString() : WriteErrorText(WriteError::ProfileNotSaved));
        });
    });
    if (!posted) {
        std::lock_guard relock(model_);
        system_ = before;
        finish(WriteErrorText(kResultFailed));
    }
}

// --- queries and notifications

void COrvaneKeyboardDevice::PowerQuery() { ReceiverPowerQuery(); }

int COrvaneKeyboardDevice::PresenceQuery() { return ReceiverPresenceQuery(); }

std::unique_ptr<lighting::LightingEngine> COrvaneKeyboardDevice::CreateLighting(
    int ledCount) const {
    return std::make_unique<lighting::KeyboardLighting>(lighting::EngineSources{}, ledCount);
}

void COrvaneKeyboardDevice::OnNotificationCode(uint16_t code, bool) {
    DebugLine("接收到自动添加设备的同步信息要求  TEST");
    const uint16_t high = code >> 8;
    // Key events drive the reactive effects (key-down 0x05kk, key-up 0x06kk).
    if (high == 0x05 || high == 0x06) {
        if (auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting())) {
            keyboard->OnKeyEvent(static_cast<uint8_t>(code & 0xFF), high == 0x05 ? 1 : 2);
            NoteFrameWritten();
        }
        return;
    }
    if (code == 0x401 || code == 0x402) {
        DebugLine("接收到自动添加设备的同步信息要求");
        lastCode_.store(code);
        RequestRefresh(50);
    } else if (high == 0x10 || high == 0x11) {
        // The panel is refreshed on the UI thread, where its widgets live.
        if (CommandLink().IsOpen()) RequestPanelRefresh();
    }
}

std::string COrvaneKeyboardDevice::NotificationExitLine() const {
    return "KB 设备同步线程设定退出";
}

}  // namespace qx::devices
