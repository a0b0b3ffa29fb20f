#include "platform/platform_log.h"

#include <atomic>

namespace qx::platform {
namespace {

std::atomic<LogSink> g_sink{nullptr};

}  // namespace

void SetPlatformLogSink(LogSink sink) { g_sink.store(sink, std::memory_order_release); }

void PlatformLog(std::string_view line) {
    if (const LogSink sink = g_sink.load(std::memory_order_acquire)) sink(line);
}

}  // namespace qx::platform
