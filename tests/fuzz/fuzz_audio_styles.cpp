// The sound-lighting styles file ("AudioFile.json"): opening (the default taken in when the file
// has none), the styles read, saved back (they read back the same) and reset.
// Input: the file's bytes.
#include "fuzz_support.h"
#include "profiles/audio_style_store.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = fuzz::FreshFolder("audio");
    const auto file = folder / "AudioFile.json";
    fuzz::WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));
    AudioStyleStore store(file, fuzz::ShippedData() / "DefaultData" / "AudioFile.json");
    (void)store.Open();
    const AudioStyleSet styles = store.LoadAudioStyles();
    if (store.SaveAudioStyles(styles))
        fuzz::Require(store.LoadAudioStyles() == styles, "the styles read back");
    if (size > 0 && data[0] == '!') (void)store.ResetAudioStyles();
    return 0;
}
