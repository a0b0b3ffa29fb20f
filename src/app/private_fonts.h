// The program's own fonts, shipped in the data folder's "Font" folder and available to this
// process only, from start-up until they are removed at the end.
#pragma once

#include <QString>
#include <vector>

namespace qx::app {

class PrivateFonts {
  public:
    // Relative to the data folder, in load order.
    static constexpr const char* kFiles[] = {
        "Font/Simplified_Chinese.ttf",
        "Font/Quenta-Regular.otf",
        "Font/NotoSansThai-Regular.ttf",
        "Font/NotoSansCJKtc-Regular.otf",
    };

    // Loads what can be loaded from `dataFolder`; a missing or unusable file is skipped.
    explicit PrivateFonts(const QString& dataFolder);
    ~PrivateFonts();  // removes them in reverse order
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    int LoadedCount() const { return int(ids_.size()); }

  private:
    std::vector<int> ids_;
};

}  // namespace qx::app
