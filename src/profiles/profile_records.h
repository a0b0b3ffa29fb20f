// The typed records that the profile data classes read from and write to a profile's device
// block. Byte order and widths follow what the device objects send on.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qx {

// "LightInfo": the lighting settings of one device. Fields 9-11 belong to the lighting code and
// are not stored in the file.
struct LightInfoRecord {
    uint8_t selectItem = 0;  // "SelectItem": effect id
    uint8_t light = 0;       // "Light": brightness level
    uint8_t speed = 0;       // "Speed"
    uint8_t fx = 0;          // "Fx": direction
    uint8_t multiColor = 0;  // "MultiColor": colourful flag
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t reserved9 = 0;
    uint8_t reserved10 = 0;
    uint8_t reserved11 = 0;
    uint8_t zzccLedMode = 0;  // "ZZCCLedMode": preset colour choice
    uint8_t customGroup = 0;  // "CustomGroup"
    uint8_t oldLedmode = 0;   // "OldLedmode": the effect selected before the current one
    bool operator==(const LightInfoRecord&) const = default;
};

// "AudioLightInfo": the keyboard's sound-lighting style and colours.
struct AudioLightRecord {
    uint8_t audioMode = 0;
    uint8_t bkColorR = 0, bkColorG = 0, bkColorB = 0;
    uint8_t fgColorR = 0, fgColorG = 0, fgColorB = 0;
    uint8_t sevenColorFlags = 0;  // "7ColorFlags"
    uint8_t colorTypeFlags = 0;   // "ColorTypeFlags"
    bool operator==(const AudioLightRecord&) const = default;
};

// One element of "LightList": the custom effect of one LED (the same 14-byte shape as
// LightInfoRecord). enabled is 1 when the file held an object for this LED.
struct LedEffectEntry {
    uint8_t type = 0;  // "LEDREGMode"
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t reserved9 = 0, reserved10 = 0;
    uint8_t enabled = 0;
    uint8_t reserved12 = 0, reserved13 = 0, reserved14 = 0;
    bool operator==(const LedEffectEntry&) const = default;
};

// One step of a timed effect (".light" file).
struct TimedEffectStep {
    uint8_t type = 0, brightness = 0, speed = 0, direction = 0, multiColor = 0;
    uint8_t red = 0, green = 0, blue = 0;
    int32_t time = 0;
    int32_t cyle = 0;  // "Cyle"
    bool operator==(const TimedEffectStep&) const = default;
};

// A key function as three bytes: category b2, first parameter b1, second parameter b0. In files
// it is the integer b2 * 65536 + b1 * 256 + b0.
struct KeyAssignHalf {
    uint16_t keyIndex = 0;
    uint8_t b2 = 0;
    uint8_t b1 = 0;
    uint8_t b0 = 0;
    uint8_t spare = 0;

    int Value() const { return b2 * 65536 + b1 * 256 + b0; }
    // Takes the three low bytes of an integer read from a file.
    void SetValue(int value) {
        const auto bits = static_cast<uint32_t>(value);
        b2 = static_cast<uint8_t>(bits >> 16);
        b1 = static_cast<uint8_t>(bits >> 8);
        b0 = static_cast<uint8_t>(bits);
    }
    bool operator==(const KeyAssignHalf&) const = default;
};

// One "KeyList" entry: the current assignment ("Assignment") and the factory one
// ("DefaultAssignment").
struct KeyAssignRecord {
    KeyAssignHalf current;
    KeyAssignHalf defaults;
    bool operator==(const KeyAssignRecord&) const = default;
};

// Three 32-bit words, each two 16-bit values, low half first.
struct PackedWords {
    std::array<uint32_t, 3> words{};
    uint16_t Low(int word) const { return static_cast<uint16_t>(words[word]); }
    uint16_t High(int word) const { return static_cast<uint16_t>(words[word] >> 16); }
    static uint32_t Pack(uint16_t low, uint16_t high) { return low | (uint32_t{high} << 16); }
    bool operator==(const PackedWords&) const = default;
};

// "Repeat"/"RepeatDelay", "Key6Flag"/"PollingRate", "WFlag"/"WinFlag".
struct KeyboardSystemRecord : PackedWords {};

// "DoubleClickTime"/"MouseSpeed", "PointerPrecision"/"ScorllPage",
// "WheelScorlllinse"/"ReportStages"."StageActive".
struct MouseSystemRecord : PackedWords {};

// One cell of a keyboard custom colour group.
struct ColourCell {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    uint8_t bright = 0;  // "IsBright"
    bool operator==(const ColourCell&) const = default;
};

struct DpiStageRecord {
    uint8_t active = 0;  // "StageActive"
    uint8_t xy = 0;      // "StageXY"
    uint16_t dpiX = 0;
    uint16_t dpiY = 0;
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const DpiStageRecord&) const = default;
};

// One sensor correction entry of "CorrectInfo".
struct CorrectRecord {
    uint8_t pixThresh = 0;  // "CorrectPixThresh"
    uint8_t minSq = 0;      // "CorrectMinSq"
    uint8_t select = 0;     // "CorrectSelect"
    std::string name;       // "CorrectName", UTF-8
    bool operator==(const CorrectRecord&) const = default;
};

// "SystemSetStages" of the headset.
struct HeadsetSystemRecord {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSeletIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMoniterSelect = 0;
    int32_t micMoniterValue = 0;
    bool operator==(const HeadsetSystemRecord&) const = default;
};

}  // namespace qx
