#include "core/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace qx {
namespace {

std::mutex g_mutex;
DebugSink g_sink = nullptr;
void* g_context = nullptr;

}  // namespace

bool DebugEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("QX580_DEBUG");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    std::lock_guard lock(g_mutex);
    return enabled || g_sink != nullptr;
}

void DebugLine(std::string_view text) {
    if (!DebugEnabled()) return;
    std::lock_guard lock(g_mutex);
    if (g_sink != nullptr) {
        std::string_view line = text;
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        g_sink(line, g_context);
        return;
    }
    std::string out(text);
    if (out.empty() || out.back() != '\n') out.push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

void SetDebugSink(DebugSink sink, void* context) {
    std::lock_guard lock(g_mutex);
    g_sink = sink;
    g_context = context;
}

}  // namespace qx
