// Synchronised lighting: one effect across every connected device. Switching it on takes the
// shown device's lighting, maps its effect onto the synchronised effects and gives every
// connected device its family's version of it (stored, saved, applied and written as a change of
// its own); each device's own animation then rests (its synchronised flag) while this object's
// thread steps the one colour and lays it on every LED of the devices that take part. Switching
// it off gives each device back the lighting it had. A device leaves on its own when its effect
// is changed.
//
// Threads: Switch/Toggle/SetHostControl on the UI thread; the stepping thread only reads the
// settings (under a lock) and writes the devices' frames (SetLed, thread-safe). The thread is
// stopped by an event and joined, never terminated.
#pragma once

#include <QPointer>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "lighting/sync_lighting.h"
#include "profiles/profile_records.h"

namespace qx::devices {
class COrvaneUSBDevice;
class DeviceListController;
}  // namespace qx::devices

namespace qx::app {

class LightSync {
  public:
    // Tick length of the step counter (the synchronised speed table counts these).
    static constexpr int kTickMs = 2;
    static constexpr int kIdleWaitMs = 1000;

    explicit LightSync(devices::DeviceListController* devices);
    ~LightSync();  // stops the thread
    LightSync(const LightSync&) = delete;
    LightSync& operator=(const LightSync&) = delete;

    void Start();
    // Sets the exit event and joins the thread.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // Switches the synchronised lighting on from `shown` (its effect must have a synchronised
    // version; false otherwise, with nothing changed) or off (false when it was not on).
    // `done` runs once every device changed has taken its lighting (the first failure's text,
    // empty when all did); SwitchOn calls it only when it returns true.
    using Done = std::function<void(const QString& error)>;
    bool SwitchOn(devices::COrvaneUSBDevice* shown, Done done = {});
    bool SwitchOff(Done done = {});
    // "deng_same_mode": on when no device takes part, else off.
    bool Toggle(devices::COrvaneUSBDevice* shown);
    // Whether any connected device takes part.
    bool Active() const;
    // Host lighting control (another program may take the lighting over): the steps pause.
    void SetHostControl(bool on) { hostControl_.store(on); }
    lighting::SyncSettings Settings() const;
    // Steps run since the start (tests).
    uint64_t Steps() const { return steps_.load(); }

  private:
    void Run();
    std::vector<devices::COrvaneUSBDevice*> Participants() const;

    devices::DeviceListController* devices_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool exit_ = false;
    lighting::SyncSettings settings_;
    uint8_t lastEffect_ = 0;
    // Every device when the lighting was switched on (the thread's view of the lists) and what
    // each had before.
    std::vector<devices::COrvaneUSBDevice*> members_;
    std::map<devices::COrvaneUSBDevice*, LightInfoRecord> before_;
    std::atomic<bool> hostControl_{true};
    std::atomic<uint64_t> steps_{0};
    std::thread thread_;
};

}  // namespace qx::app
