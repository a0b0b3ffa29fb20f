// The keyboard's page: the key buttons' names and marks, and the system settings (Windows lock,
// W key, 6-key mode, polling rate, key repeat) with what the user changes in them.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "controls/device_key_button.h"
#include "core/diagnostics.h"
#include "devices/base/user_message.h"
#include "devices/keyboard/keyboard_key_labels.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/key_set_control_ui.h"
#include "devices/panels/macro_control_ui.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

constexpr int kChoiceCount = 4;
constexpr int kDelayStepMs = 250;

QString Text(const QString& key) { return ui::ResourceManager::GetInstance().Text(key); }

template <class T>
T* Find(QWidget* page, const QString& name) {
    return qobject_cast<T*>(ui::PaintManager::FindSubControlByName(page, name));
}

// Checks only option `index` of a family (an index outside 0-3 checks the first), without
// raising events.
void SelectOnly(const std::array<QPointer<QAbstractButton>, 4>& options, int index) {
    if (index < 0 || index >= kChoiceCount) index = 0;
    for (const QPointer<QAbstractButton>& option : options) {
        if (option) option->blockSignals(true);
    }
    for (int i = 0; i < kChoiceCount; ++i) {
        if (options[static_cast<size_t>(i)])
            options[static_cast<size_t>(i)]->setChecked(i == index);
    }
    for (const QPointer<QAbstractButton>& option : options) {
        if (option) option->blockSignals(false);
    }
}

void SetChecked(QAbstractButton* option, bool checked) {
    if (option == nullptr) return;
    const QSignalBlocker quiet(option);
    option->setChecked(checked);
}

// A long name is drawn smaller so that it fits on its key cap (down to a readable size). The
// style may give the size in pixels or in points.
void FitText(QAbstractButton* button) {
    constexpr int kSmallestPixels = 7;
    constexpr int kMargin = 4;
    button->setFont(QFont());
    QFont font = button->font();
    const int room = button->width() - kMargin;
    int pixels = QFontMetrics(font).height();
    if (room <= 0) return;
    while (pixels > kSmallestPixels &&
           QFontMetrics(font).horizontalAdvance(button->text()) > room) {
        --pixels;
        font.setPixelSize(pixels);
    }
    button->setFont(font);
}

}  // namespace

void COrvaneKeyboardDevice::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
}

void COrvaneKeyboardDevice::BuildPanel() {
    if (!Page()) return;
    BindSystemControls();
    if (!macroControl_) {
        if (auto* panel =
                ui::PaintManager::FindSubControlByName(Page(), QStringLiteral("MacroControlItem")))
            macroControl_ = new CMacroControlUI(*this, panel);
    }
    ReloadPanelLists();
    RefreshKeyLabels();
    ShowSystemControls();
    // The key assignment panel, hidden until a key is picked.
    if (CKeySetControlUI::Of(this) == nullptr) new CKeySetControlUI(*this, Manager());
}

