#include "devices/panels/magic_control_ui.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSignalBlocker>
#include <QWidget>

#include "ui/paint_manager.h"

namespace qx::devices {

void SetOptionQuietly(QAbstractButton* option, bool checked) {
    if (option == nullptr) return;
    const QSignalBlocker quiet(option);
    QButtonGroup* group = option->group();
    // An exclusive group keeps one option checked: clearing the last one needs it lifted.
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && !checked) group->setExclusive(false);
    option->setChecked(checked);
    if (exclusive && !checked) group->setExclusive(true);
}

CMagicControlUI::CMagicControlUI(QWidget* container, QObject* parent)
    : QObject(parent), container_(container) {
    auto find = [container](const QString& name) {
        return ui::PaintManager::FindSubControlByName(container, name);
    };
    enable_ = qobject_cast<QAbstractButton*>(find(QStringLiteral("magic_enable_option")));
    types_ = find(QStringLiteral("magic_option_layout"));
    for (int n = 1; n <= kTypeCount; ++n)
        options_[static_cast<size_t>(n - 1)] =
            qobject_cast<QAbstractButton*>(find(QStringLiteral("magic_option_%1").arg(n)));
}

void CMagicControlUI::EnableTypes(bool on) {
    if (types_) types_->setEnabled(on && available_);
}

void CMagicControlUI::ShowVoiceChanger(bool on) {
    SetOptionQuietly(enable_, on);
    EnableTypes(on);
}

bool CMagicControlUI::VoiceChangerOn() const { return enable_ && enable_->isChecked(); }

void CMagicControlUI::SelectType(int n) {
    for (const QPointer<QAbstractButton>& option : options_) SetOptionQuietly(option, false);
    if (n < 1 || n > kTypeCount) {
        type_ = 0;
        return;
    }
    SetOptionQuietly(options_[static_cast<size_t>(n - 1)], true);
    type_ = n;
}

void CMagicControlUI::SetAvailable(bool available, const QString& why) {
    available_ = available;
    if (enable_) {
        enable_->setEnabled(available);
        enable_->setToolTip(available ? QString() : why);
    }
    if (types_) types_->setToolTip(available ? QString() : why);
    EnableTypes(VoiceChangerOn());
}

QAbstractButton* CMagicControlUI::TypeOption(int n) const {
    if (n < 1 || n > kTypeCount) return nullptr;
    return options_[static_cast<size_t>(n - 1)];
}

}  // namespace qx::devices
