#include "settings/skin_settings.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSettings>
#include <QWidget>

#include "core/diagnostics.h"
#include "core/paths.h"
#include "platform/atomic_file.h"
#include "ui/skin_loader.h"

namespace qx::settings {
namespace {

constexpr const char* kSection = "SKINIMAGE";
// The property that marks the control whose background is the skin's.
constexpr const char* kBackgroundProperty = "skinbackground";

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QString ArgbText(quint32 argb) {
    return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

QString CssColour(quint32 argb) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg((argb >> 24) & 0xFF);
}

QString CssUrl(const QString& file) {
    QString quoted = file;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("\""), QLatin1String("\\\""));
    return QStringLiteral("url(\"%1\")").arg(quoted);
}

}  // namespace

SkinObserver& SkinObserver::Instance() {
    static SkinObserver observer;
    return observer;
}

std::filesystem::path SkinIniPath() { return UserFolder() / "main.ini"; }

std::filesystem::path UserSkinFolder() { return UserFolder() / "skin"; }

std::optional<quint32> ParseArgb(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^#([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
    if (!pattern.match(text.trimmed()).hasMatch()) return std::nullopt;
    bool ok = false;
    quint32 value = text.trimmed().mid(1).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    if (text.trimmed().size() == 7) value |= 0xFF000000u;
    return value;
}

bool StoreSkinChoice(const SkinChangedParam& param) {
    QSettings ini(PathText(SkinIniPath()), QSettings::IniFormat);
    ini.beginGroup(QLatin1String(kSection));
    if (param.colour) {
        ini.setValue(QStringLiteral("FLAGS"), QStringLiteral("2"));
        ini.setValue(QStringLiteral("COLOR"), ArgbText(param.argb));
    } else {
        const bool reset = param.picture == QLatin1String(kDefaultSkinPicture);
        ini.setValue(QStringLiteral("FLAGS"), reset ? QStringLiteral("0") : QStringLiteral("1"));
        ini.setValue(QStringLiteral("IMAGE"), param.picture);
        ini.remove(QStringLiteral("COLOR"));
    }
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        DebugLine("main.ini not written: " + SkinIniPath().string());
        return false;
    }
    return true;
}

std::optional<SkinChangedParam> ReadSkinChoice() {
    const QString path = PathText(SkinIniPath());
    if (!QFileInfo::exists(path)) return std::nullopt;
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) return std::nullopt;
    ini.beginGroup(QLatin1String(kSection));
    const QString flags = ini.value(QStringLiteral("FLAGS")).toString().trimmed();
    SkinChangedParam param;
    if (flags == QLatin1String("2")) {
        const std::optional<quint32> argb =
            ParseArgb(ini.value(QStringLiteral("COLOR")).toString());
        if (!argb) return std::nullopt;
        param.colour = true;
        param.argb = *argb;
        return param;
    }
    if (flags != QLatin1String("0") && flags != QLatin1String("1")) return std::nullopt;
    param.picture = ini.value(QStringLiteral("IMAGE")).toString();
    if (param.picture.isEmpty()) param.picture = QLatin1String(kDefaultSkinPicture);
    if (!IsUsablePicture(SkinPictureFile(param.picture))) {
        DebugLine("main.ini names no usable picture: " + param.picture.toStdString());
        return std::nullopt;
    }
    return param;
}

QString SkinPictureFile(const QString& picture) {
    if (picture.isEmpty()) return {};
    if (QDir::isAbsolutePath(picture)) return QDir::cleanPath(picture);
    const QString folder = QDir::cleanPath(ui::SkinLoader::SkinFolder());
    const QString file = QDir::cleanPath(folder + QLatin1Char('/') + picture);
    if (!file.startsWith(folder + QLatin1Char('/'))) return {};
    return file;
}

bool IsUsablePicture(const QString& file) {
    if (file.isEmpty() || !QFileInfo(file).isFile()) return false;
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) return false;
    const QSize size = reader.size();
    return !size.isValid() || (size.width() > 0 && size.height() > 0);
}

QString ImportUserPicture(const QString& source, ImportError* error) {
    if (error != nullptr) *error = ImportError::None;
    if (!IsUsablePicture(source)) {
        if (error != nullptr) *error = ImportError::NotAPicture;
        return {};
    }
    std::error_code failure;
    std::filesystem::create_directories(UserSkinFolder(), failure);
    QString suffix = QFileInfo(source).suffix().toLower();
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9]{1,8}$"));
    if (!plain.match(suffix).hasMatch()) suffix = QStringLiteral("img");
    const QString name =
        QStringLiteral("background_%1.%2").arg(QDateTime::currentMSecsSinceEpoch()).arg(suffix);
    const std::filesystem::path target = UserSkinFolder() / name.toStdString();
    if (!platform::CopyFileAtomically(source.toStdString(), target) ||
        !IsUsablePicture(PathText(target))) {
        if (error != nullptr) *error = ImportError::CopyFailed;
        return {};
    }
    return PathText(target);
}

void ApplySkinBackground(QWidget* root, const SkinChangedParam& param) {
    if (root == nullptr) return;
    root->setProperty(kBackgroundProperty, true);
    const QString self = QStringLiteral("*[%1=\"true\"]").arg(QLatin1String(kBackgroundProperty));
    // The page area and the device pages in it let the background show through.
    QString sheet = QStringLiteral(
        "QStackedWidget#device_switch, QStackedWidget#device_switch QWidget#root "
        "{ background: transparent; }\n");
    if (param.colour) {
        sheet += self + QStringLiteral(" { background-color: %1; border-image: none; }")
                            .arg(CssColour(param.argb));
    } else {
        const QString file = SkinPictureFile(param.picture);
        sheet += self + QStringLiteral(
                            " { background-color: transparent; border-image: %1 0 0 0 0 "
                            "stretch stretch; }")
                            .arg(CssUrl(file));
    }
    root->setStyleSheet(sheet);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) window->update();
    }
}

}  // namespace qx::settings
