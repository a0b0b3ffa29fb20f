#include "settings/update_check.h"

#include "core/check_date_file.h"
#include "core/diagnostics.h"
#include "core/time_stamp.h"
#include "settings/update_reply.h"

namespace qx {

UpdateResult PlaceholderResult(const UpdateTarget& target) {
    UpdateResult result;
    result.name = target.IsProgram() ? "AP" : target.displayName;
    result.currentVersionText =
        target.IsFirmware() ? CurrentVersionText(target.currentVersion, true) : target.versionText;
    result.status = kUpToDate;
    return result;
}

UpdateCheckOutcome RunUpdateCheck(const std::vector<UpdateTarget>& targets,
                                  const UpdateService& service,
                                  const std::filesystem::path& checkDatePath,
                                  const UpdateRowReady& rowReady, std::stop_token stop) {
    UpdateCheckOutcome outcome;
    outcome.results.reserve(targets.size());
    for (const UpdateTarget& target : targets) outcome.results.push_back(PlaceholderResult(target));

    for (std::size_t row = 0; row < targets.size(); ++row) {
        if (stop.stop_requested()) {
            outcome.stopped = true;
            break;
        }
        const UpdateTarget& target = targets[row];
        if (target.currentVersion == 0) continue;
        UpdateResult result = service.RequestUpdateInfo(BuildAppKey(target), target.currentVersion,
                                                        target.IsFirmware(), stop);
        if (result.error == UpdateError::Cancelled) {
            outcome.stopped = true;
            break;
        }
        const UpdateResult placeholder = PlaceholderResult(target);
        if (result.error != UpdateError::None) {
            ++outcome.failures;
            DebugLine(target.displayName + ": " + UpdateErrorName(result.error));
        }
        // A reply without a name (or none at all) offers nothing: the row stays as it was.
        if (result.error != UpdateError::None || result.name.empty()) {
            UpdateResult unchanged = placeholder;
            unchanged.error = result.error;
            unchanged.errorText = std::move(result.errorText);
            result = std::move(unchanged);
        }
        result.name = placeholder.name;
        if (result.status == kUpToDate) result.newVersionText.clear();
        outcome.results[row] = result;
        if (rowReady) rowReady(row, outcome.results[row]);
        if (!WriteCheckDate(TodayDateText(), checkDatePath)) {
            DebugLine("check date not stored: " + checkDatePath.string());
        }
    }

    bool offered = false;
    for (const UpdateResult& result : outcome.results) offered |= result.status == kUpdateAvailable;
    if (offered) {
        outcome.status = UpdateCheckStatus::UpdatesAvailable;
    } else if (outcome.failures > 0 && outcome.failures == static_cast<int>(targets.size())) {
        outcome.status = UpdateCheckStatus::NoConnection;
    } else {
        outcome.status = UpdateCheckStatus::UpToDate;
    }
    return outcome;
}

}  // namespace qx
