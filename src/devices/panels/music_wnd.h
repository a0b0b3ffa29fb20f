// The style window of the sound effects: four named colour presets ("AudioFile.json"), one of
// them chosen, each colour as red, green and blue sliders of ten steps (0-9). The window edits a
// copy of the styles; whoever opened it takes them back when it ended with 1 ("okbtn"), and
// drops them when it ended with 0 ("closebtn", "cancelbtn" or the window's own close). Modal.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "profiles/audio_style_store.h"
#include "ui/notify.h"

namespace qx::ui {
class PaintManager;
}

namespace qx::devices {

class MusicWnd : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 420;
    static constexpr int kPresetCount = 4;
    static constexpr int kMaxStep = 9;

    explicit MusicWnd(QWidget* parent = nullptr);
    ~MusicWnd() override;

    // Loads "music.ui" and checks its named controls. False (with Error()) when the skin can't
    // be loaded or misses an option, a slider or an edit.
    bool Create();
    const QString& Error() const { return error_; }

    // The styles shown; out-of-range values are brought into range (preset 0-3, steps 0-9).
    void SetStyles(const AudioStyleSet& styles);
    const AudioStyleSet& Styles() const { return styles_; }
    void SetDpi(int dpi);
    ui::PaintManager& PaintManager() const { return *paintManager_; }

    // Notifications of the window's own controls.
    void Notify(ui::TNotifyUI& msg);

    // Opens the window over `over` at `dpi` with `styles`, runs it modally and returns its
    // result; with 1 `*styles` holds what the user chose.
    static int Run(QWidget* over, int dpi, AudioStyleSet* styles);
    // Tests: the next Run builds the window without showing it and hands it to `answer`, which
    // drives its controls; Run returns the result the window ended with (0 when not ended).
    using Answer = std::function<void(MusicWnd&)>;
    static void QueueAnswer(Answer answer);

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter in a name edit takes the name; it does not press one of the window's buttons.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowPreset(int preset);
    void TakeName(int preset);
    QWidget* Find(const QString& name) const;

    std::unique_ptr<ui::PaintManager> paintManager_;
    AudioStyleSet styles_;
    QString error_;
};

}  // namespace qx::devices
