// The interface language: which one is stored for the user, switching to another (texts and the
// font table of the main window) and remembering the choice.
#pragma once

#include <QString>

namespace qx::settings {

class LanguageSettings {
  public:
    // Index in "Language.config" of the stored language id, 0 when none is stored or known.
    static int GetLanguageIndex();
    // Switches to the language at `index` when it differs from the current one (-1 before the
    // first call): font table, language name and file, texts of every window, stored id.
    // Returns true when something changed.
    static bool SetLanguage(int index);
    static int CurrentIndex();
    // Stores the language id in the user's settings (QSettings, organisation and application
    // "MIRVEL QX-580 Device", key "LANGUAGE").
    static void StoreLanguageId(int id);
    // The font table of the main window with one family for every entry.
    static void ApplyUiFont(const QString& family);
    // Back to "no language applied yet" (tests).
    static void ResetForTests();
};

}  // namespace qx::settings
