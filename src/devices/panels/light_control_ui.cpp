#include "devices/panels/light_control_ui.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>

#include "controls/device_key_button.h"
#include "core/diagnostics.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "ui/color_palette.h"
#include "ui/color_select_wnd.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

constexpr int kItemHeight = 30;
constexpr int kCustomGroupCount = 4;

QString Text(const QString& key) { return ui::ResourceManager::GetInstance().Text(key); }

CLightControlUI::ColourDialog& Dialog() {
    static CLightControlUI::ColourDialog dialog;
    return dialog;
}

bool IsKeyboard(const COrvaneUSBDevice& device) {
    return device.Kind() == DeviceKind::KeyboardWired ||
           device.Kind() == DeviceKind::KeyboardWireless;
}

void Apply(QWidget* control, SectionState state) {
    if (control == nullptr) return;
    control->setVisible(state != SectionState::Hidden);
    control->setEnabled(state == SectionState::Enabled);
}

void SetChecked(QAbstractButton* button, bool checked) {
    if (button == nullptr) return;
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

void SetSlider(QAbstractSlider* slider, int value) {
    if (slider == nullptr) return;
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
}

void SetPage(QWidget* tabs, int page) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tabs)) {
        if (page < stack->count()) stack->setCurrentIndex(page);
    } else if (auto* tab = qobject_cast<QTabWidget*>(tabs)) {
        if (page < tab->count()) tab->setCurrentIndex(page);
    }
}

uint32_t Argb(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

}  // namespace

LightModeList ReadLightModeList(int modelIndex) {
    LightModeList list;
    const Json::Value lights =
        ReadJsonFile(COrvaneUSBDevice::DefaultDataFolder() / "default_light.json");
    const Json::Value& row = json::At(json::Get(lights, "DefaultLightName"),
                                      static_cast<Json::ArrayIndex>(std::max(modelIndex, 0)));
    for (Json::ArrayIndex i = 0; i < json::ArraySize(row); ++i) {
        const Json::Value& entry = json::At(row, i);
        list.names << QString::fromStdString(json::ToString(json::Get(entry, "LightName")));
        list.visible.push_back(json::Get(entry, "visible").isBool()
                                   ? json::Get(entry, "visible").asBool()
                                   : json::ToInt(json::Get(entry, "visible")) != 0);
        list.codes.push_back(json::ToInt(json::Get(entry, "value")));
    }
    return list;
}

QStringList ReadCustomGroupNames(const COrvaneUSBDevice& device) {
    QStringList names;
    const std::string lightName = device.Family() != nullptr
                                      ? std::string(device.Family()->lightConfigName)
                                      : std::string("orbek_light");
    const Json::Value config = ReadJsonFile(device.UserDeviceFolder() / (lightName + ".config"));
    const Json::Value& row =
        json::At(json::Get(config, "LightInfo"),
                 static_cast<Json::ArrayIndex>(std::max(device.GetModelIndex(), 0)));
    for (Json::ArrayIndex i = 0; i < json::ArraySize(row); ++i)
        names << QString::fromStdString(json::ToString(json::Get(json::At(row, i), "LightName")));
    if (names.isEmpty()) {
        for (int i = 0; i < kCustomGroupCount; ++i)
            names << Text(QStringLiteral("light_custom_group_text")).arg(i + 1);
    }
    return names;
}

void CLightControlUI::SetColourDialog(ColourDialog dialog) { Dialog() = std::move(dialog); }
const CLightControlUI::ColourDialog& CLightControlUI::ColourDialogHook() { return Dialog(); }

