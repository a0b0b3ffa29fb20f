#include "app/app_options.h"

#include <cstdlib>
#include <cstring>

namespace qx::app {

AppOptions ParseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--simulate")) {
            options.simulate = true;
        } else if (argument == QLatin1String("--screenshot")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                options.error = QStringLiteral("--screenshot needs a file name");
                return options;
            }
            options.screenshotPath = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--screenshot="))) {
            options.screenshotPath = argument.mid(13);
            if (options.screenshotPath.isEmpty()) {
                options.error = QStringLiteral("--screenshot needs a file name");
                return options;
            }
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else {
            options.error = QStringLiteral("unknown argument \"%1\"").arg(argument);
            return options;
        }
    }
    if (const char* hid = std::getenv("QX580_HID"); hid != nullptr && std::strcmp(hid, "sim") == 0)
        options.simulate = true;
    return options;
}

}  // namespace qx::app
