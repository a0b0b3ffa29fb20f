#include "lighting/lighting_sources.h"

#include <chrono>
#include <cstdlib>

namespace qx::lighting {

std::uint32_t SteadyTickSource::NowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::uint32_t StdRandSource::Next() { return static_cast<std::uint32_t>(std::rand()); }

SteadyTickSource& ProgramTickSource() {
    static SteadyTickSource source;
    return source;
}

StdRandSource& ProgramRandSource() {
    static StdRandSource source;
    return source;
}

}  // namespace qx::lighting
