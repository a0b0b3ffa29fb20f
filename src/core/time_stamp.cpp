#include "core/time_stamp.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace qx {
namespace {

std::tm LocalTime(std::time_t seconds) {
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return local;
}

}  // namespace

std::string FormatTimeStamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    auto seconds = static_cast<std::time_t>(ms / 1000);
    int millis = static_cast<int>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::tm t = LocalTime(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, millis);
    return text;
}

std::string MakeTimeStamp() {
    using namespace std::chrono;
    static std::mutex mutex;
    static milliseconds last{0};
    milliseconds now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    {
        std::lock_guard lock(mutex);
        if (now <= last) now = last + milliseconds(1);
        last = now;
    }
    return FormatTimeStamp(system_clock::time_point(now));
}

std::string TodayDateText() {
    const std::tm t = LocalTime(std::time(nullptr));
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d-%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return text;
}

}  // namespace qx