CLightControlUI::CLightControlUI(COrvaneUSBDevice& device, QWidget* container,
                                 ui::PaintManager* manager)
    : QObject(&device), device_(device), container_(container) {
    auto find = [container](const char* name) {
        return ui::PaintManager::FindSubControlByName(container, QString::fromLatin1(name));
    };
    effects_ = qobject_cast<QComboBox*>(find("light_combo_modeSelect"));
    customGroups_ = qobject_cast<QComboBox*>(find("light_combo_custommodeSelect"));
    presets_ = qobject_cast<QComboBox*>(find("light_combo_ZZCCmodeSelect"));
    brightness_ = qobject_cast<QAbstractSlider*>(find("deng_light_slider"));
    speed_ = qobject_cast<QAbstractSlider*>(find("deng_speed_slider"));
    editR_ = qobject_cast<QLineEdit*>(find("deng_edit_R"));
    editG_ = qobject_cast<QLineEdit*>(find("deng_edit_G"));
    editB_ = qobject_cast<QLineEdit*>(find("deng_edit_B"));
    palette_ = qobject_cast<ui::CColorPaletteUI*>(find("deng_Color_Pallet"));
    colourButton_ = find("deng_colordp_btn");
    colourful_ = qobject_cast<QAbstractButton*>(find("deng_7color_check"));
    directionFirst_ = qobject_cast<QAbstractButton*>(find("deng_FXL_check"));
    directionSecond_ = qobject_cast<QAbstractButton*>(find("deng_FXR_check"));
    sameModeButton_ = qobject_cast<QAbstractButton*>(find("deng_same_mode"));
    for (int n = 0;; ++n) {
        auto* swatch = qobject_cast<QAbstractButton*>(ui::PaintManager::FindSubControlByName(
            container, QStringLiteral("color_option_%1").arg(n)));
        if (swatch == nullptr) break;
        swatches_.emplace_back(swatch);
    }
    for (QLineEdit* edit : {editR_.data(), editG_.data(), editB_.data()}) {
        if (edit != nullptr) edit->setMaxLength(3);
    }
    Bind(manager);
    BindAudio(manager);
}

void CLightControlUI::Bind(ui::PaintManager* manager) {
    if (manager == nullptr) return;
    auto on = [this, manager](QWidget* control, const char* type, auto handler) {
        if (control == nullptr) return;
        manager->OnNotify(control, QString::fromLatin1(type), this, handler);
    };
    on(effects_, "itemselect", [this](ui::TNotifyUI& msg) { OnEffect(int(msg.wParam)); });
    on(brightness_, "valuechanged", [this](ui::TNotifyUI& msg) {
        const auto value = static_cast<uint8_t>(std::clamp<qintptr>(msg.wParam, 0, 255));
        Change([value](LightInfoRecord& r) { r.light = value; }, false);
    });
    on(speed_, "valuechanged", [this](ui::TNotifyUI& msg) {
        const auto value = static_cast<uint8_t>(std::clamp<qintptr>(msg.wParam, 0, 255));
        Change([value](LightInfoRecord& r) { r.speed = value; }, false);
    });
    on(colourful_, "click", [this](ui::TNotifyUI&) {
        const bool checked = GetColourful();
        Change([checked](LightInfoRecord& r) { r.multiColor = checked ? 1 : 0; }, false);
    });
    // A click on the direction already chosen still stores and writes it.
    on(directionFirst_, "click", [this](ui::TNotifyUI&) {
        SetChecked(directionFirst_, true);
        SetChecked(directionSecond_, false);
        Change([](LightInfoRecord& r) { r.fx = 1; }, false);
    });
    on(directionSecond_, "click", [this](ui::TNotifyUI&) {
        SetChecked(directionFirst_, false);
        SetChecked(directionSecond_, true);
        Change([](LightInfoRecord& r) { r.fx = 0; }, false);
    });
    if (IsKeyboard(device_)) {
        on(presets_, "itemselect", [this](ui::TNotifyUI& msg) {
            const auto value = static_cast<uint8_t>(std::clamp<qintptr>(msg.wParam, 0, 255));
            Change([value](LightInfoRecord& r) { r.zzccLedMode = value; }, false);
        });
        on(customGroups_, "itemselect",
           [this](ui::TNotifyUI& msg) { OnCustomGroup(int(msg.wParam)); });
        on(device_.SelectPanel(), "click_select_end", [this](ui::TNotifyUI&) { OnSelectionEnd(); });
    }
    for (size_t n = 0; n < swatches_.size(); ++n) {
        on(swatches_[n], "click",
           [this, n](ui::TNotifyUI&) { OnColour(GetSwatchColour(static_cast<int>(n)), false); });
    }
    on(palette_, "colorchanged",
       [this](ui::TNotifyUI& msg) { OnColour(static_cast<uint32_t>(msg.wParam), true); });
    for (QLineEdit* edit : {editR_.data(), editG_.data(), editB_.data()}) {
        on(edit, "killfocus", [this, edit](ui::TNotifyUI&) { OnEdit(edit); });
        on(edit, "return", [this, edit](ui::TNotifyUI&) { OnEdit(edit); });
    }
    on(colourButton_, "click", [this](ui::TNotifyUI&) { OnColourButton(); });
}

