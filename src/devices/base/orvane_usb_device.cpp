#include "devices/base/orvane_usb_device.h"

#include <QMetaObject>
#include <QStackedWidget>
#include <algorithm>

#include "core/diagnostics.h"
#include "core/paths.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/led_button.h"
#include "devices/base/mp_device_power_ui.h"
#include "lighting/device_lighting.h"
#include "lighting/lighting_tables.h"
#include "ui/paint_manager.h"

namespace qx::devices {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// "key_12" -> ("key", 12); a name without a number after its last underscore -> ("", -1).
std::pair<QString, int> SplitNumbered(const QString& name) {
    const qsizetype at = name.lastIndexOf('_');
    if (at <= 0 || at + 1 >= name.size()) return {QString(), -1};
    bool ok = false;
    const int number = name.mid(at + 1).toInt(&ok);
    if (!ok || number < 0) return {QString(), -1};
    return {name.left(at), number};
}

void SelectTab(QWidget* tabs, int index) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tabs)) {
        if (index >= 0 && index < stack->count()) stack->setCurrentIndex(index);
    }
}

}  // namespace

bool IsSkinClass(const QWidget* control, const char* skinClass) {
    if (control == nullptr) return false;
    const QString wanted = QString::fromLatin1(skinClass);
    const QVariant declared = control->property("skinclass");
    if (declared.isValid()) return declared.toString().compare(wanted, Qt::CaseInsensitive) == 0;
    // The C++ class of a skin class "X" is X, CXUI or XUI, in any namespace.
    QString name = QString::fromLatin1(control->metaObject()->className());
    name = name.mid(name.lastIndexOf(':') + 1);
    if (name.compare(wanted, Qt::CaseInsensitive) == 0) return true;
    if (name.endsWith("UI")) name.chop(2);
    if (name.startsWith('C') && name.size() > wanted.size()) name.remove(0, 1);
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

COrvaneUSBDevice::COrvaneUSBDevice(QWidget* parent) : QWidget(parent) {
    lighting_ = std::make_unique<lighting::DeviceLighting>(0);
    slot_.row.kind = static_cast<uint16_t>(kind_);
}

COrvaneUSBDevice::~COrvaneUSBDevice() {
    StopNotificationThreads();
    CloseCommandInterfaces();
    if (paintManager_) paintManager_->RemoveNotifier(this);
}

// --- virtual operations

void COrvaneUSBDevice::AttachPanel() {
    std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
    std::fill(ledButtons_.begin(), ledButtons_.end(), nullptr);
    if (pageFile_.isEmpty()) {
        keyButtons_.clear();
        ledButtons_.clear();
        ResizeFrame();
        return;
    }
    selectPanel_ = nullptr;
    for (QWidget* child : findChildren<QWidget*>()) {
        if (IsSkinClass(child, "SelectPanel")) {
            selectPanel_ = child;
            break;
        }
    }
    if (!selectPanel_) return;
    for (QWidget* button : selectPanel_->findChildren<QWidget*>()) {
        if (!IsSkinClass(button, "DeviceKeyButton")) continue;
        const auto [prefix, number] = SplitNumbered(button->objectName());
        if (prefix == "key" && number < KeyCount()) {
            keyButtons_[static_cast<size_t>(number)] = button;
        } else if (prefix == "light" && number < LedCount()) {
            ledButtons_[static_cast<size_t>(number)] = button;
            PaintLedButton(button, kWhite, 255);
        }
    }
}

int COrvaneUSBDevice::ApplyLighting() { return 0; }

void COrvaneUSBDevice::StepBreathing() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepBreathing(); });
}

void COrvaneUSBDevice::StepFourColourBreathing() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepFourColourBreathing(); });
}

void COrvaneUSBDevice::StepStatic() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepStatic(); });
}

void COrvaneUSBDevice::StepColourCycle() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepColourCycle(); });
}

void COrvaneUSBDevice::StepBlink() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepBlink(); });
}

void COrvaneUSBDevice::StepFourColourBlink() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepFourColourBlink(); });
}

void COrvaneUSBDevice::StepOff() {
    RunLightingStep([](lighting::LightingEngine& e) { e.StepOff(); });
}

void COrvaneUSBDevice::PushFrame() {
    if (pageFile_.isEmpty() || !frameWritten_.load() || !lighting_) return;
    const lighting::LightFrame frame = Frame();
    for (size_t i = 0; i < ledButtons_.size() && i < static_cast<size_t>(frame.size); ++i) {
        if (!ledButtons_[i]) continue;
        const lighting::LedRecord& led = frame.leds[i];
        PaintLedButton(ledButtons_[i],
                       static_cast<uint32_t>(led.red | led.green << 8 | led.blue << 16), led.level);
    }
}

