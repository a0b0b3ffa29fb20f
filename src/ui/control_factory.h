// The factory of the program's own control classes: a skin names a class, the factory makes it.
#pragma once

#include <QHash>
#include <QString>
#include <functional>

class QWidget;

namespace qx::ui {

class ControlFactory {
  public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    static ControlFactory& GetInstance();

    // Names compare case-insensitively; registering a name again replaces its creator.
    void RegistControl(const QString& name, Creator create);
    // A new control of that class, or nullptr for an unknown name.
    QWidget* CreateControl(const QString& name, QWidget* parent) const;
    bool Has(const QString& name) const;

  private:
    QHash<QString, Creator> creators_;
};

}  // namespace qx::ui
