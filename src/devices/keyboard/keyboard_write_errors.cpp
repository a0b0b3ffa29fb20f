#include "devices/keyboard/keyboard_write_errors.h"

#include "ui/resource_manager.h"

namespace qx::devices {
namespace {

QString Text(const char* key) {
    return ui::ResourceManager::GetInstance().Text(QString::fromLatin1(key));
}

}  // namespace

QString WriteErrorText(Result result) {
    const char* reason = "kb_error_no_answer";
    switch (result) {
        case kResultWriteFailed:
        case kResultUnreachable:
            reason = "kb_error_unreachable";
            break;
        case kResultStatusFF:
        case kResultStatusFE:
            reason = "kb_error_refused";
            break;
        case kResultRefusedProfile:
            reason = "kb_error_profile";
            break;
        default:
            break;
    }
    return Text("kb_write_failed_text") + Text(reason);
}

QString WriteErrorText(WriteError error) {
    return error == WriteError::NotOnCable ? Text("kb_error_not_on_cable")
                                           : Text("kb_profile_not_saved_text");
}

}  // namespace qx::devices
