// The mouse's DPI page: five stages (enabled, value as slider steps and as DPI, colour, the
// active one), the polling rate and the choice of the settings page. What the user changes goes
// into the profile and then to the mouse; what the mouse and its profile hold is shown by Show.
#pragma once

#include <QObject>
#include <QPointer>
#include <array>

#include "devices/mouse/mouse_block.h"

class QAbstractButton;
class QAbstractSlider;
class QLineEdit;
class QStackedWidget;
class QWidget;

namespace qx::devices {

class COrvaneMouseDevice;
struct MouseSettings;

class CDpiPanel : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPollingOptions = 5;
    static constexpr int kSettingPages = 4;

    CDpiPanel(COrvaneMouseDevice& mouse, QWidget* page);

    // Slider and edit ranges from the sensor's scale (after the identity was read).
    void SetRanges(const DpiScale& scale);
    // Shows the stages, the active stage and the polling rate of `settings`.
    void Show(const MouseSettings& settings);
    // The page of the settings layout (an index out of range shows page 0).
    void ShowPage(int index);
    // The colour buttons take input only while a colour picker is there.
    void UpdateColourButtons();

    // Controls by stage (nullptr where the skin lacks one); for tests and the bus.
    QAbstractSlider* Slider(int stage) const;
    QLineEdit* Edit(int stage) const;
    QAbstractButton* EnableCheck(int stage) const;
    QAbstractButton* SelectCheck(int stage) const;
    QAbstractButton* ColourButton(int stage) const;
    QAbstractButton* PollingOption(int index) const;
    bool PickerOpen() const { return pickerOpen_; }

  private:
    struct Row {
        QPointer<QWidget> layout;
        QPointer<QAbstractButton> enable;
        QPointer<QAbstractButton> select;
        QPointer<QAbstractSlider> slider;
        QPointer<QLineEdit> edit;
        QPointer<QAbstractButton> colour;
    };

    void Subscribe();
    void ShowStageValue(int stage, int steps, int activeStage);
    void ShowStageEnable(int stage, bool enabled);
    void ShowStageColour(int stage, uint8_t red, uint8_t green, uint8_t blue);
    void ShowPolling(int index);
    void ShowActive(int stage);

    void OnSliderValue(int stage, int steps);
    void OnEditDone(int stage);
    void OnEnable(int stage, bool enabled);
    void OnSelect(int stage);
    void OnColour(int stage);
    void OnPolling(int index);
    void Change(std::function<void(MouseSettings&)> edit);

    COrvaneMouseDevice& mouse_;
    QPointer<QWidget> page_;
    std::array<Row, kMouseStageCount> rows_;
    std::array<QPointer<QAbstractButton>, kPollingOptions> polling_{};
    std::array<QPointer<QAbstractButton>, kSettingPages> pageOptions_{};
    QPointer<QStackedWidget> pages_;
    DpiScale scale_;
    int activeStage_ = 0;
    bool pickerOpen_ = false;
};

}  // namespace qx::devices
