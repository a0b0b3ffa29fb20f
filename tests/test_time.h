// How long the tests wait for something that takes real time (a program starting, a reply over the
// bus, a device worker's write). The waits end as soon as the thing happens; their limits only
// decide when a test gives up. Sanitizer builds run several times slower, so their runs stretch
// the limits with QX580_TEST_TIME_SCALE (a whole number, 1 when unset or not a number).
#pragma once

#include <cstdlib>

namespace qx::test {

inline int TimeScale() {
    static const int scale = [] {
        const char* text = std::getenv("QX580_TEST_TIME_SCALE");
        if (text == nullptr) return 1;
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return end != text && *end == '\0' && value >= 1 && value <= 20 ? static_cast<int>(value)
                                                                        : 1;
    }();
    return scale;
}

// A wait's limit in milliseconds, stretched for slow builds.
inline int Patience(int ms) { return ms * TimeScale(); }

}  // namespace qx::test
