#include "settings/desktop_shortcuts.h"

#include <string>

#include "core/diagnostics.h"
#include "platform/desktop_settings.h"
#include "settings/settings_messages.h"

namespace qx::settings {

bool OpenWindowDeviceSettings(int n, QWidget* over) {
    if (n != 0 && n != 1) return false;
    const auto page =
        n == 0 ? platform::DesktopSettingsPage::Keyboard : platform::DesktopSettingsPage::Mouse;
    std::string error;
    switch (platform::OpenDesktopSettings(page, &error)) {
        case platform::DesktopSettingsResult::Started:
            return true;
        case platform::DesktopSettingsResult::NotFound:
            DebugLine("desktop settings: " + error);
            ShowSettingsMessage(over, QStringLiteral("desktop_settings_missing_text"));
            return false;
        case platform::DesktopSettingsResult::StartFailed:
            DebugLine("desktop settings: " + error);
            ShowSettingsMessage(over, LanguageText(QStringLiteral("desktop_settings_failed_text")) +
                                          QString::fromStdString(error));
            return false;
    }
    return false;
}

}  // namespace qx::settings
