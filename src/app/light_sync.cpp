#include "app/light_sync.h"

#include <chrono>
#include <memory>

#include "core/diagnostics.h"
#include "devices/base/device_families.h"
#include "devices/base/device_list_controller.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/user_message.h"
#include "platform/thread_name.h"
#include "ui/resource_manager.h"

namespace qx::app {
namespace {

// The kind the synchronised tables know a device by: either kind of keyboard or mouse counts as
// its wired kind, so a device on its receiver takes part like one on its cable.
int TableKind(DeviceKind kind) {
    switch (devices::FamilyOfKind(kind)) {
        case devices::DeviceFamily::Keyboard:
            return 1;
        case devices::DeviceFamily::Mouse:
            return 2;
        case devices::DeviceFamily::MousePad:
            return 3;
        case devices::DeviceFamily::Headset:
            return 7;
    }
    return 0;
}

// Collects the outcomes of several device changes into one.
class Waiter {
  public:
    explicit Waiter(LightSync::Done done) : done_(std::move(done)) {}
    ~Waiter() {
        if (done_) done_(error_);
    }
    void Take(const QString& error) {
        if (error_.isEmpty()) error_ = error;
    }

  private:
    LightSync::Done done_;
    QString error_;
};

}  // namespace

LightSync::LightSync(devices::DeviceListController* devices) : devices_(devices) {}

LightSync::~LightSync() { Stop(); }

void LightSync::Start() {
    if (thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        exit_ = false;
    }
    thread_ = std::thread([this] { Run(); });
}

void LightSync::Stop() {
    {
        std::lock_guard lock(mutex_);
        exit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

lighting::SyncSettings LightSync::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::vector<devices::COrvaneUSBDevice*> LightSync::Participants() const {
    std::vector<devices::COrvaneUSBDevice*> taking;
    std::lock_guard lock(mutex_);
    for (devices::COrvaneUSBDevice* device : members_) {
        if (device->Online() && device->SynchronisedLighting()) taking.push_back(device);
    }
    return taking;
}

bool LightSync::Active() const { return !Participants().empty(); }

void LightSync::Run() {
    platform::NameThisThread("light sync");
    using Clock = std::chrono::steady_clock;
    lighting::SyncLighting sync;
    auto last = Clock::now();
    int ticks = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (wake_.wait_for(lock, std::chrono::milliseconds(1), [this] { return exit_; })) break;
        lock.unlock();
        const std::vector<devices::COrvaneUSBDevice*> taking =
            hostControl_.load() ? Participants() : std::vector<devices::COrvaneUSBDevice*>{};
        lock.lock();
        if (taking.empty()) {
            // Nobody takes part: a long wait, still cut short by the exit event. Before the
            // lighting is first switched on (and after it is switched off) nothing can take
            // part until SwitchOn: the thread sleeps until then instead of looking every second.
            if (members_.empty()) {
                wake_.wait(lock, [this] { return exit_ || !members_.empty(); });
                if (exit_) break;
            } else if (wake_.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs),
                                      [this] { return exit_; })) {
                break;
            }
            last = Clock::now();
            ticks = 0;
            continue;
        }
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (elapsed.count() < kTickMs) continue;
        last = now;
        ++ticks;
        const lighting::SyncSettings settings = settings_;
        if (ticks < lighting::SyncStepThreshold(settings)) continue;
        ticks = 0;
        lock.unlock();
        const uint32_t packed = sync.Step(settings);
        const uint32_t colour = packed & 0xFFFFFF;
        const uint32_t level = packed >> 24;
        for (devices::COrvaneUSBDevice* device : taking) {
            for (int i = 0; i < device->LedCount(); ++i) device->SetLed(i, colour, level);
        }
        steps_.fetch_add(1);
        lock.lock();
    }
    DebugLine("同步灯光线程设定退出");
}

bool LightSync::SwitchOn(devices::COrvaneUSBDevice* shown, Done done) {
    if (devices_ == nullptr || shown == nullptr) return false;
    const LightInfoRecord record = shown->LightRecord();
    uint8_t previous = 0;
    {
        std::lock_guard lock(mutex_);
        previous = lastEffect_;
    }
    const std::optional<uint8_t> effect =
        lighting::SyncEffectForDevice(TableKind(shown->Kind()), record.selectItem, previous);
    if (!effect) {
        DebugLine("synchronised lighting: the shown device's effect has no synchronised version");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        lastEffect_ = *effect;
        settings_.effect = *effect;
        settings_.brightness = record.light;
        settings_.speed = record.speed;
        settings_.direction = record.fx;
        settings_.colourful = record.multiColor;
        settings_.colour = {record.red, record.green, record.blue};
        members_ = devices_->AllDevices();
    }
    const struct {
        const std::vector<devices::COrvaneUSBDevice*>* list;
        lighting::SyncFamily family;
    } lists[] = {{&devices_->Keyboards(), lighting::SyncFamily::Keyboards},
                 {&devices_->Mice(), lighting::SyncFamily::Mice},
                 {&devices_->MousePads(), lighting::SyncFamily::PadsAndHeadsets},
                 {&devices_->Headsets(), lighting::SyncFamily::PadsAndHeadsets}};
    // The last device's answer (or the end of this function, when none) reports.
    auto waiter = std::make_shared<Waiter>(std::move(done));
    for (const auto& [list, family] : lists) {
        LightInfoRecord theirs = record;
        theirs.selectItem = lighting::FamilyEffectForSync(family, *effect);
        for (devices::COrvaneUSBDevice* device : *list) {
            if (!device->Online()) continue;
            {
                std::lock_guard lock(mutex_);
                // What a device had before it first took part is what it gets back.
                if (!device->SynchronisedLighting() || before_.count(device) == 0)
                    before_[device] = device->LightRecord();
            }
            device->SetSynchronisedLighting(true);
            device->ChangeLighting(theirs, [waiter](const QString& error) {
                waiter->Take(error);
                if (!error.isEmpty()) devices::ShowUserMessage(error);
            });
            device->RefreshLightPanel();
        }
    }
    wake_.notify_all();
    return true;
}

bool LightSync::SwitchOff(Done done) {
    auto waiter = std::make_shared<Waiter>(std::move(done));
    std::map<devices::COrvaneUSBDevice*, LightInfoRecord> before;
    {
        std::lock_guard lock(mutex_);
        before.swap(before_);
    }
    {
        // Nothing takes part any more: the thread sleeps until the next SwitchOn.
        std::lock_guard lock(mutex_);
        members_.clear();
    }
    bool any = false;
    for (const auto& [device, record] : before) {
        // A device that left by a change of its own keeps that change.
        if (!device->SynchronisedLighting()) continue;
        device->SetSynchronisedLighting(false);
        any = true;
        if (!device->Online()) continue;
        device->ChangeLighting(record, [waiter](const QString& error) {
            waiter->Take(error);
            if (!error.isEmpty()) devices::ShowUserMessage(error);
        });
        device->RefreshLightPanel();
    }
    return any;
}

bool LightSync::Toggle(devices::COrvaneUSBDevice* shown) {
    if (Active()) return SwitchOff();
    if (SwitchOn(shown)) return true;
    // The button was pressed for nothing: say why.
    devices::ShowUserMessage(
        ui::ResourceManager::GetInstance().Text(QStringLiteral("light_sync_refused_text")));
    return false;
}

}  // namespace qx::app