void COrvaneKeyboardDevice::BindSystemControls() {
    QWidget* page = Page();
    winLockOption_ = Find<QAbstractButton>(page, QStringLiteral("winlockflag_option"));
    wKeyOption_ = Find<QAbstractButton>(page, QStringLiteral("wflag_option"));
    sixKeyOption_ = Find<QAbstractButton>(page, QStringLiteral("6flag_option"));
    for (int i = 0; i < kChoiceCount; ++i) {
        pollingOptions_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(page, QStringLiteral("polling_rate_option_%1").arg(i));
        delayChecks_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(page, QStringLiteral("repeat_delay_check_%1").arg(i));
    }
    repeatSlider_ = Find<QAbstractSlider>(page, QStringLiteral("repeat_rate_slider"));
    delayLabel_ = Find<QLabel>(page, QStringLiteral("repeat_delay_time_label1"));
    rateLabel_ = Find<QLabel>(page, QStringLiteral("repeat_rate_value_label"));
    repeatInput_ = Find<QLineEdit>(page, QStringLiteral("repeat_input_richedit"));
    if (repeatSlider_) repeatSlider_->setRange(kRepeatRateMinimum, kRepeatRateMaximum);

    ui::PaintManager* manager = Manager();
    if (manager == nullptr) return;
    const QString select = QStringLiteral("selectchanged");
    auto flag = [this, manager, &select](QAbstractButton* option, uint16_t KeyboardSystem::*field) {
        if (option == nullptr) return;
        manager->OnNotify(option, select, this, [this, option, field](ui::TNotifyUI& msg) {
            OnFlagOption(option, field, msg.wParam != 0);
        });
    };
    flag(winLockOption_, &KeyboardSystem::winLock);
    flag(wKeyOption_, &KeyboardSystem::wKey);
    flag(sixKeyOption_, &KeyboardSystem::sixKey);
    for (int i = 0; i < kChoiceCount; ++i) {
        if (QAbstractButton* option = pollingOptions_[static_cast<size_t>(i)]) {
            manager->OnNotify(option, select, this, [this, i](ui::TNotifyUI& msg) {
                if (msg.wParam != 0) OnPollingOption(i);
            });
        }
        if (QAbstractButton* check = delayChecks_[static_cast<size_t>(i)]) {
            manager->OnNotify(check, select, this, [this, i](ui::TNotifyUI& msg) {
                if (msg.wParam != 0) OnRepeatDelay(i);
            });
        }
    }
    if (repeatSlider_) {
        // The number follows the handle while it is dragged; the value is taken on release.
        manager->OnNotify(repeatSlider_, QStringLiteral("movevaluechanged"), this,
                          [this](ui::TNotifyUI& msg) {
                              if (rateLabel_) rateLabel_->setText(QString::number(msg.wParam));
                          });
        manager->OnNotify(
            repeatSlider_, QStringLiteral("valuechanged"), this,
            [this](ui::TNotifyUI& msg) { OnRepeatRate(static_cast<int>(msg.wParam)); });
    }
    if (QWidget* reset =
            ui::PaintManager::FindSubControlByName(page, QStringLiteral("reset_repeat_btn"))) {
        manager->OnNotify(reset, QStringLiteral("click"), this, [this](ui::TNotifyUI&) {
            if (repeatInput_) repeatInput_->clear();
        });
    }
}

void COrvaneKeyboardDevice::RefreshPanel() {
    ReloadPanelLists();
    RefreshKeyLabels();
    {
        std::lock_guard lock(model_);
        // The profile keeps the custom colour group the settings name.
        if (!profile_.GetProfilePath().empty() &&
            profile_.GetCustomGroupIndex() != lightInfo_.customGroup) {
            profile_.SetCustomGroupIndex(lightInfo_.customGroup);
            if (!SaveLocked()) DebugLine("the keyboard's profile was not saved");
        }
    }
    ShowSystemControls();
    if (repeatInput_) repeatInput_->clear();
    RefreshLightPanel();
    if (CKeySetControlUI* keys = CKeySetControlUI::Of(this)) keys->Refresh();
}

void COrvaneKeyboardDevice::ShowSystemControls() {
    const KeyboardSystem system = System();
    SetChecked(winLockOption_, system.winLock != 0);
    SetChecked(wKeyOption_, system.wKey != 0);
    SetChecked(sixKeyOption_, system.sixKey != 0);
    if (repeatSlider_) {
        const QSignalBlocker quiet(repeatSlider_.data());
        repeatSlider_->setValue(system.repeatRate);
        repeatSlider_->setToolTip(QString::number(repeatSlider_->value()));
        if (rateLabel_) rateLabel_->setText(QString::number(repeatSlider_->value()));
    }
    const int delay = system.repeatDelay < kChoiceCount ? system.repeatDelay : 0;
    SelectOnly(delayChecks_, delay);
    ShowRepeatDelayLabel(delay);
    SelectOnly(pollingOptions_, system.pollingRate);
    if (repeatInput_) repeatInput_->setPlaceholderText(Text(QStringLiteral("Repeat_input_text")));
}

void COrvaneKeyboardDevice::ShowRepeatDelayLabel(int index) {
    if (!delayLabel_) return;
    if (index < 0 || index >= kChoiceCount) index = 0;
    delayLabel_->setText(Text(QStringLiteral("Repeat_Delay_Time")) +
                         QString::number(index * kDelayStepMs + kDelayStepMs) +
                         QStringLiteral("ms"));
}

