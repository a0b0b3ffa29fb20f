// Makes the program's own control classes known to the control factory under the class names
// the skins use ("DeviceKeyButton", "SelectPanel", "CircleProgress", ...).
#pragma once

namespace qx::controls {

void RegisterCustomControls();

}  // namespace qx::controls
