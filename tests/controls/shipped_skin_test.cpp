// The program's own skin files build with the custom controls: every class the factory knows is
// made as that class, and the attributes the files give reach the controls.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <memory>

#include <gtest/gtest.h>

#include "controls/device_key_button.h"
#include "controls/register_controls.h"
#include "ui/control_factory.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::controls {
namespace {

TEST(ShippedSkin, EveryFileBuildsWithItsCustomControls) {
    RegisterCustomControls();
    const QString folder = ui::SkinLoader::SkinFolder();
    QDirIterator files(folder, {"*.ui"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(files.hasNext()) << "no skin files in " << folder.toStdString();
    // The device classes are the device objects' own; a plain container stands in for them.
    ui::SkinLoader loader([](const QString& className, QWidget* parent) -> QWidget* {
        if (ui::ControlFactory::GetInstance().Has(className) || className.startsWith('Q'))
            return nullptr;
        return new QWidget(parent);
    });
    static const QRegularExpression widgetTag(
        QStringLiteral("<widget class=\"([A-Za-z]+)\" name=\"([^\"]+)\""));
    int custom = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        SCOPED_TRACE(path.toStdString());
        std::unique_ptr<QWidget> root(loader.Build(path));
        ASSERT_NE(root, nullptr) << loader.LastError().toStdString();
        ui::PaintManager manager(root.get());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (auto it = widgetTag.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            if (!ui::ControlFactory::GetInstance().Has(match.captured(1))) continue;
            QWidget* control = manager.FindControl(match.captured(2));
            ASSERT_NE(control, nullptr) << match.captured(2).toStdString();
            EXPECT_STRNE(control->metaObject()->className(), "QWidget")
                << match.captured(2).toStdString();
            if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(control);
                key != nullptr && text.contains("lightimage")) {
                ++custom;
            }
        }
    }
    EXPECT_GT(custom, 0);
}

}  // namespace
}  // namespace qx::controls
