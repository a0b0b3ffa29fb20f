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
    // user file first (what it held is kept aside). Then LoadAudioStyles; the styles are in
    // Current(). False when the default could not be written (the styles are then the default's,
    // in memory only).
    [[nodiscard]] bool Open();
    AudioStyleSet LoadAudioStyles();
    [[nodiscard]] bool SaveAudioStyles(const AudioStyleSet& styles);
    // The default file over the user file, then LoadAudioStyles. False, with the user's styles
    // unchanged, when the default cannot be read or the user file cannot be written.
    [[nodiscard]] bool ResetAudioStyles();

    const AudioStyleSet& Current() const { return current_; }

  private:
    std::filesystem::path userFile_;
    std::filesystem::path defaultFile_;
    Json::Value document_;
    AudioStyleSet current_;
};

}  // namespace qx
