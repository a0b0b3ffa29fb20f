#include "app/automation_driver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QSaveFile>
#include <QValidator>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "core/diagnostics.h"
#include "ui/resource_manager.h"

namespace qx::app {
namespace {

QString Quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString ClassOf(const QWidget* w) { return QString::fromLatin1(w->metaObject()->className()); }

bool IsNamedWindow(const QWidget* w) {
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// "NAME[N]" picks the N-th (from 0) shown control of that name: the device list's entries, for
// one, all share their name. The name without the brackets, and N (-1 when there are none).
std::pair<QString, int> SplitIndex(const QString& name) {
    if (!name.endsWith(QLatin1Char(']'))) return {name, -1};
    const qsizetype open = name.lastIndexOf(QLatin1Char('['));
    if (open <= 0) return {name, -1};
    bool ok = false;
    const int index = name.mid(open + 1, name.size() - open - 2).toInt(&ok);
    // Anything else in the brackets is left in the name, which then matches nothing.
    if (!ok || index < 0) return {name, -1};
    return {name.left(open), index};
}

// The shown controls of `window` named `name`, as a user reads them: top to bottom, then left
// to right (tree order is the order they were made in, which the user does not see).
QList<QWidget*> ShownInReadingOrder(QWidget* window, const QString& name) {
    QList<QWidget*> shown;
    for (QWidget* candidate : window->findChildren<QWidget*>(name))
        if (candidate->isVisible()) shown.append(candidate);
    std::stable_sort(shown.begin(), shown.end(), [window](QWidget* a, QWidget* b) {
        const QPoint pa = a->mapTo(window, QPoint(0, 0));
        const QPoint pb = b->mapTo(window, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return shown;
}

// True when `window` is the modal window or one opened over it (a user can reach those).
bool ReachableUnder(const QWidget* window, const QWidget* modal) {
    for (const QWidget* w = window; w != nullptr; w = w->parentWidget()) {
        if (w == modal) return true;
    }
    return false;
}

// Spin boxes of any number type: their range and value as numbers.
double SpinNumber(const QAbstractSpinBox* spin, const char* property) {
    return spin->property(property).toDouble();
}

// Keys as the keyboard sends them: each character pressed and released.
void Type(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
        QCoreApplication::sendEvent(target, &release);
        i += length;
    }
}

void PressReturn(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(target, &release);
}

// Focus as a click gives it: through Qt when the window is active (so the control that had it
// loses it), else the control alone hears it come and go.
void FocusIn(QWidget* control) {
    if (control->window()->isActiveWindow()) {
        control->setFocus(Qt::MouseFocusReason);
        if (QApplication::focusWidget() == control) return;
    }
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(control, &in);
}

void FocusOut(QWidget* control) {
    if (QApplication::focusWidget() == control) {
        control->clearFocus();
        return;
    }
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(control, &out);
}

// The control and its containers, from its window down to it.
QList<QWidget*> Ancestry(QWidget* control) {
    QList<QWidget*> chain;
    for (QWidget* w = control; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget())
        chain.prepend(w);
    return chain;
}

bool HasPrintableTextOnly(const QString& text) {
    for (const QChar c : text) {
        if (!c.isPrint() && !c.isSurrogate()) return false;
    }
    return true;
}

}  // namespace

WindowDriver::WindowDriver(QWidget* mainWindow) : mainWindow_(mainWindow) {}

QList<QWidget*> WindowDriver::SearchOrder() const {
    QList<QWidget*> order;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) order.append(modal);
    if (!mainWindow_.isNull() && !order.contains(mainWindow_.data()))
        order.append(mainWindow_.data());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && IsNamedWindow(window) && !order.contains(window))
            order.append(window);
    }
    return order;
}

QWidget* WindowDriver::FindWindow(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    if (!mainWindow_.isNull() && mainWindow_->objectName() == name) return mainWindow_.data();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->objectName() == name) return window;
    }
    return nullptr;
}