// --- showing

void CLightControlUI::SetModeList(const QStringList& names, const std::vector<bool>& visible,
                                  int maxBrightness, int maxSpeed) {
    modeNames_ = names;
    modeVisible_ = visible;
    if (effects_) {
        const QSignalBlocker quiet(effects_.data());
        effects_->clear();
        for (qsizetype i = 0; i < names.size(); ++i) {
            effects_->addItem(names[i], names[i]);
            effects_->setItemData(int(i), QSize(0, kItemHeight), Qt::SizeHintRole);
        }
        // The names are language keys: shown translated, and again when the language changes.
        ui::TranslateTree(effects_);
        // A hidden effect keeps its place, so positions stay the effect ids.
        if (auto* view = qobject_cast<QListView*>(effects_->view())) {
            for (qsizetype i = 0; i < names.size(); ++i) {
                const bool shown = size_t(i) < visible.size() && visible[size_t(i)];
                view->setRowHidden(int(i), !shown);
            }
        }
    }
    if (brightness_) brightness_->setRange(0, maxBrightness);
    if (speed_) speed_->setRange(0, maxSpeed);
}

void CLightControlUI::SetLightInfo(uint32_t word1, uint32_t word2, uint32_t word3) {
    const int effect = int(word1 & 0xFF);
    const uint8_t red = uint8_t(word2 >> 8);
    const uint8_t green = uint8_t(word2 >> 16);
    const uint8_t blue = uint8_t(word2 >> 24);
    if (effects_) {
        const QSignalBlocker quiet(effects_.data());
        effects_->setCurrentIndex(effect < effects_->count() ? effect : -1);
    }
    Layout(effect);
    SetSlider(brightness_, int(word1 >> 8 & 0xFF));
    SetSlider(speed_, int(word1 >> 16 & 0xFF));
    ShowColour(red, green, blue);
    SetChecked(colourful_, (word2 & 0xFF) != 0);
    if (presets_) {
        const QSignalBlocker quiet(presets_.data());
        const int preset = int(word3 >> 24);
        presets_->setCurrentIndex(preset < presets_->count() ? preset : -1);
    }
    const bool first = (word1 >> 24) == 1;
    SetChecked(directionFirst_, first);
    SetChecked(directionSecond_, !first);
}

void CLightControlUI::ShowColour(uint8_t red, uint8_t green, uint8_t blue) {
    const std::pair<QLineEdit*, uint8_t> edits[] = {{editR_, red}, {editG_, green}, {editB_, blue}};
    for (const auto& [edit, value] : edits) {
        if (edit == nullptr) continue;
        const QSignalBlocker quiet(edit);
        edit->setText(QString::asprintf("%d", value));
    }
    const uint32_t argb = Argb(red, green, blue);
    if (palette_) palette_->SetSelectColor(argb);
    if (colourButton_) ui::SetBackgroundColour(colourButton_, argb);
}

void CLightControlUI::SetSameModeFlag(bool flag) {
    sameMode_ = flag;
    Layout(GetEffectIndex());
}

