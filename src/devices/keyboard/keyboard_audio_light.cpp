// The keyboard's sound style and colours ("AudioLightInfo" of its profile): kept in the device
// object and the profile, shown on the lighting panel, and given to the sound styles' drawing.
#include <memory>

#include "core/diagnostics.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "devices/panels/light_control_ui.h"
#include "lighting/keyboard_lighting.h"

namespace qx::devices {

void COrvaneKeyboardDevice::StoreAudioLightSettings(const AudioLightRecord& record) {
    {
        std::lock_guard lock(model_);
        audioLight_ = record;
        profile_.WriteAudioLightBlock(record);
    }
    if (CLightControlUI* panel = LightPanel()) panel->SetAudioLightInfo(record);
}

AudioLightRecord COrvaneKeyboardDevice::GetAudioLightSettings() const {
    std::lock_guard lock(model_);
    return audioLight_;
}

void COrvaneKeyboardDevice::ChangeAudioLighting(const AudioLightRecord& record, Done done) {
    StoreAudioLightSettings(record);
    auto finish = [done](const QString& error) {
        if (!error.isEmpty()) DebugLine("sound lighting change: " + error.toStdString());
        if (done) done(error);
    };
    const bool posted = Post([this, record, finish] {
        bool saved = false;
        {
            std::lock_guard lock(model_);
            // Again in the worker's order: a profile load queued before must not undo it.
            audioLight_ = record;
            profile_.WriteAudioLightBlock(record);
            saved = SaveLocked();
            ApplyAudioLightLocked();
        }
        OnUiThread([finish, saved] {
            finish(saved ? QString() : QStringLiteral("the keyboard's profile was not saved"));
        });
    });
    if (!posted) finish(QStringLiteral("the keyboard is being removed"));
}

void COrvaneKeyboardDevice::ApplyAudioLightLocked() {
    audioLight_ = profile_.ReadAudioLightBlock();
    auto* keyboard = dynamic_cast<lighting::KeyboardLighting*>(Lighting());
    if (keyboard == nullptr) return;
    lighting::AudioLightSettings audio;
    audio.style = audioLight_.audioMode;
    audio.background = {audioLight_.bkColorR, audioLight_.bkColorG, audioLight_.bkColorB};
    audio.foreground = {audioLight_.fgColorR, audioLight_.fgColorG, audioLight_.fgColorB};
    audio.foregroundColourful = audioLight_.sevenColorFlags;
    keyboard->SetAudioLightSettings(audio);
}

}  // namespace qx::devices
