#include "devices/panels/voice6533_control_ui.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWidget>

#include "devices/panels/magic_control_ui.h"
#include "ui/paint_manager.h"

namespace qx::devices {
namespace {

constexpr int kItemHeight = 30;

void SetSlider(QAbstractSlider* slider, int value) {
    if (slider == nullptr) return;
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
}

int SliderValue(const QAbstractSlider* slider) { return slider ? slider->value() : -1; }

void Offer(QWidget* control, bool available, const QString& why) {
    if (control == nullptr) return;
    control->setEnabled(available);
    control->setToolTip(available ? QString() : why);
}

}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* container, QObject* parent)
    : QObject(parent), container_(container) {
    auto find = [container](const QString& name) {
        return ui::PaintManager::FindSubControlByName(container, name);
    };
    auto button = [&find](const QString& name) {
        return qobject_cast<QAbstractButton*>(find(name));
    };
    auto slider = [&find](const QString& name) {
        return qobject_cast<QAbstractSlider*>(find(name));
    };
    for (int t = 1; t <= kOptionCount; ++t)
        options_[static_cast<size_t>(t - 1)] = button(QStringLiteral("6533_eq_option_%1").arg(t));
    for (int b = 0; b < kBandCount; ++b)
        bands_[static_cast<size_t>(b)] = slider(QStringLiteral("6533_eq_hz_slider_%1").arg(b));
    customAreaWidget_ = find(QStringLiteral("custom_eq_option_layout"));
    combo_ = qobject_cast<QComboBox*>(find(QStringLiteral("custom_eq_name_combo")));
    nameEdit_ = qobject_cast<QLineEdit*>(find(QStringLiteral("custom_eq_name_edit")));
    micOption_ = button(QStringLiteral("6533_MicIn_option"));
    micSlider_ = slider(QStringLiteral("6533_MicIn_slider"));
    monitorOption_ = button(QStringLiteral("6533_MicMoniter_option"));
    monitorSlider_ = slider(QStringLiteral("6533_MicMoniter_slider"));
    saveButton_ = button(QStringLiteral("hs_EQ_btn_save"));
    deleteButton_ = button(QStringLiteral("hs_EQ_btn_delete"));
    for (const QPointer<QAbstractSlider>& band : bands_) {
        if (band) band->setRange(-20, 20);
    }
    if (micSlider_) micSlider_->setRange(0, 100);
    if (monitorSlider_) monitorSlider_->setRange(0, 100);
}

void CVoice6533ControlUI::EnableCustomArea(bool on) {
    if (customAreaWidget_) customAreaWidget_->setEnabled(on && equaliserAvailable_);
}

bool CVoice6533ControlUI::CustomAreaEnabled() const {
    return customAreaWidget_ && customAreaWidget_->isEnabled();
}

void CVoice6533ControlUI::SelectEqOption(int t) {
    for (const QPointer<QAbstractButton>& option : options_) SetOptionQuietly(option, false);
    if (t < 1 || t > kOptionCount) {
        eqOption_ = 0;
        return;
    }
    SetOptionQuietly(options_[static_cast<size_t>(t - 1)], true);
    eqOption_ = t;
}

QAbstractButton* CVoice6533ControlUI::EqOption(int t) const {
    if (t < 1 || t > kOptionCount) return nullptr;
    return options_[static_cast<size_t>(t - 1)];
}

QAbstractSlider* CVoice6533ControlUI::BandSlider(int band) const {
    if (band < 0 || band >= kBandCount) return nullptr;
    return bands_[static_cast<size_t>(band)];
}

void CVoice6533ControlUI::SetBand(int band, int value) { SetSlider(BandSlider(band), value); }
int CVoice6533ControlUI::GetBand(int band) const { return SliderValue(BandSlider(band)); }
void CVoice6533ControlUI::ShowMicrophoneOn(bool on) { SetOptionQuietly(micOption_, on); }
void CVoice6533ControlUI::ShowMonitorOn(bool on) { SetOptionQuietly(monitorOption_, on); }
bool CVoice6533ControlUI::MicrophoneOn() const { return micOption_ && micOption_->isChecked(); }
bool CVoice6533ControlUI::MonitorOn() const {
    return monitorOption_ && monitorOption_->isChecked();
}
void CVoice6533ControlUI::SetMicLevel(int level) { SetSlider(micSlider_, level); }
int CVoice6533ControlUI::GetMicLevel() const { return SliderValue(micSlider_); }
void CVoice6533ControlUI::SetMonitorLevel(int level) { SetSlider(monitorSlider_, level); }
int CVoice6533ControlUI::GetMonitorLevel() const { return SliderValue(monitorSlider_); }

void CVoice6533ControlUI::SetNameText(const QString& text) {
    if (nameEdit_) nameEdit_->setText(text);
}

QString CVoice6533ControlUI::GetNameText() const {
    return nameEdit_ ? nameEdit_->text() : QString();
}

void CVoice6533ControlUI::AddCustomName(const QString& name) {
    if (!combo_) return;
    const QSignalBlocker quiet(combo_.data());
    combo_->addItem(name, name);
    combo_->setItemData(combo_->count() - 1, QSize(0, kItemHeight), Qt::SizeHintRole);
}

int CVoice6533ControlUI::SelectedCustomIndex() const {
    return combo_ ? combo_->currentIndex() : -1;
}

int CVoice6533ControlUI::CustomCount() const { return combo_ ? combo_->count() : 0; }

void CVoice6533ControlUI::SelectCustom(int k) {
    if (combo_) {
        const QSignalBlocker quiet(combo_.data());
        combo_->setCurrentIndex(k >= 0 && k < combo_->count() ? k : -1);
    }
    SetNameText(QString());
}

void CVoice6533ControlUI::RemoveCustom(int k) {
    if (!combo_ || k < 0 || k >= combo_->count()) return;
    const QSignalBlocker quiet(combo_.data());
    combo_->removeItem(k);
}

void CVoice6533ControlUI::RemoveAllCustoms() {
    if (!combo_) return;
    const QSignalBlocker quiet(combo_.data());
    combo_->clear();
}

QString CVoice6533ControlUI::CustomName(int k) const {
    if (!combo_ || k < 0 || k >= combo_->count()) return QString();
    return combo_->itemText(k);
}

void CVoice6533ControlUI::SetEqualiserAvailable(bool available, const QString& why) {
    equaliserAvailable_ = available;
    for (const QPointer<QAbstractButton>& option : options_) Offer(option, available, why);
    for (const QPointer<QAbstractSlider>& band : bands_) Offer(band, available, why);
    Offer(saveButton_, available, why);
    Offer(deleteButton_, available, why);
    if (customAreaWidget_) customAreaWidget_->setToolTip(available ? QString() : why);
    EnableCustomArea(eqOption_ == kOptionCount);
}

void CVoice6533ControlUI::SetMicrophoneAvailable(bool available, const QString& why) {
    Offer(micOption_, available, why);
    Offer(micSlider_, available, why);
}

void CVoice6533ControlUI::SetMonitorAvailable(bool available, const QString& why) {
    Offer(monitorOption_, available, why);
    Offer(monitorSlider_, available, why);
}

}  // namespace qx::devices
