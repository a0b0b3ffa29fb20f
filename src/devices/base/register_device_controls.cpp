#include "devices/base/register_device_controls.h"

#include "devices/base/device_option_ui.h"
#include "devices/base/mp_device_power_ui.h"
#include "devices/headset/orvane_hs6533_device.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "devices/pad/orvane_mouse_pad_device.h"
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
    factory.RegistControl("OrvaneKeyboardDevice", Make<COrvaneKeyboardDevice>());
    factory.RegistControl("OrvaneMouseDevice", Make<COrvaneMouseDevice>());
    factory.RegistControl("OrvaneMousePadDevice", Make<COrvaneMousePadDevice>());
    factory.RegistControl("OrvaneHS6533Device", Make<COrvaneHS6533Device>());
    factory.RegistControl("DeviceOption", Make<CDeviceOptionUI>());
    factory.RegistControl("MpDevicePower", Make<CMpDevicePowerUI>());
}

}  // namespace qx::devices
