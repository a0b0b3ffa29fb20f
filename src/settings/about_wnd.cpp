#include "settings/about_wnd.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QWindow>

#include "core/diagnostics.h"
#include "settings/settings_messages.h"
#include "settings/update_catalogue.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::settings {

QString ProgramVersionText() {
    for (const UpdateTarget& target : UpdateCatalogue()) {
        if (target.IsProgram()) return QString::fromStdString(target.versionText);
    }
    return {};
}

CAboutWnd::CAboutWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      paintManager_(std::make_unique<ui::PaintManager>(this)) {
    setObjectName(QStringLiteral("AboutWnd"));
    setWindowTitle(QStringLiteral("  "));
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowModality(Qt::ApplicationModal);
    resize(800, 572);
}

CAboutWnd::~CAboutWnd() = default;

QWidget* CAboutWnd::FindControl(const QString& name) const {
    return paintManager_->FindControl(name);
}

bool CAboutWnd::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("AboutWnd.ui"), this);
    if (root == nullptr) {
        DebugLine("AboutWnd.ui: " + loader.LastError().toStdString());
        return false;
    }
    if (QWidget* titleBar = root->findChild<QWidget*>(QStringLiteral("title_bar")))
        titleBar->installEventFilter(this);
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    resize(800, 572);
    SetVersionText(ProgramVersionText());
    return true;
}

void CAboutWnd::SetVersionText(const QString& version) {
    version_ = version;
    if (QWidget* label = FindControl(QStringLiteral("software_ver_label")))
        ui::SetControlText(label, LanguageText(QStringLiteral("software_rev_text")) + version);
}

QString CAboutWnd::VersionText() const {
    return ui::ControlText(FindControl(QStringLiteral("software_ver_label")));
}

void CAboutWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.type != QLatin1String("click")) return;
    const QString& name = msg.senderName;
    if (name == QLatin1String("closebtn")) {
        close();
    } else if (name == QLatin1String("minbtn")) {
        showMinimized();
    } else if (name == QLatin1String("maxbtn")) {
        showMaximized();
    } else if (name == QLatin1String("restorebtn")) {
        showNormal();
    }
}

qintptr CAboutWnd::HandleCustomMessage(unsigned message, qintptr, qintptr) {
    if (message != msg::kLanguageChanged) return 0;
    SetVersionText(version_);
    if (layout() != nullptr) layout()->invalidate();
    update();
    return 1;
}

void CAboutWnd::closeEvent(QCloseEvent* event) { event->accept(); }

void CAboutWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        if (QWidget* maximise = FindControl(QStringLiteral("maxbtn"))) maximise->setVisible(false);
        if (QWidget* restore = FindControl(QStringLiteral("restorebtn")))
            restore->setVisible(maximised);
    }
    QDialog::changeEvent(event);
}

bool CAboutWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->objectName() == "title_bar") {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && windowHandle() != nullptr) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qx::settings
