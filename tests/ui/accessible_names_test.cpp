// Accessible names come from the language texts: the text key's translation, else the tooltip
// key's (icon buttons); a plain text is read by the screen reader itself; a name the skin gave is
// kept; a language change renames.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include <gtest/gtest.h>

#include "ui/resource_manager.h"

namespace qx::ui {
namespace {

const QString kFixtures = QStringLiteral(QX580_TEST_DATA_DIR "/fixtures/");

TEST(AccessibleNames, FollowTheLanguageTexts) {
    ResourceManager& rm = ResourceManager::GetInstance();
    ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_a.json"));
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle("window_title_key");
    auto* layout = new QVBoxLayout(window.get());
    auto* label = new QLabel("fixture_title_text");
    auto* textAndTip = new QPushButton("fixture_ok_text");
    textAndTip->setToolTip("tip_key");
    auto* icon = new QPushButton;
    icon->setToolTip("tip_key");
    auto* plain = new QPushButton("Plain words");
    plain->setToolTip("tip_key");
    auto* named = new QPushButton("fixture_ok_text");
    named->setAccessibleName("Given by the skin");
    auto* edit = new QLineEdit("my_profile");
    edit->setToolTip("tip_key");
    for (QWidget* w : std::initializer_list<QWidget*>{label, textAndTip, icon, plain, named, edit})
        layout->addWidget(w);

    TranslateTree(window.get());
    struct Case {
        QWidget* control;
        const char* english;
        const char* chinese;
    };
    const std::vector<Case> cases = {
        {window.get(), "Main window", "主窗口"},
        {label, "Devices", "设备"},
        {textAndTip, "OK", "确定"},
        {icon, "A hint", "提示"},
        {plain, "", ""},
        {named, "Given by the skin", "Given by the skin"},
        {edit, "A hint", "提示"},  // named by its hint, never by what the user typed
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.control->accessibleName(), QString::fromUtf8(c.english))
            << c.control->metaObject()->className();

    ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_b.json"));
    rm.ReloadText();
    for (const Case& c : cases)
        EXPECT_EQ(c.control->accessibleName(), QString::fromUtf8(c.chinese))
            << c.control->metaObject()->className();

    // Code that shows another key renames; a plain text leaves the reading to the text itself.
    SetControlText(label, "fixture_ok_text");
    EXPECT_EQ(label->accessibleName(), "确定");
    SetControlText(label, "3 devices");
    EXPECT_EQ(label->accessibleName(), "");
    SetControlText(named, "fixture_title_text");
    EXPECT_EQ(named->accessibleName(), "Given by the skin");
    ASSERT_TRUE(rm.LoadLanguage(kFixtures + "lang_a.json"));
}

}  // namespace
}  // namespace qx::ui
