#include "controls/wnd_host.h"

namespace qx::controls {

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {}

void CWndUI::Attach(QWidget* hosted) {
    hosted_ = hosted;
    SyncHosted();
}

void CWndUI::SyncHosted() {
    if (hosted_.isNull()) return;
    QWidget* hosted = hosted_.data();
    const QPoint global = mapToGlobal(QPoint(0, 0));
    QWidget* parent = hosted->isWindow() ? nullptr : hosted->parentWidget();
    // A child widget is placed in its parent's coordinates, a window on the screen.
    const QPoint topLeft = parent != nullptr ? parent->mapFromGlobal(global) : global;
    hosted->setGeometry(QRect(topLeft, size()));
    hosted->setVisible(isVisible());
}

void CWndUI::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    SyncHosted();
}

void CWndUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncHosted();
}

void CWndUI::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SyncHosted();
}

void CWndUI::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    SyncHosted();
}

}  // namespace qx::controls
