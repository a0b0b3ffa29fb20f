// Fitting the main window to its display: the display scale follows the monitor's size, and the
// window keeps its design size of 1000 x 640 at 96 dots per inch.
#pragma once

#include <QSize>

namespace qx::app {

inline constexpr int kDesignWidth = 1000;
inline constexpr int kDesignHeight = 640;

// 144 for a monitor wider than 1500 and taller than 960 pixels, else 96.
int DisplayDpiFor(QSize monitor);

// The display scales a window may use; anything else is replaced by 96.
bool IsSupportedDpi(int dpi);

// The window's size at a display scale.
QSize WindowSizeAt(int dpi);

}  // namespace qx::app
