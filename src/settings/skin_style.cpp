#include "settings/skin_style.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "core/diagnostics.h"
#include "ui/skin_loader.h"

namespace qx::settings {

QString ReadSkinStyle() {
    QFile file(QDir(ui::SkinLoader::SkinFolder()).filePath("style.qss"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

bool ApplySkinStyle() {
    const QString sheet = ReadSkinStyle();
    if (sheet.isEmpty()) {
        DebugLine("style.qss not found in the skin folder");
        return false;
    }
    QDir::setSearchPaths("skin", {ui::SkinLoader::SkinFolder()});
    auto* app = qobject_cast<QApplication*>(QApplication::instance());
    if (app == nullptr) return false;
    app->setStyleSheet(sheet);
    return true;
}

}  // namespace qx::settings
