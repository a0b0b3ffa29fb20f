// The "windowdeviceset_" + N shortcuts: N = 0 opens the desktop's keyboard settings, N = 1 its
// mouse settings; other numbers do nothing. Where no settings program of a known desktop is
// installed, or it can't be started, the user is told.
#pragma once

class QWidget;

namespace qx::settings {

// True when the desktop's settings program was started.
bool OpenWindowDeviceSettings(int n, QWidget* over);

}  // namespace qx::settings
