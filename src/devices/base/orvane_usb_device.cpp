#include "devices/base/orvane_usb_device.h"

#include <QMetaObject>
#include <QPointer>
#include <QStackedWidget>
#include <algorithm>
#include <chrono>
#include <thread>

#include "core/diagnostics.h"
#include "core/paths.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/device_profile_ui.h"
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

COrvaneUSBDevice::COrvaneUSBDevice(HidBackend& backend, DeviceKind kind)
    : commandLink_(backend),
      notificationLink_(backend),
      kind_(kind),
      worker_(std::string("device ") + std::to_string(static_cast<int>(kind))) {
    lighting_ = std::make_unique<lighting::DeviceLighting>(0);
    slot_.row.kind = kind_;
}

COrvaneUSBDevice::~COrvaneUSBDevice() {
    Shutdown();
    if (paintManager_) paintManager_->Unsubscribe(this);
}

void COrvaneUSBDevice::Setup(const DeviceFamilyRow& family, QWidget* page) {
    family_ = &family;
    page_ = page;
    folderName_ = std::string(family.folderName);
    deviceListIndex_ = static_cast<int>(family.family);
    modelIndex_ = family.modelIndex;
    keyButtons_.assign(static_cast<size_t>(std::max(family.keyCount, 0)), nullptr);
    ledButtons_.assign(static_cast<size_t>(std::max(family.ledCount, 0)), nullptr);
    ResizeFrame(family.ledCount);
    battery_ = family.battery;
    if (power_) power_->ShowBattery(battery_);
    SubscribePage();
    if (page_) AttachPanel();
    BindLightPanel();
}

void COrvaneUSBDevice::SubscribePage() {
    if (!paintManager_ || !page_) return;
    paintManager_->Unsubscribe(this);
    paintManager_->OnNotifyBelow(page_, this, [this](ui::TNotifyUI& msg) {
        if (msg.sender == nullptr) return;
        DebugLine("测试成功   、n");
        HandleNotify(msg);
    });
}

QString COrvaneUSBDevice::PageFile() const {
    if (family_ == nullptr || !page_) return QString();
    return QString::fromUtf8(family_->pageFile.data(),
                             static_cast<qsizetype>(family_->pageFile.size()));
}

// --- the page

