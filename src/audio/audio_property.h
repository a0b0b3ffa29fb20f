// Reading and writing one property in the library's value forms (decimal text back from a get;
// a 32-bit integer or float and an optional channel word into a set).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "audio/audio_conf_lib.h"

namespace qx::audio {

// The endpoint's extra words: none, a channel, or the three words of the surround property.
struct Extra {
    std::array<int32_t, 3> words{};
    int count = 0;
    static Extra None() { return {}; }
    static Extra Channel(int32_t channel) { return {{channel, 0, 0}, 1}; }
    static Extra Surround() { return {{4, -1, 0}, 3}; }
};

inline constexpr int32_t kMicChannel = -1;
inline constexpr int32_t kMonitorChannel = 0;

// The property's text, or nothing when the library refused the get.
std::optional<std::string> GetText(AudioConfLib& lib, const AudioDeviceRecord& device,
                                   std::string_view name, Extra extra = Extra::None());
// The text read as a number; nothing when refused or not a number.
std::optional<double> GetNumber(AudioConfLib& lib, const AudioDeviceRecord& device,
                                std::string_view name, Extra extra = Extra::None());
bool SetInt(AudioConfLib& lib, const AudioDeviceRecord& device, std::string_view name,
            int32_t value, Extra extra = Extra::None());
bool SetFloat(AudioConfLib& lib, const AudioDeviceRecord& device, std::string_view name,
              float value, Extra extra = Extra::None());

// Fields 0, 4 and 6 of "GetSupportFeature" (comma-separated decimal text of at least seven
// fields); nothing when the get fails or gives fewer fields.
std::optional<std::array<uint32_t, 3>> ReadFeatureWords(AudioConfLib& lib,
                                                        const AudioDeviceRecord& device);

// Value-buffer forms, shared by the implementations.
void PutText(uint8_t* value, size_t size, std::string_view text);
int32_t TakeInt(const uint8_t* value);
float TakeFloat(const uint8_t* value);
// Whether a property carries a float in a set (the scalar volumes).
bool IsScalarVolume(std::string_view name);
// Decimal text of a number: integers without a fraction, others with up to six digits.
std::string NumberText(double value);

}  // namespace qx::audio
