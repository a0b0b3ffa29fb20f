// The keyboard's profile blocks: system options ("SystemStages") and the custom colour groups
// ("CustomLightMode").
#pragma once

#include <vector>

#include "profiles/basic_profiledata.h"

namespace qx {

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    KeyboardSystemRecord GetKeyboardSystem();
    void SetKeyboardSystem(uint32_t word1, uint32_t word2, uint32_t word3);

    // Cells 0..count-1 of group g; cells (or the whole group) that the block lacks are created
    // with zero colours in the in-memory block.
    std::vector<ColourCell> GetCustomColours(int group, int count);
    void SetCustomColours(const std::vector<ColourCell>& cells, int group);
    int GetCustomGroupIndex();
    void SetCustomGroupIndex(int index);

  private:
    KeyboardSystemRecord system_;
    std::vector<ColourCell> colours_;
    int groupIndex_ = 0;
};

}  // namespace qx
