// Drives the program's windows by control name, as a user does: a click, a choice in a list, a
// slider dragged, text typed and confirmed, the pointer over a control. The controls raise the
// same Qt signals and events a user's hand raises, so the window hears the same notifications.
//
// Names: "control" is looked for in the active modal window first (a user can reach nothing
// else then), then in the main window, then in the other open windows; "window/control" names
// the window ("MainWnd", "MsgWnd", "menu", ... as Windows() lists them). A name that matches
// several controls means the first in the window's tree order.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace qx::app {

struct DriverError {
    enum Code {
        kUnknownControl,  // no control (or window) of that name
        kRefused,         // the control can't take that action now (hidden, disabled, blocked,
                          // of another kind, value out of its range)
        kFailed,          // the action could not be completed (a file not written)
    };
    Code code = kFailed;
    QString text;
};

// The outcome of a check or an action: no error, or the error.
class DriverResult {
  public:
    DriverResult() = default;
    DriverResult(DriverError::Code code, QString text)
        : failed_(true), error_{code, std::move(text)} {}
    bool Ok() const { return !failed_; }
    const DriverError& Error() const { return error_; }

  private:
    bool failed_ = false;
    DriverError error_;
};

class WindowDriver {
  public:
    // `mainWindow` may be null (only the open windows are searched then).
    explicit WindowDriver(QWidget* mainWindow);

    // Each action has a check that says, without acting, whether the action would be refused;
    // the action itself checks again. The check lets a caller answer before the action runs (an
    // action may open a modal window and return only when it closes).
    DriverResult CheckClick(const QString& name) const;
    DriverResult Click(const QString& name);
    // Combo boxes (the user picks an item of the list) and item views (the user clicks a row).
    DriverResult CheckSelect(const QString& name, int index) const;
    DriverResult Select(const QString& name, int index);
    // Sliders (dragged to the value and released) and spin boxes (the value typed, then Enter).
    DriverResult CheckSetValue(const QString& name, int value) const;
    DriverResult SetValue(const QString& name, int value);
    // Line edits: focus in, the text typed over what was there, Enter, focus out.
    DriverResult CheckSetText(const QString& name, const QString& text) const;
    DriverResult SetText(const QString& name, const QString& text);
    // The pointer moves onto the control: leave events for what it leaves, enter events for the
    // control and the containers it enters.
    DriverResult CheckHover(const QString& name) const;
    DriverResult Hover(const QString& name);

    // The control as JSON: name, window, class, text, tooltip, accessible_name, checkable,
    // checked, enabled, visible, value, minimum, maximum, items, selected_index (null where the
    // control has no such thing).
    DriverResult State(const QString& name, QString* json) const;
    // The names of the open (shown) windows, the main window first.
    QStringList Windows() const;
    // A PNG picture of a window ("" is the main window, shown or not), written atomically.
    DriverResult Screenshot(const QString& window, const QString& path) const;

  private:
    QList<QWidget*> SearchOrder() const;
    QWidget* FindWindow(const QString& name) const;
    DriverResult Find(const QString& name, QWidget** control) const;
    DriverResult Usable(QWidget* control, const QString& name, bool needEnabled) const;

    QPointer<QWidget> mainWindow_;
    QPointer<QWidget> hovered_;
};

}  // namespace qx::app
