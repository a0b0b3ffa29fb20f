// The settings, skin and about windows as the main window opens them: one of each at a time,
// closed with the main window's close button, the background kept in "main.ini" and shown again
// after a restart, the desktop's settings programs and the autostart entry.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "app/app_fixture.h"
#include "app/msg_wnd.h"
#include "app/tray_menu.h"
#include "platform/autostart.h"
#include "platform/desktop_settings.h"
#include "settings/about_wnd.h"
#include "settings/set_wnd.h"
#include "settings/skin_frame.h"
#include "settings/skin_settings.h"
#include "ui/file_dialogs.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::app::test {
namespace {

namespace fs = std::filesystem;

template <class T>
std::vector<T*> OpenWindows() {
    std::vector<T*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* typed = qobject_cast<T*>(window); typed != nullptr && typed->isVisible())
            found.push_back(typed);
    }
    return found;
}

class SettingsWindowsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        // No update service address: the settings window's check ends at once.
        ::unsetenv("QX580_UPDATE_URL");
        std::error_code ignored;
        fs::remove(settings::SkinIniPath(), ignored);
        fs::remove(platform::AutostartEntryPath(), ignored);
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        ClearMessageAnswers();
        ui::FileDialogs::ClearAnswers();
        MainWindowTest::TearDown();
    }
    // Opens the tray menu (right click on the icon) and chooses an item.
    void ChooseFromTrayMenu(const char* item) {
        window_->HandleCustomMessage(msg::kTrayIcon, 0, CMainWnd::kRButtonUp);
        ASSERT_TRUE(
            WaitUntil([this] { return window_->TrayMenu() && window_->TrayMenu()->isVisible(); }));
        auto* button =
            window_->TrayMenu()->PaintManager().Find<QAbstractButton>(QLatin1String(item));
        ASSERT_NE(button, nullptr) << item;
        button->click();
    }
    // The colour the page shows where no panel covers the background.
    QRgb BackgroundPixel() {
        QWidget* root = Control("root");
        const QImage shot = root->grab().toImage();
        QWidget* page = Control("device_switch");
        const QPoint spot = page->mapTo(root, QPoint(page->width() / 2, page->height() - 4));
        return shot.pixel(spot);
    }
};

TEST_F(SettingsWindowsTest, EachPopupOpensOnceAndTheCloseButtonClosesThem) {
    Click("setbtn");
    Click("setbtn");
    ASSERT_EQ(OpenWindows<settings::CSetWnd>().size(), 1u);
    settings::CSetWnd* settingsWindow = OpenWindows<settings::CSetWnd>().front();
    EXPECT_TRUE(settingsWindow->isModal());
    // Beside the settings button: right edge 30, top 60 units inside the main window.
    const int dpi = window_->PaintManager().Dpi();
    EXPECT_EQ(settingsWindow->frameGeometry().right(),
              window_->frameGeometry().right() - 30 * dpi / 96);
    ASSERT_TRUE(WaitUntil([&] { return !settingsWindow->CheckRunning(); }));
    settingsWindow->close();

    ChooseFromTrayMenu("about_menu");
    ChooseFromTrayMenu("about_menu");
    ASSERT_EQ(OpenWindows<settings::CAboutWnd>().size(), 1u);
    settings::CAboutWnd* about = OpenWindows<settings::CAboutWnd>().front();
    EXPECT_EQ(about->VersionText(),
              ui::ResourceManager::GetInstance().Text("software_rev_text") + "V1.0.0.0");

    ChooseFromTrayMenu("setwnd_menu");
    ASSERT_EQ(OpenWindows<settings::CSetWnd>().size(), 1u);

    // The title bar's close button closes the popups and keeps the program in the tray.
    Click("closebtn");
    EXPECT_TRUE(WaitUntil([] {
        return OpenWindows<settings::CSetWnd>().empty() &&
               OpenWindows<settings::CAboutWnd>().empty();
    }));
    EXPECT_FALSE(window_->Exiting());
}

