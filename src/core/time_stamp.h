// Identifiers of profiles and macros: the local time of creation, to the millisecond.
#pragma once

#include <chrono>
#include <string>

namespace qx {

// "%d_%02d_%02d_%02d_%02d_%02d_%03d" of year, month, day, hour, minute, second, millisecond of
// the local time. Two calls in one process never give the same text: a call in the same (or an
// earlier, after a clock step) millisecond as the previous one takes the next millisecond.
std::string MakeTimeStamp();

// The same format for a given moment (local time).
std::string FormatTimeStamp(std::chrono::system_clock::time_point when);

// Today's local date as "%d-%d-%d" (year, month, day), as the check-date file stores it.
std::string TodayDateText();

}  // namespace qx
