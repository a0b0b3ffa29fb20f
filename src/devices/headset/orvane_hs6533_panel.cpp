// The headset's page: the sound panel (equaliser, microphone, monitor), the voice changer panel
// and the surround option, what they show and what the user changes in them.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>

#include "devices/base/user_message.h"
#include "devices/headset/orvane_hs6533_device.h"
#include "devices/panels/magic_control_ui.h"
#include "devices/panels/voice6533_control_ui.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

}  // namespace

void COrvaneHS6533Device::AttachPanel() {
    COrvaneUSBDevice::AttachPanel();
    BuildPanel();
    // The library starts once per device object, on the worker.
    if (!audioStartPosted_.exchange(true)) {
        Post([this] {
            StartAudio();
            OnUiThread([this] { ShowAvailability(); });
        });
    }
    // The headset's sound card may come later than the headset, or go and come back.
    if (!audioCardTimer_) {
        audioCardTimer_ = new QTimer(this);
        connect(audioCardTimer_, &QTimer::timeout, this, [this] { CheckAudioCard(); });
        audioCardTimer_->start(kAudioCardCheckMs);
    }
}

void COrvaneHS6533Device::BuildPanel() {
    QWidget* page = Page();
    if (page == nullptr) return;
    if (!library_) library_ = audio::SharedAudioLibrary();
    if (QWidget* item = ui::PaintManager::FindSubControlByName(page, "Voice6533ControlItem")) {
        voice_ = new CVoice6533ControlUI(item, this);
        voice_->SetDeviceKind(static_cast<int>(Kind()));
    }
    if (QWidget* item = ui::PaintManager::FindSubControlByName(page, "MagicControlItem")) {
        magic_ = new CMagicControlUI(item, this);
        magic_->SetDeviceKind(static_cast<int>(Kind()));
    }
    surroundOption_ = qobject_cast<QAbstractButton*>(
        ui::PaintManager::FindSubControlByName(page, "virtual_surround_option"));
    BindControls();
    ReloadPanelLists();
    ShowAvailability();
}

void COrvaneHS6533Device::BindControls() {
    ui::PaintManager* manager = Manager();
    if (manager == nullptr) return;
    const QString select = QStringLiteral("selectchanged");
    const QString value = QStringLiteral("valuechanged");
    if (voice_) {
        for (int t = 1; t <= CVoice6533ControlUI::kOptionCount; ++t) {
            if (QAbstractButton* option = voice_->EqOption(t))
                manager->OnNotify(option, select, this, [this, t](ui::TNotifyUI& msg) {
                    if (msg.wParam != 0) SelectEqualiser(t);
                });
        }
        for (int b = 0; b < CVoice6533ControlUI::kBandCount; ++b) {
            if (QAbstractSlider* slider = voice_->BandSlider(b))
                manager->OnNotify(slider, value, this, [this, b](ui::TNotifyUI& msg) {
                    ChangeCustomBand(b, static_cast<int>(msg.wParam));
                });
        }
        if (QComboBox* combo = voice_->CustomCombo())
            manager->OnNotify(combo, QStringLiteral("itemselect"), this,
                              [this](ui::TNotifyUI& msg) {
                                  if (voice_) voice_->SetNameText(QString());
                                  ApplyCustomEq(static_cast<int>(msg.wParam));
                              });
        if (QAbstractButton* save = voice_->SaveButton())
            manager->OnNotify(save, QStringLiteral("click"), this, [this](ui::TNotifyUI&) {
                if (!voice_) return;
                const int result = SaveCustomEq(voice_->GetNameText());
                if (result == 0) ShowUserMessage(Text("message_text_5"));
                if (result < 0) ShowUserMessage(Text("hs_eq_save_refused_text"));
            });
        if (QAbstractButton* remove = voice_->DeleteButton())
            manager->OnNotify(remove, QStringLiteral("click"), this,
                              [this](ui::TNotifyUI&) { DeleteCustomEq(); });
        if (QAbstractButton* mic = voice_->MicOption())
            manager->OnNotify(mic, select, this,
                              [this](ui::TNotifyUI& msg) { SetMicMuted(msg.wParam == 0); });
        if (QAbstractSlider* mic = voice_->MicSlider())
            manager->OnNotify(mic, value, this, [this](ui::TNotifyUI& msg) {
                SetMicLevel(static_cast<int>(msg.wParam));
            });
        if (QAbstractButton* monitor = voice_->MonitorOption())
            manager->OnNotify(monitor, select, this,
                              [this](ui::TNotifyUI& msg) { SetMonitorMuted(msg.wParam == 0); });
        if (QAbstractSlider* monitor = voice_->MonitorSlider())
            manager->OnNotify(monitor, value, this, [this](ui::TNotifyUI& msg) {
                SetMonitorLevel(static_cast<int>(msg.wParam));
            });
    }
    if (magic_) {
        if (QAbstractButton* enable = magic_->EnableOption())
            manager->OnNotify(enable, select, this,
                              [this](ui::TNotifyUI& msg) { SetVoiceChanger(msg.wParam != 0); });
        for (int n = 1; n <= CMagicControlUI::kTypeCount; ++n) {
            if (QAbstractButton* option = magic_->TypeOption(n))
                manager->OnNotify(option, select, this, [this, n](ui::TNotifyUI& msg) {
                    if (msg.wParam != 0) SelectVoice(n);
                });
        }
    }
    if (surroundOption_)
        manager->OnNotify(surroundOption_, select, this,
                          [this](ui::TNotifyUI& msg) { SetSurround(msg.wParam != 0); });
}

