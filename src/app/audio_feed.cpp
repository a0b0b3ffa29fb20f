#include "app/audio_feed.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "core/diagnostics.h"
#include "lighting/keyboard_lighting.h"

namespace qx::app {
namespace {

template <size_t N>
std::array<int32_t, N / 4> Values(const std::array<char, N>& bytes) {
    std::array<int32_t, N / 4> values{};
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = qFromLittleEndian<int32_t>(bytes.data() + 4 * i);
    return values;
}

}  // namespace

bool AudioFeed::Receive(uint32_t kind, const QByteArray& data, lighting::LightingEngine* keyboard) {
    const qsizetype limit = kind == 1 ? kSampleBytes : kind == 2 ? kValueBytes : 0;
    if (data.isEmpty() || limit == 0 || data.size() > limit) {
        // Longer than the capture program's contract allows: dropped whole, never cut.
        if (limit != 0 && data.size() > limit)
            DebugLine("capture block of kind " + std::to_string(kind) + " with " +
                      std::to_string(data.size()) + " bytes ignored");
        ++counts_.ignored;
        return false;
    }
    auto* lighting = dynamic_cast<lighting::KeyboardLighting*>(keyboard);
    if (kind == 1) {
        ++counts_.sampleBlocks;
        std::memcpy(samples_.data(), data.constData(), size_t(data.size()));
        const auto samples = Values(samples_);
        // One analysis in three feeds the keyboard, whether or not there is one.
        if (analyser_.ReceiveSamples(samples) && lighting != nullptr) {
            lighting->FeedAudioLevels(analyser_.Bands());
            ++counts_.levelFeeds;
        }
    } else {
        ++counts_.valueBlocks;
        std::memcpy(values_.data(), data.constData(), size_t(data.size()));
        if (lighting != nullptr) {
            lighting->FeedAudioBands(Values(values_));
            ++counts_.valueFeeds;
        }
    }
    return true;
}

}  // namespace qx::app
