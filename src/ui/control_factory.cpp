#include "ui/control_factory.h"

#include <QWidget>

namespace qx::ui {

ControlFactory& ControlFactory::GetInstance() {
    static ControlFactory factory;
    return factory;
}

void ControlFactory::RegistControl(const QString& name, Creator create) {
    if (name.isEmpty() || !create) return;
    creators_.insert(name.toLower(), std::move(create));
}

QWidget* ControlFactory::CreateControl(const QString& name, QWidget* parent) const {
    auto it = creators_.constFind(name.toLower());
    if (it == creators_.constEnd()) return nullptr;
    return (*it)(parent);
}

bool ControlFactory::Has(const QString& name) const { return creators_.contains(name.toLower()); }

}  // namespace qx::ui
