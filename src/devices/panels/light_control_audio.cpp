// The audio section of the lighting panel: the sound style of the keyboard's sound effect, its
// background and foreground colours (one of them edited at a time, chosen with the two colour
// checks), the foreground's colourful flag; and, for both effects drawn from what the capture
// program sends, the capture program's colour and the button of the style window.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "core/diagnostics.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/panels/light_control_ui.h"
#include "devices/panels/sound_styles.h"
#include "ui/color_palette.h"
#include "ui/color_select_wnd.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace qx::devices {
namespace {

constexpr const char* kGetError = "GetAudioLightInfo control is NULL";
constexpr const char* kSetError = "SetAudioLightInfo control is NULL";
constexpr const char* kColourError = "GetLightAudioColor control is NULL";
constexpr int kRingsStyle = 3;

uint32_t Argb(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

void SetChecked(QAbstractButton* button, bool checked) {
    if (button == nullptr) return;
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

// The two colour checks are one exclusive group: both are quiet while one is chosen, so that the
// other's unchecking is not heard as the user's choice either.
void ChooseEdited(QAbstractButton* background, QAbstractButton* foreground, bool onForeground) {
    const QSignalBlocker quietBackground(background);
    const QSignalBlocker quietForeground(foreground);
    if (onForeground) {
        if (foreground != nullptr) foreground->setChecked(true);
        if (background != nullptr) background->setChecked(false);
    } else {
        if (background != nullptr) background->setChecked(true);
        if (foreground != nullptr) foreground->setChecked(false);
    }
}

}  // namespace

void CLightControlUI::BindAudio(ui::PaintManager* manager) {
    auto find = [this](const QString& name) {
        return container_ ? ui::PaintManager::FindSubControlByName(container_, name) : nullptr;
    };
    auto named = [&find](const char* name) { return find(QString::fromLatin1(name)); };
    audioStyles_ = qobject_cast<QComboBox*>(named("light_combo_audiomodeSelect"));
    audioEditR_ = qobject_cast<QLineEdit*>(named("deng_audioedit_R"));
    audioEditG_ = qobject_cast<QLineEdit*>(named("deng_audioedit_G"));
    audioEditB_ = qobject_cast<QLineEdit*>(named("deng_audioedit_B"));
    audioPalette_ = qobject_cast<ui::CColorPaletteUI*>(named("deng_audioColor_Pallet"));
    audioColourButton_ = named("deng_audiocolordp_btn");
    audioColourful_ = qobject_cast<QAbstractButton*>(named("deng_7audiocolor_check"));
    backgroundCheck_ = qobject_cast<QAbstractButton*>(named("audio_BkColor_check"));
    foregroundCheck_ = qobject_cast<QAbstractButton*>(named("audio_FgColor_check"));
    noBackground_ = qobject_cast<QAbstractButton*>(named("Close_bkColor_btn"));
    musicButton_ = qobject_cast<QAbstractButton*>(named("music_setting_btn"));
    const char* channels[3] = {"R", "G", "B"};
    for (size_t c = 0; c < 3; ++c) {
        captureSliders_[c] = qobject_cast<QAbstractSlider*>(
            find(QStringLiteral("%1_light_slider").arg(QLatin1String(channels[c]))));
        captureLabels_[c] = find(QStringLiteral("%1_light_label").arg(QLatin1String(channels[c])));
        if (captureSliders_[c]) captureSliders_[c]->setRange(0, 255);
    }
    for (int n = 0;; ++n) {
        auto* swatch =
            qobject_cast<QAbstractButton*>(find(QStringLiteral("audiocolor_option_%1").arg(n)));
        if (swatch == nullptr) break;
        audioSwatches_.emplace_back(swatch);
    }
    for (QLineEdit* edit : {audioEditR_.data(), audioEditG_.data(), audioEditB_.data()}) {
        if (edit != nullptr) edit->setMaxLength(3);
    }
    ShowCaptureColour();
    // Only a family that keeps sound settings listens to the section.
    if (manager == nullptr || device_.AudioLight() == nullptr) return;
    auto on = [this, manager](QWidget* control, const char* type, auto handler) {
        if (control == nullptr) return;
        manager->OnNotify(control, QString::fromLatin1(type), this, handler);
    };
    on(audioStyles_, "itemselect", [this](ui::TNotifyUI&) { ChangeAudio(true, {}); });
    on(audioColourful_, "click", [this](ui::TNotifyUI&) { ChangeAudio(true, {}); });
    // Switching the edited colour keeps both colours; storing shows the newly edited one.
    on(backgroundCheck_, "click", [this](ui::TNotifyUI&) {
        ChooseEdited(backgroundCheck_, foregroundCheck_, false);
        ChangeAudio(false, {});
    });
    on(foregroundCheck_, "click", [this](ui::TNotifyUI&) {
        ChooseEdited(backgroundCheck_, foregroundCheck_, true);
        ChangeAudio(false, {});
    });
    on(noBackground_, "click", [this](ui::TNotifyUI&) {
        ChangeAudio(true, [](AudioLightRecord& r) { r.bkColorR = r.bkColorG = r.bkColorB = 0; });
    });
    for (QLineEdit* edit : {audioEditR_.data(), audioEditG_.data(), audioEditB_.data()}) {
        on(edit, "killfocus", [this, edit](ui::TNotifyUI&) { OnAudioEdit(edit); });
        on(edit, "return", [this, edit](ui::TNotifyUI&) { OnAudioEdit(edit); });
    }
    for (size_t n = 0; n < audioSwatches_.size(); ++n) {
        on(audioSwatches_[n], "click",
           [this, n](ui::TNotifyUI&) { OnAudioColour(GetAudioSwatchColour(int(n))); });
    }
    on(audioPalette_, "colorchanged",
       [this](ui::TNotifyUI& msg) { OnAudioColour(static_cast<uint32_t>(msg.wParam)); });
    on(audioColourButton_, "click", [this](ui::TNotifyUI&) { OnAudioColourButton(); });
    for (size_t c = 0; c < 3; ++c) {
        on(captureSliders_[c], "valuechanged", [this, c](ui::TNotifyUI& msg) {
            SoundStyles::Instance().SetCaptureColour(int(c), int(msg.wParam));
            ShowCaptureColour();
        });
    }
    on(musicButton_, "click", [this](ui::TNotifyUI&) {
        SoundStyles::Instance().OpenStyleWindow(container_ ? container_->window() : nullptr);
    });
}

bool CLightControlUI::AudioFail(const char* text) {
    audioError_ = QString::fromLatin1(text);
    DebugLine(text);
    return false;
}

// --- showing

bool CLightControlUI::SetAudioLightInfo(const AudioLightRecord& record) {
    audio_ = record;
    if (!audioStyles_) return AudioFail(kSetError);
    {
        const QSignalBlocker quiet(audioStyles_.data());
        audioStyles_->setCurrentIndex(record.audioMode < audioStyles_->count() ? record.audioMode
                                                                               : -1);
    }
    const bool foreground = record.colorTypeFlags != 0;
    ChooseEdited(backgroundCheck_, foregroundCheck_, foreground);
    if (audioColourful_) {
        audioColourful_->setEnabled(foreground);
        SetChecked(audioColourful_, foreground && record.sevenColorFlags != 0);
    }
    const uint8_t red = foreground ? record.fgColorR : record.bkColorR;
    const uint8_t green = foreground ? record.fgColorG : record.bkColorG;
    const uint8_t blue = foreground ? record.fgColorB : record.bkColorB;
    const std::pair<QLineEdit*, uint8_t> edits[] = {
        {audioEditR_, red}, {audioEditG_, green}, {audioEditB_, blue}};
    for (const auto& [edit, value] : edits) {
        if (edit == nullptr) continue;
        const QSignalBlocker quiet(edit);
        edit->setText(QString::asprintf("%d", value));
    }
    const uint32_t argb = Argb(red, green, blue);
    if (audioPalette_) audioPalette_->SetSelectColor(argb);
    if (audioColourButton_) ui::SetBackgroundColour(audioColourButton_, argb);
    LayoutAudio();
    audioError_.clear();
    return true;
}

void CLightControlUI::LayoutAudio() {
    if (!container_) return;
    // The rings draw in the colour wheel's colours: the colours are not used then.
    const bool colours = audio_.audioMode != kRingsStyle;
    for (const char* name : {"light_audiocolor_layout", "audiocolorpallet_layout"}) {
        if (QWidget* layout =
                ui::PaintManager::FindSubControlByName(container_, QString::fromLatin1(name)))
            layout->setEnabled(colours);
    }
}

void CLightControlUI::ShowCaptureColour() {
    const std::array<int, 3> colour = SoundStyles::Instance().CaptureColour();
    const char* formats[3] = {"R %d", "G %d", "B %d"};
    for (size_t c = 0; c < 3; ++c) {
        if (captureSliders_[c]) {
            const QSignalBlocker quiet(captureSliders_[c].data());
            captureSliders_[c]->setValue(colour[c]);
        }
        if (auto* label = qobject_cast<QLabel*>(captureLabels_[c].data()))
            label->setText(QString::asprintf(formats[c], colour[c]));
    }
}

// --- reading

std::optional<AudioLightRecord> CLightControlUI::GetAudioLightInfo(bool readColour) {
    if (!audioStyles_ || !audioColourful_ || !backgroundCheck_ || !foregroundCheck_ ||
        !audioColourButton_) {
        AudioFail(kGetError);
        return std::nullopt;
    }
    AudioLightRecord record = audio_;
    const int style = audioStyles_->currentIndex();
    if (style >= 0 && style <= 255) record.audioMode = static_cast<uint8_t>(style);
    record.sevenColorFlags = audioColourful_->isChecked() ? 1 : 0;
    const bool background = backgroundCheck_->isChecked();
    const bool foreground = foregroundCheck_->isChecked();
    if (record.colorTypeFlags == 1 && background) {
        record.colorTypeFlags = 0;
    } else if (record.colorTypeFlags == 0 && background && !foreground) {
        record.colorTypeFlags = 0;
    } else {
        record.colorTypeFlags = 1;
    }
    if (readColour) {
        const uint32_t argb = ui::BackgroundColour(audioColourButton_);
        const auto red = static_cast<uint8_t>(argb >> 16);
        const auto green = static_cast<uint8_t>(argb >> 8);
        const auto blue = static_cast<uint8_t>(argb);
        if (record.colorTypeFlags == 1) {
            record.fgColorR = red;
            record.fgColorG = green;
            record.fgColorB = blue;
        } else {
            record.bkColorR = red;
            record.bkColorG = green;
            record.bkColorB = blue;
        }
    }
    audio_ = record;
    return record;
}

QString CLightControlUI::GetAudioEditText(char component) const {
    const QLineEdit* edit = component == 'R'   ? audioEditR_.data()
                            : component == 'G' ? audioEditG_.data()
                            : component == 'B' ? audioEditB_.data()
                                               : nullptr;
    return edit != nullptr ? edit->text() : QString();
}

uint32_t CLightControlUI::GetAudioSwatchColour(int n) const {
    if (n < 0 || size_t(n) >= audioSwatches_.size() || !audioSwatches_[size_t(n)]) {
        DebugLine("audiocolor_option_" + std::to_string(n) + " GetLightAudioColor");
        return 0;
    }
    return ui::BackgroundColour(audioSwatches_[size_t(n)]);
}

uint32_t CLightControlUI::GetAudioPaletteColour() const {
    return audioPalette_ ? audioPalette_->GetSelectColor() : 0xFF000000u;
}

// --- what the user changes

void CLightControlUI::ChangeAudio(bool readColour,
                                  const std::function<void(AudioLightRecord&)>& edit) {
    AudioLightCapability* audio = device_.AudioLight();
    if (audio == nullptr) return;
    std::optional<AudioLightRecord> record = GetAudioLightInfo(readColour);
    if (!record) return;  // the panel misses a control: nothing is stored
    if (edit) edit(*record);
    audio->ChangeAudioLighting(*record, [](const QString& error) {
        if (!error.isEmpty()) DebugLine("sound lighting: " + error.toStdString());
    });
}

void CLightControlUI::OnAudioColour(uint32_t argb) {
    const auto red = static_cast<uint8_t>(argb >> 16);
    const auto green = static_cast<uint8_t>(argb >> 8);
    const auto blue = static_cast<uint8_t>(argb);
    ChangeAudio(true, [red, green, blue](AudioLightRecord& r) {
        if (r.colorTypeFlags == 1) {
            // A colour chosen for the foreground is the colour shown.
            r.sevenColorFlags = 0;
            r.fgColorR = red;
            r.fgColorG = green;
            r.fgColorB = blue;
        } else {
            r.bkColorR = red;
            r.bkColorG = green;
            r.bkColorB = blue;
        }
    });
}

void CLightControlUI::OnAudioEdit(QLineEdit* edit) {
    if (edit == nullptr) return;
    if (!audioEditR_ || !audioEditG_ || !audioEditB_) {
        AudioFail(kColourError);
        return;
    }
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok, 10);
    if (!ok || value < 0) value = 0;
    if (value > 255) value = 255;
    const auto byte = static_cast<uint8_t>(value);
    const int channel = edit == audioEditR_ ? 0 : edit == audioEditG_ ? 1 : 2;
    ChangeAudio(false, [byte, channel](AudioLightRecord& r) {
        const bool foreground = r.colorTypeFlags == 1;
        uint8_t* colour[3] = {foreground ? &r.fgColorR : &r.bkColorR,
                              foreground ? &r.fgColorG : &r.bkColorG,
                              foreground ? &r.fgColorB : &r.bkColorB};
        *colour[channel] = byte;
        if (foreground) r.sevenColorFlags = 0;
    });
    // What the edit shows is what is stored (also when nothing could be stored).
    if (edit->text() != QString::number(value)) {
        const QSignalBlocker quiet(edit);
        edit->setText(QString::number(value));
    }
}

void CLightControlUI::OnAudioColourButton() {
    const uint32_t current = ui::BackgroundColour(audioColourButton_);
    uint32_t chosen = current;
    int result = 0;
    if (ColourDialogHook()) {
        result = ColourDialogHook()(container_, current, &chosen);
    } else {
        const ui::PaintManager* manager = ui::PaintManager::Of(container_);
        result = ui::CColorSelectWnd::Choose(container_ ? container_->window() : nullptr, current,
                                             manager ? manager->Dpi() : 96, &chosen);
    }
    if (result == 1) OnAudioColour(chosen);
}

}  // namespace qx::devices