void COrvaneHS6533Device::ShowAvailability() {
    if (!AudioStarted()) return;
    const audio::FeatureAvailability a = Availability();
    const QString reason = QString::fromStdString(a.reason);
    auto why = [&reason](const char* key) {
        return reason.isEmpty() ? Text(key) : Text(key) + reason;
    };
    if (voice_) {
        voice_->SetEqualiserAvailable(a.equaliser, why("hs_unavailable_eq_text"));
        voice_->SetMicrophoneAvailable(a.microphone, why("hs_unavailable_mic_text"));
        voice_->SetMonitorAvailable(a.monitor, a.microphone ? Text("hs_unavailable_monitor_text")
                                                            : why("hs_unavailable_mic_text"));
    }
    if (magic_) magic_->SetAvailable(a.voiceChanger, why("hs_unavailable_voice_text"));
    if (surroundOption_) {
        surroundOption_->setEnabled(a.surround);
        surroundOption_->setToolTip(a.surround ? QString() : why("hs_unavailable_surround_text"));
    }
}

void COrvaneHS6533Device::ShowEqualiser() {
    if (!voice_) return;
    std::lock_guard lock(model_);
    voice_->SelectEqOption(system_.eqType);
    voice_->EnableCustomArea(system_.eqType == kCustomEqType);
    for (int b = 0; b < kBandCount; ++b) voice_->SetBand(b, bands_[static_cast<size_t>(b)]);
}

void COrvaneHS6533Device::RefreshPanel() {
    ReloadPanelLists();
    RefreshLightPanel();
    std::lock_guard lock(model_);
    if (magic_) {
        magic_->ShowVoiceChanger(system_.magicEnable != 0);
        magic_->SelectType(system_.magicType);
    }
    if (voice_) {
        voice_->ShowMicrophoneOn(system_.micInSelect != 0);
        voice_->SetMicLevel(system_.micInValue);
        voice_->ShowMonitorOn(system_.micMoniterSelect != 0);
        voice_->SetMonitorLevel(system_.micMoniterValue);
        voice_->RemoveAllCustoms();
        for (const std::string& name : customNames_)
            voice_->AddCustomName(QString::fromStdString(name));
        voice_->SelectCustom(selectedCustom_);
        ShowEqualiser();
    }
    if (surroundOption_) SetOptionQuietly(surroundOption_, surround_);
    ShowAvailability();
}

}  // namespace qx::devices
