// The power control of a device list entry ("MpDevicePower"): battery level, charge state,
// wireless link and, for the mouse pad, the phone on its charger.
#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>

#include "core/device_kind.h"

namespace qx::devices {

class CMpDevicePowerUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr size_t kRecordSize = 6;
    static constexpr size_t kMaxRecord = 64;

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    void SetKind(DeviceKind kind, int value);
    DeviceKind Kind() const { return kind_; }
    int Value() const { return value_; }
    // Shows or hides "device_power_Layout".
    void ShowBattery(bool show);
    // Displays a power record (bytes beyond 64 are ignored; missing ones read as 0).
    void ShowPowerRecord(const uint8_t* record, size_t length);
    bool Wireless() const { return wireless_; }

  private:
    QWidget* Sub(const char* name) const;

    DeviceKind kind_ = DeviceKind::KeyboardWired;
    int value_ = 0;
    bool wireless_ = false;
};

}  // namespace qx::devices
