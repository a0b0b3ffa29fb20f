#include "app/tray_menu.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>

#include "core/diagnostics.h"
#include "ui/custom_message.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::app {

TrayMenuWnd::TrayMenuWnd()
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
      paintManager_(std::make_unique<ui::PaintManager>(this)) {
    setObjectName(QStringLiteral("menu"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

TrayMenuWnd::~TrayMenuWnd() = default;

bool TrayMenuWnd::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("menu.ui"), this);
    if (root == nullptr) {
        DebugLine("menu.ui: " + loader.LastError().toStdString());
        return false;
    }
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    return true;
}

void TrayMenuWnd::ShowAt(QPoint anchor) {
    adjustSize();
    QPoint topLeft(anchor.x(), anchor.y() - height());
    if (const QScreen* screen = QGuiApplication::screenAt(anchor)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), area.right() - width()));
        topLeft.setY(qBound(area.top(), topLeft.y(), area.bottom() - height()));
    }
    move(topLeft);
    show();
    raise();
}

void TrayMenuWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.type != QLatin1String("click") || msg.sender == nullptr) return;
    if (qobject_cast<QAbstractButton*>(msg.sender) == nullptr) return;
    hide();
    emit CommandChosen(msg.senderName);
}

}  // namespace qx::app
