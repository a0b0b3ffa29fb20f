#include "controls/combo_edit_container_element.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

#include "controls/control_support.h"
#include "core/diagnostics.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::controls {

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CComboEditContainerElementUI::Init(const QString& file) {
    if (initialised_) return text1_ != nullptr || text2_ != nullptr || delayEdit_ != nullptr;
    initialised_ = true;
    ui::SkinLoader loader;
    QWidget* content = loader.Build(file, this);
    if (content == nullptr) {
        qx::DebugLine(loader.LastError().toStdString());
        return false;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    text1_ = ui::PaintManager::FindSubControlByName(this, QStringLiteral("text1"));
    text2_ = ui::PaintManager::FindSubControlByName(this, QStringLiteral("text2"));
    delayEdit_ = ui::PaintManager::FindSubControlByName(this, QStringLiteral("delay_edit"));
    // The content's controls raise their notifications like the rest of the window.
    if (ui::PaintManager* manager = ui::PaintManager::Of(this)) manager->AttachControls(content);
    return true;
}

QLineEdit* CComboEditContainerElementUI::DelayEdit() const {
    return qobject_cast<QLineEdit*>(delayEdit_.data());
}

void CComboEditContainerElementUI::SetSelected(bool selected) {
    selected_ = selected;
    update();
}

void CComboEditContainerElementUI::Activate() {
    if (isEnabled()) NotifyFrom(this, QStringLiteral("itemactivate"));
}

void CComboEditContainerElementUI::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void CComboEditContainerElementUI::showEvent(QShowEvent* event) {
    if (!initialised_) Init();
    QWidget::showEvent(event);
}

void CComboEditContainerElementUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QWidget::enterEvent(event);
}

void CComboEditContainerElementUI::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Activate();
        NotifyFrom(this, QStringLiteral("return"));
        return;
    }
    QWidget::keyPressEvent(event);
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        SetSelected(event->modifiers().testFlag(Qt::ControlModifier) ? !selected_ : true);
        return;
    }
    if (event->button() == Qt::RightButton && menu_) {
        const QPoint at = event->position().toPoint();
        NotifyFrom(this, QStringLiteral("menu"), at.x(), at.y());
        return;
    }
    QWidget::mousePressEvent(event);
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        NotifyFrom(this, QStringLiteral("itemclick"));
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CComboEditContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Activate();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace qx::controls
