// The headset's profile blocks: voice, equaliser and microphone settings ("SystemSetStages"),
// the preset equaliser rows ("EQHzValueInfo") and the user's named equalisers
// ("CustomEQNameInfo", "CustomEQHzValueInfo").
#pragma once

#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"

namespace qx {

class CHs6533Profiledata : public CBasicProfiledata {
  public:
    static constexpr int kBandCount = 10;
    static constexpr int kCustomEqType = 13;

    HeadsetSystemRecord GetHeadsetSystem();
    void SetHeadsetSystem(const HeadsetSystemRecord& record);
    // Preset row t (0, above 13 and negative read row 1; 13, the custom equaliser, has none and
    // gives an empty list). Missing rows are filled with zeros in the in-memory block.
    std::vector<int> GetEqBands(int type);
    void SetEqBands(int type, const std::vector<int>& bands);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<int> GetCustomEqBands(int index);
    void SetCustomEqBands(int index, const std::vector<int>& bands);
    // Removes custom equaliser k: its name and its band row together, so that the names and
    // rows after it stay paired.
    void RemoveCustomEq(int index);
    // "SystemSetStages"."SurroundEnable": the virtual surround (0/1).
    int GetSurround();
    void SetSurround(int on);

    // The row that GetEqBands and SetEqBands use for a type, or -1 for the custom equaliser.
    static int PresetRow(int type);

  private:
    std::vector<int> ReadBands(const char* key, int row);
    void WriteBands(const char* key, int row, const std::vector<int>& bands);

    HeadsetSystemRecord system_;
};

}  // namespace qx