void COrvaneUSBDevice::SetLed(int index, uint32_t colour, uint32_t level) {
    if (!lighting_) return;
    lighting_->WithState([&](lighting::LightingEngine& e) {
        lighting::LightFrame& frame = e.Frame();
        if (index < 0 || index >= frame.size) return;
        frameWritten_.store(true);
        lighting::LedRecord& led = frame.leds[static_cast<size_t>(index)];
        led.red = static_cast<uint8_t>(colour & 0xFF);
        led.green = static_cast<uint8_t>(colour >> 8 & 0xFF);
        led.blue = static_cast<uint8_t>(colour >> 16 & 0xFF);
        led.level = static_cast<uint8_t>(std::min<uint32_t>(level, 255));
    });
}

std::pair<uint32_t, uint32_t> COrvaneUSBDevice::GetLed(int index) const {
    if (!lighting_) return {0, 0};
    return lighting_->WithState([&](lighting::LightingEngine& e) -> std::pair<uint32_t, uint32_t> {
        const lighting::LightFrame& frame = e.Frame();
        if (index < 0 || index >= frame.size) return {0, 0};
        const lighting::LedRecord& led = frame.leds[static_cast<size_t>(index)];
        return {static_cast<uint32_t>(led.red | led.green << 8 | led.blue << 16), led.level};
    });
}

lighting::LightFrame COrvaneUSBDevice::Frame() const {
    if (!lighting_) return lighting::LightFrame{};
    return lighting_->WithState([](lighting::LightingEngine& e) { return e.Frame(); });
}

std::array<uint8_t, COrvaneUSBDevice::kFadeCount> COrvaneUSBDevice::FadeCounters() const {
    std::array<uint8_t, kFadeCount> fade{};
    if (!lighting_) return fade;
    lighting_->WithState([&](lighting::LightingEngine& e) {
        std::copy_n(e.State().level.begin(), kFadeCount, fade.begin());
    });
    return fade;
}

std::array<uint8_t, COrvaneUSBDevice::kRingSize>& COrvaneUSBDevice::Ring() {
    return lighting_->State().ring;
}

std::unique_ptr<lighting::LightingEngine> COrvaneUSBDevice::CreateLighting(int ledCount) const {
    return std::make_unique<lighting::DeviceLighting>(ledCount);
}

void COrvaneUSBDevice::FirstContact() {}
void COrvaneUSBDevice::RefreshFromDevice() {}
void COrvaneUSBDevice::SpareOperation1() {}
void COrvaneUSBDevice::SpareOperation2() {}
void COrvaneUSBDevice::PowerQuery() {}
int COrvaneUSBDevice::PresenceQuery() { return 1; }
int COrvaneUSBDevice::LoadProfile() { return 0; }
void COrvaneUSBDevice::RefreshPanel() {}
void COrvaneUSBDevice::DropDanglingMacros() {}
void COrvaneUSBDevice::ReloadProfile() {}
std::vector<int> COrvaneUSBDevice::CollectMacros() { return {}; }
int COrvaneUSBDevice::WriteKeyTable(int, const std::vector<KeyAssignRecord>&) { return 0; }
int COrvaneUSBDevice::WriteKeyTableFromProfile() { return 0; }
int COrvaneUSBDevice::UploadMacros(const std::vector<int>&) { return 0; }
int COrvaneUSBDevice::WriteSystemBlock(int, int, int, int, int) { return 0; }
void COrvaneUSBDevice::ReloadPanelLists() {}
void COrvaneUSBDevice::SetKeyNameMap(const KeyNameMap& map) { keyNameMaps_[2] = map; }

int COrvaneUSBDevice::StepDecay(int led, int mode) {
    if (!lighting_) return 0;
    return lighting_->WithState(
        [&](lighting::LightingEngine& e) { return e.StepDecay(led, mode); });
}

void COrvaneUSBDevice::StartDecayGroup() {
    if (lighting_) lighting_->WithState([](lighting::LightingEngine& e) { e.StartDecayGroup(); });
}

void COrvaneUSBDevice::RotateRing(int direction) {
    if (!lighting_) return;
    lighting_->WithState(
        [&](lighting::LightingEngine& e) { e.RotateRing(direction != 0 ? 1 : 0); });
}

void COrvaneUSBDevice::ClearDecay() {
    if (lighting_) lighting_->WithState([](lighting::LightingEngine& e) { e.ClearDecay(); });
}

