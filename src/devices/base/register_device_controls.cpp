#include "devices/base/register_device_controls.h"

#include "devices/base/device_families.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/mp_device_power_ui.h"
#include "ui/control_factory.h"

namespace qx::devices {

namespace {
template <class T>
ui::ControlFactory::Creator Make() {
    return [](QWidget* parent) -> QWidget* { return new T(parent); };
}
}  // namespace

void RegisterDeviceControls() {
    ui::ControlFactory& factory = ui::ControlFactory::GetInstance();
    // A page's root class names its family; the page itself is a plain container that its
    // device object holds.
    for (const DeviceFamilyRow& family : DeviceFamilies()) {
        const QString pageClass = QString::fromUtf8(
            family.pageClass.data(), static_cast<qsizetype>(family.pageClass.size()));
        factory.RegistControl(pageClass, [pageClass](QWidget* parent) -> QWidget* {
            auto* page = new QWidget(parent);
            page->setProperty("skinclass", pageClass);
            return page;
        });
    }
    factory.RegistControl("DeviceOption", Make<CDeviceOptionUI>());
    factory.RegistControl("MpDevicePower", Make<CMpDevicePowerUI>());
}

}  // namespace qx::devices
