#include "lighting/effect_state.h"

namespace qx::lighting {

namespace {
constexpr int kLast = kGridColumns - 1;

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }
}  // namespace

void SpreadMasks::SetBit(int column, int row) {
    const auto bit = Byte(1 << row);
    a[column] |= bit;
    b[column] |= bit;
    c[column] |= bit;
    d[column] |= bit;
}

void SpreadMasks::DiamondAdvance() {
    const SpreadMasks before = *this;
    for (int col = 0; col < kGridColumns; ++col) {
        a[col] = Byte((before.a[col] >> 1) | (col < kLast ? before.a[col + 1] : 0));
        b[col] = Byte((before.b[col] >> 1) | (col > 0 ? before.b[col - 1] : 0));
        c[col] = Byte((before.c[col] << 1) | (col > 0 ? before.c[col - 1] : 0));
        d[col] = Byte((before.d[col] << 1) | (col < kLast ? before.d[col + 1] : 0));
    }
}

void SpreadMasks::LineAdvance() {
    const SpreadMasks before = *this;
    for (int col = 0; col < kGridColumns; ++col) {
        a[col] = 0;
        c[col] = 0;
        b[col] = col > 0 ? before.b[col - 1] : std::uint8_t{0};
        d[col] = col < kLast ? before.d[col + 1] : std::uint8_t{0};
    }
}

bool SpreadMasks::Empty() const {
    for (int col = 0; col < kGridColumns; ++col) {
        if (UnionAt(col) != 0) return false;
    }
    return true;
}

void SeedMasks(SpreadMasks& masks, int led) {
    for (int col = 0; col < kGridColumns; ++col) {
        for (int row = 0; row < kGridRows; ++row) {
            if (kKeyGrid[col][row] == led) {
                masks.SetBit(col, row);
                return;
            }
        }
    }
}

}  // namespace qx::lighting
