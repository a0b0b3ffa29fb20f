// The lighting panel of a device page ("LightControlItem"): the effect list, brightness, speed,
// direction, the colourful switch, colour edits, palette and swatches, the preset colour choice
// and, on the keyboard, the custom-colour groups and the audio section of the sound effects
// (style, background and foreground colours, the capture program's colour, the style window). It
// owns no settings: every change goes to the device (COrvaneUSBDevice::ChangeLighting), which
// stores, saves, applies and writes it; the panel only shows what the device holds. Which sections
// are usable follows the kind's section table. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/result_codes.h"
#include "devices/panels/light_sections.h"
#include "profiles/profile_records.h"

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;
class QWidget;

namespace qx::ui {
class PaintManager;
class CColorPaletteUI;
struct TNotifyUI;
}  // namespace qx::ui

namespace qx::devices {

class COrvaneUSBDevice;

// A device's effect list from "default_light.json" (the row of its model index): the name keys,
// whether each is offered, and the firmware codes. Empty when the file or the row is missing.
struct LightModeList {
    QStringList names;
    std::vector<bool> visible;
    std::vector<int> codes;
};
LightModeList ReadLightModeList(int modelIndex);

// The keyboard's custom-colour group names ("orbek_light.config" in the device's folder, the
// row of its model index); the profile's four groups by number when the file has none.
QStringList ReadCustomGroupNames(const COrvaneUSBDevice& device);

// What the user is told when a lighting change did not reach the device, in their language.
QString LightWriteErrorText(Result result);

class CLightControlUI : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxBrightness = 4;
    static constexpr int kMaxSpeed = 4;
    static constexpr int kSwatchCount = 8;

    // Binds the controls inside `container` and subscribes to their notifications (`manager`
    // may be nullptr: the panel then only shows). A child of `device`.
    CLightControlUI(COrvaneUSBDevice& device, QWidget* container, ui::PaintManager* manager);

    // The effect list: one item per name (the text from the language files, the key as data),
    // hidden where its flag is false; then the sliders' maximums.
    void SetModeList(const QStringList& names, const std::vector<bool>& visible, int maxBrightness,
                     int maxSpeed);
    // word 1: effect (bits 0-7), brightness (8-15), speed (16-23), direction (24-31); word 2:
    // colourful (0-7), red, green, blue; word 3: the preset colour choice in bits 24-31.
    void SetLightInfo(uint32_t word1, uint32_t word2, uint32_t word3);
    void SetSameModeFlag(bool flag);
    bool SameModeFlag() const { return sameMode_; }
    // The keyboard's custom-colour groups, `selected` chosen.
    void SetCustomGroups(const QStringList& names, int selected);
    // Everything from the device: its effect list, groups, same-mode flag and settings.
    void Refresh();

    // Getters; a missing control gives -1 (combos), 0 (sliders, checks), "" (edits) or
    // 0xFF000000 (palette, swatches).
    int GetEffectIndex() const;
    int GetCustomGroupIndex() const;
    int GetPresetIndex() const;
    int GetBrightness() const;
    int GetSpeed() const;
    QString GetEditText(char component) const;  // 'R', 'G' or 'B'
    uint32_t GetPaletteColour() const;
    uint32_t GetSwatchColour(int n) const;
    bool GetColourful() const;
    // The sections last laid out.
    const LightSections& Sections() const { return sections_; }

    // --- the audio section (light_control_audio.cpp)
    // Shows the record: the style, the edited colour (foreground when its flag is set, else
    // background) in the edits, palette and colour button, the two colour checks and the
    // colourful check (usable for the foreground only); the colour layouts are disabled for
    // style 3. False (with AudioError()) when the style combo is missing.
    bool SetAudioLightInfo(const AudioLightRecord& record);
    // The record as the controls show it: style, colourful flag, edited colour from the checks
    // and, with `readColour`, the colour button's colour as the edited colour. nullopt (with
    // AudioError()) when one of those controls is missing.
    std::optional<AudioLightRecord> GetAudioLightInfo(bool readColour);
    const AudioLightRecord& AudioRecord() const { return audio_; }
    QString GetAudioEditText(char component) const;  // 'R', 'G' or 'B'
    uint32_t GetAudioSwatchColour(int n) const;      // 0 when swatch n is missing
    uint32_t GetAudioPaletteColour() const;          // opaque black when missing
    // The text of the last failure of the audio section ("" when none).
    const QString& AudioError() const { return audioError_; }

    // The palette window the colour button opens: returns 1 with the chosen colour, 0 when
    // closed without one. Tests answer it without a modal loop.
    using ColourDialog = std::function<int(QWidget* over, uint32_t current, uint32_t* chosen)>;
    static void SetColourDialog(ColourDialog dialog);
    static const ColourDialog& ColourDialogHook();

  private:
    void Bind(ui::PaintManager* manager);
    void Layout(int effect);
    // A change of the settings made by the user: the device stores, saves, applies and writes.
    void Change(const std::function<void(LightInfoRecord&)>& edit, bool leaveSync);
    void OnEffect(int index);
    void OnColour(uint32_t argb, bool leaveSync);
    void OnEdit(QLineEdit* edit);
    void OnCustomGroup(int index);
    void OnSelectionEnd();
    void OnColourButton();
    void ShowColour(uint8_t red, uint8_t green, uint8_t blue);
    // The audio section.
    void BindAudio(ui::PaintManager* manager);
    void LayoutAudio();
    void ShowCaptureColour();
    // A change of the audio section: the record read from the controls (`readColour`), edited,
    // then stored, saved and applied by the device.
    void ChangeAudio(bool readColour, const std::function<void(AudioLightRecord&)>& edit);
    void OnAudioColour(uint32_t argb);
    void OnAudioEdit(QLineEdit* edit);
    void OnAudioColourButton();
    bool AudioFail(const char* text);

    COrvaneUSBDevice& device_;
    QPointer<QWidget> container_;
    QPointer<QComboBox> effects_, customGroups_, presets_;
    QPointer<QAbstractSlider> brightness_, speed_;
    QPointer<QLineEdit> editR_, editG_, editB_;
    QPointer<ui::CColorPaletteUI> palette_;
    QPointer<QWidget> colourButton_;
    std::vector<QPointer<QAbstractButton>> swatches_;
    QPointer<QAbstractButton> colourful_, directionFirst_, directionSecond_, sameModeButton_;
    QStringList modeNames_;
    std::vector<bool> modeVisible_;
    LightSections sections_;
    bool sameMode_ = false;

    QPointer<QComboBox> audioStyles_;
    QPointer<QLineEdit> audioEditR_, audioEditG_, audioEditB_;
    QPointer<ui::CColorPaletteUI> audioPalette_;
    QPointer<QWidget> audioColourButton_;
    std::vector<QPointer<QAbstractButton>> audioSwatches_;
    QPointer<QAbstractButton> audioColourful_, backgroundCheck_, foregroundCheck_, noBackground_;
    std::array<QPointer<QAbstractSlider>, 3> captureSliders_{};
    std::array<QPointer<QWidget>, 3> captureLabels_{};
    QPointer<QAbstractButton> musicButton_;
    AudioLightRecord audio_;
    QString audioError_;
};

}  // namespace qx::devices
