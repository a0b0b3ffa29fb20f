// The main window against the simulated devices: shown after the first discovery pass, the tray,
// fitting to the display, lighting control, game messages, routing and languages.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <vector>

#include "app/copy_data.h"
#include "app/power_watcher.h"
#include "app/tray_menu.h"
#include "app_fixture.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "sim/keyboard_firmware.h"
#include "ui/messages.h"
#include "ui/resource_manager.h"

namespace qx::app::test {
namespace {

using NoDeviceTest = MainWindowTest;

TEST_F(NoDeviceTest, ShowsNoDeviceLinkAfterTheFirstPass) {
    EXPECT_TRUE(window_->FirstPassDone());
    QWidget* placeholder = Control("No_device_Link");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_EQ(window_->Devices()->OnlineCount(), 0);
}

// A device that is plugged in but does not open makes the empty list say so and name the fix;
// the hint goes once nothing is left that does not open.
TEST_F(NoDeviceTest, EmptyListExplainsDevicesThatDoNotOpen) {
    auto* title = qobject_cast<QLabel*>(Control("nodevice_access_title"));
    auto* reason = qobject_cast<QLabel*>(Control("nodevice_access_reason"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(reason, nullptr);
    EXPECT_FALSE(title->isVisible());
    const std::string why = "no permission to open /dev/hidraw3: install the udev rule";
    window_->OnDevicesNotOpenable({why});  // as the discovery thread reports it
    ASSERT_TRUE(WaitUntil([&] { return reason->isVisible(); }));
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(title->text(), "A supported device is plugged in, but it cannot be opened:");
    EXPECT_EQ(reason->text().toStdString(), why);
    window_->OnDevicesNotOpenable({});
    ASSERT_TRUE(WaitUntil([&] { return !reason->isVisible(); }));
    EXPECT_FALSE(title->isVisible());
}

// Without a session bus the window says once, in the bar under the title, that messages with
// other programs are off; the user closes the notice.
TEST_F(NoDeviceTest, NoticeBarShowsUntilClosed) {
    QWidget* bar = Control("notice_bar");
    auto* text = qobject_cast<QLabel*>(Control("notice_text"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(bar->isVisible());
    window_->ShowNotice(QStringLiteral("notice_bus_off_text"));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(text->text().startsWith("No session bus")) << text->text().toStdString();
    window_->HandleCustomMessage(msg::kLanguageChanged, 1, 0);
    EXPECT_TRUE(text->text().startsWith(QString::fromUtf8("没有会话总线")));
    window_->HandleCustomMessage(msg::kLanguageChanged, 0, 0);
    Click("notice_close");
    EXPECT_FALSE(bar->isVisible());
}

// The title bar's maximise button gives way to restore while the window is maximised, and restore
// brings the window back to its size.
TEST_F(NoDeviceTest, MaximiseAndRestoreFromTheTitleBar) {
    QWidget* maximise = Control("maxbtn");
    QWidget* restore = Control("restorebtn");
    ASSERT_NE(maximise, nullptr);
    ASSERT_NE(restore, nullptr);
    const QSize normal = window_->size();
    Click("maxbtn");
    ASSERT_TRUE(WaitUntil([&] { return window_->isMaximized(); }));
    EXPECT_TRUE(WaitUntil([&] { return restore->isVisible() && !maximise->isVisible(); }));
    Click("restorebtn");
    ASSERT_TRUE(WaitUntil([&] { return !window_->isMaximized(); }));
    EXPECT_TRUE(WaitUntil([&] { return maximise->isVisible() && !restore->isVisible(); }));
    EXPECT_EQ(window_->size(), normal);
}

// Where the desktop shows no tray icons, a hidden window could never come back: the close button
// ends the program instead.
TEST_F(NoDeviceTest, WithoutATrayTheCloseButtonEndsTheProgram) {
    trayAvailable_ = false;
    int exits = 0;
    QObject scope;
    QObject::connect(window_.get(), &CMainWnd::Exited, &scope, [&] { ++exits; });
    Click("closebtn");
    EXPECT_TRUE(window_->Exiting());
    EXPECT_TRUE(WaitUntil([&] { return exits == 1; }));
}

TEST_F(NoDeviceTest, CloseButtonHidesToTheTrayAndTheTrayBringsItBack) {
    int exits = 0;
    QObject scope;  // ends the connection with the test body
    QObject::connect(window_.get(), &CMainWnd::Exited, &scope, [&] { ++exits; });
    Click("closebtn");
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->Exiting());
    ASSERT_NE(window_->TrayIcon(), nullptr);
    EXPECT_TRUE(window_->TrayIcon()->isVisible());

    window_->HandleCustomMessage(msg::kTrayIcon, 0, CMainWnd::kLButtonUp);
    EXPECT_TRUE(window_->isVisible());
    // A second left click puts it back into the tray, a third brings it back again.
    window_->HandleCustomMessage(msg::kTrayIcon, 0, CMainWnd::kLButtonUp);
    EXPECT_FALSE(window_->isVisible());
    window_->HandleCustomMessage(msg::kTrayIcon, 0, CMainWnd::kLButtonUp);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(exits, 0);
}

TEST_F(NoDeviceTest, CloseFromOutsideTheTitleBarEndsTheProgram) {
    int exits = 0;
    QObject scope;  // ends the connection with the test body
    QObject::connect(window_.get(), &CMainWnd::Exited, &scope, [&] { ++exits; });
    window_->close();
    EXPECT_TRUE(window_->Exiting());
    EXPECT_EQ(window_->TrayIcon(), nullptr);
    EXPECT_EQ(exits, 1);
    window_->Exit();  // once only
    EXPECT_EQ(exits, 1);
}

TEST_F(NoDeviceTest, TrayMenuExitEndsTheWindowAndItsWorkers) {
    window_->HandleCustomMessage(msg::kTrayIcon, 0, CMainWnd::kRButtonUp);
    ASSERT_TRUE(WaitUntil(
        [this] { return window_->TrayMenu() != nullptr && window_->TrayMenu()->isVisible(); }));
    auto* exit = qobject_cast<QAbstractButton*>(
        window_->TrayMenu()->PaintManager().FindControl(QStringLiteral("exit")));
    ASSERT_NE(exit, nullptr);
    exit->click();
    EXPECT_TRUE(window_->Exiting());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(window_->TrayIcon(), nullptr);
}

TEST_F(NoDeviceTest, FitsTheDisplayScaleToTheMonitor) {
    monitor_ = QSize(1920, 1080);
    window_->FitToDisplay();
    EXPECT_EQ(window_->PageDpi(), 144);
    EXPECT_EQ(window_->PaintManager().Dpi(), 144);
    EXPECT_EQ(window_->size(), QSize(1500, 960));

    monitor_ = QSize(1366, 768);
    window_->HandleCustomMessage(msg::kDisplayChange, 0, 0);
    EXPECT_EQ(window_->PageDpi(), 96);
    EXPECT_EQ(window_->PaintManager().Dpi(), 96);
    EXPECT_EQ(window_->size(), QSize(1000, 640));
    EXPECT_TRUE(window_->isVisible());

    // Fitting keeps a window in the tray there.
    Click("closebtn");
    window_->FitToDisplay();
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(NoDeviceTest, SecondLightControlClickTakesControlBackAndBroadcasts) {
    std::vector<std::tuple<QString, int, int>> broadcasts;
    QObject scope;
    QObject::connect(
        window_.get(), &CMainWnd::Broadcast, &scope,
        [&](const QString& name, int w, int l) { broadcasts.emplace_back(name, w, l); });
    ASSERT_TRUE(window_->LightingControl());
    const QString name = QString::fromLatin1(msg::kLightControlBroadcastName.data(),
                                             qsizetype(msg::kLightControlBroadcastName.size()));

    Click("control_light_status");
    EXPECT_FALSE(window_->LightingControl());
    Click("control_light_status");
    EXPECT_TRUE(window_->LightingControl());
    ASSERT_EQ(broadcasts.size(), 2u);
    EXPECT_EQ(broadcasts[0], std::make_tuple(name, 1, 0));
    EXPECT_EQ(broadcasts[1], std::make_tuple(name, 1, 1));
    EXPECT_EQ(ui::ControlTextKey(Control("control_light_status")), "control_light_on_text");
}

TEST_F(NoDeviceTest, LightControlStatusFromOutsideSwitchesWithoutBroadcasting) {
    int broadcasts = 0;
    QObject scope;
    QObject::connect(window_.get(), &CMainWnd::Broadcast, &scope, [&] { ++broadcasts; });
    window_->HandleCustomMessage(msg::kLightControlStatus, 1, 0);
    EXPECT_FALSE(window_->LightingControl());
    EXPECT_EQ(ui::ControlTextKey(Control("control_light_status")), "control_light_off_text");
    // Only wParam 1 with lParam 0 or 1 means anything.
    window_->HandleCustomMessage(msg::kLightControlStatus, 0, 1);
    window_->HandleCustomMessage(msg::kLightControlStatus, 1, 7);
    EXPECT_FALSE(window_->LightingControl());
    window_->HandleCustomMessage(msg::kLightControlStatus, 1, 1);
    EXPECT_TRUE(window_->LightingControl());
    EXPECT_EQ(broadcasts, 0);
}

TEST_F(NoDeviceTest, LanguageSwitchChangesTheVisibleTexts) {
    auto* title = qobject_cast<QLabel*>(Control("nodevice_title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "No device connected");
    window_->HandleCustomMessage(msg::kLanguageChanged, 1, 0);
    EXPECT_EQ(title->text(), QString::fromUtf8("未连接设备"));
    window_->HandleCustomMessage(msg::kLanguageChanged, 0, 0);
    EXPECT_EQ(title->text(), "No device connected");
    // An index the language list does not have changes nothing.
    for (qintptr index : {qintptr(2), qintptr(-5), qintptr(1) << 40})
        window_->HandleCustomMessage(msg::kLanguageChanged, index, 0);
    EXPECT_EQ(title->text(), "No device connected");
}

// The settings window's language choice lists the languages and switches every window's texts.
TEST_F(NoDeviceTest, LanguageChoiceOfTheSettingsWindowSwitchesTheTexts) {
    Click("setbtn");
    QComboBox* combo = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == "SetWnd" && window->isVisible())
            combo = window->findChild<QComboBox*>("Language_combox_info");
    }
    auto* title = qobject_cast<QLabel*>(Control("nodevice_title"));
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(title, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 0);
    combo->setCurrentIndex(1);
    emit combo->activated(1);  // what a user's pick raises
    EXPECT_EQ(title->text(), QString::fromUtf8("未连接设备"));
    EXPECT_EQ(combo->currentIndex(), 1);
    window_->HandleCustomMessage(msg::kLanguageChanged, 0, 0);
    EXPECT_EQ(combo->currentIndex(), 0) << "the choice follows a switch made elsewhere";
    EXPECT_EQ(title->text(), "No device connected");
    combo->window()->close();
}

TEST_F(NoDeviceTest, CopyDataKeepsOnlyTheTwoKnownKinds) {
    CopyDataParam levels{"capture", 1, QByteArray("\x01\x02", 2)};
    CopyDataParam unknown{"capture", 5, QByteArray("x")};
    CopyDataParam empty{"capture", 2, QByteArray()};
    EXPECT_EQ(window_->ReceiveCopyData(levels), 1);
    EXPECT_EQ(window_->ReceiveCopyData(unknown), 0);
    EXPECT_EQ(window_->ReceiveCopyData(empty), 0);
    // No pointer travels in a message parameter: the number alone carries nothing.
    EXPECT_EQ(window_->HandleCustomMessage(msg::kCopyData, 0, 0), 0);
    EXPECT_EQ(window_->CopyDataBuffer(1), QByteArray("\x01\x02", 2));
    EXPECT_TRUE(window_->CopyDataBuffer(2).isEmpty());
}

TEST_F(NoDeviceTest, SleepOfTheMachineSwitchesTheAwakeFlag) {
    PowerWatcher power(window_.get());
    power.PrepareForSleep(true);  // handed over at once: later game messages see it
    EXPECT_FALSE(window_->Awake());
    EXPECT_EQ(window_->HandleCustomMessage(msg::kGameEnd, 0, 3), 0);
    power.PrepareForSleep(false);
    EXPECT_TRUE(WaitUntil([this] { return window_->Awake(); }));
}

uint8_t EffectOf(devices::COrvaneUSBDevice& device) {
    return static_cast<uint8_t>(device.GetLightSettings()[0] & 0xFF);
}

TEST_F(KeyboardAndHeadsetTest, GameMessageWhileSuspendingIsIgnored) {
    devices::COrvaneUSBDevice* current = window_->Devices()->CurrentDevice();
    ASSERT_NE(current, nullptr);
    const uint8_t before = EffectOf(*current);
    const uint8_t wanted = before == 7 ? 8 : 7;

    window_->HandleCustomMessage(msg::kPowerBroadcast, msg::kPowerSuspend, 0);
    EXPECT_FALSE(window_->Awake());
    EXPECT_EQ(window_->HandleCustomMessage(msg::kGameStart, 1, wanted), 0);
    EXPECT_EQ(EffectOf(*current), before);
    EXPECT_FALSE(window_->PaintManager().HasTimer(window_.get(), CMainWnd::kGameRestoreTimer));

    window_->HandleCustomMessage(msg::kPowerBroadcast, msg::kPowerResume, 0);
    EXPECT_TRUE(window_->Awake());
    EXPECT_EQ(window_->HandleCustomMessage(msg::kGameStart, 1, wanted), 1);
    EXPECT_EQ(EffectOf(*current), wanted);
    EXPECT_TRUE(window_->PaintManager().HasTimer(window_.get(), CMainWnd::kGameRestoreTimer));
}

TEST_F(KeyboardAndHeadsetTest, GameStartRemembersTheEffectAndTheTimerRestoresIt) {
    auto* keyboard = dynamic_cast<devices::COrvaneKeyboardDevice*>(Keyboard());
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(window_->Devices()->CurrentDevice(), keyboard);
    // First contact done: the keyboard's settings block has been read.
    ASSERT_TRUE(WaitUntil([&] { return keyboard->LightThreadRunning(); }));
    // The effect byte of the keyboard's settings block of profile 0, as the keyboard holds it.
    auto deviceEffectCode = [this] {
        return bus_.Keyboard()->ReadMemory(sim::Region::Config, 1, 1).at(0);
    };
    const uint8_t before = EffectOf(*keyboard);
    const uint8_t remembered = before == 0 || before > 20 ? 1 : before;
    const std::vector<int> codes = keyboard->EffectCodeList();
    ASSERT_LT(remembered, codes.size());
    ASSERT_EQ(window_->HandleCustomMessage(msg::kGameStart, 0, 30), 1);
    EXPECT_EQ(EffectOf(*keyboard), 30);
    EXPECT_EQ((keyboard->GetLightSettings()[3] >> 8) & 0xFF, remembered);
    // The keyboard runs the host-driven effect: its block says so (0xFE).
    EXPECT_TRUE(WaitUntil([&] { return deviceEffectCode() == 0xFE; }))
        << "the game's effect did not reach the keyboard";
    // The lighting panel shows the game's effect, and the keyboard's own one after the restore.
    auto* effects =
        keyboard->Page()->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
    ASSERT_NE(effects, nullptr);
    EXPECT_EQ(effects->currentIndex(), 30);
    // The restore timer's notification, delivered at once.
    window_->PaintManager().SendNotify(window_.get(), QStringLiteral("timer"),
                                       CMainWnd::kGameRestoreTimer);
    EXPECT_EQ(EffectOf(*keyboard), remembered);
    EXPECT_EQ(effects->currentIndex(), remembered);
    EXPECT_TRUE(WaitUntil([&] { return deviceEffectCode() == codes[remembered]; }))
        << "the keyboard did not get its own effect back";
}

// A click on a device's name in the list selects it, as a click on its icon does.
TEST_F(KeyboardAndHeadsetTest, AClickOnTheDevicesNameSelectsIt) {
    devices::DeviceListController* list = window_->Devices();
    ASSERT_EQ(list->CurrentDevice(), Keyboard());
    QLabel* name = Headset()->DeviceEntry()->NameLabel();
    ASSERT_NE(name, nullptr);
    const QPoint at = name->rect().center();
    const QPointF global = name->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &press);
    QCoreApplication::sendEvent(name, &release);
    EXPECT_EQ(list->CurrentDevice(), Headset());
    auto* pages = qobject_cast<QStackedWidget*>(Control("device_switch"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentIndex(), Headset()->DeviceEntry()->PageIndex());
}

TEST_F(KeyboardAndHeadsetTest, PageTabsGoToTheSelectedDeviceAndUnknownNamesAreIgnored) {
    devices::COrvaneUSBDevice* current = window_->Devices()->CurrentDevice();
    ASSERT_NE(current, nullptr);
    ui::PaintManager& pm = window_->PaintManager();

    QPushButton tab(window_.get());
    tab.setCheckable(true);
    tab.setChecked(true);
    tab.setObjectName(QStringLiteral("macro_Op_tab"));
    pm.SendNotify(&tab, QStringLiteral("selectchanged"));
    EXPECT_EQ(current->GetFunctionPage(), 3);

    const bool lighting = window_->LightingControl();
    const int online = window_->Devices()->OnlineCount();
    for (const char* name : {"bogus_Op_tab", "key_", "closebtn_2", "", "device_select_x"}) {
        QPushButton stranger(window_.get());
        stranger.setCheckable(true);
        stranger.setChecked(true);
        stranger.setObjectName(QString::fromLatin1(name));
        pm.SendNotify(&stranger, QStringLiteral("click"));
        pm.SendNotify(&stranger, QStringLiteral("selectchanged"));
        pm.SendNotify(&stranger, QStringLiteral("itemselect"), 3);
        pm.SendNotify(&stranger, QStringLiteral("timer"), 4242);
    }
    pm.SendNotify(nullptr, QStringLiteral("click"));
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->LightingControl(), lighting);
    EXPECT_EQ(window_->Devices()->OnlineCount(), online);
    EXPECT_EQ(window_->Devices()->CurrentDevice(), current);
    EXPECT_EQ(current->GetFunctionPage(), 3);
    // Messages nobody handles are answered with 0.
    EXPECT_EQ(window_->HandleCustomMessage(0x7FFF, 1, 2), 0);
}

}  // namespace
}  // namespace qx::app::test

namespace qx::app::test {
namespace {

// Every kind in simulation: the table gives the receiver, mouse and pad rows the simulator's
// identities, so the four devices get their entries and pages.
class EveryKindTest : public MainWindowTest {
  protected:
    std::vector<std::string> PluggedAtStart() const override {
        return sim::DevicesPluggedAtStart(sim::SimulationMode::All);
    }
    std::vector<SupportedDeviceRow> SupportedRows() const override {
        return sim::WithSimulatorIdentities(kSupportedDevices);
    }
};

TEST_F(EveryKindTest, FourDevicesAreListedWithTheirPages) {
    devices::DeviceListController* list = window_->Devices();
    ASSERT_TRUE(WaitUntil([&] { return list->OnlineCount() == 4; }))
        << "entries shown: " << list->OnlineCount();
    for (const auto* family :
         {&list->Keyboards(), &list->Mice(), &list->MousePads(), &list->Headsets()}) {
        ASSERT_EQ(family->size(), 1u);
        EXPECT_TRUE(family->front()->Online());
        EXPECT_NE(family->front()->Page(), nullptr);
    }
    EXPECT_TRUE(Control("No_device_Link")->isHidden());
}

}  // namespace
}  // namespace qx::app::test
