// The byte counter rule shared by every moving effect.
#pragma once

#include <cstdint>

namespace qx::lighting {

// Forward (direction non-zero): value + step, 0 once that reaches the period. Backward: value -
// step, and period - step when that went below 0 (seen as period or more on bytes).
inline std::uint8_t StepPhase(std::uint8_t direction, int period, std::uint8_t value,
                              std::uint8_t step) {
    if (direction != 0) {
        const auto next = static_cast<std::uint8_t>(value + step);
        return next >= period ? std::uint8_t{0} : next;
    }
    const auto next = static_cast<std::uint8_t>(value - step);
    return next >= period ? static_cast<std::uint8_t>(period - step) : next;
}

}  // namespace qx::lighting
