// The device side of a lighting change, one sequence for every family: the settings are stored
// (in the profile's "LightInfo" where the family keeps profiles), then the device's worker saves
// the profile, applies the lighting and writes the family's lighting block; what the device did
// not take is told to the user. Also the binding of the page's lighting panel.
#include <iterator>
#include <memory>

#include "core/diagnostics.h"
#include "devices/base/light_record_words.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/base/user_message.h"
#include "devices/panels/light_control_ui.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

}  // namespace

QString LightWriteErrorText(Result result) {
    const char* reason = "light_error_no_answer";
    switch (result) {
        case kResultWriteFailed:
        case kResultUnreachable:
            reason = "light_error_unreachable";
            break;
        case kResultStatusFF:
        case kResultStatusFE:
            reason = "light_error_refused";
            break;
        default:
            break;
    }
    return Text("light_write_failed_text") + Text(reason);
}

LightInfoRecord COrvaneUSBDevice::LightRecord() const { return LightRecordOf(GetLightSettings()); }

void COrvaneUSBDevice::ChangeLighting(const LightInfoRecord& record, LightChangeDone done) {
    const std::array<uint32_t, 4> words = LightWordsOf(record);
    StoreLightSettings(words[0], words[1], words[2], words[3]);
    // Kept here until answered: a change the worker never finishes (held for first contact,
    // dropped with the worker's queue) is answered when the device is closed or shuts down.
    const uint64_t id = ++lastLightChange_;
    lightChanges_.emplace(id, std::move(done));
    const bool posted = Post([this, record, id] {
        {
            std::lock_guard lock(heldMutex_);
            if (held_.awaitingContact) {
                // The device was opened but first contact has not read it yet: written now,
                // the block would carry options not yet read, and first contact would read
                // the lighting over. The change waits for the end of first contact; a later
                // one replaces it (it was made from the settings this one stored).
                held_.record = record;
                held_.changes.push_back(id);
                return;
            }
        }
        RunLightChange(record, {id});
    });
    if (!posted) FinishLightChanges({id}, LightWriteErrorText(kResultFailed));
    emit LightingShown();
}

void COrvaneUSBDevice::FinishLightChanges(const std::vector<uint64_t>& changes,
                                          const QString& error) {
    for (const uint64_t id : changes) {
        auto found = lightChanges_.find(id);
        if (found == lightChanges_.end()) continue;
        const LightChangeDone done = std::move(found->second);
        lightChanges_.erase(found);
        if (!error.isEmpty()) DebugLine("lighting change: " + error.toStdString());
        if (done) {
            done(error);
        } else if (!error.isEmpty()) {
            ShowUserMessage(error);
        }
    }
}

void COrvaneUSBDevice::AnswerUnfinishedLightChanges(uint64_t lastId) {
    // The device goes away: whoever waits for a change (a caller on the bus) hears that it
    // failed. The panel's own changes pass without a message: it goes with the window.
    std::map<uint64_t, LightChangeDone> unfinished;
    unfinished.swap(lightChanges_);
    // Changes asked for since are answered by their own jobs.
    const auto later = unfinished.upper_bound(lastId);
    lightChanges_.insert(std::make_move_iterator(later), std::make_move_iterator(unfinished.end()));
    unfinished.erase(later, unfinished.end());
    const QString error = LightWriteErrorText(kResultUnreachable);
    for (auto& [id, done] : unfinished) {
        if (done) done(error);
    }
}

void COrvaneUSBDevice::RunLightChange(const LightInfoRecord& record,
                                      std::vector<uint64_t> changes) {
    const std::array<uint32_t, 4> words = LightWordsOf(record);
    // Stored again here, in the worker's order: a profile load queued before this change
    // (first contact, a profile switch) must not undo it.
    StoreLightSettings(words[0], words[1], words[2], words[3]);
    if (ProfileCapability* profiles = Profiles()) profiles->SaveProfile();
    // Families that keep no profile take the settings as they are.
    Light() = LightSettingsOf(record);
    ApplyLighting();
    const Result result = WriteLightingBlock();
    OnUiThread([this, changes = std::move(changes), result] {
        FinishLightChanges(changes,
                           result == kResultSuccess ? QString() : LightWriteErrorText(result));
    });
}

void COrvaneUSBDevice::ExpectFirstContact() {
    std::lock_guard lock(heldMutex_);
    held_.awaitingContact = true;
}

void COrvaneUSBDevice::ApplyHeldLightChange() {
    HeldLightChange held;
    {
        std::lock_guard lock(heldMutex_);
        held = std::move(held_);
        held_ = HeldLightChange{};
    }
    if (!held.record) return;
    RunLightChange(*held.record, std::move(held.changes));
    // The panel shows the change, not what first contact read before it.
    OnUiThread([this] { RefreshLightPanel(); });
}

void COrvaneUSBDevice::DropHeldLightChanges() {
    // Their callers are answered by AnswerUnfinishedLightChanges once no job can finish them.
    std::lock_guard lock(heldMutex_);
    held_ = HeldLightChange{};
}

Result COrvaneUSBDevice::WriteLightingBlock() { return kResultSuccess; }

CLightControlUI* COrvaneUSBDevice::LightPanel() const { return lightPanel_; }

void COrvaneUSBDevice::BindLightPanel() {
    if (lightPanel_ || !page_) return;
    QWidget* container =
        ui::PaintManager::FindSubControlByName(page_, QStringLiteral("LightControlItem"));
    if (container == nullptr) return;
    lightPanel_ = new CLightControlUI(*this, container, paintManager_);
    RefreshLightPanel();
}

void COrvaneUSBDevice::RefreshLightPanel() {
    if (lightPanel_) lightPanel_->Refresh();
    emit LightingShown();
}

}  // namespace qx::devices
