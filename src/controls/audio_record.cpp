#include "controls/audio_record.h"

#include <QPainter>
#include <algorithm>

namespace qx::controls {

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {
    for (int i = 0; i < 256; ++i) values_[size_t(i)] = i;
}

void CAudioRecordUI::SetValues(std::span<const int32_t> values) {
    std::copy_n(values.begin(), std::min<size_t>(values.size(), kValueCount), values_.begin());
    update();
}

void CAudioRecordUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    const int height = area.height();
    for (int i = 0; i < kValueCount && 2 * i < area.width(); ++i) {
        const int x = area.left() + 2 * i;
        // Wide enough that extreme values cannot wrap; drawn within the control.
        const int64_t top64 =
            area.top() + height - int64_t{values_[size_t(i)]} * height / kFullScale;
        if (top64 >= area.bottom()) continue;  // nothing above the bottom line
        const int top = static_cast<int>(std::max<int64_t>(top64, area.top()));
        painter.drawLine(x, top, x, area.bottom() - 1);
    }
}

}  // namespace qx::controls
