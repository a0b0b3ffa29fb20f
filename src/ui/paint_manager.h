// The toolkit side of one window: finds its controls by name, turns the Qt signals and events of
// its controls into named notifications for its receivers, runs per-control timers and holds the
// window's display scale.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "ui/notify.h"

class QTimer;

namespace qx::ui {

class PaintManager : public QObject {
    Q_OBJECT
  public:
    explicit PaintManager(QWidget* window);
    ~PaintManager() override;

    QWidget* Window() const { return window_; }

    // Wires every control below `subtree` (itself included): Qt signals and events become
    // notifications (table below). Call it after a skin was loaded into the window and for every
    // control tree added later (device pages, list entries). Wiring a control twice is harmless.
    //   QAbstractButton clicked          -> "click" (checkable ones also "selectchanged" on toggle;
    //                   checkable buttons with the same "group" property are exclusive)
    //   QComboBox activated              -> "itemselect" (wParam = index)
    //   QAbstractSlider user change      -> "valuechanged" (wParam = value) (keys, wheel, clicks;
    //                   setValue raises nothing), sliderMoved -> "movevaluechanged",
    //                   sliderReleased   -> "valuechanged"
    //   QLineEdit textEdited             -> "textchanged"; returnPressed -> "return"
    //   focus in / out                   -> "setfocus" / "killfocus"
    //   QListWidget itemClicked          -> "itemclick"; itemActivated -> "itemactivate"
    //   mouse enter / leave              -> "msenter" / "msleave" (buttons only)
    void AttachControls(QWidget* subtree);

    // Window-wide lookup by object name (the first in tree order), nullptr when none.
    QWidget* FindControl(const QString& name) const;
    template <class T>
    T* Find(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    // Lookup inside a container (the container itself excluded).
    static QWidget* FindSubControlByName(QWidget* container, const QString& name);

    // A notification reaches only who asked for it:
    //  - OnNotify: the handlers of that control and event type ("" = every type);
    //  - OnNotifyBelow: the handlers of a subtree (a device page, a panel, the window's own
    //    page), for a sender inside it, the nearest subtree first, then the ones around it;
    //  - window-wide observers (AddNotifier), last, in registration order.
    // A subscription ends with its owner or its control; handlers may subscribe and
    // unsubscribe while they run.
    using NotifyHandler = std::function<void(TNotifyUI&)>;
    void OnNotify(QWidget* control, const QString& type, QObject* owner, NotifyHandler handler);
    void OnNotifyBelow(QWidget* subtree, QObject* owner, NotifyHandler handler);
    // Ends every subscription of `owner`.
    void Unsubscribe(QObject* owner);
    // Observers of every notification of the window (recorders, tests). An observer removes
    // itself before it ends.
    void AddNotifier(INotifyUI* receiver);
    void RemoveNotifier(INotifyUI* receiver);
    // Delivers a notification at once, on the calling (UI) thread.
    void SendNotify(QWidget* sender, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

    // Per-control timers: a due timer raises "timer" from the control with wParam = id. Setting
    // an id again restarts it. Timers end with their control.
    bool SetTimer(QWidget* control, int id, int periodMs);
    bool KillTimer(QWidget* control, int id);
    void KillTimers(QWidget* control);
    bool HasTimer(QWidget* control, int id) const;

    // Display scale in dots per inch: 48, 72, 96, 120, 144, 168 or 192 (others are refused).
    int Dpi() const { return dpi_; }
    bool SetDpi(int dpi);

    // The manager of the window that holds `control` (nullptr when none).
    static PaintManager* Of(const QWidget* control);

  private:
    struct TimerKey;
    void Wire(QWidget* control);
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool WindowTornDown();

    struct Subscription {
        QPointer<QObject> owner;
        QString type;  // "" = every type; ignored for subtree subscriptions
        bool subtree = false;
        NotifyHandler handler;
        // Shared by the copies a delivery makes, so an unsubscription takes effect at once.
        std::shared_ptr<bool> active = std::make_shared<bool>(true);
    };
    void Subscribe(QWidget* control, Subscription subscription);
    // Calls the subscriptions of `control` that match; false when none is left.
    void Deliver(QWidget* control, bool subtree, TNotifyUI& msg);

    QPointer<QWidget> window_;
    QHash<QWidget*, std::vector<Subscription>> subscriptions_;
    std::vector<INotifyUI*> notifiers_;
    QHash<QPair<QWidget*, int>, QTimer*> timers_;
    int dpi_ = 96;
    const QMetaObject* windowType_ = nullptr;
};

}  // namespace qx::ui
