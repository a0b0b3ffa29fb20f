// The headset's sound panel ("Voice6533ControlItem"): equaliser options 1-13 (twelve presets and
// custom), ten band sliders, the custom settings (combo, name field), the microphone and monitor
// options and sliders, It holds no settings: it shows what the headset
// gives it and leaves the user's input to the headset, which subscribes to its controls.
// Controls are looked up by name once. UI thread only.
#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

namespace qx::devices {

class CVoice6533ControlUI : public QObject {
    Q_OBJECT
  public:
    static constexpr int kOptionCount = 13;
    static constexpr int kBandCount = 10;

    explicit CVoice6533ControlUI(QWidget* container, QObject* parent = nullptr);

    QWidget* Container() const { return container_; }
    void SetDeviceKind(int kind) { kind_ = kind; }
    int DeviceKind() const { return kind_; }

    void EnableCustomArea(bool on);
    bool CustomAreaEnabled() const;
    // Selects option t (1-13) alone; any other t leaves none selected. No events are raised.
    void SelectEqOption(int t);
    int SelectedEqOption() const { return eqOption_; }
    void SetBand(int band, int value);
    int GetBand(int band) const;  // -1 when the slider is missing
    void ShowMicrophoneOn(bool on);
    void ShowMonitorOn(bool on);
    bool MicrophoneOn() const;
    bool MonitorOn() const;
    void SetMicLevel(int level);
    int GetMicLevel() const;  // -1 when missing
    void SetMonitorLevel(int level);
    int GetMonitorLevel() const;
    void SetNameText(const QString& text);
    QString GetNameText() const;
    void AddCustomName(const QString& name);
    int SelectedCustomIndex() const;  // -1: none (or no combo)
    int CustomCount() const;
    // Selects item k (-1: none) and clears the name field.
    void SelectCustom(int k);
    void RemoveCustom(int k);
    void RemoveAllCustoms();
    QString CustomName(int k) const;

    // Disables a group of controls with `why` as their tooltip (empty: enabled).
    void SetEqualiserAvailable(bool available, const QString& why);
    void SetMicrophoneAvailable(bool available, const QString& why);
    void SetMonitorAvailable(bool available, const QString& why);

    QAbstractButton* EqOption(int t) const;  // 1-13
    QAbstractSlider* BandSlider(int band) const;
    QAbstractButton* MicOption() const { return micOption_; }
    QAbstractSlider* MicSlider() const { return micSlider_; }
    QAbstractButton* MonitorOption() const { return monitorOption_; }
    QAbstractSlider* MonitorSlider() const { return monitorSlider_; }
    QComboBox* CustomCombo() const { return combo_; }
    QLineEdit* NameEdit() const { return nameEdit_; }
    QAbstractButton* SaveButton() const { return saveButton_; }
    QAbstractButton* DeleteButton() const { return deleteButton_; }

  private:
    QPointer<QWidget> container_;
    int kind_ = 0;
    int eqOption_ = 0;
    bool equaliserAvailable_ = true;
    std::array<QPointer<QAbstractButton>, kOptionCount> options_{};
    std::array<QPointer<QAbstractSlider>, kBandCount> bands_{};
    QPointer<QWidget> customAreaWidget_;
    QPointer<QComboBox> combo_;
    QPointer<QLineEdit> nameEdit_;
    QPointer<QAbstractButton> micOption_, monitorOption_, saveButton_, deleteButton_;
    QPointer<QAbstractSlider> micSlider_, monitorSlider_;
};

}  // namespace qx::devices
