// One pass over the update targets, as the settings window's worker runs it: a question per
// target, one after the other, each answer handed back as soon as it is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <vector>

#include "settings/update_catalogue.h"
#include "settings/update_result.h"
#include "settings/update_service.h"

namespace qx {

// The settings window's status line after a check.
enum class UpdateCheckStatus : std::int32_t {
    UpdatesAvailable = 1,  // some row can be updated
    NoConnection = 2,      // every question failed
    UpToDate = 4,
};

struct UpdateCheckOutcome {
    std::vector<UpdateResult> results;  // one per target, in order
    int failures = 0;                   // questions that got no usable answer
    bool stopped = false;               // the stop token ended the pass early
    UpdateCheckStatus status = UpdateCheckStatus::UpToDate;
};

// The row a target shows before its answer: the row name, its current version text
// ("V%04x" for firmware, the catalogue's version text for the program), up to date.
UpdateResult PlaceholderResult(const UpdateTarget& target);

// Called on the checking thread with a row's index and its final result.
using UpdateRowReady = std::function<void(std::size_t row, const UpdateResult& result)>;

// Asks about every target in order (a target whose current version is 0 is never asked). A
// failed question leaves its row up to date and counts as a failure. Each result carries the
// target's row name. After each target today's date is written into the check-date file. A
// triggered stop token ends the pass: the rows not yet asked keep their placeholders.
UpdateCheckOutcome RunUpdateCheck(const std::vector<UpdateTarget>& targets,
                                  const UpdateService& service,
                                  const std::filesystem::path& checkDatePath,
                                  const UpdateRowReady& rowReady = {}, std::stop_token stop = {});

}  // namespace qx
