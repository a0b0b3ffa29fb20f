#include "devices/base/mp_device_power_ui.h"

#include <QProgressBar>
#include <algorithm>
#include <array>
#include <cstring>

#include "devices/base/skin_image.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {}

QWidget* CMpDevicePowerUI::Sub(const char* name) const {
    return ui::PaintManager::FindSubControlByName(const_cast<CMpDevicePowerUI*>(this),
                                                  QString::fromLatin1(name));
}

void CMpDevicePowerUI::SetKind(DeviceKind kind, int value) {
    kind_ = kind;
    value_ = value;
}

void CMpDevicePowerUI::ShowBattery(bool show) {
    if (QWidget* layout = Sub("device_power_Layout")) layout->setVisible(show);
}

void CMpDevicePowerUI::ShowPowerRecord(const uint8_t* record, size_t length) {
    std::array<uint8_t, kMaxRecord> bytes{};
    if (record != nullptr) std::memcpy(bytes.data(), record, std::min(length, kMaxRecord));
    const int level = bytes[0];

    auto* progress = qobject_cast<QProgressBar*>(Sub("device_Power_progress"));
    if (progress != nullptr) progress->setValue(std::clamp(100 - level, 0, 100));
    if (QWidget* value = Sub("device_power_value")) {
        ui::SetControlText(value, QString::asprintf("%d%s", level, "%"));
    }

    QWidget* logo = Sub("device_wuxian_logo");
    if (bytes[3] != 0) {
        if (kind_ == DeviceKind::MouseWired && logo != nullptr) logo->setVisible(true);
        wireless_ = true;
    } else {
        if (kind_ == DeviceKind::MouseWired && logo != nullptr) logo->setVisible(false);
        // Back on its cable the device is no longer wireless.
        wireless_ = false;
    }

    QWidget* status = Sub("device_power_status");
    auto showProgress = [progress](bool show) {
        if (progress != nullptr) progress->setVisible(show);
    };
    switch (bytes[1]) {
        case 0:
            showProgress(true);
            SetControlImage(status, "file='power/powered.png'");
            break;
        case 1:
            if (wireless_) {
                showProgress(false);
                SetControlImage(status, "file='power/wuxian_powering.png'");
            } else {
                showProgress(true);
                SetControlImage(status, "file='power/powering.png'");
            }
            break;
        case 2:
            showProgress(true);
            SetControlImage(status, "file='power/power.png'");
            break;
        default:
            break;
    }

    if (kind_ == DeviceKind::MousePad) {
        const char* type = "Phone_type_no_device";
        switch (bytes[5]) {
            case 1:
                type = "Phone_type_iphone";
                break;
            case 2:
                type = "Phone_type_samsung";
                break;
            case 3:
                type = "Phone_type_other";
                break;
            default:
                break;
        }
        QWidget* phone = Sub("device_phone_type");
        if (phone != nullptr) ui::SetControlText(phone, QString::fromLatin1(type));
        QWidget* image = Sub("device_phone_image");
        SetControlImage(image != nullptr ? image : phone,
                        QString("file='power/%1.png'").arg(QString::fromLatin1(type)));
    }
}

}  // namespace qx::devices
