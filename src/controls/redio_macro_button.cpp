#include "controls/redio_macro_button.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "controls/control_support.h"

namespace qx::controls {
namespace {
constexpr int kFadeLow = 80;
constexpr int kFadeHigh = 255;
constexpr int kFadeStep = 20;
constexpr int kPeriodMs = 50;
}  // namespace

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent)
    : QPushButton(parent), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &CRedioMacroButtonUI::Step);
}

void CRedioMacroButtonUI::SetRedioImage(const QString& description) {
    redioImage_ = description;
    redioPixmap_ = LoadSkinImage(description);
    update();
}

void CRedioMacroButtonUI::SetRunning(bool running) {
    if (running == running_) return;
    running_ = running;
    if (running) {
        fade_ = kFadeLow;
        rising_ = true;
        timer_->start(kPeriodMs);
    } else {
        timer_->stop();
    }
    update();
}

void CRedioMacroButtonUI::Step() {
    if (rising_) {
        fade_ = std::min(kFadeHigh, fade_ + kFadeStep);
        if (fade_ == kFadeHigh) rising_ = false;
    } else {
        fade_ = std::max(kFadeLow, fade_ - kFadeStep);
        if (fade_ == kFadeLow) rising_ = true;
    }
    update();
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!running_ || redioPixmap_.isNull()) return;
    QPainter painter(this);
    painter.setOpacity(fade_ / 255.0);
    painter.drawPixmap(rect(), redioPixmap_);
}

}  // namespace qx::controls
