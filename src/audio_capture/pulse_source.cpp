#include "audio_capture/pulse_source.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "audio_capture/capture_blocks.h"

namespace qx::audio_capture {

// What the capture thread and its owner share; the thread keeps it alive when it is left behind.
struct PulseSource::Shared {
    pa_simple* stream = nullptr;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    std::string error;

    ~Shared() {
        if (stream != nullptr) pa_simple_free(stream);
    }
};

PulseSource::~PulseSource() { Stop(); }

bool PulseSource::Start(const std::string& source, Sink sink) {
    Stop();
    const pa_sample_spec format{PA_SAMPLE_S16LE, kCaptureRate, 1};
    // Small fragments: the lighting wants the sound of now, not of a second ago.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = kBlockSamples * sizeof(int16_t);
    int code = 0;
    pa_simple* stream = pa_simple_new(nullptr, "qx580-audio", PA_STREAM_RECORD,
                                      source.empty() ? nullptr : source.c_str(), "lighting",
                                      &format, nullptr, &attributes, &code);
    if (stream == nullptr) {
        error_ = std::string("no sound server to capture from (") + pa_strerror(code) + ")";
        return false;
    }
    shared_ = std::make_shared<Shared>();
    shared_->stream = stream;
    std::thread([shared = shared_, sink = std::move(sink)] {
        std::vector<int16_t> buffer(kBlockSamples);
        std::string error;
        while (!shared->stop) {
            int readCode = 0;
            if (pa_simple_read(shared->stream, buffer.data(), buffer.size() * sizeof(int16_t),
                               &readCode) < 0) {
                error = std::string("the sound server stopped the capture (") +
                        pa_strerror(readCode) + ")";
                break;
            }
            if (!shared->stop) sink(buffer);
        }
        std::lock_guard lock(shared->mutex);
        shared->error = error;
        shared->finished = true;
        shared->ended.notify_all();
    }).detach();
    return true;
}

void PulseSource::Stop() {
    if (!shared_) return;
    shared_->stop = true;
    std::unique_lock lock(shared_->mutex);
    shared_->ended.wait_for(lock, std::chrono::milliseconds(500),
                            [this] { return shared_->finished; });
    if (!shared_->error.empty()) error_ = shared_->error;
    lock.unlock();
    shared_.reset();
}

}  // namespace qx::audio_capture
