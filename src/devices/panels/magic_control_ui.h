// The headset's voice changer panel ("MagicControlItem"): the on/off option and the four voice
// types, enabled only while the voice changer is on. It shows what the headset gives it; the
// headset subscribes to its controls. UI thread only.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

namespace qx::devices {

class CMagicControlUI : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTypeCount = 4;

    explicit CMagicControlUI(QWidget* container, QObject* parent = nullptr);

    QWidget* Container() const { return container_; }
    void SetDeviceKind(int kind) { kind_ = kind; }
    int DeviceKind() const { return kind_; }

    void EnableTypes(bool on);
    // Selects the enable option to `on` (no event) and enables the types with it.
    void ShowVoiceChanger(bool on);
    bool VoiceChangerOn() const;  // 0 when the option is missing
    // Selects type n (1-4) alone; any other n leaves none selected.
    void SelectType(int n);
    int SelectedType() const { return type_; }
    // Disables the whole panel with `why` as tooltip (empty: enabled).
    void SetAvailable(bool available, const QString& why);

    QAbstractButton* EnableOption() const { return enable_; }
    QAbstractButton* TypeOption(int n) const;  // 1-4

  private:
    QPointer<QWidget> container_;
    int kind_ = 0;
    int type_ = 0;
    bool available_ = true;
    QPointer<QAbstractButton> enable_;
    QPointer<QWidget> types_;
    std::array<QPointer<QAbstractButton>, kTypeCount> options_{};
};

// Checks or clears `option` without raising its events; clearing works in an exclusive group.
void SetOptionQuietly(QAbstractButton* option, bool checked);

}  // namespace qx::devices
