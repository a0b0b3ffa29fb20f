#include "ui/paint_manager.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace qx::ui {
namespace {

constexpr const char* kWiredBy = "qx_wired_by";
constexpr const char* kGroupProperty = "group";
constexpr const char* kGroupPrefix = "qx_group:";

QHash<const QWidget*, PaintManager*>& Registry() {
    static QHash<const QWidget*, PaintManager*> registry;
    return registry;
}

// Controls without a name of their own (the inner parts of Qt's composite widgets) raise nothing:
// routing goes by name.
bool IsNamedControl(const QWidget* w) {
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

}  // namespace

PaintManager::PaintManager(QWidget* window) : QObject(window), window_(window) {
    if (window != nullptr) Registry().insert(window, this);
}

PaintManager::~PaintManager() {
    // The timers belong to their controls, which may outlive the manager: stop them here.
    const QList<QTimer*> timers = timers_.values();
    timers_.clear();
    qDeleteAll(timers);
    for (auto it = Registry().begin(); it != Registry().end();) {
        if (it.value() == this) {
            it = Registry().erase(it);
        } else {
            ++it;
        }
    }
}

PaintManager* PaintManager::Of(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        auto it = Registry().constFind(w);
        if (it != Registry().constEnd()) return it.value();
    }
    return nullptr;
}

void PaintManager::AttachControls(QWidget* subtree) {
    if (subtree == nullptr) return;
    Wire(subtree);
    const QList<QWidget*> children = subtree->findChildren<QWidget*>();
    for (QWidget* child : children) Wire(child);
}

void PaintManager::Wire(QWidget* control) {
    if (!IsNamedControl(control)) return;
    const auto self = static_cast<qulonglong>(reinterpret_cast<quintptr>(this));
    if (control->property(kWiredBy).toULongLong() == self) return;
    control->setProperty(kWiredBy, self);
    control->installEventFilter(this);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { SendNotify(button, QStringLiteral("click")); });
        if (button->isCheckable()) {
            connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
                SendNotify(button, QStringLiteral("selectchanged"), checked ? 1 : 0);
            });
        }
        const QString group = button->property(kGroupProperty).toString();
        // Only the "group" property makes options exclusive (radio buttons would otherwise be
        // exclusive among their siblings).
        if (group.isEmpty()) button->setAutoExclusive(false);
        if (button->isCheckable() && !group.isEmpty()) {
            const QString groupName = kGroupPrefix + group;
            auto* buttons = findChild<QButtonGroup*>(groupName, Qt::FindDirectChildrenOnly);
            if (buttons == nullptr) {
                buttons = new QButtonGroup(this);
                buttons->setObjectName(groupName);
                buttons->setExclusive(true);
            }
            buttons->addButton(button);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::activated, this, [this, combo](int index) {
            SendNotify(combo, QStringLiteral("itemselect"), index);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        // Only the user's changes are notified: a panel that shows stored values with setValue
        // must not hear them back as new choices. A user action announces itself first.
        auto pending = std::make_shared<bool>(false);
        connect(slider, &QAbstractSlider::actionTriggered, this, [slider, pending](int) {
            *pending = !slider->isSliderDown() && slider->sliderPosition() != slider->value();
        });
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider, pending](int value) {
            if (!*pending) return;
            *pending = false;
            SendNotify(slider, QStringLiteral("valuechanged"), value);
        });
        connect(slider, &QAbstractSlider::sliderMoved, this, [this, slider](int value) {
            SendNotify(slider, QStringLiteral("movevaluechanged"), value);
        });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
            SendNotify(slider, QStringLiteral("valuechanged"), slider->value());
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { SendNotify(edit, QStringLiteral("textchanged")); });
        connect(edit, &QLineEdit::returnPressed, this,
                [this, edit] { SendNotify(edit, QStringLiteral("return")); });
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        connect(view, &QAbstractItemView::clicked, this, [this, view](const QModelIndex& index) {
            SendNotify(view, QStringLiteral("itemclick"), index.row());
        });
        connect(view, &QAbstractItemView::activated, this, [this, view](const QModelIndex& index) {
            SendNotify(view, QStringLiteral("itemactivate"), index.row());
        });
    }
}

