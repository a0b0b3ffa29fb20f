#include "profiles/audio_style_store.h"

#include "core/json_file.h"
#include "core/json_value.h"
#include "core/paths.h"

namespace qx {
namespace {

constexpr const char* kFileName = "AudioFile.json";
constexpr const char* kChannels = "RGB";

std::string NameKey(int preset) { return "nStyleName" + std::to_string(preset + 1); }

std::string ColourKey(int preset, int channel) {
    return std::string("nStyle") + kChannels[channel] + std::to_string(preset);
}

}  // namespace

AudioStyleStore::AudioStyleStore()
    : AudioStyleStore(UserFolder() / kFileName, DefaultDataFolder() / kFileName) {}

AudioStyleStore::AudioStyleStore(std::filesystem::path userFile, std::filesystem::path defaultFile)
    : userFile_(std::move(userFile)), defaultFile_(std::move(defaultFile)) {}

AudioStyleSet AudioStyleStore::Open() {
    document_ = json::Get(ReadJsonFile(userFile_), "Device");
    if (document_.isNull()) {
        const Json::Value defaults = ReadJsonFile(defaultFile_);
        if (!defaults.isNull()) {
            SetAsideDamagedFile(userFile_);
            WriteJsonFile(userFile_, defaults);
        }
        document_ = json::Get(defaults, "Device");
    }
    return LoadAudioStyles();
}

AudioStyleSet AudioStyleStore::LoadAudioStyles() {
    AudioStyleSet styles;
    const Json::Value& info = json::Get(document_, "AudioLightInfo");
    if (info.isObject()) {
        styles.selected = static_cast<uint8_t>(json::ToInt(json::Get(info, "nAudioStyle")));
        for (int p = 0; p < 4; ++p) {
            styles.names[p] = json::ToString(json::Get(info, NameKey(p).c_str()));
            for (int c = 0; c < 3; ++c) {
                styles.colours[p][c] =
                    static_cast<uint8_t>(json::ToInt(json::Get(info, ColourKey(p, c).c_str())));
            }
        }
    }
    current_ = styles;
    return styles;
}

bool AudioStyleStore::SaveAudioStyles(const AudioStyleSet& styles) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = styles.selected;
    for (int p = 0; p < 4; ++p) {
        info[NameKey(p)] = styles.names[p];
        for (int c = 0; c < 3; ++c) info[ColourKey(p, c)] = styles.colours[p][c];
    }
    json::Slot(document_, "AudioLightInfo") = info;
    current_ = styles;
    Json::Value file = ReadJsonFile(userFile_);
    if (!file.isObject()) {
        SetAsideDamagedFile(userFile_);
        file = Json::Value(Json::objectValue);
    }
    file["Device"] = document_;
    return WriteJsonFile(userFile_, file);
}

AudioStyleSet AudioStyleStore::ResetAudioStyles() {
    const Json::Value defaults = ReadJsonFile(defaultFile_);
    // Without a readable default the user's styles are kept rather than replaced by nothing.
    if (!defaults.isNull()) {
        SetAsideDamagedFile(userFile_);
        WriteJsonFile(userFile_, defaults);
        document_ = json::Get(defaults, "Device");
    }
    return LoadAudioStyles();
}

}  // namespace qx