DriverResult WindowDriver::Find(const QString& name, QWidget** control) const {
    *control = nullptr;
    if (name.isEmpty()) return {DriverError::kUnknownControl, QStringLiteral("no control name")};
    QList<QWidget*> windows;
    QString controlName = name;
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        const QString windowName = name.left(slash);
        controlName = name.mid(slash + 1);
        QWidget* window = FindWindow(windowName);
        if (window == nullptr)
            return {DriverError::kUnknownControl,
                    QStringLiteral("no open window named %1").arg(Quoted(windowName))};
        windows.append(window);
    } else {
        windows = SearchOrder();
    }
    const auto [bareName, index] = SplitIndex(controlName);
    if (index >= 0) {
        for (QWidget* window : windows) {
            const QList<QWidget*> shown = ShownInReadingOrder(window, bareName);
            if (shown.isEmpty()) continue;
            if (index < shown.size()) {
                *control = shown[index];
                return {};
            }
            const QString count = shown.size() == 1
                                      ? QStringLiteral("1 shown control is")
                                      : QStringLiteral("%1 shown controls are").arg(shown.size());
            return {DriverError::kUnknownControl,
                    QStringLiteral("%1 named %2: %3 is not one of them")
                        .arg(count, Quoted(bareName), Quoted(name))};
        }
        return {
            DriverError::kUnknownControl,
            QStringLiteral("no shown control named %1 in the open windows").arg(Quoted(bareName))};
    }
    if (!controlName.isEmpty()) {
        for (QWidget* window : windows) {
            if (window->objectName() == controlName) {
                *control = window;
                return {};
            }
            // Every device page has its own "device_profile_combo", "default_btn", ...: the
            // one a user sees is meant (the shown page's), else the first in tree order.
            const QList<QWidget*> found = window->findChildren<QWidget*>(controlName);
            for (QWidget* candidate : found) {
                if (candidate->isVisible()) {
                    *control = candidate;
                    return {};
                }
            }
            if (!found.isEmpty()) {
                *control = found.front();
                return {};
            }
        }
    }
    return {DriverError::kUnknownControl,
            QStringLiteral("no control named %1 in the open windows").arg(Quoted(name))};
}

DriverResult WindowDriver::Usable(QWidget* control, const QString& name, bool needEnabled) const {
    if (!control->isVisible())
        return {DriverError::kRefused, QStringLiteral("%1 is not visible").arg(Quoted(name))};
    if (needEnabled && !control->isEnabled())
        return {DriverError::kRefused, QStringLiteral("%1 is disabled").arg(Quoted(name))};
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && !ReachableUnder(control->window(), modal))
        return {DriverError::kRefused, QStringLiteral("%1 is behind the modal window %2")
                                           .arg(Quoted(name), Quoted(modal->objectName()))};
    return {};
}

// --- click

DriverResult WindowDriver::CheckClick(const QString& name) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    return Usable(control, name, true);
}

DriverResult WindowDriver::Click(const QString& name) {
    DriverResult check = CheckClick(name);
    if (!check.Ok()) return check;
    QWidget* control = nullptr;
    Find(name, &control);
    DebugLine("automation: click " + name.toStdString());
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->click();
        return {};
    }
    // Any other control gets the left button pressed and released at its centre.
    const QPointF local = QRectF(control->rect()).center();
    const QPointF scene = control->mapTo(control->window(), local);
    const QPointF global = control->mapToGlobal(local);
    QPointer<QWidget> guard(control);
    QMouseEvent press(QEvent::MouseButtonPress, local, scene, global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    if (guard.isNull()) return {};
    QMouseEvent release(QEvent::MouseButtonRelease, local, scene, global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &release);
    return {};
}

// --- select

DriverResult WindowDriver::CheckSelect(const QString& name, int index) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    DriverResult usable = Usable(control, name, true);
    if (!usable.Ok()) return usable;
    int count = -1;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        count = combo->count();
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        count = view->model() != nullptr ? view->model()->rowCount(view->rootIndex()) : 0;
    } else {
        return {DriverError::kRefused, QStringLiteral("%1 is a %2: it has no items to select")
                                           .arg(Quoted(name), ClassOf(control))};
    }
    if (count == 0)
        return {DriverError::kRefused, QStringLiteral("%1 has no items").arg(Quoted(name))};
    if (index < 0 || index >= count)
        return {DriverError::kRefused, QStringLiteral("%1 has items 0 to %2, not %3")
                                           .arg(Quoted(name))
                                           .arg(count - 1)
                                           .arg(index)};
    return {};
}

DriverResult WindowDriver::Select(const QString& name, int index) {
    DriverResult check = CheckSelect(name, index);
    if (!check.Ok()) return check;
    QWidget* control = nullptr;
    Find(name, &control);
    DebugLine("automation: select " + name.toStdString() + " " + std::to_string(index));
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // What the combo does when the user picks an item of its list.
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        emit combo->textActivated(combo->itemText(index));
        return {};
    }
    auto* view = qobject_cast<QAbstractItemView*>(control);
    const QModelIndex item = view->model()->index(index, 0, view->rootIndex());
    // What the view does when the user clicks the row.
    view->setCurrentIndex(item);
    emit view->pressed(item);
    emit view->clicked(item);
    return {};
}

