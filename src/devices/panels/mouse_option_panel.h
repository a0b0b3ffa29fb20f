// The mouse's pointer options: pointer speed, pointer precision, wheel lines or a page at a
// time, double-click speed. They are kept in the profile and, where the desktop has the
// setting, applied through the desktop's own settings; a setting the desktop lacks stays in the
// profile and its control says so.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/pointer_settings.h"

class QAbstractButton;
class QAbstractSlider;
class QLabel;
class QWidget;

namespace qx::devices {

class COrvaneMouseDevice;
struct MouseSettings;

class CMouseOptionPanel : public QObject {
    Q_OBJECT
  public:
    using Factory = std::function<std::unique_ptr<platform::PointerSettings>()>;
    // Where the panels get the desktop's settings from (tests give an in-memory store); an
    // empty factory restores the running desktop's.
    static void SetSettingsFactory(Factory factory);

    CMouseOptionPanel(COrvaneMouseDevice& mouse, QWidget* page);
    ~CMouseOptionPanel() override;

    void Show(const MouseSettings& settings);
    platform::PointerSettings* Desktop() const { return desktop_.get(); }

    // The system values of the slider positions.
    static int SystemSpeed(int position);
    static int SystemWheelLines(int position, bool page);
    static int SystemDoubleClickMs(int position, int maximum);

  private:
    void Subscribe();
    void ShowSupport();
    void Store(std::function<void(MouseSettings&)> edit);
    void Apply(bool ok, const std::string& error);
    void OnSpeed(int position);
    void OnPrecision(bool on);
    void OnPage(bool page);
    void OnLines(int position);
    void OnDoubleClick(int position);

    COrvaneMouseDevice& mouse_;
    std::unique_ptr<platform::PointerSettings> desktop_;
    QPointer<QAbstractSlider> speed_;
    QPointer<QAbstractButton> precision_;
    QPointer<QAbstractButton> page_;
    QPointer<QAbstractSlider> lines_;
    QPointer<QAbstractSlider> doubleClick_;
    QPointer<QLabel> note_;
};

}  // namespace qx::devices
