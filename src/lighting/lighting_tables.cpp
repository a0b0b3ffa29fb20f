#include "lighting/lighting_tables.h"

namespace qx::lighting {

namespace {

constexpr std::array<std::uint8_t, 32> kRiseU = {
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<std::uint8_t, 32> kFallV = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<Rgb, 256> MakeColourWheel() {
    std::array<Rgb, 256> wheel{};
    for (int s = 0; s < 6; ++s) {
        for (int k = 0; k < 32; ++k) {
            const std::uint8_t u = kRiseU[k];
            const std::uint8_t v = kFallV[k];
            Rgb c{};
            switch (s) {
                case 0:
                    c = {255, u, 0};
                    break;
                case 1:
                    c = {v, 255, 0};
                    break;
                case 2:
                    c = {0, 255, u};
                    break;
                case 3:
                    c = {0, v, 255};
                    break;
                case 4:
                    c = {u, 0, 255};
                    break;
                default:
                    c = {255, 0, v};
                    break;
            }
            wheel[32 * s + k] = c;
        }
    }
    for (int i = 192; i < 256; ++i) wheel[i] = wheel[i - 192];
    return wheel;
}

constexpr std::array<std::array<std::uint8_t, 15>, kSpeedTableRows> MakeSpeedTable() {
    std::array<std::array<std::uint8_t, 15>, kSpeedTableRows> table{};
    constexpr std::array<std::uint8_t, 5> kUsual = {10, 8, 5, 3, 1};
    for (int row = 0; row < kSpeedTableRows; ++row) {
        std::array<std::uint8_t, 5> head = kUsual;
        if (row == 16 || row == 18) head = {3, 3, 3, 3, 3};
        if (row >= 30 && row <= 34) head = {1, 0, 0, 0, 0};
        // Rows 35-39 belong to no effect (those ids play the effect list on every pass); rows
        // 40-45 are ours, of the usual form.
        if (row >= 35 && row <= 39) head = {0, 0, 0, 0, 0};
        for (int i = 0; i < 5; ++i) table[row][i] = head[i];
    }
    return table;
}

constexpr std::array<std::uint8_t, 64> kRamp = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// kRamp[from..63] followed by the same reversed.
template <std::size_t N>
constexpr std::array<std::uint8_t, N> MirrorOf(int from) {
    std::array<std::uint8_t, N> out{};
    const int half = static_cast<int>(N / 2);
    for (int i = 0; i < half; ++i) {
        out[i] = kRamp[from + i];
        out[N - 1 - i] = kRamp[from + i];
    }
    return out;
}

constexpr std::array<std::uint8_t, 192> MakeSparkCurve() {
    constexpr std::array<std::uint8_t, 80> head = {
        0,   4,   8,   14,  22,  33,  45,  61,  77,  94,  114, 134, 158, 182, 206, 234,
        255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158,
        152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,  81,  77,
        73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,
        20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1};
    std::array<std::uint8_t, 192> out{};
    for (std::size_t i = 0; i < head.size(); ++i) out[i] = head[i];
    return out;
}

}  // namespace

const std::array<std::uint8_t, 5> kBrightnessTable = {0, 80, 135, 195, 255};

const std::array<std::array<std::uint8_t, kGridRows>, kGridColumns> kKeyGrid = {{
    {{170, 170, 170, 170, 84, 105}},  // 0
    {{170, 21, 42, 63, 102, 106}},    // 1
    {{0, 22, 43, 64, 85, 107}},       // 2
    {{1, 23, 44, 65, 86, 170}},       // 3
    {{2, 24, 45, 66, 87, 170}},       // 4
    {{3, 25, 46, 67, 88, 170}},       // 5
    {{4, 26, 47, 68, 89, 108}},       // 6
    {{170, 27, 48, 69, 90, 170}},     // 7
    {{5, 28, 49, 70, 91, 170}},       // 8
    {{6, 29, 50, 71, 92, 109}},       // 9
    {{7, 30, 51, 72, 93, 109}},       // 10
    {{8, 31, 52, 73, 94, 110}},       // 11
    {{9, 32, 53, 74, 170, 111}},      // 12
    {{10, 33, 54, 170, 170, 170}},    // 13
    {{11, 34, 55, 75, 95, 112}},      // 14
    {{12, 34, 55, 170, 95, 112}},     // 15
    {{13, 170, 170, 170, 170, 113}},  // 16
    {{35, 170, 57, 170, 96, 114}},    // 17
    {{15, 170, 170, 170, 170, 115}},  // 18
    {{36, 38, 59, 76, 97, 116}},      // 19
    {{56, 39, 60, 77, 98, 116}},      // 20
    {{37, 40, 61, 78, 99, 117}},      // 21
    {{58, 41, 170, 119, 118, 170}},   // 22
}};

const std::array<Rgb, 256> kColourWheel = MakeColourWheel();

const std::array<std::array<std::uint8_t, 15>, kSpeedTableRows> kSpeedTable = MakeSpeedTable();

const std::array<std::uint8_t, 64> kLevelRamp = kRamp;
const std::array<std::uint8_t, 128> kBreathCurve = MirrorOf<128>(0);
const std::array<std::uint8_t, 96> kWaveCurve = MirrorOf<96>(16);
const std::array<std::uint8_t, 112> kPulseCurve112 = MirrorOf<112>(8);
const std::array<std::uint8_t, 192> kSparkCurve = MakeSparkCurve();
const std::array<std::uint8_t, 24> kColumnFade = {255, 242, 229, 216, 203, 190, 177, 164,
                                                  151, 138, 125, 112, 99,  86,  73,  60,
                                                  47,  34,  21,  8,   4,   2,   0,   0};
const std::array<std::uint8_t, 24> kRowFade = {255, 242, 229, 216, 203, 190, 177, 164,
                                               151, 138, 125, 112, 99,  86,  80,  75,
                                               68,  61,  55,  48,  34,  22,  10,  0};

const std::array<Rgb, 4> kFourColours = {
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

const std::array<std::uint8_t, 5> kBlinkInterval = {8, 6, 4, 2, 1};
const std::array<std::uint8_t, 5> kOverlayBlinkInterval = {8, 6, 4, 2, 1};
const std::array<std::uint8_t, 5> kOverlayCyclePeriod = {8, 6, 4, 2, 1};

const std::array<std::array<std::uint8_t, 2>, kPairCount> kSweepPairs = {{
    {{30, 94}},
    {{31, 93}},
    {{32, 92}},
    {{33, 71}},
    {{54, 50}},
    {{74, 30}},
    {{94, 31}},
    {{93, 32}},
    {{92, 33}},
    {{71, 54}},
    {{50, 74}},
    {{51, 73}},
    {{52, 72}},
    {{53, 51}},
    {{73, 52}},
    {{72, 53}},
}};

const std::array<std::array<std::int8_t, 3>, kMouseGroupCount> kMouseLedGroups = {{
    {{0, 13, -1}},
    {{1, 12, -1}},
    {{2, 11, -1}},
    {{3, 10, -1}},
    {{4, 9, -1}},
    {{5, 8, -1}},
    {{6, 14, 7}},
}};
const std::array<std::array<std::uint8_t, 2>, kPadPairCount> kPadLedPairs = {{
    {{1, 14}},
    {{2, 13}},
    {{3, 12}},
    {{4, 11}},
    {{5, 10}},
    {{6, 9}},
    {{7, 8}},
}};
const std::array<std::uint8_t, 5> kPreviewThresholds = {8, 6, 4, 2, 1};
const std::array<std::uint8_t, 5> kMouseSweepThresholds = {16, 12, 8, 4, 2};

const std::array<std::array<std::uint8_t, 15>, 5> kSyncSpeedTable = {{
    {{28, 23, 18, 13, 7}},
    {{28, 23, 18, 13, 7}},
    {{28, 23, 18, 13, 7}},
    {{28, 23, 18, 13, 7}},
    {{28, 23, 18, 13, 7}},
}};

}  // namespace qx::lighting
