// Captures what the desktop plays: the default output's monitor through the sound server
// (PulseAudio, or PipeWire's PulseAudio service), mono 16-bit at the capture rate, on a thread
// of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace qx::audio_capture {

class PulseSource {
  public:
    using Sink = std::function<void(std::span<const int16_t>)>;

    PulseSource() = default;
    ~PulseSource();
    PulseSource(const PulseSource&) = delete;
    PulseSource& operator=(const PulseSource&) = delete;

    // Connects to the sound server and starts reading; `sink` gets every 20 ms of sound (on the
    // capture thread). False with Error() when no sound server answers.
    bool Start(const std::string& source, Sink sink);
    // Stops reading. A read waits for at most one fragment while sound flows; a sound server that
    // stopped delivering (a suspended output) could hold it longer, so the thread is given half
    // a second and otherwise left to end with the process.
    void Stop();
    const std::string& Error() const { return error_; }

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::string error_;
};

}  // namespace qx::audio_capture
