// The stored language, switching languages (texts of open windows, the font table) and
// remembering the choice.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "settings/language_settings.h"
#include "settings/ui_font_table.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace qx::settings {
namespace {

constexpr const char* kIdentity = "MIRVEL QX-580 Device";

QSettings UserSettings() { return QSettings(kIdentity, kIdentity); }

QVariant StoredId() { return UserSettings().value("LANGUAGE"); }

void WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(data);
}

// Every test starts with nothing stored and no language applied, on the shipped data.
class LanguageSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* data = std::getenv("QX580_DATA_DIR");
        shippedData_ = data != nullptr ? data : QX580_SOURCE_DATA_DIR;
        UserSettings().remove("LANGUAGE");
        LanguageSettings::ResetForTests();
    }
    void TearDown() override {
        ::setenv("QX580_DATA_DIR", shippedData_.c_str(), 1);
        UserSettings().remove("LANGUAGE");
        LanguageSettings::ResetForTests();
    }

    // A data folder with `count` languages: language n has id 100 + n and its file gives the
    // key "probe_text" the text "text n". `fileOf` overrides entry 1's file name.
    void UseLanguages(int count, const QString& fileOne = {}) {
        ASSERT_TRUE(temp_.isValid());
        QString list = "{ \"Language\" : [";
        for (int n = 0; n < count; ++n) {
            const QString file =
                (n == 1 && !fileOne.isEmpty()) ? fileOne : QString("t%1.json").arg(n);
            list += QString(
                        "%1{ \"Language_ID\" : %2, \"Language_file\" : \"%3\", "
                        "\"Language_name\" : \"l%4\", \"Language_text\" : \"L%4\" }")
                        .arg(n == 0 ? "" : ",")
                        .arg(100 + n)
                        .arg(file)
                        .arg(n);
            WriteFile(temp_.path() + QString("/skin/lang/t%1.json").arg(n),
                      QString("{ \"probe_text\" : \"text %1\" }").arg(n).toUtf8());
        }
        list += "] }";
        WriteFile(temp_.path() + "/DefaultData/Language.config", list.toUtf8());
        ::setenv("QX580_DATA_DIR", temp_.path().toLocal8Bit().constData(), 1);
    }

    std::string shippedData_;
    QTemporaryDir temp_;
};

TEST_F(LanguageSettingsTest, StoredIdGivesTheIndexOfItsEntry) {
    EXPECT_EQ(LanguageSettings::GetLanguageIndex(), 0);  // nothing stored
    struct Case {
        QVariant stored;
        int index;
    };
    for (const Case& c :
         {Case{2052, 1}, Case{1033, 0}, Case{4242, 0}, Case{QString("cn"), 0}, Case{-1, 0}}) {
        UserSettings().setValue("LANGUAGE", c.stored);
        EXPECT_EQ(LanguageSettings::GetLanguageIndex(), c.index)
            << c.stored.toString().toStdString();
    }
}

TEST_F(LanguageSettingsTest, NoLanguageListGivesIndexZero) {
    UseLanguages(0);
    QFile::remove(temp_.path() + "/DefaultData/Language.config");
    UserSettings().setValue("LANGUAGE", 101);
    EXPECT_EQ(LanguageSettings::GetLanguageIndex(), 0);
}

TEST_F(LanguageSettingsTest, SwitchingChangesTheTextsOfOpenWindows) {
    ui::SkinLoader loader;
    std::unique_ptr<QWidget> window(loader.Build("msg.ui"));
    ASSERT_NE(window, nullptr) << loader.LastError().toStdString();
    auto* confirm = window->findChild<QPushButton*>("confirm_btn");
    auto* title = window->findChild<QLabel*>("MessageTitle");
    ASSERT_NE(confirm, nullptr);
    ASSERT_NE(title, nullptr);

    EXPECT_TRUE(LanguageSettings::SetLanguage(0));
    EXPECT_EQ(confirm->text(), "OK");
    EXPECT_EQ(title->text(), "Message");
    EXPECT_EQ(ui::ResourceManager::GetInstance().Language(), "en");
    EXPECT_EQ(StoredId().toInt(), 1033);

    EXPECT_TRUE(LanguageSettings::SetLanguage(1));
    EXPECT_EQ(confirm->text(), QString::fromUtf8("确定"));
    EXPECT_EQ(title->text(), QString::fromUtf8("提示"));
    EXPECT_EQ(ui::ResourceManager::GetInstance().Language(), "cn");
    EXPECT_EQ(LanguageSettings::CurrentIndex(), 1);
    EXPECT_EQ(StoredId().toInt(), 2052);
    // A text set by code as a key follows too.
    ui::SetControlText(title, "msg_cancel_text");
    EXPECT_TRUE(LanguageSettings::SetLanguage(0));
    EXPECT_EQ(title->text(), "Cancel");
}

