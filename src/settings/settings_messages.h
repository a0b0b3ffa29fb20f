// How the settings, skin and about windows tell the user something: the program's message window,
// handed in by the main window (the settings library does not know it). Without one the text
// goes to the diagnostic lines only.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace qx::settings {

// Shows `text` (a language key, or a key's translation followed by details) over `over`.
using SettingsMessageBox = std::function<void(QWidget* over, const QString& text)>;
void SetSettingsMessageBox(SettingsMessageBox box);
void ShowSettingsMessage(QWidget* over, const QString& text);

// The text of a language key in the current language.
QString LanguageText(const QString& key);

}  // namespace qx::settings