void CLightControlUI::SetCustomGroups(const QStringList& names, int selected) {
    if (!customGroups_) return;
    const QSignalBlocker quiet(customGroups_.data());
    customGroups_->clear();
    for (const QString& name : names) customGroups_->addItem(name, name);
    ui::TranslateTree(customGroups_);
    customGroups_->setCurrentIndex(selected >= 0 && selected < names.size() ? selected : -1);
}

void CLightControlUI::Refresh() {
    const LightModeList list = ReadLightModeList(device_.GetModelIndex());
    if (list.names != modeNames_ || list.visible != modeVisible_)
        SetModeList(list.names, list.visible, kMaxBrightness, kMaxSpeed);
    const LightInfoRecord record = device_.LightRecord();
    if (IsKeyboard(device_)) SetCustomGroups(ReadCustomGroupNames(device_), record.customGroup);
    sameMode_ = device_.SeveralOnline();
    const std::array<uint32_t, 4> words = device_.GetLightSettings();
    SetLightInfo(words[0], words[1], words[2]);
    if (AudioLightCapability* audio = device_.AudioLight())
        SetAudioLightInfo(audio->GetAudioLightSettings());
    ShowCaptureColour();
}

void CLightControlUI::Layout(int effect) {
    sections_ = SectionsFor(device_.Kind(), effect, sameMode_);
    auto find = [this](const char* name) {
        return container_
                   ? ui::PaintManager::FindSubControlByName(container_, QString::fromLatin1(name))
                   : nullptr;
    };
    if (QWidget* section = find("lighteffect_layout")) section->setEnabled(true);
    Apply(colourful_, sections_.colourful);
    Apply(find("deng_color_layout"), sections_.colour);
    Apply(find("colorpallet_layout"), sections_.palette);
    Apply(find("deng_light_layout"), sections_.brightness);
    Apply(find("deng_speed_layout"), sections_.speed);
    // Speed "hidden" of effect 30 is also disabled.
    if (QWidget* speed = find("deng_speed_layout"); speed && effect == 30) speed->setEnabled(false);
    Apply(find("deng_fx_layout"), sections_.direction);
    if (QWidget* colour = find("light_color_layout"))
        colour->setEnabled(sections_.colourLayoutEnabled);
    if (QWidget* custom = find("lightcustom_layout")) custom->setVisible(sections_.customShown);
    if (QWidget* preset = find("light_combo_ZZCCmodeSelectLayout"))
        preset->setVisible(sections_.presetShown);
    if (QWidget* audio = find("light_combo_AudiomodeSelectLayout"))
        audio->setVisible(sections_.audioShown);
    if (QWidget* capture = find("light_audio_capture_layout"))
        capture->setVisible(sections_.captureShown);
    SetPage(find("light_color_tablayout"), sections_.colourTabPage);
    if (sameModeButton_) sameModeButton_->setVisible(sections_.sameModeShown);
    if (directionFirst_)
        ui::SetControlText(directionFirst_, QString::fromLatin1(sections_.firstDirectionKey));
    if (directionSecond_)
        ui::SetControlText(directionSecond_, QString::fromLatin1(sections_.secondDirectionKey));
}

// --- getters

int CLightControlUI::GetEffectIndex() const { return effects_ ? effects_->currentIndex() : -1; }
int CLightControlUI::GetCustomGroupIndex() const {
    return customGroups_ ? customGroups_->currentIndex() : -1;
}
int CLightControlUI::GetPresetIndex() const { return presets_ ? presets_->currentIndex() : -1; }
int CLightControlUI::GetBrightness() const { return brightness_ ? brightness_->value() : 0; }
int CLightControlUI::GetSpeed() const { return speed_ ? speed_->value() : 0; }

QString CLightControlUI::GetEditText(char component) const {
    const QLineEdit* edit = component == 'R'   ? editR_.data()
                            : component == 'G' ? editG_.data()
                            : component == 'B' ? editB_.data()
                                               : nullptr;
    return edit != nullptr ? edit->text() : QString();
}

uint32_t CLightControlUI::GetPaletteColour() const {
    return palette_ ? palette_->GetSelectColor() : 0xFF000000u;
}

