#include "settings/settings_messages.h"

#include "core/diagnostics.h"
#include "ui/resource_manager.h"

namespace qx::settings {
namespace {

SettingsMessageBox& Box() {
    static SettingsMessageBox box;
    return box;
}

}  // namespace

void SetSettingsMessageBox(SettingsMessageBox box) { Box() = std::move(box); }

void ShowSettingsMessage(QWidget* over, const QString& text) {
    DebugLine("message: " + LanguageText(text).toStdString());
    if (Box()) Box()(over, text);
}

QString LanguageText(const QString& key) { return ui::ResourceManager::GetInstance().Text(key); }

}  // namespace qx::settings
