// A managed window for the controls under test, a notification recorder and mouse helpers.
#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/paint_manager.h"

namespace qx::controls::test {

struct Seen {
    QString type;
    QString sender;
    qintptr wParam = 0;
    qintptr lParam = 0;
    bool operator==(const Seen&) const = default;
};

class Harness : public ui::INotifyUI {
  public:
    Harness() : window(std::make_unique<QWidget>()), manager(new ui::PaintManager(window.get())) {
        window->resize(600, 400);
        manager->AddNotifier(this);
    }
    ~Harness() override { manager->RemoveNotifier(this); }
    void Notify(ui::TNotifyUI& msg) override {
        seen.push_back({msg.type, msg.senderName, msg.wParam, msg.lParam});
    }
    std::vector<Seen> Of(const QString& type) const {
        std::vector<Seen> out;
        for (const Seen& s : seen)
            if (s.type == type) out.push_back(s);
        return out;
    }
    template <class T>
    T* Add(const QString& name, const QRect& geometry) {
        auto* control = new T(window.get());
        control->setObjectName(name);
        control->setGeometry(geometry);
        return control;
    }

    std::unique_ptr<QWidget> window;
    ui::PaintManager* manager;
    std::vector<Seen> seen;
};

inline void Mouse(QWidget* target, QEvent::Type type, QPoint at,
                  Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QApplication::sendEvent(target, &event);
}

inline void Drag(QWidget* target, QPoint from, QPoint to) {
    Mouse(target, QEvent::MouseButtonPress, from);
    Mouse(target, QEvent::MouseMove, (from + to) / 2);
    Mouse(target, QEvent::MouseMove, to);
    Mouse(target, QEvent::MouseButtonRelease, to);
}

inline QImage Render(QWidget* control) { return control->grab().toImage(); }

}  // namespace qx::controls::test
