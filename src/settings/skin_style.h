// The skin's look: the style sheet of data/skin/style.qss for the whole application, with the
// pictures it names ("skin:common/logo.png") found in the skin folder.
#pragma once

#include <QString>

namespace qx::settings {

// Points the "skin" search path at the skin folder and applies style.qss to the application.
// False (and nothing changed) when the sheet cannot be read.
bool ApplySkinStyle();
// The style sheet's text, empty when it cannot be read.
QString ReadSkinStyle();

}  // namespace qx::settings
