// Pictures of skin controls given as the skin writes them ("file='power/powering.png'"): the
// text is kept on the control, and the picture is loaded from the skin folder when it exists.
#pragma once

#include <QString>

class QWidget;

namespace qx::devices {

// Property names under which the image texts are kept.
inline constexpr const char* kImageProperty = "bkimage";
inline constexpr const char* kNormalImageProperty = "normalimage";
inline constexpr const char* kSelectedImageProperty = "selectedimage";

// The path inside an image text: "file='a/b.png'" -> "a/b.png"; a bare path stays as it is.
QString ImagePath(const QString& imageText);
// Sets the control's picture (a label shows it, other controls draw it as their background).
void SetControlImage(QWidget* control, const QString& imageText);
QString ControlImage(const QWidget* control);
// A two-state option: normal picture, and the selected one while it is checked.
void SetOptionImages(QWidget* option, const QString& normalPath, const QString& selectedPath);

}  // namespace qx::devices
