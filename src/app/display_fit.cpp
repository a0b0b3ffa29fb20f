#include "app/display_fit.h"

namespace qx::app {

int DisplayDpiFor(QSize monitor) {
    return monitor.width() > 1500 && monitor.height() > 960 ? 144 : 96;
}

bool IsSupportedDpi(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return true;
        default:
            return false;
    }
}

QSize WindowSizeAt(int dpi) { return {kDesignWidth * dpi / 96, kDesignHeight * dpi / 96}; }

}  // namespace qx::app
