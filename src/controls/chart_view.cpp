#include "controls/chart_view.h"

#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <array>

#include "controls/control_support.h"

namespace qx::controls {
namespace {

constexpr std::array<QRgb, 18> kPalette = {
    qRgb(63, 150, 245),  qRgb(255, 90, 1),    qRgb(106, 244, 192), qRgb(245, 234, 106),
    qRgb(252, 123, 151), qRgb(162, 245, 63),  qRgb(157, 144, 252), qRgb(210, 144, 252),
    qRgb(127, 176, 203), qRgb(244, 196, 113), qRgb(162, 194, 133), qRgb(189, 23, 23),
    qRgb(189, 23, 179),  qRgb(97, 23, 189),   qRgb(23, 43, 189),   qRgb(18, 136, 76),
    qRgb(136, 121, 18),  qRgb(136, 38, 18),
};
constexpr int kLegendWidth = 100;
constexpr int kLegendRow = 20;
constexpr int kLegendSquare = 12;
constexpr int kLabelHeight = 18;

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {}

QColor CChartViewUI::PaletteColour(std::size_t index) {
    return QColor::fromRgb(kPalette[index % kPalette.size()]);
}

void CChartViewUI::AddItem(const QString& text, double value) {
    items_.push_back({text, value});
    update();
}

void CChartViewUI::ClearItems() {
    items_.clear();
    update();
}

void CChartViewUI::SetView(const QString& view) {
    view_ = view;
    update();
}

void CChartViewUI::SetShadowImage(const QString& description) {
    shadowImage_ = description;
    shadowPixmap_ = LoadSkinImage(description);
    update();
}

void CChartViewUI::SetShadowImageHeight(int height) {
    shadowHeight_ = std::max(0, height);
    update();
}

void CChartViewUI::SetPillarImage(const QString& description) {
    pillarImage_ = description;
    pillarPixmap_ = LoadSkinImage(description);
    update();
}

void CChartViewUI::SetPillarImageWidth(int width) {
    pillarWidth_ = std::max(1, width);
    update();
}

void CChartViewUI::SetShowHtml(bool show) {
    showHtml_ = show;
    update();
}

void CChartViewUI::SetShowText(bool show) {
    showText_ = show;
    update();
}

void CChartViewUI::paintEvent(QPaintEvent*) {
    if (items_.empty()) return;
    QPainter painter(this);
    if (view_.compare(QLatin1String("histpgram"), Qt::CaseInsensitive) == 0) {
        PaintBars(painter);
    } else {
        PaintPie(painter);
    }
}

void CChartViewUI::PaintPie(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const int legend = showText_ ? kLegendWidth : 0;
    const int side = std::min(width() - legend, height()) - 10;
    if (side <= 0) return;
    const QRectF pie(5, (height() - side) / 2.0, side, side);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30, 30));
    painter.drawEllipse(pie.adjusted(-4, -4, 4, 4));
    painter.setBrush(QColor(100, 100, 100, 100));
    painter.drawEllipse(pie.adjusted(-1, -1, 1, 1));

    double total = 0;
    for (const Item& item : items_) total += std::max(0.0, item.value);
    if (total > 0) {
        // Clockwise from three o'clock (Qt's angles run counter-clockwise).
        double start = 0;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const double sweep = std::max(0.0, items_[i].value) / total * 360.0;
            if (sweep <= 0) continue;
            painter.setBrush(PaletteColour(i));
            painter.drawPie(pie, static_cast<int>(-start * 16), static_cast<int>(-sweep * 16));
            start += sweep;
        }
    }

    if (!showText_) return;
    const int x = static_cast<int>(pie.right()) + 10;
    int y = std::max(0, (height() - static_cast<int>(items_.size()) * kLegendRow) / 2);
    for (std::size_t i = 0; i < items_.size(); ++i, y += kLegendRow) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(PaletteColour(i));
        painter.drawRect(x, y + (kLegendRow - kLegendSquare) / 2, kLegendSquare, kLegendSquare);
        const QRect textArea(x + kLegendSquare + 4, y, width() - x - kLegendSquare - 4, kLegendRow);
        if (showHtml_) {
            QTextDocument document;
            document.setHtml(items_[i].text);
            painter.save();
            painter.translate(textArea.topLeft());
            document.drawContents(&painter, QRectF(0, 0, textArea.width(), textArea.height()));
            painter.restore();
        } else {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, items_[i].text);
        }
    }
}

void CChartViewUI::PaintBars(QPainter& painter) {
    const int labels = showText_ ? kLabelHeight : 0;
    const int baseline = height() - labels - shadowHeight_;
    if (!shadowPixmap_.isNull() && shadowHeight_ > 0) {
        painter.drawPixmap(QRect(0, baseline, width(), shadowHeight_), shadowPixmap_);
    }
    double largest = 0;
    for (const Item& item : items_) largest = std::max(largest, item.value);
    if (largest <= 0 || baseline <= 0) return;
    int x = pillarWidth_;
    for (std::size_t i = 0; i < items_.size(); ++i, x += 2 * pillarWidth_) {
        const int barHeight = static_cast<int>(std::max(0.0, items_[i].value) / largest * baseline);
        const QRect bar(x, baseline - barHeight, pillarWidth_, barHeight);
        if (pillarPixmap_.isNull()) {
            painter.fillRect(bar, PaletteColour(i));
        } else {
            painter.drawPixmap(bar, pillarPixmap_);
        }
        if (showText_) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(
                QRect(x - pillarWidth_ / 2, height() - labels, 2 * pillarWidth_, labels),
                Qt::AlignCenter, items_[i].text);
        }
    }
}

}  // namespace qx::controls
