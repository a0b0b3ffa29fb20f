#include "controls/control_support.h"

#include <QDir>
#include <QPixmapCache>
#include <QRegularExpression>

#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::controls {

void NotifyFrom(QWidget* control, const QString& type, qintptr wParam, qintptr lParam) {
    if (ui::PaintManager* manager = ui::PaintManager::Of(control)) {
        manager->SendNotify(control, type, wParam, lParam);
    }
}

QString ImageFileOf(const QString& description) {
    static const QRegularExpression quoted(QStringLiteral("(?:file|res)\\s*=\\s*'([^']*)'"));
    const QRegularExpressionMatch match = quoted.match(description);
    if (match.hasMatch()) return match.captured(1);
    return description.trimmed();
}

QPixmap LoadSkinImage(const QString& description) {
    const QString file = ImageFileOf(description);
    if (file.isEmpty()) return {};
    const QString path = QDir(ui::SkinLoader::SkinFolder()).filePath(file);
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap)) return pixmap;
    if (!pixmap.load(path)) return {};
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

}  // namespace qx::controls
