#include "app/private_fonts.h"

#include <QDir>
#include <QFontDatabase>

namespace qx::app {

PrivateFonts::PrivateFonts(const QString& dataFolder) {
    const QDir folder(dataFolder);
    for (const char* file : kFiles) {
        const QString path = folder.filePath(QString::fromLatin1(file));
        if (!QFile::exists(path)) continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0) ids_.push_back(id);
    }
}

PrivateFonts::~PrivateFonts() {
    for (auto it = ids_.rbegin(); it != ids_.rend(); ++it)
        QFontDatabase::removeApplicationFont(*it);
}

}  // namespace qx::app
