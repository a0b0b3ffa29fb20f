// What the main window does with devices: creates each kind's device object with its page, list
// entry and power control, opens and closes their command and notification interfaces as
// discovery reports them, moves a device between cable and receiver, and keeps the device list,
// the selected device and the "No_device_Link" placeholder consistent. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

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
    DeviceListController(QWidget* window, ui::PaintManager& paintManager, ui::SkinLoader& loader,
                         SlotTable& slots, QObject* messageTarget);
    ~DeviceListController();  // stops every device's threads and closes its interfaces
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
    // Keyboards, mice, mouse pads, headsets, in that order.
    void ForEachDevice(const std::function<void(COrvaneUSBDevice&)>& action) const;
    const std::vector<COrvaneUSBDevice*>& Keyboards() const { return keyboards_; }
    const std::vector<COrvaneUSBDevice*>& Mice() const { return mice_; }
    const std::vector<COrvaneUSBDevice*>& MousePads() const { return pads_; }
    const std::vector<COrvaneUSBDevice*>& Headsets() const { return headsets_; }

    // Mice and keyboards marked hidden (window in the tray: no power queries) or shown.
    void SetMiceAndKeyboardsHidden(bool hidden);
    void SetLightingControl(bool on);
    void SetWindowActive(bool active);
    // Refreshes "No_device_Link" from the shown entries.
    void RefreshNoDeviceLink();

  private:
    int AddDeviceEntry(const DeviceSlot& slot, int role);
    // (the implementation adds what it needs here)

    QPointer<QWidget> window_;
    ui::PaintManager& paintManager_;
    ui::SkinLoader& loader_;
    SlotTable& slots_;
    QPointer<QObject> messageTarget_;
    std::vector<COrvaneUSBDevice*> pads_, mice_, keyboards_, headsets_;
};

}  // namespace qx::devices
