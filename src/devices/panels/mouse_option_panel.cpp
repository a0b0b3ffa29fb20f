#include "devices/panels/mouse_option_panel.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

CMouseOptionPanel::Factory& SettingsFactory() {
    static CMouseOptionPanel::Factory factory;
    return factory;
}

template <class T>
T* Find(QWidget* page, const char* name) {
    return qobject_cast<T*>(
        ui::PaintManager::FindSubControlByName(page, QString::fromLatin1(name)));
}

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

void SetValue(QAbstractSlider* slider, int value) {
    if (slider == nullptr) return;
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
}

void SetChecked(QAbstractButton* button, bool checked) {
    if (button == nullptr) return;
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

}  // namespace

void CMouseOptionPanel::SetSettingsFactory(Factory factory) {
    SettingsFactory() = std::move(factory);
}

CMouseOptionPanel::CMouseOptionPanel(COrvaneMouseDevice& mouse, QWidget* page) : mouse_(mouse) {
    desktop_ = SettingsFactory() ? SettingsFactory()() : platform::MakeDesktopPointerSettings();
    if (page == nullptr) return;
    speed_ = Find<QAbstractSlider>(page, "pointer_speed_slider");
    precision_ = Find<QAbstractButton>(page, "pointer_precision_check");
    page_ = Find<QAbstractButton>(page, "scrolls_page_check");
    lines_ = Find<QAbstractSlider>(page, "scroll_speed_slider");
    doubleClick_ = Find<QAbstractSlider>(page, "double_click_slider");
    note_ = Find<QLabel>(page, "pointer_desktop_note");
    Subscribe();
    ShowSupport();
}

CMouseOptionPanel::~CMouseOptionPanel() = default;

int CMouseOptionPanel::SystemSpeed(int position) { return std::clamp(position * 2 + 2, 1, 20); }

int CMouseOptionPanel::SystemWheelLines(int position, bool page) {
    return page ? 255 : position + 1;
}

int CMouseOptionPanel::SystemDoubleClickMs(int position, int maximum) {
    return (maximum - position + 1) * 100;
}

void CMouseOptionPanel::Subscribe() {
    ui::PaintManager* manager = mouse_.Manager();
    if (manager == nullptr) return;
    const QString value = QStringLiteral("valuechanged");
    const QString select = QStringLiteral("selectchanged");
    if (speed_)
        manager->OnNotify(speed_, value, this,
                          [this](ui::TNotifyUI& msg) { OnSpeed(static_cast<int>(msg.wParam)); });
    if (precision_)
        manager->OnNotify(precision_, select, this,
                          [this](ui::TNotifyUI& msg) { OnPrecision(msg.wParam != 0); });
    if (page_)
        manager->OnNotify(page_, select, this,
                          [this](ui::TNotifyUI& msg) { OnPage(msg.wParam != 0); });
    if (lines_)
        manager->OnNotify(lines_, value, this,
                          [this](ui::TNotifyUI& msg) { OnLines(static_cast<int>(msg.wParam)); });
    if (doubleClick_)
        manager->OnNotify(doubleClick_, value, this, [this](ui::TNotifyUI& msg) {
            OnDoubleClick(static_cast<int>(msg.wParam));
        });
}

// Each control says whether the desktop takes its setting; the note names what it does not.
void CMouseOptionPanel::ShowSupport() {
    using platform::PointerSetting;
    const QString unsupported = Text("pointer_not_taken_text");
    bool any = false;
    auto mark = [&](QWidget* control, PointerSetting setting) {
        if (control == nullptr) return;
        const bool taken = desktop_ && desktop_->Supports(setting);
        control->setProperty("desktopsupported", taken);
        control->setToolTip(taken ? QString() : unsupported);
        any = any || !taken;
    };
    mark(speed_, PointerSetting::Speed);
    mark(precision_, PointerSetting::Precision);
    mark(lines_, PointerSetting::WheelLines);
    mark(page_, PointerSetting::WheelLines);
    mark(doubleClick_, PointerSetting::DoubleClick);
    if (note_) {
        note_->setText(any ? unsupported : QString());
        note_->setVisible(any);
    }
}

void CMouseOptionPanel::Show(const MouseSettings& settings) {
    const MouseSystemRecord& system = settings.system;
    SetValue(doubleClick_, system.Low(0));
    SetValue(speed_, system.High(0));
    SetChecked(precision_, system.Low(1) != 0);
    SetChecked(page_, system.High(1) != 0);
    SetValue(lines_, system.Low(2));
}

void CMouseOptionPanel::Store(std::function<void(MouseSettings&)> edit) {
    mouse_.ChangeSettings(std::move(edit), false, [](const QString& error) {
        if (!error.isEmpty()) ShowUserMessage(error);
    });
}

void CMouseOptionPanel::Apply(bool ok, const std::string& error) {
    // A setting the desktop lacks was said on the page already; a refusal is told.
    if (ok || !desktop_ || desktop_->Kind() == platform::PointerSettings::Desktop::None) return;
    if (error.find("does not") != std::string::npos) return;
    ShowUserMessage(Text("pointer_apply_failed_text") + QString::fromStdString(error));
}

void CMouseOptionPanel::OnSpeed(int position) {
    Store([position](MouseSettings& s) {
        s.system.words[0] = PackedWords::Pack(s.system.Low(0), static_cast<uint16_t>(position));
    });
    std::string error;
    const bool ok = desktop_ && desktop_->ApplySpeed(SystemSpeed(position), &error);
    Apply(ok, error);
}

void CMouseOptionPanel::OnPrecision(bool on) {
    Store([on](MouseSettings& s) {
        s.system.words[1] = PackedWords::Pack(on ? 1 : 0, s.system.High(1));
    });
    std::string error;
    const bool ok = desktop_ && desktop_->ApplyPrecision(on, &error);
    Apply(ok, error);
}

void CMouseOptionPanel::OnPage(bool page) {
    const int lines = lines_ ? lines_->value() : 0;
    Store([page, lines](MouseSettings& s) {
        s.system.words[1] = PackedWords::Pack(s.system.Low(1), page ? 1 : 0);
        s.system.words[2] = PackedWords::Pack(static_cast<uint16_t>(lines), s.system.High(2));
    });
    std::string error;
    const bool ok = desktop_ && desktop_->ApplyWheel(SystemWheelLines(lines, page), page, &error);
    Apply(ok, error);
}

void CMouseOptionPanel::OnLines(int position) {
    // Choosing a number of lines ends scrolling by page.
    SetChecked(page_, false);
    Store([position](MouseSettings& s) {
        s.system.words[1] = PackedWords::Pack(s.system.Low(1), 0);
        s.system.words[2] = PackedWords::Pack(static_cast<uint16_t>(position), s.system.High(2));
    });
    std::string error;
    const bool ok =
        desktop_ && desktop_->ApplyWheel(SystemWheelLines(position, false), false, &error);
    Apply(ok, error);
}

void CMouseOptionPanel::OnDoubleClick(int position) {
    const int maximum = doubleClick_ ? doubleClick_->maximum() : position;
    Store([position](MouseSettings& s) {
        s.system.words[0] = PackedWords::Pack(static_cast<uint16_t>(position), s.system.High(0));
    });
    std::string error;
    const bool ok =
        desktop_ && desktop_->ApplyDoubleClick(SystemDoubleClickMs(position, maximum), &error);
    Apply(ok, error);
}

}  // namespace qx::devices
