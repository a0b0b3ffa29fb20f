// What the main window does with devices: creates each kind's device object with its page, list
// entry and power control, opens and closes their command and notification interfaces as
// discovery reports them, moves a device between cable and receiver, and keeps the device list,
// the selected device and the "No_device_Link" placeholder consistent. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "devices/base/device_families.h"
#include "devices/slot_table.h"

class QWidget;

namespace qx::ui {
class PaintManager;
class SkinLoader;
}  // namespace qx::ui

namespace qx::devices {

class COrvaneUSBDevice;
class CDeviceOptionUI;
class CMpDevicePowerUI;

class DeviceListController {
  public:
    // `window` holds the containers "device_select_layout", "device_switch",
    // "device_power_switch" and "No_device_Link"; `messageTarget` (the main window, a
    // ui::CustomMessageHandler) receives the entries' messages (kEntryOnline).
    // `families` (tests give their own) says which object, page and entry each family gets.
    // The devices reach their interfaces through `backend`.
    DeviceListController(QWidget* window, ui::PaintManager& paintManager, ui::SkinLoader& loader,
                         SlotTable& slots, QObject* messageTarget, HidBackend& backend,
                         std::span<const DeviceFamilyRow> families = DeviceFamilies());
    ~DeviceListController();  // stops every device's threads and worker, closes its interfaces
    DeviceListController(const DeviceListController&) = delete;
    DeviceListController& operator=(const DeviceListController&) = delete;

    // The mouse and keyboard entries, present (hidden) before anything is attached.
    void CreatePlaceholderEntries();

    void OnDeviceArrived(int slot);                 // kDeviceArrived
    void OnDeviceRemoved(int slot);                 // kDeviceRemoved
    void OnEntryOnline(int listIndex, int online);  // kEntryOnline
    // "selectchanged" of an entry's "device_select": shows that device's page and power page.
    void OnDeviceSelected(QWidget* option);
    void SelectPrevious();  // "device_select_prev"
    void SelectNext();      // "device_select_next"

    COrvaneUSBDevice* CurrentDevice() const;
    int OnlineCount() const;
    // Every device made, in the order made.
    std::vector<COrvaneUSBDevice*> AllDevices() const;
    // Keyboards, mice, mouse pads, headsets, in that order.
    void ForEachDevice(const std::function<void(COrvaneUSBDevice&)>& action) const;
    const std::vector<COrvaneUSBDevice*>& Keyboards() const { return keyboards_; }
    const std::vector<COrvaneUSBDevice*>& Mice() const { return mice_; }
    const std::vector<COrvaneUSBDevice*>& MousePads() const { return pads_; }
    const std::vector<COrvaneUSBDevice*>& Headsets() const { return headsets_; }

    // Mice and keyboards marked hidden (window in the tray: no power queries) or shown.
    void SetMiceAndKeyboardsHidden(bool hidden);
    void SetLightingControl(bool on);
    // Every on-line device gets its profile and lighting written again (the machine woke up).
    void RestoreSettings();
    void SetWindowActive(bool active);
    // Refreshes "No_device_Link" from the shown entries.
    void RefreshNoDeviceLink();
    // Called when the shown and selected entry goes off-line, before another one is selected:
    // the window closes its popups and ends a running key capture there.
    // Told of every device object the list makes (UI thread).
    void SetDeviceAddedHandler(std::function<void(COrvaneUSBDevice&)> handler) {
        deviceAdded_ = std::move(handler);
    }
    void SetSelectedEntryLostHandler(std::function<void()> handler) {
        selectedEntryLost_ = std::move(handler);
    }

  private:
    // One list entry with its power control and its family.
    struct EntryRecord {
        QPointer<CMpDevicePowerUI> power;
        QPointer<CDeviceOptionUI> entry;
        const DeviceFamilyRow* family = nullptr;
    };

    // The device object, page, entry and power control of the slot's family; nullptr when the
    // slot's identity has no family or a skin file fails.
    COrvaneUSBDevice* AddDeviceEntry(const DeviceSlot& slot);
    std::vector<COrvaneUSBDevice*>& ListOf(DeviceFamily family);
    QWidget* Container(const char* name) const;
    // The entries in the order of the list.
    std::vector<CDeviceOptionUI*> Entries() const;
    CDeviceOptionUI* EntryOfListIndex(int listIndex) const;
    // The device whose command slot record is the slot's (or its partner's).
    COrvaneUSBDevice* FindDevice(const DeviceSlot& slot);
    // The device whose command slot has the notification slot's (or its partner's) product.
    COrvaneUSBDevice* FindNotificationDevice(const DeviceSlot& slot);
    // The partner slot when it holds the other path of the same device.
    std::optional<DeviceSlot> ConnectedPartner(const DeviceSlot& slot) const;
    // The slot record a device arriving through `slot` is known by.
    DeviceSlot RecordOf(const DeviceSlot& slot) const;
    void SwitchConnection(const DeviceSlot& slot);
    void ShowEntry(CDeviceOptionUI* entry, bool visible, bool select);
    void EntryLost(CDeviceOptionUI* entry);
    void SelectNeighbour(int step);

    QPointer<QWidget> window_;
    ui::PaintManager& paintManager_;
    ui::SkinLoader& loader_;
    SlotTable& slots_;
    QPointer<QObject> messageTarget_;
    HidBackend& backend_;
    std::span<const DeviceFamilyRow> families_;
    std::vector<COrvaneUSBDevice*> pads_, mice_, keyboards_, headsets_;
    std::vector<EntryRecord> records_;
    // Every device made; a device lives until the window goes (a replug reuses it).
    std::vector<std::unique_ptr<COrvaneUSBDevice>> devices_;
    std::function<void()> selectedEntryLost_;
    std::function<void(COrvaneUSBDevice&)> deviceAdded_;
};

}  // namespace qx::devices