// --- value

DriverResult WindowDriver::CheckSetValue(const QString& name, int value) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    DriverResult usable = Usable(control, name, true);
    if (!usable.Ok()) return usable;
    double minimum = 0;
    double maximum = 0;
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        minimum = slider->minimum();
        maximum = slider->maximum();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control);
               spin != nullptr && spin->property("value").isValid()) {
        if (spin->isReadOnly())
            return {DriverError::kRefused, QStringLiteral("%1 is read-only").arg(Quoted(name))};
        minimum = SpinNumber(spin, "minimum");
        maximum = SpinNumber(spin, "maximum");
    } else {
        return {
            DriverError::kRefused,
            QStringLiteral("%1 is a %2: it takes no value").arg(Quoted(name), ClassOf(control))};
    }
    if (value < minimum || value > maximum)
        return {DriverError::kRefused, QStringLiteral("%1 takes %2 to %3, not %4")
                                           .arg(Quoted(name))
                                           .arg(minimum)
                                           .arg(maximum)
                                           .arg(value)};
    return {};
}

DriverResult WindowDriver::SetValue(const QString& name, int value) {
    DriverResult check = CheckSetValue(name, value);
    if (!check.Ok()) return check;
    QWidget* control = nullptr;
    Find(name, &control);
    DebugLine("automation: value " + name.toStdString() + " " + std::to_string(value));
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        // A drag of the handle: pressed, moved to the value, released.
        slider->setSliderDown(true);
        slider->setSliderPosition(value);
        slider->setSliderDown(false);
        return {};
    }
    auto* spin = qobject_cast<QAbstractSpinBox*>(control);
    QPointer<QWidget> guard(spin);
    FocusIn(spin);
    if (guard.isNull()) return {};
    spin->selectAll();
    Type(spin, spin->locale().toString(value));
    PressReturn(spin);
    if (!guard.isNull()) FocusOut(spin);
    return {};
}

// --- text

DriverResult WindowDriver::CheckSetText(const QString& name, const QString& text) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    DriverResult usable = Usable(control, name, true);
    if (!usable.Ok()) return usable;
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr)
        return {DriverError::kRefused, QStringLiteral("%1 is a %2: it takes no typed text")
                                           .arg(Quoted(name), ClassOf(control))};
    if (edit->isReadOnly())
        return {DriverError::kRefused, QStringLiteral("%1 is read-only").arg(Quoted(name))};
    if (!HasPrintableTextOnly(text))
        return {DriverError::kRefused,
                QStringLiteral("the text for %1 holds characters that can't be typed into a line")
                    .arg(Quoted(name))};
    if (text.size() > edit->maxLength())
        return {DriverError::kRefused, QStringLiteral("%1 takes at most %2 characters")
                                           .arg(Quoted(name))
                                           .arg(edit->maxLength())};
    if (const QValidator* validator = edit->validator()) {
        QString copy = text;
        int position = int(copy.size());
        if (validator->validate(copy, position) == QValidator::Invalid)
            return {DriverError::kRefused,
                    QStringLiteral("%1 refuses the text %2").arg(Quoted(name), Quoted(text))};
    }
    if (!edit->inputMask().isEmpty())
        return {
            DriverError::kRefused,
            QStringLiteral("%1 has an input mask; typing into it is not driven").arg(Quoted(name))};
    return {};
}

DriverResult WindowDriver::SetText(const QString& name, const QString& text) {
    DriverResult check = CheckSetText(name, text);
    if (!check.Ok()) return check;
    QWidget* control = nullptr;
    Find(name, &control);
    auto* edit = qobject_cast<QLineEdit*>(control);
    DebugLine("automation: text " + name.toStdString());
    QPointer<QLineEdit> guard(edit);
    FocusIn(edit);
    if (guard.isNull()) return {};
    edit->selectAll();
    if (text.isEmpty()) {
        // Clearing takes a key of its own.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
    } else {
        Type(edit, text);
    }
    if (guard.isNull()) return {};
    PressReturn(edit);
    if (guard.isNull()) return {};
    FocusOut(edit);
    return {};
}

// --- hover

DriverResult WindowDriver::CheckHover(const QString& name) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    return Usable(control, name, false);
}

