#include "app/app_options.h"

#include <cstdlib>
#include <optional>

namespace qx::app {

AppOptions ParseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.startsWith(QLatin1String("--simulate"))) {
            const std::optional<sim::SimulationMode> mode =
                sim::SimulationModeFromOption(argument.toStdString());
            if (!mode) {
                options.error = QStringLiteral(
                                    "unknown argument \"%1\" (--simulate or "
                                    "--simulate=all)")
                                    .arg(argument);
                return options;
            }
            options.simulation = *mode;
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
    if (options.simulation == sim::SimulationMode::Off)
        options.simulation = sim::SimulationModeFromEnvironment(std::getenv("QX580_HID"));
    return options;
}

}  // namespace qx::app
