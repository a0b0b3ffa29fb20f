#include "audio/audio_property.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qx::audio {
namespace {

ExtraBuffer ExtraOf(const Extra& extra) {
    ExtraBuffer buffer{};
    for (int i = 0; i < extra.count; ++i)
        std::memcpy(buffer.data() + 4 * i, &extra.words[static_cast<size_t>(i)], 4);
    return buffer;
}

bool Set(AudioConfLib& lib, const AudioDeviceRecord& device, std::string_view name, const void* raw,
         Extra extra) {
    ValueBuffer value{};
    std::memcpy(value.data(), raw, 4);
    ExtraBuffer words = ExtraOf(extra);
    return lib.PropertyControl(device, name, value.data(), extra.count > 0 ? words.data() : nullptr,
                               PropertyOp::Set) == 0;
}

}  // namespace

void PutText(uint8_t* value, size_t size, std::string_view text) {
    if (size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(value, text.data(), n);
    value[n] = 0;
}

int32_t TakeInt(const uint8_t* value) {
    int32_t v = 0;
    std::memcpy(&v, value, 4);
    return v;
}

float TakeFloat(const uint8_t* value) {
    float v = 0;
    std::memcpy(&v, value, 4);
    return v;
}

bool IsScalarVolume(std::string_view name) {
    return name == "VolumeScalarControl" || name == "AAVolumeScalarControl";
}

std::string NumberText(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e9)
        return std::to_string(static_cast<long long>(value));
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string s(text);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::optional<std::string> GetText(AudioConfLib& lib, const AudioDeviceRecord& device,
                                   std::string_view name, Extra extra) {
    ValueBuffer value{};
    ExtraBuffer words = ExtraOf(extra);
    if (lib.PropertyControl(device, name, value.data(), extra.count > 0 ? words.data() : nullptr,
                            PropertyOp::Get) != 0)
        return std::nullopt;
    // The library's text ends at its NUL, or at the buffer's end for one that wrote none.
    const auto* begin = reinterpret_cast<const char*>(value.data());
    return std::string(begin, strnlen(begin, value.size()));
}

std::optional<double> GetNumber(AudioConfLib& lib, const AudioDeviceRecord& device,
                                std::string_view name, Extra extra) {
    const std::optional<std::string> text = GetText(lib, device, name, extra);
    if (!text) return std::nullopt;
    double number = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    while (first < last && *first == ' ') ++first;
    const auto [end, code] = std::from_chars(first, last, number);
    // "nan" and "inf" read as numbers too, but no property has them.
    if (code != std::errc() || end == first || !std::isfinite(number)) return std::nullopt;
    return number;
}

bool SetInt(AudioConfLib& lib, const AudioDeviceRecord& device, std::string_view name,
            int32_t value, Extra extra) {
    return Set(lib, device, name, &value, extra);
}

bool SetFloat(AudioConfLib& lib, const AudioDeviceRecord& device, std::string_view name,
              float value, Extra extra) {
    return Set(lib, device, name, &value, extra);
}

std::optional<std::array<uint32_t, 3>> ReadFeatureWords(AudioConfLib& lib,
                                                        const AudioDeviceRecord& device) {
    std::vector<uint8_t> buffer(kFeatureBufferSize, 0);
    if (lib.PropertyControl(device, "GetSupportFeature", buffer.data(), nullptr, PropertyOp::Get) !=
        0)
        return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(buffer.data());
    const std::string text(begin, strnlen(begin, buffer.size()));
    std::vector<uint32_t> fields;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        uint32_t field = 0;
        const char* first = text.data() + at;
        const char* last = text.data() + comma;
        while (first < last && *first == ' ') ++first;
        const auto [end, code] = std::from_chars(first, last, field);
        if (code != std::errc() || end == first) return std::nullopt;
        fields.push_back(field);
        at = comma + 1;
    }
    if (fields.size() < 7) return std::nullopt;
    return std::array<uint32_t, 3>{fields[0], fields[4], fields[6]};
}

}  // namespace qx::audio
