#include "settings/language_settings.h"

#include <QApplication>
#include <QLayout>
#include <QSettings>
#include <QWidget>
#include <string>

#include "core/diagnostics.h"
#include "core/language_list.h"
#include "core/paths.h"
#include "settings/ui_font_table.h"
#include "ui/resource_manager.h"

namespace qx::settings {
namespace {

constexpr const char* kLanguageValue = "LANGUAGE";
constexpr const char* kUiFontFamily = "Verdana Unicode MS";

int& Current() {
    static int current = -1;
    return current;
}

QString Identity() {
    return QString::fromUtf8(kApplicationIdentity.data(), kApplicationIdentity.size());
}

// Languages 0, 2 and 15 carry a font table of their own; leaving or entering one rebuilds it.
bool OwnsFontTable(int index) { return index == 0 || index == 2 || index == 15; }

// A language file is a plain name inside the language folder: a list entry must not reach
// files elsewhere.
bool IsPlainFileName(const std::string& file) {
    return !file.empty() && file.find('/') == std::string::npos &&
           file.find('\\') == std::string::npos && file != "." && file != "..";
}

}  // namespace

int LanguageSettings::GetLanguageIndex() {
    QSettings settings(Identity(), Identity());
    const QVariant stored = settings.value(kLanguageValue);
    if (!stored.isValid()) return 0;
    bool ok = false;
    const int id = stored.toInt(&ok);
    if (!ok) return 0;
    return LanguageIndexForId(ReadLanguageList(), id);
}

bool LanguageSettings::SetLanguage(int index) {
    int& current = Current();
    if (index == current) return false;
    if (OwnsFontTable(index) || current == -1 || OwnsFontTable(current)) ApplyUiFont(kUiFontFamily);
    current = index;

    const std::vector<LanguageEntry> list = ReadLanguageList();
    const bool known = index >= 0 && static_cast<size_t>(index) < list.size();
    const LanguageEntry entry = known ? list[static_cast<size_t>(index)] : LanguageEntry{};

    ui::ResourceManager& resources = ui::ResourceManager::GetInstance();
    resources.SetLanguage(QString::fromStdString(entry.name));
    if (!IsPlainFileName(entry.file)) {
        DebugLine("language file refused: \"" + entry.file + "\"");
    } else if (!resources.LoadLanguage(QString::fromStdString(entry.file))) {
        DebugLine("language file not loaded: " + entry.file);
    }
    resources.ReloadText();
    // Without an entry there is no id: the stored choice stays as it was.
    if (known) StoreLanguageId(entry.id);

    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->layout() != nullptr) window->layout()->invalidate();
        window->update();
    }
    return true;
}

int LanguageSettings::CurrentIndex() { return Current(); }

void LanguageSettings::StoreLanguageId(int id) {
    QSettings settings(Identity(), Identity());
    settings.setValue(kLanguageValue, id);
    settings.sync();
    if (settings.status() == QSettings::NoError) DebugLine("写成功！");
}

void LanguageSettings::ApplyUiFont(const QString& family) { detail::SetUiFontFamily(family); }

void LanguageSettings::ResetForTests() { Current() = -1; }

}  // namespace qx::settings
