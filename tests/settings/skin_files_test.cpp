// The shipped skin as data: every text is a language key both languages know, every control the
// program looks up by name is there once, the device pictures hold their key and LED buttons,
// every picture a skin names exists, and every file builds through the skin loader.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/language_list.h"
#include "skin_reader.h"
#include "ui/skin_loader.h"

namespace qx::settings {
namespace {

using qx::testing::ReadSkinFile;
using qx::testing::SkinFile;
using qx::testing::SkinWidget;

QString SkinDir() { return QString(QX580_SOURCE_DATA_DIR) + "/skin"; }

QStringList UiFiles() {
    QStringList files;
    QDirIterator it(SkinDir(), {"*.ui"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(SkinDir()).relativeFilePath(it.next());
    files.sort();
    return files;
}

QJsonObject Language(const QString& file) {
    QFile in(SkinDir() + "/lang/" + file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(in.readAll()).object();
}

SkinFile Read(const QString& relative) { return ReadSkinFile(SkinDir() + "/" + relative); }

// The path inside an image text ("file='a.png'" or "a.png").
QString ImagePath(const QString& text) {
    static const QRegularExpression file("file='([^']*)'");
    const auto match = file.match(text);
    return match.hasMatch() ? match.captured(1) : text;
}

TEST(SkinFiles, EveryFileReadsAndTheExpectedOnesExist) {
    const QStringList files = UiFiles();
    for (const char* required :
         {"main.ui", "msg.ui", "menu.ui", "XML/CustomControlXML/DeviceOption.ui",
          "XML/CustomControlXML/MpDevicePower.ui", "XML/DeviceXml/keyboarddevice.ui",
          "XML/DeviceXml/mousedevice.ui", "XML/DeviceXml/mousepaddevice.ui",
          "XML/DeviceXml/hs6533device.ui"}) {
        EXPECT_TRUE(files.contains(QString(required))) << required;
    }
    for (const QString& file : files) {
        const SkinFile skin = Read(file);
        EXPECT_TRUE(skin.error.isEmpty()) << skin.error.toStdString();
        EXPECT_FALSE(skin.widgets.empty()) << file.toStdString();
    }
}

TEST(SkinFiles, EveryVisibleTextIsAKeyOfBothLanguages) {
    const QJsonObject en = Language("lan_en.json");
    const QJsonObject cn = Language("lan_cn.json");
    ASSERT_FALSE(en.isEmpty());
    ASSERT_FALSE(cn.isEmpty());
    const QStringList enKeys = en.keys();
    const QStringList cnKeys = cn.keys();
    EXPECT_EQ(enKeys, cnKeys);
    int texts = 0;
    for (const QString& file : UiFiles()) {
        for (const SkinWidget& w : Read(file).widgets) {
            QStringList shown = w.items;
            for (const char* property : {"text", "toolTip", "windowTitle", "placeholderText"}) {
                const QString value = w.strings.value(property);
                if (!value.isEmpty()) shown << value;
            }
            for (const QString& text : shown) {
                ++texts;
                EXPECT_TRUE(en.contains(text))
                    << file.toStdString() << " " << w.name.toStdString() << ": \""
                    << text.toStdString() << "\" not in lan_en";
                EXPECT_TRUE(cn.contains(text))
                    << file.toStdString() << " " << w.name.toStdString() << ": \""
                    << text.toStdString() << "\" not in lan_cn";
            }
        }
    }
    EXPECT_GT(texts, 50);
}

struct Required {
    const char* file;
    const char* name;
    const char* cls;  // nullptr: any class
};

// Controls the program finds by name; each must be there exactly once in its file.
const Required kRequired[] = {
    {"main.ui", "root", "QWidget"},
    {"main.ui", "closebtn", nullptr},
    {"main.ui", "maxbtn", nullptr},
    {"main.ui", "restorebtn", nullptr},
    {"main.ui", "minbtn", nullptr},
    {"main.ui", "skinbtn", nullptr},
    {"main.ui", "gamemodebtn", nullptr},
    {"main.ui", "cloudbtn", nullptr},
    {"main.ui", "smarteyesbtn", nullptr},
    {"main.ui", "setbtn", nullptr},
    {"main.ui", "control_light_status", nullptr},
    {"main.ui", "device_select_layout", nullptr},
    {"main.ui", "device_select_prev", nullptr},
    {"main.ui", "device_select_next", nullptr},
    {"main.ui", "device_switch", "QStackedWidget"},
    {"main.ui", "device_power_switch", "QStackedWidget"},
    {"main.ui", "No_device_Link", nullptr},
    {"main.ui", "nodevice_ok_btn", nullptr},
    {"main.ui", "text_test", "QLabel"},
    {"main.ui", "str_test", "QLabel"},
    {"main.ui", "setting_progress", "QProgressBar"},
    {"msg.ui", "MessageTitle", "QLabel"},
    {"msg.ui", "MessageText", "QLabel"},
    {"msg.ui", "confirm_btn", nullptr},
    {"msg.ui", "cancel_btn", nullptr},
    {"msg.ui", "closebtn", nullptr},
    {"menu.ui", "exit", "QPushButton"},
    {"menu.ui", "setwnd_menu", "QPushButton"},
    {"menu.ui", "about_menu", "QPushButton"},
    {"menu.ui", "autostart_menu", "QPushButton"},
    {"setwnd.ui", "root", "QWidget"},
    {"setwnd.ui", "closebtn", nullptr},
    {"setwnd.ui", "laterbtn", nullptr},
    {"setwnd.ui", "minbtn", nullptr},
    {"setwnd.ui", "Language_combox_info", "QComboBox"},
    {"setwnd.ui", "autostart_check", "QCheckBox"},
    {"setwnd.ui", "windowdeviceset_0", nullptr},
    {"setwnd.ui", "windowdeviceset_1", nullptr},
    {"setwnd.ui", "device_update_list_info", nullptr},
    {"setwnd.ui", "Update_Status_text", "QLabel"},
    {"setwnd.ui", "update_status_ring", nullptr},
    {"setwnd.ui", "update_status_image", nullptr},
    {"setwnd.ui", "update_fw_and_ap", nullptr},
    {"setwnd.ui", "update_OK_btn", nullptr},
    {"setwnd.ui", "get_update_tab_layout", "QStackedWidget"},
    {"setwnd.ui", "update_tishi_layout", nullptr},
    {"setwnd.ui", "set_in_update_wnd_btn", nullptr},
    {"XML/CustomControlXML/device_Update_list_item.ui", "check_name_select", "QCheckBox"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "OldRev", "QLabel"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "updateRev", "QLabel"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "update_status_text", "QLabel"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "update_status_ing", "QProgressBar"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "update_progress_value", "QLabel"},
    {"XML/CustomControlXML/device_Update_list_item.ui", "update_status_ok", "QLabel"},
    {"skin.ui", "skin_tab", "QStackedWidget"},
    {"skin.ui", "skin_color", nullptr},
    {"skin.ui", "skin_image", nullptr},
    {"skin.ui", "skin_reset", nullptr},
    {"skin.ui", "skin_Custom", nullptr},
    {"AboutWnd.ui", "closebtn", nullptr},
    {"AboutWnd.ui", "software_ver_label", "QLabel"},
    {"XML/CustomControlXML/DeviceOption.ui", "root", "DeviceOption"},
    {"XML/CustomControlXML/DeviceOption.ui", "device_select", "QPushButton"},
    {"XML/CustomControlXML/DeviceOption.ui", "synchro_device_select", nullptr},
    {"XML/CustomControlXML/DeviceOption.ui", "device_select_name", "QLabel"},
    {"XML/CustomControlXML/MpDevicePower.ui", "root", "MpDevicePower"},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_power_Layout", nullptr},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_power_value", "QLabel"},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_wuxian_logo", nullptr},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_Power_progress", "QProgressBar"},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_power_status", nullptr},
    {"XML/CustomControlXML/MpDevicePower.ui", "device_phone_type", "QLabel"},
    {"XML/DeviceXml/keyboarddevice.ui", "root", "OrvaneKeyboardDevice"},
    {"XML/DeviceXml/keyboarddevice.ui", "keyboard_device_key_light", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "device_key_light", "SelectPanel"},
    {"XML/DeviceXml/keyboarddevice.ui", "winlockflag_option", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "wflag_option", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "6flag_option", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "repeat_rate_slider", "QSlider"},
    {"XML/DeviceXml/keyboarddevice.ui", "repeat_delay_time_label1", "QLabel"},
    {"XML/DeviceXml/keyboarddevice.ui", "repeat_input_richedit", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "reset_repeat_btn", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "KeySetControlItem", nullptr},
    {"XML/DeviceXml/keyboarddevice.ui", "MacroControlItem", nullptr},
    {"XML/DeviceXml/mousedevice.ui", "root", "OrvaneMouseDevice"},
    {"XML/DeviceXml/mousedevice.ui", "mouse_device_key_light", "SelectPanel"},
    {"XML/DeviceXml/mousedevice.ui", "KeySetControlItem", nullptr},
    {"XML/DeviceXml/mousedevice.ui", "MacroControlItem", nullptr},
    {"XML/DeviceXml/mousedevice.ui", "mouse_option_layout", nullptr},
    {"XML/DeviceXml/mousedevice.ui", "mouse_device_seting_layout", nullptr},
    {"XML/DeviceXml/mousepaddevice.ui", "root", "OrvaneMousePadDevice"},
    {"XML/DeviceXml/hs6533device.ui", "root", "OrvaneHS6533Device"},
    {"XML/DeviceXml/hs6533device.ui", "Voice6533ControlItem", nullptr},
    {"XML/DeviceXml/hs6533device.ui", "MagicControlItem", nullptr},
};

const char* const kDevicePages[] = {
    "XML/DeviceXml/keyboarddevice.ui", "XML/DeviceXml/mousedevice.ui",
    "XML/DeviceXml/mousepaddevice.ui", "XML/DeviceXml/hs6533device.ui"};

// Names every device page holds: the two tab layouts, the profile and lighting panels, and the
// eight page tabs (the profile panel hides those a family does not use).
const char* const kEveryPage[] = {"device_function_switch",
                                  "device_key_function_switch",
                                  "DeviceProfileItem",
                                  "LightControlItem",
                                  "device_profile_combo",
                                  "default_btn",
                                  "deng_Op_tab",
                                  "key_Op_tab",
                                  "macro_Op_tab",
                                  "system_Op_tab",
                                  "cursor_Op_tab",
                                  "6533_voice_Op_tab",
                                  "magic_Op_tab",
                                  "Virtual7.1_Op_tab"};

TEST(SkinFiles, RequiredNamesAreThereOnce) {
    for (const Required& r : kRequired) {
        const SkinFile skin = Read(r.file);
        const std::vector<int> found = skin.Named(r.name);
        ASSERT_EQ(found.size(), 1u) << r.file << ": " << r.name;
        if (r.cls != nullptr) {
            EXPECT_EQ(skin.widgets[static_cast<size_t>(found[0])].cls, QString(r.cls))
                << r.file << ": " << r.name;
        }
    }
    for (const char* file : kDevicePages) {
        const SkinFile skin = Read(file);
        for (const char* name : kEveryPage) {
            EXPECT_EQ(skin.Named(name).size(), 1u) << file << ": " << name;
        }
        // Every page number a device selects has its page (function switch 0-3, key-function
        // switch 0-2), and the key-function switch is page 0 of the function switch.
        struct Layout {
            const char* name;
            size_t pages;
        };
        for (const Layout& layout :
             {Layout{"device_function_switch", 4}, Layout{"device_key_function_switch", 3}}) {
            const std::vector<int> found = skin.Named(layout.name);
            if (found.size() != 1) continue;
            EXPECT_EQ(skin.widgets[static_cast<size_t>(found[0])].cls, "QStackedWidget");
            EXPECT_EQ(skin.ChildrenOf(found[0]).size(), layout.pages)
                << file << ": " << layout.name;
        }
        const int keyFunction = skin.Named("device_key_function_switch").at(0);
        const int pageZero = skin.ChildrenOf(skin.Named("device_function_switch").at(0)).at(0);
        EXPECT_EQ(skin.widgets[static_cast<size_t>(keyFunction)].parent, pageZero) << file;
    }
}

TEST(SkinFiles, NamesAreUniqueInEachFile) {
    for (const QString& file : UiFiles()) {
        QHash<QString, int> seen;
        for (const SkinWidget& w : Read(file).widgets) ++seen[w.name];
        for (auto it = seen.begin(); it != seen.end(); ++it) {
            EXPECT_EQ(it.value(), 1) << file.toStdString() << ": " << it.key().toStdString();
        }
    }
}

TEST(SkinFiles, TabLayoutsHaveTheirFirstPagesAndPlaceholders) {
    const SkinFile main = Read("main.ui");
    for (const char* layout : {"device_switch", "device_power_switch"}) {
        EXPECT_GE(main.ChildrenOf(main.Named(layout).at(0)).size(), 1u) << layout;
    }
    // "No_device_Link" sits on page 0 of the device pages, which is shown when nothing is on-line.
    int at = main.Named("No_device_Link").at(0);
    const int pageZero = main.ChildrenOf(main.Named("device_switch").at(0)).at(0);
    while (at >= 0 && at != pageZero) at = main.widgets[static_cast<size_t>(at)].parent;
    EXPECT_EQ(at, pageZero);
    // The option group of the device entries is the one of the device entry table.
    const SkinFile entry = Read("XML/CustomControlXML/DeviceOption.ui");
    const SkinWidget& select = entry.widgets[static_cast<size_t>(entry.Named("device_select")[0])];
    EXPECT_TRUE(select.bools.value("checkable"));
    EXPECT_EQ(select.strings.value("group"), "tab_header_device");
    // Hidden helpers stay hidden.
    for (const char* hidden : {"text_test", "str_test", "setting_progress", "restorebtn"}) {
        const SkinWidget& w = main.widgets[static_cast<size_t>(main.Named(hidden)[0])];
        EXPECT_FALSE(w.bools.value("visible", true)) << hidden;
    }
}

// The DeviceKeyButtons that are direct children of a picture's SelectPanel, by name.
QHash<QString, const SkinWidget*> PictureButtons(const SkinFile& skin, const QString& panel) {
    QHash<QString, const SkinWidget*> out;
    const std::vector<int> found = skin.Named(panel);
    if (found.size() != 1) return out;
    for (int child : skin.ChildrenOf(found[0])) {
        const SkinWidget& w = skin.widgets[static_cast<size_t>(child)];
        if (w.cls == "DeviceKeyButton") out.insert(w.name, &w);
    }
    return out;
}

TEST(SkinFiles, KeyboardPictureHoldsEveryKeyAndLed) {
    const SkinFile skin = Read("XML/DeviceXml/keyboarddevice.ui");
    const QHash<QString, const SkinWidget*> buttons = PictureButtons(skin, "device_key_light");
    ASSERT_EQ(buttons.size(), 340);
    const QRect panel(0, 0, 10000, 10000);
    int shown = 0;
    std::vector<QRect> placed;
    for (int n = 0; n < 170; ++n) {
        const SkinWidget* key = buttons.value(QString("key_%1").arg(n));
        const SkinWidget* light = buttons.value(QString("light_%1").arg(n));
        ASSERT_NE(key, nullptr) << n;
        ASSERT_NE(light, nullptr) << n;
        // A key and its LED are the same place of the picture, and are shown together.
        EXPECT_EQ(key->geometry, light->geometry) << n;
        EXPECT_EQ(key->bools.value("visible", true), light->bools.value("visible", true)) << n;
        EXPECT_FALSE(light->strings.value("lightimage").isEmpty()) << n;
        if (key->bools.value("visible", true)) {
            ++shown;
            EXPECT_GE(key->geometry.width(), 20) << n;
            for (const QRect& other : placed) EXPECT_FALSE(other.intersects(key->geometry)) << n;
            placed.push_back(key->geometry);
        }
    }
    // The keys of the keyboard's lighting grid: 104 keys with an LED.
    EXPECT_EQ(shown, 104);
    // Esc (0), Space (108) and the number pad's Enter (118) are where a keyboard has them.
    const QRect esc = buttons.value("key_0")->geometry;
    const QRect space = buttons.value("key_108")->geometry;
    const QRect enter = buttons.value("key_118")->geometry;
    EXPECT_LT(esc.y(), space.y());
    EXPECT_GT(space.width(), 4 * esc.width());
    EXPECT_GT(enter.x(), space.right());
    EXPECT_GT(enter.height(), enter.width());
}

TEST(SkinFiles, OtherPicturesHoldTheirLeds) {
    struct Case {
        const char* file;
        const char* panel;
        int leds;
        int keys;
    };
    for (const Case& c : {Case{"XML/DeviceXml/mousedevice.ui", "mouse_device_key_light", 15, 11},
                          Case{"XML/DeviceXml/mousepaddevice.ui", "pad_device_key_light", 15, 0},
                          Case{"XML/DeviceXml/hs6533device.ui", "hs_device_key_light", 13, 0}}) {
        const SkinFile skin = Read(c.file);
        const QHash<QString, const SkinWidget*> buttons = PictureButtons(skin, c.panel);
        EXPECT_EQ(buttons.size(), c.leds + c.keys) << c.file;
        for (int n = 0; n < c.leds; ++n) {
            EXPECT_TRUE(buttons.contains(QString("light_%1").arg(n))) << c.file << " light_" << n;
        }
        for (int n = 0; n < c.keys; ++n) {
            EXPECT_TRUE(buttons.contains(QString("key_%1").arg(n))) << c.file << " key_" << n;
        }
        EXPECT_FALSE(buttons.contains(QString("light_%1").arg(c.leds))) << c.file;
        // The SelectPanel is a direct child of the page, where the device looks for it.
        const int panel = skin.Named(c.panel).at(0);
        EXPECT_EQ(skin.widgets[static_cast<size_t>(panel)].parent, 0) << c.file;
    }
}

TEST(SkinFiles, EveryPictureNamedExists) {
    const QDir skin(SkinDir());
    for (const QString& file : UiFiles()) {
        for (const SkinWidget& w : Read(file).widgets) {
            for (const char* property : {"bkimage", "normalimage", "selectedimage", "lightimage",
                                         "keysetimage", "keyunsetimage"}) {
                const QString value = w.strings.value(property);
                if (value.isEmpty()) continue;
                EXPECT_TRUE(QFileInfo::exists(skin.filePath(ImagePath(value))))
                    << file.toStdString() << " " << w.name.toStdString() << ": "
                    << value.toStdString();
            }
        }
    }
    QFile sheet(skin.filePath("style.qss"));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    const QString style = QString::fromUtf8(sheet.readAll());
    static const QRegularExpression url("url\\(([^)]*)\\)");
    int urls = 0;
    for (auto it = url.globalMatch(style); it.hasNext();) {
        const QString target = it.next().captured(1);
        ++urls;
        ASSERT_TRUE(target.startsWith("skin:")) << target.toStdString();
        EXPECT_TRUE(QFileInfo::exists(skin.filePath(target.mid(5)))) << target.toStdString();
    }
    EXPECT_GT(urls, 10);
    // The pictures the device list and the power control switch to at run time.
    for (const char* kind : {"kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"}) {
        for (const char* state : {"normal", "selected", "synchro_normal", "synchro_selected"}) {
            const QString path = QString("common/device_ico/%1_device_%2.png").arg(kind, state);
            EXPECT_TRUE(QFileInfo::exists(skin.filePath(path))) << path.toStdString();
        }
    }
    for (const char* path :
         {"power/power.png", "power/powered.png", "power/powering.png", "power/wuxian_powering.png",
          "power/Phone_type_iphone.png", "power/Phone_type_samsung.png",
          "power/Phone_type_other.png", "power/Phone_type_no_device.png", "common/background.png",
          "common/tray_icon.png", "common/program_icon.png"}) {
        EXPECT_TRUE(QFileInfo::exists(skin.filePath(path))) << path;
    }
}

TEST(SkinFiles, LanguageListNamesTheShippedFiles) {
    const std::vector<LanguageEntry> list = ReadLanguageList(
        std::filesystem::path(QX580_SOURCE_DATA_DIR) / "DefaultData" / "Language.config");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].file, "lan_en.json");
    EXPECT_EQ(list[1].file, "lan_cn.json");
    for (const LanguageEntry& entry : list) {
        EXPECT_FALSE(Language(QString::fromStdString(entry.file)).isEmpty()) << entry.file;
    }
}

TEST(SkinFiles, EveryFileBuildsThroughTheSkinLoader) {
    ui::SkinLoader loader;
    for (const QString& file : UiFiles()) {
        std::unique_ptr<QWidget> root(loader.Build(file));
        ASSERT_NE(root, nullptr) << file.toStdString() << ": " << loader.LastError().toStdString();
        EXPECT_EQ(root->objectName(), "root") << file.toStdString();
        for (const Required& r : kRequired) {
            if (file != r.file || QString(r.name) == "root") continue;
            EXPECT_EQ(root->findChildren<QWidget*>(r.name).size(), 1) << r.file << ": " << r.name;
        }
    }
}

// A section of the lighting panel that does not apply to the effect is disabled, not hidden: under
// the skin's sheet it must not look like one the user can change.
TEST(SkinFiles, TheSheetDrawsAControlThatIsOffOtherThanOneThatIsOn) {
    QFile file(SkinDir() + "/style.qss");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QWidget window;
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
    auto slider = [&window] {
        auto* s = new QSlider(Qt::Horizontal, &window);
        s->setRange(0, 4);
        s->setValue(2);
        return s;
    };
    auto label = [&window] { return new QLabel(QStringLiteral("Speed"), &window); };
    auto checked = [&window] {
        auto* b = new QPushButton(QStringLiteral("Left to right"), &window);
        b->setCheckable(true);
        b->setChecked(true);
        return b;
    };
    const std::vector<std::pair<const char*, std::function<QWidget*()>>> kinds = {
        {"slider", slider}, {"label", label}, {"checked button", checked}};
    for (const auto& [what, make] : kinds) {
        SCOPED_TRACE(what);
        QWidget* on = make();
        QWidget* off = make();
        off->setEnabled(false);
        for (QWidget* w : {on, off}) w->resize(120, 24);
        EXPECT_TRUE(on->grab().toImage() != off->grab().toImage()) << "drawn the same on and off";
    }
}

}  // namespace
}  // namespace qx::settings