void COrvaneUSBDevice::AttachPanel() {
    std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
    std::fill(ledButtons_.begin(), ledButtons_.end(), nullptr);
    if (!page_) {
        keyButtons_.clear();
        ledButtons_.clear();
        ResizeFrame(0);
        return;
    }
    selectPanel_ = nullptr;
    for (QWidget* child : page_->findChildren<QWidget*>()) {
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

void COrvaneUSBDevice::BuildPanel() {}
void COrvaneUSBDevice::RefreshPanel() { RefreshLightPanel(); }

void COrvaneUSBDevice::SetFunctionPage(int page) {
    page_number_.store(page);
    if (!switchesLookedUp_ && page_) {
        functionSwitch_ = ui::PaintManager::FindSubControlByName(page_, "device_function_switch");
        keyFunctionSwitch_ =
            ui::PaintManager::FindSubControlByName(page_, "device_key_function_switch");
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

// --- exchanges

void COrvaneUSBDevice::FirstContact() {}

void COrvaneUSBDevice::Contact() {
    if (!commandLink_.IsOpen()) {
        FirstContact();
        return;
    }
    if (!contacted_.exchange(true)) {
        FirstContact();
        return;
    }
    DebugLine("contact again: the profile is written to the device again");
    // What a later contact reads is what the device kept (possibly nothing), not a choice made
    // on the device: it stays in the synchronised lighting it took part in.
    const bool synchronised = SynchronisedLighting();
    ContactAgain();
    if (synchronised) SetSynchronisedLighting(true);
    OnUiThread([this] { RestoreSettings(); });
}

void COrvaneUSBDevice::RestoreSettings() {
    // Behind its receiver the device is written only while the receiver reaches it.
    if (!Online() || (Receiver() && (!entry_ || !entry_->IsShown()))) return;
    if (CDeviceProfileUI* panel = CDeviceProfileUI::Of(this)) panel->ApplyAgain();
    Post([this] {
        if (WriteLightingBlock() != kResultSuccess)
            DebugLine("the lighting block was not written again");
        RestoreExtraSettings();
        WakeLightThread();
    });
}
void COrvaneUSBDevice::RefreshFromDevice() {}
void COrvaneUSBDevice::PowerQuery() {}
int COrvaneUSBDevice::PresenceQuery() { return 1; }
int COrvaneUSBDevice::ApplyLighting() { return 0; }

void COrvaneUSBDevice::OnUiThread(std::function<void()> action) {
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

// --- interfaces

bool COrvaneUSBDevice::OpenSide(LinkSide side, const std::string& path) {
    std::string error;
    if (!commandLink_.OpenCommandInterface(side, path, &error)) {
        DebugLine("command interface did not open: " + error);
        return false;
    }
    receiver_.store(side == LinkSide::Receiver);
    return true;
}

void COrvaneUSBDevice::OpenCommand(const DeviceSlot& slot, const DeviceSlot& record,
                                   std::function<void(bool)> done) {
    const LinkSide side = IsReceiverKind(slot.row.kind) ? LinkSide::Receiver : LinkSide::Cable;
    Post([this, side, path = slot.path, record, done = std::move(done)] {
        const bool opened = OpenSide(side, path);
        if (opened) ExpectFirstContact();
        OnUiThread([this, opened, record, done] {
            if (opened) AssignSlot(record);
            if (done) done(opened);
        });
    });
}

void COrvaneUSBDevice::CloseCommand() {
    // The exchange running now gives way at once instead of waiting for its time-out.
    worker_.DropPending();
    commandLink_.Abort();
    // The lighting changes asked for until now either ran, and their jobs answer them, or were
    // dropped with the queue or held for a first contact that will not come: once the close
    // has run, those still waiting hear that the device went away, not at the program's end.
    const uint64_t lastChange = lastLightChange_;
    Post([this, lastChange] {
        commandLink_.CloseCommandInterfaces();
        DropHeldLightChanges();
        OnUiThread([this, lastChange] { AnswerUnfinishedLightChanges(lastChange); });
    });
}

void COrvaneUSBDevice::SwitchConnection(const std::string& path, std::function<void(bool)> done) {
    Post([this, path, done = std::move(done)] {
        const bool toReceiver = !receiver_.load();
        const bool opened = OpenSide(toReceiver ? LinkSide::Receiver : LinkSide::Cable, path);
        if (opened && toReceiver && battery_) {
            // The receiver needs a moment before the device behind it answers.
            constexpr int kPresenceTries = 26;
            for (int i = 0; i < kPresenceTries; ++i) {
                if (commandLink_.CmdPresenceQuery()) break;
                DebugLine("获取2.4G模式失败");
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            DebugLine("获取2");
        }
        if (opened && battery_) PowerQuery();
        OnUiThread([opened, done] {
            if (done) done(opened);
        });
    });
}

bool COrvaneUSBDevice::OpenNotificationInterface(const std::string& path, DeviceKind kind) {
    const bool receiver = IsReceiverKind(kind);
    const LinkSide side = receiver ? LinkSide::Receiver : LinkSide::Cable;
    NotificationThread& thread = receiver ? receiverThread_ : cableThread_;
    thread.Stop();
    std::string error;
    if (!notificationLink_.OpenNotificationInterface(side, path, &error)) {
        DebugLine("notification interface did not open: " + error);
        return false;
    }
    thread.Start(
        notificationLink_.Interface(side),
        [this, receiver](uint16_t code) { OnNotificationCode(code, receiver); },
        NotificationExitLine());
    return true;
}

void COrvaneUSBDevice::CloseNotificationInterface(bool receiver) {
    (receiver ? receiverThread_ : cableThread_).Stop();
    notificationLink_.CloseNotificationInterface(receiver ? LinkSide::Receiver : LinkSide::Cable);
}

bool COrvaneUSBDevice::NotificationOpen(bool receiver) const {
    return notificationLink_.NotificationOpen(receiver ? LinkSide::Receiver : LinkSide::Cable);
}

void COrvaneUSBDevice::Shutdown() {
    // First: an exchange running now (a job, or a frame the light thread sends) gives way at once
    // instead of waiting for its time-out on a device that went silent.
    commandLink_.Abort();
    StopLightThread();
    DropHeldLightChanges();
    CloseNotificationInterface(false);
    CloseNotificationInterface(true);
    worker_.Stop();
    commandLink_.CloseCommandInterfaces();
    AnswerUnfinishedLightChanges();
}

// --- state

void COrvaneUSBDevice::AssignSlot(const DeviceSlot& slot) {
    slot_ = slot;
    kind_ = slot.row.kind;
    role_ = slot.row.role;
}

void COrvaneUSBDevice::SetLightingControl(bool on) {
    lightingControl_.store(on);
    // Only a keyboard on its own cable gets the resume; through the receiver it is not sent.
    if (!on || kind_ != DeviceKind::KeyboardWired) return;
    Post([this] {
        if (receiver_.load() || !commandLink_.IsOpen()) return;
        if (commandLink_.CmdLightingResume() != kResultSuccess)
            DebugLine("lighting resume was not taken");
    });
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
    if (paintManager_) paintManager_->Unsubscribe(this);
    paintManager_ = paintManager;
    SubscribePage();
}

ui::PaintManager* COrvaneUSBDevice::Manager() const { return paintManager_; }

std::filesystem::path COrvaneUSBDevice::UserDeviceFolder() const {
    return qx::UserDeviceFolder(folderName_);
}

std::filesystem::path COrvaneUSBDevice::DefaultDataFolder() { return qx::DefaultDataFolder(); }

std::filesystem::path COrvaneUSBDevice::DefaultProfilePath() const {
    return qx::DefaultProfilePath(folderName_);
}

// --- lighting

void COrvaneUSBDevice::ResizeFrame(int ledCount) {
    // A new engine: the frame, the fades and the ring start cleared.
    lighting_ = CreateLighting(std::clamp(ledCount, 0, lighting::kMaxLeds));
    frameWritten_.store(false);
}

void COrvaneUSBDevice::NoteFrameWritten() {
    frameWritten_.store(true);
    frameGeneration_.fetch_add(1);
    if (frameTimerResting_.exchange(false)) emit FrameChanged();
}

void COrvaneUSBDevice::RunLightingStep(const std::function<void(lighting::LightingEngine&)>& step) {
    if (!lighting_) return;
    lighting_->ApplySettings(light_);
    lighting_->WithState(step);
    NoteFrameWritten();
}

void COrvaneUSBDevice::SetLed(int index, uint32_t colour, uint32_t level) {
    if (!lighting_) return;
    const bool written = lighting_->WithState([&](lighting::LightingEngine& e) {
        lighting::LightFrame& frame = e.Frame();
        if (index < 0 || index >= frame.size) return false;
        lighting::LedRecord& led = frame.leds[static_cast<size_t>(index)];
        led.red = static_cast<uint8_t>(colour & 0xFF);
        led.green = static_cast<uint8_t>(colour >> 8 & 0xFF);
        led.blue = static_cast<uint8_t>(colour >> 16 & 0xFF);
        led.level = static_cast<uint8_t>(std::min<uint32_t>(level, 255));
        return true;
    });
    if (written) NoteFrameWritten();
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

bool COrvaneUSBDevice::PushFrame() {
    const uint64_t generation = frameGeneration_.load();
    if (generation == pushedGeneration_) {
        // Nothing new: the timer rests until NoteFrameWritten wakes it.
        frameTimerResting_.store(true);
        // A frame written between the load above and the store is not lost.
        if (frameGeneration_.load() == generation) return false;
        frameTimerResting_.store(false);
    }
    pushedGeneration_ = frameGeneration_.load();
    if (!page_ || !frameWritten_.load() || !lighting_) return true;
    PaintFrame(Frame());
    return true;
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

std::unique_ptr<lighting::LightingEngine> COrvaneUSBDevice::CreateLighting(int ledCount) const {
    return std::make_unique<lighting::DeviceLighting>(ledCount);
}

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

void COrvaneUSBDevice::StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    std::lock_guard lock(lightWordsMutex_);
    lightWords_ = {w0, w1, w2, w3};
}

std::array<uint32_t, 4> COrvaneUSBDevice::GetLightSettings() const {
    std::lock_guard lock(lightWordsMutex_);
    return lightWords_;
}

// --- notifications

void COrvaneUSBDevice::OnNotificationCode(uint16_t, bool) {}
void COrvaneUSBDevice::HandleNotify(ui::TNotifyUI&) {}
std::string COrvaneUSBDevice::NotificationExitLine() const { return "设备同步线程设定退出"; }

void COrvaneUSBDevice::RequestRefresh(int delayMs) {
    // The entry's timers live on the UI thread: the request is queued there.
    OnUiThread([this, delayMs] {
        if (entry_) entry_->StartRefresh(delayMs);
    });
}

void COrvaneUSBDevice::RequestPanelRefresh() {
    OnUiThread([this] { RefreshPanel(); });
}

Result COrvaneUSBDevice::ReadIdentity() {
    if (!commandLink_.IsOpen()) return kResultFailed;
    if (commandLink_.CmdBeginConfig() != kResultSuccess) DebugLine("begin of configuration failed");
    std::array<uint8_t, kIdentitySize> identity{};
    const Result result = commandLink_.CmdReadIdentity(identity.data());
    if (result == kResultSuccess) identity_ = identity;
    // The configuration sequence is closed whatever happened inside it.
    if (commandLink_.CmdEndConfig() != kResultSuccess) DebugLine("end of configuration failed");
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
    if (commandLink_.CmdReadStatus(record.data(), record.size(), 0) != kResultSuccess) return;
    record[3] = receiver_.load() ? 1 : 0;
    OnUiThread([this, record] {
        if (power_) power_->ShowPowerRecord(record.data(), record.size());
    });
}

}  // namespace qx::devices
