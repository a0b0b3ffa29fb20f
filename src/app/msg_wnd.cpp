#include "app/msg_wnd.h"

#include <QLabel>
#include <deque>

#include "app/display_fit.h"
#include "core/diagnostics.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::app {
namespace {

std::deque<int>& MessageAnswers() {
    static std::deque<int> answers;
    return answers;
}

}  // namespace

CMsgWnd::CMsgWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      paintManager_(std::make_unique<ui::PaintManager>(this)) {
    setObjectName(QStringLiteral("MsgWnd"));
    setWindowTitle(QStringLiteral("msgwnd"));
    setModal(true);
}

CMsgWnd::~CMsgWnd() = default;

bool CMsgWnd::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("msg.ui"), this);
    if (root == nullptr) {
        DebugLine("msg.ui: " + loader.LastError().toStdString());
        return false;
    }
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    return true;
}

void CMsgWnd::SetTitle(const QString& title) {
    if (title.isEmpty()) return;
    if (QWidget* label = paintManager_->FindControl(QStringLiteral("MessageTitle")))
        ui::SetControlText(label, title);
}

void CMsgWnd::SetText(const QString& text, bool richText) {
    if (text.isEmpty()) return;
    QWidget* control = paintManager_->FindControl(QStringLiteral("MessageText"));
    if (control == nullptr) return;
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setTextFormat(richText ? Qt::RichText : Qt::PlainText);
    ui::SetControlText(control, text);
}

void CMsgWnd::SetDpi(int dpi) {
    if (!IsSupportedDpi(dpi)) {
        DebugLine("MSG_WND DPI SET ERROR");
        dpi = 96;
    }
    dpi_ = dpi;
    paintManager_->SetDpi(dpi);
}

void CMsgWnd::SetButtons(int mode) {
    QWidget* confirm = paintManager_->FindControl(QStringLiteral("confirm_btn"));
    QWidget* cancel = paintManager_->FindControl(QStringLiteral("cancel_btn"));
    if (mode == kConfirmOnly) {
        if (cancel != nullptr) cancel->hide();
        if (confirm != nullptr) confirm->show();
    } else if (mode == kConfirmAndCancel) {
        if (cancel != nullptr) cancel->show();
        if (confirm != nullptr) confirm->show();
    }
}

void CMsgWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.type != QLatin1String("click")) return;
    if (msg.senderName.compare(QLatin1String("confirm_btn"), Qt::CaseInsensitive) == 0) {
        done(1);
    } else if (msg.senderName.compare(QLatin1String("cancel_btn"), Qt::CaseInsensitive) == 0 ||
               msg.senderName.compare(QLatin1String("closebtn"), Qt::CaseInsensitive) == 0) {
        done(0);
    }
}

int ShowMessage(QWidget* parent, const QString& title, const QString& text, int dpi, bool richText,
                int buttonMode) {
    if (!MessageAnswers().empty()) {
        const int button = MessageAnswers().front();
        MessageAnswers().pop_front();
        const ui::ResourceManager& texts = ui::ResourceManager::GetInstance();
        DebugLine("message answered " + std::to_string(button) + " without showing: " +
                  texts.Text(title).toStdString() + " / " + texts.Text(text).toStdString());
        return button == 1 ? 1 : 0;
    }
    CMsgWnd box(parent);
    if (!box.Create()) return 0;
    box.SetTitle(title);
    box.SetText(text, richText);
    box.SetDpi(dpi);
    box.SetButtons(buttonMode);
    box.adjustSize();
    if (parent != nullptr) {
        box.move(parent->geometry().center() - QPoint(box.width() / 2, box.height() / 2));
    }
    return box.exec() == 1 ? 1 : 0;
}

void QueueMessageAnswer(int button) { MessageAnswers().push_back(button); }

int QueuedMessageAnswers() { return int(MessageAnswers().size()); }

void ClearMessageAnswers() { MessageAnswers().clear(); }

}  // namespace qx::app
