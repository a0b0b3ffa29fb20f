#include "devices/base/skin_image.h"

#include <QDir>
#include <QFileInfo>
#include <QVariant>
#include <QWidget>

#include "ui/skin_loader.h"

namespace qx::devices {

namespace {

// An image text's file inside the skin folder, as a style-sheet URL; empty when it is missing,
// so that a skin without the picture still shows the control.
QString SkinUrl(const QString& imageText) {
    const QString relative = ImagePath(imageText);
    if (relative.isEmpty()) return QString();
    const QString full = QDir(ui::SkinLoader::SkinFolder()).filePath(relative);
    return QFileInfo::exists(full) ? full : QString();
}

QString Selector(const QWidget* control) {
    return control->objectName().isEmpty() ? QString::fromLatin1(control->metaObject()->className())
                                           : "#" + control->objectName();
}

}  // namespace

QString ImagePath(const QString& imageText) {
    const QString text = imageText.trimmed();
    const qsizetype at = text.indexOf("file='");
    if (at < 0) return text;
    const qsizetype start = at + 6;
    const qsizetype end = text.indexOf('\'', start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

void SetControlImage(QWidget* control, const QString& imageText) {
    if (control == nullptr) return;
    control->setProperty(kImageProperty, imageText);
    const QString url = SkinUrl(imageText);
    control->setStyleSheet(
        url.isEmpty() ? QString()
                      : QString("%1 { border-image: url(\"%2\"); }").arg(Selector(control), url));
}

QString ControlImage(const QWidget* control) {
    return control == nullptr ? QString() : control->property(kImageProperty).toString();
}

void SetOptionImages(QWidget* option, const QString& normalPath, const QString& selectedPath) {
    if (option == nullptr) return;
    option->setProperty(kNormalImageProperty, normalPath);
    option->setProperty(kSelectedImageProperty, selectedPath);
    const QString normal = SkinUrl(normalPath);
    const QString selected = SkinUrl(selectedPath);
    QString sheet;
    const QString selector = Selector(option);
    if (!normal.isEmpty())
        sheet += QString("%1 { border-image: url(\"%2\"); }").arg(selector, normal);
    if (!selected.isEmpty())
        sheet += QString(" %1:checked { border-image: url(\"%2\"); }").arg(selector, selected);
    option->setStyleSheet(sheet);
}

}  // namespace qx::devices
