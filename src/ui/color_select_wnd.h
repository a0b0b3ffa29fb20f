// The palette window: the user picks one colour from a palette, from twenty preset cells, from
// twenty custom cells of their own (kept in the palette file) or by typing red, green and blue.
// Modal; its result is 1 when "okbtn" took a colour (GetColour), 2 when "okbtn" was pressed in a
// skin without a palette, 0 when it was closed ("closebtn", "laterbtn" or the window's own close,
// which ends only this window).
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "profiles/palette_store.h"
#include "ui/notify.h"

namespace qx::ui {

class PaintManager;

// A control's background colour as 0xAARRGGBB: its "bkcolor" property ("#AARRGGBB", "#RRGGBB" or
// "0xAARRGGBB"); 0xFF000000 when it has none.
uint32_t BackgroundColour(const QWidget* control);
// Sets the "bkcolor" property and paints the control with that colour.
void SetBackgroundColour(QWidget* control, uint32_t argb);

class CColorSelectWnd : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kCellCount = PaletteStore::kCellCount;
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;

    // The palette file and its shipped default (empty: the user's and the program's).
    explicit CColorSelectWnd(QWidget* parent = nullptr, std::filesystem::path paletteFile = {},
                             std::filesystem::path defaults = {});
    ~CColorSelectWnd() override;

    // Loads "PalletDialog.ui" and runs the window start (palette file, colour, cells). False
    // when the skin can't be loaded.
    bool Create();

    void SetColour(uint32_t argb);
    uint32_t GetColour() const { return colour_; }
    void ShowSevenColourOption(bool show);
    void SetSevenColour(bool on);
    bool SevenColour() const { return sevenColour_; }
    void SetDpi(int dpi);
    int SelectedPreset() const { return preset_; }
    int SelectedCustom() const { return custom_; }
    ui::PaintManager& PaintManager() const { return *paintManager_; }

    // Notifications of the window's own controls.
    void Notify(ui::TNotifyUI& msg);

    // Opens the window over `over` at `dpi` with `current`, seven-colour option hidden, runs it
    // modally and returns its result; with 1 `*chosen` is the colour.
    static int Choose(QWidget* over, uint32_t current, int dpi, uint32_t* chosen);
    // Tests: the next Choose builds the window without showing it and hands it to `answer`,
    // which drives its controls; Choose returns the result the window ended with (0 when the
    // answer did not end it).
    using Answer = std::function<void(CColorSelectWnd&)>;
    static void QueueAnswer(Answer answer);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Start();
    void LoadCustomColours();
    void SelectPreset(int n);
    void SelectCustom(int n);
    void TakeEdits();
    void ApplyToCustomCell();
    void SavePresetColours();
    void SaveCustomColours();
    void ShowComponents(uint32_t argb);
    void ShowPreview(uint32_t argb, bool sevenColourPicture);
    QWidget* Find(const QString& name) const;

    std::unique_ptr<ui::PaintManager> paintManager_;
    PaletteStore store_;
    uint32_t colour_ = 0xFF000000u;
    int preset_ = 4;
    int custom_ = 0;
    bool sevenColour_ = false;
    bool started_ = false;
};

}  // namespace qx::ui