bool PaintManager::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control != nullptr) {
        switch (event->type()) {
            case QEvent::FocusIn:
                SendNotify(control, QStringLiteral("setfocus"));
                break;
            case QEvent::FocusOut:
                SendNotify(control, QStringLiteral("killfocus"));
                break;
            case QEvent::Enter:
                if (qobject_cast<QAbstractButton*>(control) != nullptr)
                    SendNotify(control, QStringLiteral("msenter"));
                break;
            case QEvent::Leave:
                if (qobject_cast<QAbstractButton*>(control) != nullptr)
                    SendNotify(control, QStringLiteral("msleave"));
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

QWidget* PaintManager::FindControl(const QString& name) const {
    if (window_.isNull() || name.isEmpty()) return nullptr;
    if (window_->objectName() == name) return window_.data();
    return window_->findChild<QWidget*>(name);
}

QWidget* PaintManager::FindSubControlByName(QWidget* container, const QString& name) {
    if (container == nullptr || name.isEmpty()) return nullptr;
    return container->findChild<QWidget*>(name);
}

void PaintManager::Subscribe(QWidget* control, Subscription subscription) {
    if (control == nullptr || subscription.owner.isNull() || !subscription.handler) return;
    auto found = subscriptions_.find(control);
    if (found != subscriptions_.end()) {
        // Subscriptions whose owner left are dropped as new ones come.
        std::erase_if(found.value(), [](const Subscription& old) { return old.owner.isNull(); });
    } else {
        found = subscriptions_.insert(control, {});
        connect(control, &QObject::destroyed, this,
                [this, control] { subscriptions_.remove(control); });
    }
    found->push_back(std::move(subscription));
}

void PaintManager::OnNotify(QWidget* control, const QString& type, QObject* owner,
                            NotifyHandler handler) {
    Subscribe(control, {owner, type, false, std::move(handler)});
}

void PaintManager::OnNotifyBelow(QWidget* subtree, QObject* owner, NotifyHandler handler) {
    Subscribe(subtree, {owner, QString(), true, std::move(handler)});
}

void PaintManager::Unsubscribe(QObject* owner) {
    for (auto it = subscriptions_.begin(); it != subscriptions_.end(); ++it) {
        std::vector<Subscription>& list = it.value();
        for (Subscription& subscription : list) {
            if (subscription.owner == owner) {
                *subscription.active = false;
                subscription.owner = nullptr;
            }
        }
    }
}

void PaintManager::Deliver(QWidget* control, bool subtree, TNotifyUI& msg) {
    const auto found = subscriptions_.constFind(control);
    if (found == subscriptions_.constEnd()) return;
    // Handlers may change the subscriptions: the matching ones are copied first.
    std::vector<Subscription> matching;
    for (const Subscription& subscription : found.value()) {
        if (subscription.owner.isNull() || subscription.subtree != subtree) continue;
        if (!subtree && !subscription.type.isEmpty() && subscription.type != msg.type) continue;
        matching.push_back(subscription);
    }
    for (const Subscription& subscription : matching) {
        if (*subscription.active && !subscription.owner.isNull()) subscription.handler(msg);
    }
}

void PaintManager::AddNotifier(INotifyUI* receiver) {
    if (receiver == nullptr) return;
    if (std::find(notifiers_.begin(), notifiers_.end(), receiver) != notifiers_.end()) return;
    notifiers_.push_back(receiver);
}

void PaintManager::RemoveNotifier(INotifyUI* receiver) {
    notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), receiver), notifiers_.end());
}

void PaintManager::SendNotify(QWidget* sender, const QString& type, qintptr wParam,
                              qintptr lParam) {
    if (WindowTornDown()) return;
    TNotifyUI msg;
    msg.type = type;
    msg.sender = sender;
    msg.senderName = sender != nullptr ? sender->objectName() : QString();
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (sender != nullptr) {
        Deliver(sender, false, msg);
        // The subtrees around the sender, nearest first (the sender itself may head one).
        std::vector<QPointer<QWidget>> chain;
        for (QWidget* walk = sender; walk != nullptr; walk = walk->parentWidget())
            chain.emplace_back(walk);
        for (const QPointer<QWidget>& level : chain) {
            if (!level.isNull()) Deliver(level, true, msg);
        }
        if (WindowTornDown()) return;
    }
    // An observer may add or remove observers while it handles the notification.
    const std::vector<INotifyUI*> receivers = notifiers_;
    for (INotifyUI* receiver : receivers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), receiver) == notifiers_.end()) continue;
        receiver->Notify(msg);
    }
}

// Tearing a window down still moves the focus (and so raises "killfocus") after the window's own
// class is gone; a window that is its own receiver must not be called then. While the window is
// built its class gets more derived, while it is torn down less: the latter stops delivery.
bool PaintManager::WindowTornDown() {
    if (window_.isNull()) return true;
    const QMetaObject* type = window_->metaObject();
    if (windowType_ == nullptr || type->inherits(windowType_)) {
        windowType_ = type;
        return false;
    }
    return true;
}

bool PaintManager::SetTimer(QWidget* control, int id, int periodMs) {
    if (control == nullptr || periodMs < 0) return false;
    const QPair<QWidget*, int> key(control, id);
    QTimer* timer = timers_.value(key, nullptr);
    if (timer == nullptr) {
        // The timer is a child of its control, so it ends with it.
        timer = new QTimer(control);
        timers_.insert(key, timer);
        QPointer<QWidget> guard(control);
        connect(timer, &QTimer::timeout, this, [this, guard, id] {
            if (!guard.isNull()) SendNotify(guard.data(), QStringLiteral("timer"), id);
        });
        connect(timer, &QObject::destroyed, this, [this, key, timer] {
            auto it = timers_.find(key);
            if (it != timers_.end() && it.value() == timer) timers_.erase(it);
        });
    }
    timer->start(periodMs);
    return true;
}

bool PaintManager::KillTimer(QWidget* control, int id) {
    auto it = timers_.find(QPair<QWidget*, int>(control, id));
    if (it == timers_.end()) return false;
    QTimer* timer = it.value();
    timers_.erase(it);
    timer->stop();
    // The timer may be the one whose notification is running now.
    timer->deleteLater();
    return true;
}

void PaintManager::KillTimers(QWidget* control) {
    QList<int> ids;
    for (auto it = timers_.cbegin(); it != timers_.cend(); ++it) {
        if (it.key().first == control) ids.append(it.key().second);
    }
    for (int id : ids) KillTimer(control, id);
}

bool PaintManager::HasTimer(QWidget* control, int id) const {
    return timers_.contains(QPair<QWidget*, int>(control, id));
}

bool PaintManager::SetDpi(int dpi) {
    static constexpr int kAllowed[] = {48, 72, 96, 120, 144, 168, 192};
    if (std::find(std::begin(kAllowed), std::end(kAllowed), dpi) == std::end(kAllowed))
        return false;
    dpi_ = dpi;
    return true;
}

}  // namespace qx::ui
