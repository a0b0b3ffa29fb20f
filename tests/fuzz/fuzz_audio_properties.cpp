// The headset's audio functions on an audio configuration library whose answers are the input:
// endpoints of any count, type and state, results of any value, and the decimal text of every
// property read (numbers, words, fractions, huge values, text that fills the buffer without an
// end), through the start, the state read back into the profile's forms, the availability of
// the controls and every setting.
// Besides the sanitizers: the state is in the profile's ranges (levels 0-100, voice 1-4, the
// switches 0 or 1).
// Input: a byte each for the output and input endpoint counts, then what the library answers,
// in the order asked: an endpoint's type and state bytes; a result byte (0 below 200) and, for a
// read, a length byte and the text (255: the whole buffer filled with digits).
#include <memory>

#include "audio/audio_property.h"
#include "audio/headset_audio.h"
#include "fuzz_support.h"

using namespace qx;
using namespace qx::audio;

namespace {

class FuzzedLibrary final : public AudioConfLib {
  public:
    explicit FuzzedLibrary(fuzz::InputReader& in) : in_(in) {}

    int ConfLibInit() override { return Result(); }
    void CreateDeviceList() override {}
    int GetDeviceCount(Flow flow) override { return flow == Flow::Output ? outputs_ : inputs_; }
    int GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) override {
        if (index < 0 || index >= GetDeviceCount(flow)) return -1;
        record->id = (flow == Flow::Output ? 100 : 200) + index;
        const uint8_t type = in_.Byte();
        record->type = type < 240 ? type % 16 : in_.Int();
        record->state = in_.Byte() % 3;
        return Result();
    }
    int PropertyControl(const AudioDeviceRecord&, std::string_view name, uint8_t* value, uint8_t*,
                        PropertyOp op) override {
        const int result = Result();
        if (op == PropertyOp::Get) {
            const size_t capacity =
                name == "GetSupportFeature" ? kFeatureBufferSize : kValueBufferSize;
            std::fill_n(value, capacity, uint8_t(0));
            if (in_.Peek() == 255) {
                (void)in_.Byte();
                std::fill_n(value, capacity, uint8_t('7'));
            } else {
                const std::string_view text = in_.Chars();
                std::copy_n(text.data(), std::min(text.size(), capacity), value);
            }
        }
        return result;
    }

    int outputs_ = 0;
    int inputs_ = 0;

  private:
    int Result() {
        const uint8_t result = in_.Byte();
        return result < 200 ? 0 : -int(result);
    }
    fuzz::InputReader& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    auto library = std::make_shared<FuzzedLibrary>(in);
    library->outputs_ = in.Byte() % 6;
    library->inputs_ = in.Byte() % 6;
    HeadsetAudio headset(library);
    (void)headset.Start();
    (void)headset.Availability();
    for (int round = 0; round < 2; ++round) {
        if (const std::optional<AudioState> state = headset.ReadState()) {
            fuzz::Require(state->micInValue >= 0 && state->micInValue <= 100, "microphone level");
            fuzz::Require(state->micMoniterValue >= 0 && state->micMoniterValue <= 100,
                          "monitor level");
            fuzz::Require(state->micInSelect == 0 || state->micInSelect == 1, "microphone on");
            fuzz::Require(state->micMoniterSelect == 0 || state->micMoniterSelect == 1,
                          "monitor on");
            fuzz::Require(!state->magicType || (*state->magicType >= 1 && *state->magicType <= 4),
                          "a voice of 1-4");
            fuzz::Require(
                !state->magicEnable || *state->magicEnable == 0 || *state->magicEnable == 1,
                "the voice changer on or off");
        }
        (void)headset.SurroundEnabled();
        const uint8_t level = in.Byte();
        (void)headset.SetMicLevel(level);
        (void)headset.SetMonitorLevel(level / 2);
        (void)headset.SetMicMuted(level & 1);
        (void)headset.SetMonitorMuted(level & 2);
        (void)headset.EnableEqualiser(level & 4);
        (void)headset.SetBand(level % 12 - 1, int(level) - 128);
        (void)headset.ApplyBands(std::vector<int>(size_t(level % 12), int(level) / 4 - 32));
        (void)headset.EnableVoiceChanger(level & 8);
        (void)headset.SelectVoice(level % 6);
        (void)headset.EnableSurround(level & 16);
    }
    return 0;
}