TEST_F(LanguageSettingsTest, SelectingTheCurrentLanguageDoesNothing) {
    ASSERT_TRUE(LanguageSettings::SetLanguage(1));
    QLabel label;
    ui::SetControlText(&label, "msg_confirm_text");
    // Nothing is reloaded or stored again: a changed stored id and a hand-set text stay.
    UserSettings().setValue("LANGUAGE", 7);
    label.setText("by hand");
    EXPECT_FALSE(LanguageSettings::SetLanguage(1));
    EXPECT_EQ(StoredId().toInt(), 7);
    EXPECT_EQ(label.text(), "by hand");
    EXPECT_EQ(LanguageSettings::CurrentIndex(), 1);
}

TEST_F(LanguageSettingsTest, TheIdIsStoredWhenNothingWasStoredBefore) {
    const QString file = UserSettings().fileName();
    QFile::remove(file);
    ASSERT_FALSE(UserSettings().contains("LANGUAGE"));
    LanguageSettings::StoreLanguageId(2052);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(StoredId().toInt(), 2052);
    EXPECT_EQ(LanguageSettings::GetLanguageIndex(), 1);
}

TEST_F(LanguageSettingsTest, AnIndexWithoutEntryKeepsTextsAndTheStoredChoice) {
    ASSERT_TRUE(LanguageSettings::SetLanguage(1));
    QLabel label;
    ui::SetControlText(&label, "msg_confirm_text");
    EXPECT_TRUE(LanguageSettings::SetLanguage(7));
    EXPECT_EQ(label.text(), QString::fromUtf8("确定"));
    EXPECT_EQ(StoredId().toInt(), 2052);
    EXPECT_EQ(LanguageSettings::CurrentIndex(), 7);
}

TEST_F(LanguageSettingsTest, ALanguageFileOutsideTheLanguageFolderIsRefused) {
    UseLanguages(3, "../../DefaultData/Language.config");
    QLabel label;
    ui::SetControlText(&label, "probe_text");
    ASSERT_TRUE(LanguageSettings::SetLanguage(0));
    EXPECT_EQ(label.text(), "text 0");
    EXPECT_TRUE(LanguageSettings::SetLanguage(1));
    EXPECT_EQ(label.text(), "text 0");
    EXPECT_EQ(StoredId().toInt(), 101);  // the choice itself is valid and kept
    EXPECT_TRUE(LanguageSettings::SetLanguage(2));
    EXPECT_EQ(label.text(), "text 2");
}

TEST_F(LanguageSettingsTest, FontTableIsRebuiltOnlyAroundLanguagesZeroTwoAndFifteen) {
    UseLanguages(16);
    const QString uiFamily = "Verdana Unicode MS";
    struct Step {
        int index;
        bool rebuilt;
    };
    // From "nothing applied" (-1) the table is always built; then only switches that enter or
    // leave 0, 2 or 15 rebuild it.
    for (const Step& s :
         {Step{3, true}, Step{4, false}, Step{2, true}, Step{5, true}, Step{15, true},
          Step{9, true}, Step{10, false}, Step{0, true}, Step{1, true}, Step{1, false}}) {
        LanguageSettings::ApplyUiFont("Probe Family");
        LanguageSettings::SetLanguage(s.index);
        EXPECT_EQ(UiFontFamily(), s.rebuilt ? uiFamily : QString("Probe Family")) << s.index;
    }
}

TEST_F(LanguageSettingsTest, FontIdsGiveTheirSizeAndStyle) {
    LanguageSettings::ApplyUiFont("Verdana Unicode MS");
    struct Case {
        int id;
        int pixels;
        bool bold;
        bool underline;
    };
    for (const Case& c :
         {Case{kDefaultFontId, 14, false, false}, Case{0, 15, false, false},
          Case{1, 14, false, true}, Case{2, 18, false, false}, Case{3, 30, false, false},
          Case{11, 28, false, false}, Case{50, 18, true, false}, Case{12, 14, false, false}}) {
        const QFont font = UiFont(c.id);
        EXPECT_EQ(font.pixelSize(), c.pixels) << c.id;
        EXPECT_EQ(font.bold(), c.bold) << c.id;
        EXPECT_EQ(font.underline(), c.underline) << c.id;
        EXPECT_EQ(font.families().value(0), "Verdana Unicode MS") << c.id;
    }
    // Open windows take the table at once; a control names its entry with "fontid".
    QWidget window;
    auto* title = new QLabel(&window);
    title->setProperty(kFontIdProperty, 50);
    auto* plain = new QLabel(&window);
    LanguageSettings::ApplyUiFont("Another Family");
    EXPECT_EQ(title->font().families().value(0), "Another Family");
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().pixelSize(), 18);
    EXPECT_EQ(plain->font().pixelSize(), 14);
    // A control made afterwards takes its font before it is shown.
    auto* later = new QLabel(&window);
    later->setProperty(kFontIdProperty, 3);
    later->ensurePolished();
    EXPECT_EQ(later->font().pixelSize(), 30);
    EXPECT_EQ(later->font().families().value(0), "Another Family");
}

}  // namespace
}  // namespace qx::settings