void COrvaneUSBDevice::SetFunctionPage(int page) {
    page_.store(page);
    if (!switchesLookedUp_) {
        functionSwitch_ = ui::PaintManager::FindSubControlByName(this, "device_function_switch");
        keyFunctionSwitch_ =
            ui::PaintManager::FindSubControlByName(this, "device_key_function_switch");
        switchesLookedUp_ = true;
    }
    const bool mouseOrKeyboard =
        kind_ == DeviceKind::KeyboardWired || kind_ == DeviceKind::KeyboardWireless ||
        kind_ == DeviceKind::MouseWired || kind_ == DeviceKind::MouseWireless;
    if (page == 4 && !mouseOrKeyboard) page = 7;
    switch (page) {
        case 2:
        case 6:
            SelectTab(functionSwitch_, 0);
            SelectTab(keyFunctionSwitch_, 1);
            break;
        case 3:
        case 8:
            SelectTab(functionSwitch_, 1);
            break;
        case 4:
            SelectTab(functionSwitch_, 3);
            break;
        case 7:
            SelectTab(functionSwitch_, 0);
            SelectTab(keyFunctionSwitch_, 2);
            break;
        case 5:
            SelectTab(functionSwitch_, 2);
            break;
        default:
            SelectTab(functionSwitch_, 0);
            SelectTab(keyFunctionSwitch_, 0);
            break;
    }
}

int COrvaneUSBDevice::GetFunctionPage() const { return page_.load(); }
void COrvaneUSBDevice::SetProfilePaths() {}
QString COrvaneUSBDevice::GetProfileName() const { return QString(); }
void COrvaneUSBDevice::SaveProfile() {}
void COrvaneUSBDevice::SetModelIndex(int index) { modelIndex_ = index; }
int COrvaneUSBDevice::GetModelIndex() const { return modelIndex_; }

void COrvaneUSBDevice::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    lightWords_ = {w0, w1, w2, w3};
}

void COrvaneUSBDevice::StoreAudioLightSettings(int a, int b, int c) { audioLight_ = {a, b, c}; }
std::array<int, 3> COrvaneUSBDevice::GetAudioLightSettings() { return audioLight_; }
void COrvaneUSBDevice::SelectButton(int index) { selectedKey_ = index; }
void COrvaneUSBDevice::FeedAudioLevels(const uint8_t*, size_t) {}
void COrvaneUSBDevice::FeedAudioBands(const uint8_t*, size_t) {}
void COrvaneUSBDevice::BuildPanel() {}
std::array<uint32_t, 4> COrvaneUSBDevice::GetLightSettings() const { return lightWords_; }

// --- non-virtual operations

void COrvaneUSBDevice::AssignSlot(const DeviceSlot& slot) {
    slot_ = slot;
    kind_ = static_cast<DeviceKind>(slot.row.kind);
    role_ = static_cast<InterfaceRole>(slot.row.role);
}

void COrvaneUSBDevice::SetLightingControl(bool on) {
    lightingControl_.store(on);
    // Only a keyboard on its own cable gets the resume; through the receiver it is not sent.
    if (on && kind_ == DeviceKind::KeyboardWired && !receiver_.load() && commandLink_.IsOpen()) {
        commandLink_.CmdLightingResume();
    }
}

void COrvaneUSBDevice::SetDeviceEntry(CDeviceOptionUI* entry) { entry_ = entry; }
CDeviceOptionUI* COrvaneUSBDevice::DeviceEntry() const { return entry_; }

void COrvaneUSBDevice::SetPowerControl(CMpDevicePowerUI* power) {
    power_ = power;
    if (power_) power_->ShowBattery(battery_);
}

CMpDevicePowerUI* COrvaneUSBDevice::PowerControl() const { return power_; }

void COrvaneUSBDevice::SetProfileListIndex(int index) {
    profileListIndex_ = index;
    if (selectPanel_) selectPanel_->setProperty("profileindex", index);
}

void COrvaneUSBDevice::SetPaintManager(ui::PaintManager* paintManager) {
    if (paintManager_ == paintManager) return;
    if (paintManager_) paintManager_->RemoveNotifier(this);
    paintManager_ = paintManager;
    if (paintManager_) paintManager_->AddNotifier(this);
}

void COrvaneUSBDevice::SetKeyCount(int count) {
    keyButtons_.assign(static_cast<size_t>(std::max(count, 0)), nullptr);
    ResizeFrame();
}

void COrvaneUSBDevice::SetLedCount(int count) {
    ledButtons_.assign(static_cast<size_t>(std::max(count, 0)), nullptr);
    ResizeFrame();
}

void COrvaneUSBDevice::ResizeFrame() {
    // A new engine: the frame, the fades and the ring start cleared.
    const int ledCount = std::min(static_cast<int>(ledButtons_.size()), lighting::kMaxLeds);
    lighting_ = CreateLighting(ledCount);
    frameWritten_.store(false);
}

void COrvaneUSBDevice::SetBattery(bool battery) {
    battery_ = battery;
    if (power_) power_->ShowBattery(battery);
}

std::filesystem::path COrvaneUSBDevice::UserDeviceFolder() const {
    return qx::UserDeviceFolder(folderName_);
}

std::filesystem::path COrvaneUSBDevice::DefaultDataFolder() { return qx::DefaultDataFolder(); }

