// What the custom controls share: raising a notification through their window's paint manager
// and loading the pictures a skin names.
#pragma once

#include <QPixmap>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace qx::controls {

// Raises `type` from `control`; nothing happens while the control is in no managed window.
void NotifyFrom(QWidget* control, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

// The file of an image description: a plain file name, or the "file='…'" (or "res='…'") part of
// a description such as "file='keys/light.png' source='0,0,20,20'".
QString ImageFileOf(const QString& description);

// The picture of a description, relative to the skin folder unless absolute; a null pixmap when
// the file is missing or unreadable.
QPixmap LoadSkinImage(const QString& description);

}  // namespace qx::controls
