#include "ui/skin_loader.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include <gtest/gtest.h>

#include "ui/control_factory.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::ui {
namespace {

class TestGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString lightimage MEMBER lightimage)
  public:
    using QWidget::QWidget;
    QString lightimage;
};

class CallbackBox : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
};

const QString kFixtures = QStringLiteral(QX580_TEST_DATA_DIR "/fixtures/");

TEST(SkinLoader, SkinFolderIsBelowTheProgramDataFolder) {
    const QString folder = SkinLoader::SkinFolder();
    EXPECT_TRUE(folder.endsWith("/skin")) << folder.toStdString();
    if (const char* data = std::getenv("QX580_DATA_DIR")) {
        EXPECT_TRUE(folder.startsWith(QString::fromLocal8Bit(data))) << folder.toStdString();
    }
}

TEST(SkinLoader, BuildsCustomClassesThroughCallbackThenFactoryAndTranslates) {
    ASSERT_TRUE(ResourceManager::GetInstance().LoadLanguage(kFixtures + "lang_a.json"));
    ControlFactory::GetInstance().RegistControl("TestGauge",
                                                [](QWidget* p) { return new TestGauge(p); });
    // The window's callback wins over the factory for the classes it knows.
    bool factoryMadeBox = false;
    ControlFactory::GetInstance().RegistControl("CallbackBox", [&](QWidget* p) {
        factoryMadeBox = true;
        return new QWidget(p);
    });
    QStringList asked;
    SkinLoader loader([&](const QString& className, QWidget* parent) -> QWidget* {
        asked << className;
        return className.compare("CallbackBox", Qt::CaseInsensitive) == 0 ? new CallbackBox(parent)
                                                                          : nullptr;
    });
    std::unique_ptr<QWidget> root(loader.Build(kFixtures + "skin_fixture.ui"));
    ASSERT_NE(root, nullptr) << loader.LastError().toStdString();
    EXPECT_TRUE(loader.LastError().isEmpty());

    PaintManager manager(root.get());
    auto* gauge = manager.Find<TestGauge>("gauge_1");
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->lightimage, "keys/light.png");
    EXPECT_EQ(gauge->property("extra").toString(), "kept");
    EXPECT_NE(manager.Find<TestGauge>("gauge_2"), nullptr);  // class names ignore case
    EXPECT_NE(manager.Find<CallbackBox>("cb_1"), nullptr);
    EXPECT_FALSE(factoryMadeBox);
    // A class nobody knows is left out, as an unknown tag is; the rest of the file builds.
    EXPECT_EQ(manager.FindControl("ghost"), nullptr);
    EXPECT_NE(manager.FindControl("panel"), nullptr);
    EXPECT_TRUE(asked.contains("TestGauge"));
    EXPECT_TRUE(asked.contains("QLabel"));  // every class is offered to the window first

    EXPECT_EQ(manager.Find<QLabel>("title_label")->text(), "Devices");
    EXPECT_EQ(ControlTextKey(manager.FindControl("title_label")), "fixture_title_text");
    EXPECT_EQ(manager.Find<QPushButton>("ok_btn")->text(), "OK");
    EXPECT_EQ(manager.Find<QLineEdit>("inner_edit")->text(), "12");
    EXPECT_EQ(PaintManager::FindSubControlByName(manager.FindControl("panel"), "inner_edit"),
              manager.FindControl("inner_edit"));
}

TEST(SkinLoader, MissingOrMalformedFilesGiveNullAndAReason) {
    SkinLoader loader;
    EXPECT_EQ(loader.Build("XML/no_such_file.ui"), nullptr);
    EXPECT_TRUE(loader.LastError().contains("no_such_file.ui")) << loader.LastError().toStdString();

    EXPECT_EQ(loader.Build(kFixtures + "broken.ui"), nullptr);
    EXPECT_TRUE(loader.LastError().contains("broken.ui")) << loader.LastError().toStdString();
}

}  // namespace
}  // namespace qx::ui

#include "skin_loader_test.moc"
