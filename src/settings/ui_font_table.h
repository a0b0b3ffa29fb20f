// The main window's font table: a font id of the skin ("fontid" property of a control) names a
// size and style; one family serves every entry. Controls without an id use the default entry.
#pragma once

#include <QFont>
#include <QString>
#include <vector>

class QWidget;

namespace qx::settings {

struct UiFontEntry {
    int id;  // kDefaultFontId for the default entry
    int pixelSize;
    bool bold;
    bool underline;
};

inline constexpr int kDefaultFontId = -1;
// Dynamic property through which a skin control names its font id.
inline constexpr const char* kFontIdProperty = "fontid";

// The entries in table order, the default entry first.
const std::vector<UiFontEntry>& UiFontTable();

// The family of the table; empty before the first ApplyUiFont.
QString UiFontFamily();
// The font of an id in the current family; the default entry for an unknown id.
QFont UiFont(int id);
// Gives every control below `subtree` (itself included) that carries a font id its font. Controls
// made later get theirs when Qt first polishes them (before they are shown).
void ApplyFontIds(QWidget* subtree);

namespace detail {
// Sets the family, the application's default font, and the fonts of every open window.
void SetUiFontFamily(const QString& family);
}  // namespace detail

}  // namespace qx::settings