uint32_t CLightControlUI::GetSwatchColour(int n) const {
    if (n < 0 || size_t(n) >= swatches_.size() || !swatches_[size_t(n)]) return 0xFF000000u;
    return ui::BackgroundColour(swatches_[size_t(n)]);
}

bool CLightControlUI::GetColourful() const { return colourful_ && colourful_->isChecked(); }

// --- what the user changes

void CLightControlUI::Change(const std::function<void(LightInfoRecord&)>& edit, bool leaveSync) {
    if (leaveSync) device_.SetSynchronisedLighting(false);
    LightInfoRecord record = device_.LightRecord();
    edit(record);
    device_.ChangeLighting(record);
}

void CLightControlUI::OnEffect(int index) {
    if (index < 0 || index > 255) return;
    Layout(index);
    Change([index](LightInfoRecord& r) { r.selectItem = static_cast<uint8_t>(index); }, true);
}

void CLightControlUI::OnColour(uint32_t argb, bool leaveSync) {
    const auto red = static_cast<uint8_t>(argb >> 16);
    const auto green = static_cast<uint8_t>(argb >> 8);
    const auto blue = static_cast<uint8_t>(argb);
    Change(
        [red, green, blue](LightInfoRecord& r) {
            r.red = red;
            r.green = green;
            r.blue = blue;
            r.multiColor = 0;
        },
        leaveSync);
    ShowColour(red, green, blue);
    SetChecked(colourful_, false);
}

void CLightControlUI::OnEdit(QLineEdit* edit) {
    if (edit == nullptr) return;
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok, 10);
    if (!ok || value < 0) value = 0;
    if (value > 255) value = 255;
    // What the edit shows is what is stored.
    if (edit->text() != QString::number(value)) {
        const QSignalBlocker quiet(edit);
        edit->setText(QString::number(value));
    }
    LightInfoRecord record = device_.LightRecord();
    uint8_t& component = edit == editR_ ? record.red : edit == editG_ ? record.green : record.blue;
    const auto byte = static_cast<uint8_t>(value);
    if (component == byte && record.multiColor == 0) return;  // nothing changed
    component = byte;
    record.multiColor = 0;
    device_.SetSynchronisedLighting(false);
    device_.ChangeLighting(record);
    SetChecked(colourful_, false);
    const uint32_t argb = Argb(record.red, record.green, record.blue);
    if (palette_) palette_->SetSelectColor(argb);
    if (colourButton_) ui::SetBackgroundColour(colourButton_, argb);
}

void CLightControlUI::OnColourButton() {
    const LightInfoRecord record = device_.LightRecord();
    const uint32_t current = Argb(record.red, record.green, record.blue);
    uint32_t chosen = current;
    int result = 0;
    if (Dialog()) {
        result = Dialog()(container_, current, &chosen);
    } else {
        const ui::PaintManager* manager = ui::PaintManager::Of(container_);
        result = ui::CColorSelectWnd::Choose(container_ ? container_->window() : nullptr, current,
                                             manager ? manager->Dpi() : 96, &chosen);
    }
    if (result == 1) OnColour(chosen, true);
}

void CLightControlUI::OnCustomGroup(int index) {
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(&device_);
    if (keyboard == nullptr || index < 0) return;
    keyboard->SelectCustomGroup(index);
}

void CLightControlUI::OnSelectionEnd() {
    auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(&device_);
    if (keyboard == nullptr ||
        keyboard->Light().effectId != COrvaneKeyboardDevice::kCustomColourEffect)
        return;
    std::vector<int> keys;
    const auto& buttons = keyboard->KeyButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const auto* button = qobject_cast<const controls::CDeviceKeyButtonUI*>(buttons[i].data());
        if (button != nullptr && button->IsSelected() && !button->isHidden())
            keys.push_back(static_cast<int>(i));
    }
    if (!keys.empty()) keyboard->SetCustomColourKeys(keys);
}

}  // namespace qx::devices