// --- what the user changes

void COrvaneKeyboardDevice::OnFlagOption(QAbstractButton*, uint16_t KeyboardSystem::*flag,
                                         bool checked) {
    KeyboardSystem wanted = System();
    wanted.*flag = checked ? 1 : 0;
    ChangeSystem(wanted, true, [](const QString& error) {
        if (!error.isEmpty()) ShowUserMessage(error);
    });
}

void COrvaneKeyboardDevice::OnPollingOption(int index) {
    KeyboardSystem wanted = System();
    wanted.pollingRate = static_cast<uint16_t>(index);
    ChangeSystem(wanted, true, [](const QString& error) {
        if (!error.isEmpty()) ShowUserMessage(error);
    });
}

void COrvaneKeyboardDevice::OnRepeatDelay(int index) {
    KeyboardSystem wanted = System();
    wanted.repeatDelay = static_cast<uint16_t>(index);
    ChangeSystem(wanted, false, [](const QString& error) {
        if (!error.isEmpty()) ShowUserMessage(error);
    });
}

void COrvaneKeyboardDevice::OnRepeatRate(int value) {
    KeyboardSystem wanted = System();
    wanted.repeatRate = static_cast<uint16_t>(std::max(value, 0));
    ChangeSystem(wanted, false, [](const QString& error) {
        if (!error.isEmpty()) ShowUserMessage(error);
    });
}

// --- key names

void COrvaneKeyboardDevice::RefreshKeyLabels() {
    const std::vector<KeyAssignRecord> keys = KeyList();
    QStringList macros;
    {
        std::lock_guard lock(model_);
        macros = macroNames_;
    }
    const Translate translate = [](const QString& key) { return Text(key); };
    for (size_t i = 0; i < keys.size(); ++i) {
        const int key = static_cast<int>(i);
        if (key >= KeyCount() || !KeyButtons()[i]) continue;
        if (const std::optional<QString> label =
                KeyFunctionLabel(keys[i].current, translate, macros))
            ApplyKeyLabel(key, *label);
    }
    // Keys the profile does not list show their own names.
    for (size_t i = keys.size(); i < static_cast<size_t>(KeyCount()); ++i) {
        if (KeyButtons()[i])
            ApplyKeyLabel(static_cast<int>(i), OwnKeyName(static_cast<int>(i), translate));
    }
    ShowRepeatDelayLabel(System().repeatDelay);
    if (repeatInput_) repeatInput_->setPlaceholderText(Text(QStringLiteral("Repeat_input_text")));
}

void COrvaneKeyboardDevice::ApplyKeyLabel(int key, const QString& label) {
    QWidget* widget = KeyButtons()[static_cast<size_t>(key)];
    auto* button = qobject_cast<controls::CDeviceKeyButtonUI*>(widget);
    if (button == nullptr) return;
    const QString own = OwnKeyName(key, [](const QString& k) { return Text(k); });
    const bool unchanged = label.compare(own, Qt::CaseInsensitive) == 0;
    button->setText(label);
    FitText(button);
    button->setProperty("tooltiptitle", own);
    const QString tip = Text(QStringLiteral("Key_Set")) + label;
    button->setProperty("tooltiptext", tip);
    button->setToolTip(own.isEmpty() ? tip : own + QLatin1Char('\n') + tip);
    // The assigned-key mark shows while the key carries another function than its own.
    if (button->KeySetHidden() != unchanged) {
        button->SetKeySetHidden(unchanged);
        button->update();
    }
}

void COrvaneKeyboardDevice::SetFunctionPage(int page) {
    COrvaneUSBDevice::SetFunctionPage(page);
    if (kFunctionKey >= KeyCount()) return;
    QWidget* functionKey = KeyButtons()[kFunctionKey];
    if (functionKey == nullptr) return;
    if (page == 1) functionKey->setEnabled(true);
    if (page == 2) functionKey->setEnabled(false);
}

}  // namespace qx::devices
