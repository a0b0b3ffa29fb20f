#include "ui/skin_loader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QWidget>

#include "core/diagnostics.h"
#include "core/paths.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace qx::ui {

SkinLoader::SkinLoader(CreateControlCallback createControl, QObject* parent)
    : QUiLoader(parent), createControl_(std::move(createControl)) {}

QString SkinLoader::SkinFolder() {
    return QString::fromStdString((qx::ProgramDataFolder() / "skin").string());
}

QWidget* SkinLoader::Build(const QString& relativePath, QWidget* parent) {
    lastError_.clear();
    const QDir skin(SkinFolder());
    const QString path = skin.filePath(relativePath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("cannot open skin file %1").arg(path);
        return nullptr;
    }
    // Pictures named in a file are relative to the skin folder.
    setWorkingDirectory(skin);
    QWidget* root = load(&file, parent);
    if (root == nullptr) {
        const QString reason = errorString();
        lastError_ = QStringLiteral("cannot build skin file %1: %2")
                         .arg(path, reason.isEmpty() ? QStringLiteral("malformed") : reason);
        return nullptr;
    }
    TranslateTree(root);
    return root;
}

QWidget* SkinLoader::BuildWindowContent(const QString& relativePath, QWidget* window) {
    QWidget* root = Build(relativePath, window);
    if (root == nullptr) return nullptr;
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(root);
    return root;
}

QWidget* SkinLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* widget = nullptr;
    if (createControl_) widget = createControl_(className, parent);
    if (widget == nullptr) widget = ControlFactory::GetInstance().CreateControl(className, parent);
    if (widget != nullptr) {
        if (widget->parentWidget() != parent) widget->setParent(parent);
        widget->setObjectName(name);
        return widget;
    }
    widget = QUiLoader::createWidget(className, parent, name);
    if (widget == nullptr) {
        qx::DebugLine(QStringLiteral("skin: no control class \"%1\" for \"%2\"; left out")
                          .arg(className, name)
                          .toStdString());
    }
    return widget;
}

}  // namespace qx::ui