DriverResult WindowDriver::Hover(const QString& name) {
    DriverResult check = CheckHover(name);
    if (!check.Ok()) return check;
    QWidget* control = nullptr;
    Find(name, &control);
    DebugLine("automation: hover " + name.toStdString());
    const QList<QWidget*> before = hovered_.isNull() ? QList<QWidget*>() : Ancestry(hovered_);
    const QList<QWidget*> after = Ancestry(control);
    QList<QPointer<QWidget>> leaving;
    for (auto it = before.crbegin(); it != before.crend(); ++it) {
        if (!after.contains(*it)) leaving.append(*it);
    }
    QList<QPointer<QWidget>> entering;
    for (QWidget* w : after) {
        if (!before.contains(w)) entering.append(w);
    }
    hovered_ = control;
    // The pointer leaves the innermost control first and enters the outermost first.
    for (const QPointer<QWidget>& w : leaving) {
        if (w.isNull()) continue;
        w->setAttribute(Qt::WA_UnderMouse, false);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w.data(), &leave);
        if (!w.isNull()) w->update();
    }
    const QPointF global = control->mapToGlobal(QRectF(control->rect()).center());
    for (const QPointer<QWidget>& w : entering) {
        if (w.isNull()) continue;
        w->setAttribute(Qt::WA_UnderMouse, true);
        QEnterEvent enter(w->mapFromGlobal(global), w->window()->mapFromGlobal(global), global);
        QCoreApplication::sendEvent(w.data(), &enter);
        if (!w.isNull()) w->update();
    }
    return {};
}

// --- looking

DriverResult WindowDriver::State(const QString& name, QString* json) const {
    QWidget* control = nullptr;
    DriverResult found = Find(name, &control);
    if (!found.Ok()) return found;
    QJsonObject state;
    state.insert("name", control->objectName());
    state.insert("window", control->window()->objectName());
    state.insert("class", ClassOf(control));
    auto* combo = qobject_cast<QComboBox*>(control);
    state.insert("text", combo != nullptr ? combo->currentText() : ui::ControlText(control));
    state.insert("tooltip", control->toolTip());
    state.insert("accessible_name", control->accessibleName());
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        state.insert("checkable", button->isCheckable());
        state.insert("checked", button->isChecked());
    } else {
        state.insert("checkable", QJsonValue::Null);
        state.insert("checked", QJsonValue::Null);
    }
    state.insert("enabled", control->isEnabled());
    state.insert("visible", control->isVisible());

    QJsonValue value = QJsonValue::Null;
    QJsonValue minimum = QJsonValue::Null;
    QJsonValue maximum = QJsonValue::Null;
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        value = slider->value();
        minimum = slider->minimum();
        maximum = slider->maximum();
    } else if (auto* bar = qobject_cast<QProgressBar*>(control)) {
        value = bar->value();
        minimum = bar->minimum();
        maximum = bar->maximum();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control);
               spin != nullptr && spin->property("value").isValid()) {
        value = SpinNumber(spin, "value");
        minimum = SpinNumber(spin, "minimum");
        maximum = SpinNumber(spin, "maximum");
    }
    state.insert("value", value);
    state.insert("minimum", minimum);
    state.insert("maximum", maximum);

    QJsonValue items = QJsonValue::Null;
    QJsonValue selected = QJsonValue::Null;
    if (combo != nullptr) {
        QJsonArray texts;
        for (int i = 0; i < combo->count(); ++i) texts.append(combo->itemText(i));
        items = texts;
        selected = combo->currentIndex();
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control);
               view != nullptr && view->model() != nullptr) {
        QJsonArray texts;
        const int rows = view->model()->rowCount(view->rootIndex());
        for (int row = 0; row < rows; ++row)
            texts.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
        items = texts;
        selected = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    }
    state.insert("items", items);
    state.insert("selected_index", selected);
    *json = QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
    return {};
}

QStringList WindowDriver::Windows() const {
    QStringList names;
    if (!mainWindow_.isNull() && mainWindow_->isVisible()) names.append(mainWindow_->objectName());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != mainWindow_.data() && window->isVisible() && IsNamedWindow(window))
            names.append(window->objectName());
    }
    return names;
}

DriverResult WindowDriver::Screenshot(const QString& window, const QString& path) const {
    QWidget* target = window.isEmpty() ? mainWindow_.data() : FindWindow(window);
    if (target == nullptr)
        return {DriverError::kUnknownControl,
                QStringLiteral("no open window named %1").arg(Quoted(window))};
    const QPixmap picture = target->grab();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {DriverError::kFailed,
                QStringLiteral("can't write %1: %2").arg(path, file.errorString())};
    if (!picture.save(&file, "PNG")) {
        file.cancelWriting();
        return {DriverError::kFailed, QStringLiteral("can't write %1 as PNG").arg(path)};
    }
    if (!file.commit())
        return {DriverError::kFailed,
                QStringLiteral("can't write %1: %2").arg(path, file.errorString())};
    return {};
}

}  // namespace qx::app