TEST_F(SettingsWindowsTest, BackgroundChoiceIsKeptInMainIniAndShownAfterARestart) {
    Click("skinbtn");
    ASSERT_EQ(OpenWindows<settings::CSkinFrame>().size(), 1u);
    settings::CSkinFrame* frame = OpenWindows<settings::CSkinFrame>().front();
    // The third colour of the frame.
    auto* colour = frame->findChild<QAbstractButton*>(QStringLiteral("skin_color_btn_2"));
    ASSERT_NE(colour, nullptr);
    const auto argb = settings::ParseArgb(colour->property("bkcolor").toString());
    ASSERT_TRUE(argb.has_value());
    colour->click();
    EXPECT_EQ(BackgroundPixel() & 0xFFFFFF, *argb & 0xFFFFFF);

    QSettings ini(QString::fromStdString(settings::SkinIniPath().string()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("SKINIMAGE/FLAGS").toString(), "2");

    // A new start shows the same background.
    window_->Exit();
    window_.reset();
    MainWindowTest::SetUp();
    EXPECT_EQ(BackgroundPixel() & 0xFFFFFF, *argb & 0xFFFFFF);

    // Reset: the default picture, FLAGS "0".
    Click("skinbtn");
    frame = OpenWindows<settings::CSkinFrame>().front();
    frame->findChild<QAbstractButton*>(QStringLiteral("skin_reset"))->click();
    ini.sync();
    EXPECT_EQ(ini.value("SKINIMAGE/FLAGS").toString(), "0");
    EXPECT_EQ(ini.value("SKINIMAGE/IMAGE").toString(), settings::kDefaultSkinPicture);
    EXPECT_NE(BackgroundPixel() & 0xFFFFFF, *argb & 0xFFFFFF);
}

TEST_F(SettingsWindowsTest, UsersOwnPictureIsCheckedAndCopiedIntoTheUsersFolder) {
    QTemporaryDir folder;
    const QString picture = folder.path() + "/mine.png";
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(QColor(200, 10, 10));
    ASSERT_TRUE(red.save(picture));
    const QString fake = folder.path() + "/fake.png";
    {
        QFile file(fake);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }

    // Not a picture: told, nothing kept.
    ui::FileDialogs::QueueAnswer(fake);
    QueueMessageAnswer(1);
    EXPECT_FALSE(settings::ChooseUserPicture(window_.get()));
    EXPECT_EQ(QueuedMessageAnswers(), 0) << "the user was not told";
    EXPECT_FALSE(fs::exists(settings::SkinIniPath()));

    ui::FileDialogs::QueueAnswer(picture);
    ASSERT_TRUE(settings::ChooseUserPicture(window_.get()));
    const auto kept = settings::ReadSkinChoice();
    ASSERT_TRUE(kept.has_value());
    EXPECT_FALSE(kept->colour);
    EXPECT_TRUE(
        kept->picture.startsWith(QString::fromStdString(settings::UserSkinFolder().string())));
    // The copy stays when the original goes.
    QFile::remove(picture);
    EXPECT_TRUE(settings::IsUsablePicture(kept->picture));
    EXPECT_EQ(QColor(BackgroundPixel()).red(), 200);
}

TEST_F(SettingsWindowsTest, MainIniThatNamesNoUsablePictureIsIgnored) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "../../../../etc/passwd"}, {"1", "common/nothing_here.png"}, {"2", "#12"}, {"7", ""}};
    for (const auto& [flags, image] : cases) {
        SCOPED_TRACE(image);
        QSettings ini(QString::fromStdString(settings::SkinIniPath().string()),
                      QSettings::IniFormat);
        ini.setValue("SKINIMAGE/FLAGS", flags);
        ini.setValue("SKINIMAGE/IMAGE", image);
        ini.setValue("SKINIMAGE/COLOR", image);
        ini.sync();
        EXPECT_FALSE(settings::ReadSkinChoice().has_value());
    }
}

TEST_F(SettingsWindowsTest, DesktopSettingsShortcutsRunTheDesktopsProgram) {
    QTemporaryDir bin;
    const QString marker = bin.path() + "/ran";
    for (const char* program : {"xfce4-keyboard-settings", "xfce4-mouse-settings"}) {
        const QString path = bin.path() + "/" + program;
        std::ofstream(path.toStdString())
            << "#!/bin/sh\necho " << program << " \"$@\" >> '" << marker.toStdString() << "'\n";
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");

    Click("setbtn");
    auto* settingsWindow = OpenWindows<settings::CSetWnd>().front();
    qobject_cast<QAbstractButton*>(settingsWindow->FindControl("windowdeviceset_1"))->click();
    // The shell creates the file before its echo writes the line: wait for the whole line.
    QByteArray ran;
    ASSERT_TRUE(WaitUntil([&] {
        QFile file(marker);
        if (!file.open(QIODevice::ReadOnly)) return false;
        ran = file.readAll();
        return ran.endsWith('\n');
    }));
    EXPECT_EQ(ran.trimmed(), "xfce4-mouse-settings");

    // No desktop's program: the user is told.
    qputenv("PATH", QTemporaryDir().path().toLocal8Bit());
    QueueMessageAnswer(1);
    qobject_cast<QAbstractButton*>(settingsWindow->FindControl("windowdeviceset_0"))->click();
    EXPECT_EQ(QueuedMessageAnswers(), 0);
    qputenv("PATH", oldPath);
    qunsetenv("XDG_CURRENT_DESKTOP");
    settingsWindow->close();
}

TEST_F(SettingsWindowsTest, AutostartIsOffUntilAskedAndFollowsTheMenuAndTheCheckBox) {
    EXPECT_FALSE(fs::exists(platform::AutostartEntryPath()));
    ChooseFromTrayMenu("autostart_menu");
    ASSERT_TRUE(platform::AutostartEnabled());
    std::ifstream entry(platform::AutostartEntryPath());
    std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec=\""), std::string::npos);
    EXPECT_NE(text.find("Type=Application"), std::string::npos);

    Click("setbtn");
    auto* settingsWindow = OpenWindows<settings::CSetWnd>().front();
    auto* check = qobject_cast<QCheckBox*>(settingsWindow->FindControl("autostart_check"));
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    check->click();
    EXPECT_FALSE(fs::exists(platform::AutostartEntryPath()));
    settingsWindow->close();
}

TEST(AutostartEntry, QuotesTheProgramAndHonoursEntriesSwitchedOff) {
    const std::string text = platform::AutostartEntryText("/opt/my \"qx\"/bin/qx580$%");
    EXPECT_NE(text.find("Exec=\"/opt/my \\\\\"qx\\\\\"/bin/qx580\\\\$%%\"\n"), std::string::npos);
    fs::create_directories(platform::AutostartEntryPath().parent_path());
    std::ofstream(platform::AutostartEntryPath())
        << "[Desktop Entry]\nType=Application\nHidden=true\n";
    EXPECT_FALSE(platform::AutostartEnabled());
    fs::remove(platform::AutostartEntryPath());
}

}  // namespace
}  // namespace qx::app::test