std::filesystem::path COrvaneUSBDevice::DefaultProfilePath() const {
    return qx::DefaultProfilePath(folderName_);
}

bool COrvaneUSBDevice::OpenNotificationInterface(const std::string& path, DeviceKind kind) {
    const bool receiver = kind == DeviceKind::KeyboardWireless || kind == DeviceKind::MouseWireless;
    NotificationThread& thread = receiver ? receiverThread_ : cableThread_;
    HidDevice& device =
        receiver ? notificationLink_.ReceiverInterface() : notificationLink_.CableInterface();
    std::atomic<bool>& open = receiver ? notificationReceiverOpen_ : notificationCableOpen_;
    thread.Stop();
    {
        std::lock_guard lock(receiver ? notificationLink_.SecondLock()
                                      : notificationLink_.TransferLock());
        if (device.IsOpen()) device.Close();
        open.store(device.Open(path, true, true, true, false) != 0);
        if (!open.load()) {
            DebugLine("notification interface did not open: " + device.LastError());
            return false;
        }
    }
    thread.Start(
        device, [this, receiver](uint16_t code) { OnNotificationCode(code, receiver); },
        NotificationExitLine());
    return true;
}

void COrvaneUSBDevice::CloseNotificationInterface(bool receiver) {
    (receiver ? receiverThread_ : cableThread_).Stop();
    std::lock_guard lock(receiver ? notificationLink_.SecondLock()
                                  : notificationLink_.TransferLock());
    (receiver ? notificationReceiverOpen_ : notificationCableOpen_).store(false);
    (receiver ? notificationLink_.ReceiverInterface() : notificationLink_.CableInterface()).Close();
}

bool COrvaneUSBDevice::NotificationOpen(bool receiver) const {
    return (receiver ? notificationReceiverOpen_ : notificationCableOpen_).load();
}

void COrvaneUSBDevice::StopNotificationThreads() {
    CloseNotificationInterface(false);
    CloseNotificationInterface(true);
}

void COrvaneUSBDevice::CloseCommandInterfaces() {
    std::lock_guard lock(commandLink_.TransferLock());
    commandLink_.SetOpen(false);
    commandLink_.CableInterface().Close();
    commandLink_.ReceiverInterface().Close();
}

void COrvaneUSBDevice::Notify(ui::TNotifyUI& msg) {
    if (msg.sender == nullptr || msg.senderName.isEmpty()) return;
    if (ui::PaintManager::FindSubControlByName(this, msg.senderName) != msg.sender) return;
    DebugLine("测试成功   、n");
    HandleNotify(msg);
}

void COrvaneUSBDevice::OnNotificationCode(uint16_t, bool) {}
void COrvaneUSBDevice::HandleNotify(ui::TNotifyUI&) {}
std::string COrvaneUSBDevice::NotificationExitLine() const { return "设备同步线程设定退出"; }

void COrvaneUSBDevice::RequestRefresh(int delayMs) {
    // The entry's timers live on the UI thread: the request is queued there.
    QMetaObject::invokeMethod(
        this,
        [this, delayMs] {
            if (entry_) entry_->StartRefresh(delayMs);
        },
        Qt::QueuedConnection);
}

void COrvaneUSBDevice::RequestPanelRefresh() {
    QMetaObject::invokeMethod(
        this, [this] { RefreshPanel(); }, Qt::QueuedConnection);
}

int COrvaneUSBDevice::ReadIdentity() {
    if (!commandLink_.IsOpen()) return 0;
    commandLink_.CmdBeginConfig();
    std::array<uint8_t, kIdentitySize> identity{};
    const int result = commandLink_.CmdReadIdentity(identity.data());
    if (result == 1) identity_ = identity;
    commandLink_.CmdEndConfig();
    return result;
}

void COrvaneUSBDevice::ReceiverPowerQuery() {
    if (!commandLink_.IsOpen() || hidden_.load()) return;
    if (!commandLink_.CmdPresenceQuery()) return;
    ReadAndShowPowerRecord();
}

int COrvaneUSBDevice::ReceiverPresenceQuery() {
    if (!receiver_.load() || !commandLink_.IsOpen()) return 0;
    return commandLink_.CmdPresenceQuery() ? 1 : 0;
}

void COrvaneUSBDevice::ReadAndShowPowerRecord() {
    if (!commandLink_.IsOpen()) return;
    std::array<uint8_t, CMpDevicePowerUI::kRecordSize> record{};
    if (commandLink_.CmdReadStatus(record.data(), record.size(), 0) != 1) return;
    record[3] = receiver_.load() ? 1 : 0;
    ShowPowerRecord(record.data(), record.size());
}

void COrvaneUSBDevice::ShowPowerRecord(const uint8_t* record, size_t length) {
    if (power_) power_->ShowPowerRecord(record, length);
}

}  // namespace qx::devices
