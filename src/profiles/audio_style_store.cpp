#include "profiles/audio_style_store.h"

#include "core/json_file.h"
#include "core/json_value.h"
#include "platform/user_folders.h"

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
    : AudioStyleStore(platform::UserFolder() / kFileName,
                      platform::DefaultDataFolder() / kFileName) {}

AudioStyleStore::AudioStyleStore(std::filesystem::path userFile, std::filesystem::path defaultFile)
    : userFile_(std::move(userFile)), defaultFile_(std::move(defaultFile)) {}

bool AudioStyleStore::Open() {
    bool written = true;
    document_ = json::Get(ReadJsonFile(userFile_), "Device");
    if (document_.isNull()) {
        const Json::Value defaults = ReadJsonFile(defaultFile_);
        if (!defaults.isNull()) {
            // A file without "Device" may still hold something of the user's: it is kept aside.
            written = KeepFileAside(userFile_).ok && WriteJsonFile(userFile_, defaults);
        }
        document_ = json::Get(defaults, "Device");
    }
    LoadAudioStyles();
    return written;
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
        if (!KeepFileAside(userFile_).ok) return false;
        file = Json::Value(Json::objectValue);
    }
    file["Device"] = document_;
    return WriteJsonFile(userFile_, file);
}

bool AudioStyleStore::ResetAudioStyles() {
    const Json::Value defaults = ReadJsonFile(defaultFile_);
    // Without a readable default the user's styles are kept rather than replaced by nothing.
    if (defaults.isNull()) return false;
    if (!SetAsideDamagedFile(userFile_).ok || !WriteJsonFile(userFile_, defaults)) return false;
    document_ = json::Get(defaults, "Device");
    LoadAudioStyles();
    return true;
}

}  // namespace qx
