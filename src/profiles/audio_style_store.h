// The sound-lighting styles file ("AudioFile.json" in the user's folder): four named colour
// presets and the selected one, under "Device"."AudioLightInfo". Other members of the file are
// kept on every rewrite.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace qx {

struct AudioStyleSet {
    uint8_t selected = 0;                             // "nAudioStyle", 0-3
    std::array<std::string, 4> names;                 // "nStyleName1".."nStyleName4"
    std::array<std::array<uint8_t, 3>, 4> colours{};  // "nStyleR0".."nStyleB3", slider steps 0-9
    bool operator==(const AudioStyleSet&) const = default;
};

class AudioStyleStore {
  public:
    AudioStyleStore();
    AudioStyleStore(std::filesystem::path userFile, std::filesystem::path defaultFile);

    // Start-up: the user file's "Device"; when it has none, the default file is copied to the
    // user file first. Then LoadAudioStyles.
    AudioStyleSet Open();
    AudioStyleSet LoadAudioStyles();
    bool SaveAudioStyles(const AudioStyleSet& styles);
    // The default file over the user file, then LoadAudioStyles.
    AudioStyleSet ResetAudioStyles();

    const AudioStyleSet& Current() const { return current_; }

  private:
    std::filesystem::path userFile_;
    std::filesystem::path defaultFile_;
    Json::Value document_;
    AudioStyleSet current_;
};

}  // namespace qx
