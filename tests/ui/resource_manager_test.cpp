#include "ui/resource_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include <gtest/gtest.h>

#include "ui/skin_loader.h"

namespace qx::ui {
namespace {

const QString kFixtures = QStringLiteral(QX580_TEST_DATA_DIR "/fixtures/");

class ResourceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_a.json")); }
    ResourceManager& rm = ResourceManager::GetInstance();
};

TEST_F(ResourceManagerTest, LanguageSwitchReappliesEveryKeyOfEveryWindow) {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle("window_title_key");
    auto* layout = new QVBoxLayout(window.get());
    auto* label = new QLabel("fixture_title_text");
    auto* button = new QPushButton("fixture_ok_text");
    button->setToolTip("tip_key");
    auto* check = new QCheckBox("fixture_ok_text");
    auto* group = new QGroupBox("fixture_title_text");
    auto* edit = new QLineEdit("edit_key");
    auto* userEdit = new QLineEdit("my_profile");  // the user's text, not a key of the language
    auto* combo = new QComboBox;
    combo->addItems({"item_one", "item_two", "Plain text"});
    for (QWidget* w :
         std::initializer_list<QWidget*>{label, button, check, group, edit, userEdit, combo})
        layout->addWidget(w);
    auto popup = std::make_unique<QRadioButton>("fixture_title_text");  // a second top level

    TranslateTree(window.get());
    TranslateTree(popup.get());
    EXPECT_EQ(label->text(), "Devices");
    EXPECT_EQ(button->text(), "OK");
    EXPECT_EQ(button->toolTip(), "A hint");
    EXPECT_EQ(check->text(), "OK");
    EXPECT_EQ(group->title(), "Devices");
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_EQ(userEdit->text(), "my_profile");
    EXPECT_EQ(combo->itemText(0), "Breathing");
    EXPECT_EQ(window->windowTitle(), "Main window");
    EXPECT_EQ(popup->text(), "Devices");

    ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_b.json"));
    rm.ReloadText();
    EXPECT_EQ(label->text(), "设备");
    EXPECT_EQ(button->text(), "确定");
    EXPECT_EQ(button->toolTip(), "提示");
    EXPECT_EQ(check->text(), "确定");
    EXPECT_EQ(group->title(), "设备");
    EXPECT_EQ(edit->text(), "输入");
    EXPECT_EQ(userEdit->text(), "my_profile");
    EXPECT_EQ(combo->itemText(1), "波浪");
    EXPECT_EQ(combo->itemText(2), "Plain text");
    EXPECT_EQ(window->windowTitle(), "主窗口");
    EXPECT_EQ(popup->text(), "设备");
}

TEST_F(ResourceManagerTest, SetControlTextKeepsKeysAndDropsThemForPlainTexts) {
    QLabel hidden;  // the hidden label through which code reads a translation
    SetControlText(&hidden, "fixture_ok_text");
    EXPECT_EQ(ControlText(&hidden), "OK");
    EXPECT_EQ(ControlTextKey(&hidden), "fixture_ok_text");

    SetControlText(&hidden, "R 120");
    EXPECT_EQ(ControlTextKey(&hidden), "");
    ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_b.json"));
    rm.ReloadText();
    EXPECT_EQ(ControlText(&hidden), "R 120");

    SetControlText(&hidden, "unknown_key_text");  // a key the language lacks shows itself
    EXPECT_EQ(ControlText(&hidden), "unknown_key_text");
    QWidget window;
    SetControlText(&window, "window_title_key");
    EXPECT_EQ(window.windowTitle(), "主窗口");
    SetControlText(nullptr, "fixture_ok_text");
    EXPECT_EQ(ControlText(nullptr), "");
}

TEST_F(ResourceManagerTest, UnreadableLanguageFilesKeepThePreviousTexts) {
    EXPECT_FALSE(rm.LoadLanguage(kFixtures + "no_such_language.json"));
    EXPECT_FALSE(rm.LoadLanguage(kFixtures + "broken.ui"));
    EXPECT_FALSE(rm.LoadLanguage(kFixtures + "lang_array.json"));
    EXPECT_FALSE(rm.LoadLanguage(""));
    EXPECT_EQ(rm.Text("fixture_ok_text"), "OK");
    EXPECT_FALSE(rm.HasKey("number"));  // only texts are taken
    rm.SetLanguage("English");
    EXPECT_EQ(rm.Language(), "English");
}

TEST_F(ResourceManagerTest, ShippedLanguagesLoadByNameFromTheSkinsLanguageFolder) {
    for (const char* file : {"lan_en.json", "lan_cn.json"}) {
        if (!QFile::exists(SkinLoader::SkinFolder() + "/lang/" + file)) GTEST_SKIP() << file;
        EXPECT_TRUE(rm.LoadLanguage(file)) << file;
        EXPECT_FALSE(rm.HasKey("fixture_ok_text"));  // the fixture's texts are gone
    }
}

}  // namespace
}  // namespace qx::ui
