#include "devices/base/light_record_words.h"

#include <algorithm>
#include <cstddef>

namespace qx::devices {
namespace {

uint8_t Byte(const std::array<uint32_t, 4>& words, size_t i) {
    return static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
}

}  // namespace

std::array<uint32_t, 4> LightWordsOf(const LightInfoRecord& info) {
    const uint8_t bytes[16] = {info.selectItem,
                               info.light,
                               info.speed,
                               info.fx,
                               info.multiColor,
                               info.red,
                               info.green,
                               info.blue,
                               info.reserved9,
                               info.reserved10,
                               info.reserved11,
                               info.zzccLedMode,
                               info.customGroup,
                               info.oldLedmode,
                               0,
                               0};
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < 16; ++i) words[i / 4] |= uint32_t{bytes[i]} << (8 * (i % 4));
    return words;
}

LightInfoRecord LightRecordOf(const std::array<uint32_t, 4>& words) {
    LightInfoRecord info;
    info.selectItem = Byte(words, 0);
    info.light = Byte(words, 1);
    info.speed = Byte(words, 2);
    info.fx = Byte(words, 3);
    info.multiColor = Byte(words, 4);
    info.red = Byte(words, 5);
    info.green = Byte(words, 6);
    info.blue = Byte(words, 7);
    info.reserved9 = Byte(words, 8);
    info.reserved10 = Byte(words, 9);
    info.reserved11 = Byte(words, 10);
    info.zzccLedMode = Byte(words, 11);
    info.customGroup = Byte(words, 12);
    info.oldLedmode = Byte(words, 13);
    return info;
}

lighting::LightSettings LightSettingsOf(const LightInfoRecord& info) {
    lighting::LightSettings settings;
    settings.effectId = info.selectItem;
    settings.brightness = info.light;
    settings.speed = info.speed;
    settings.direction = info.fx;
    settings.colourful = info.multiColor;
    settings.colour = {info.red, info.green, info.blue};
    settings.presetColour = info.zzccLedMode;
    settings.customGroup = info.customGroup;
    return settings;
}

std::vector<lighting::LedEffectRecord> ToLedEffectRecords(const std::vector<LedEffectEntry>& list) {
    std::vector<lighting::LedEffectRecord> records;
    records.reserve(list.size());
    for (const LedEffectEntry& entry : list) {
        records.push_back({.type = entry.type,
                           .brightness = entry.brightness,
                           .speed = entry.speed,
                           .colourful = entry.multiColor,
                           .colour = {entry.red, entry.green, entry.blue},
                           .enabled = entry.enabled});
    }
    return records;
}

std::vector<lighting::TimedEffectEntry> ToTimedEffects(const std::vector<TimedEffectStep>& steps) {
    std::vector<lighting::TimedEffectEntry> entries;
    entries.reserve(steps.size());
    for (const TimedEffectStep& step : steps) {
        entries.push_back({.type = step.type,
                           .brightness = step.brightness,
                           .speed = step.speed,
                           .colourful = step.multiColor,
                           .colour = {step.red, step.green, step.blue},
                           .durationMs = static_cast<uint32_t>(std::max(step.time, 0))});
    }
    return entries;
}

}  // namespace qx::devices
