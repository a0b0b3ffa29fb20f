// The audio configuration library the program shares between its headsets.
#include <mutex>

#include "audio/alsa_audio_lib.h"
#include "audio/headset_audio.h"

namespace qx::audio {
namespace {

std::mutex& LibraryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<AudioConfLib>& Installed() {
    static std::shared_ptr<AudioConfLib> library;
    return library;
}

}  // namespace

std::shared_ptr<AudioConfLib> SharedAudioLibrary() {
    std::lock_guard lock(LibraryMutex());
    if (!Installed()) Installed() = std::make_shared<AlsaAudioLib>();
    return Installed();
}

void InstallAudioLibrary(std::shared_ptr<AudioConfLib> library) {
    std::lock_guard lock(LibraryMutex());
    Installed() = std::move(library);
}

}  // namespace qx::audio
