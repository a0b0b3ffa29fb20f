#include "devices/panels/sound_styles.h"

#include <QWidget>
#include <algorithm>

#include "core/diagnostics.h"
#include "devices/panels/music_wnd.h"
#include "ui/paint_manager.h"

namespace qx::devices {

SoundStyles& SoundStyles::Instance() {
    static SoundStyles styles;
    return styles;
}

AudioStyleStore& SoundStyles::Store() {
    // Made on first use, so that the user's folder is the one of the moment (tests set it).
    if (!store_) {
        store_ = std::make_unique<AudioStyleStore>();
        if (!store_->Open()) DebugLine("the sound styles file could not be written");
    }
    return *store_;
}

bool SoundStyles::Open() {
    store_ = std::make_unique<AudioStyleStore>();
    const bool written = store_->Open();
    if (!written) DebugLine("the sound styles file could not be written");
    emit StyleColourChanged(store_->Current());
    return written;
}

const AudioStyleSet& SoundStyles::Current() { return Store().Current(); }

int SoundStyles::OpenStyleWindow(QWidget* over) {
    AudioStyleSet styles = Store().LoadAudioStyles();
    const ui::PaintManager* manager = over != nullptr ? ui::PaintManager::Of(over) : nullptr;
    const int result = MusicWnd::Run(over, manager != nullptr ? manager->Dpi() : 96, &styles);
    if (result == 1) Apply(styles);
    return result;
}

bool SoundStyles::Apply(const AudioStyleSet& styles) {
    const bool saved = Store().SaveAudioStyles(styles);
    if (!saved) DebugLine("the sound styles were not saved");
    emit StyleColourChanged(styles);
    return saved;
}

bool SoundStyles::Reset() {
    const bool reset = Store().ResetAudioStyles();
    if (!reset) DebugLine("the sound-lighting styles were not restored");
    emit StyleColourChanged(Store().Current());
    return reset;
}

void SoundStyles::SetCaptureColour(int channel, int value) {
    if (channel < 0 || channel > 2) return;
    capture_[size_t(channel)] = std::clamp(value, 0, 255);
    emit CaptureColourChanged(channel, capture_[size_t(channel)]);
}

}  // namespace qx::devices
