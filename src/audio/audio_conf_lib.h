// The audio configuration library of the headset's chip: endpoints listed by flow, and named
// properties read and written on an endpoint. The calls, results and value forms are those the
// headset's code was written against, so that a library for another platform can take its place:
//   - results: 0 is success, anything else a failure;
//   - a get leaves decimal text (8-bit characters, NUL-terminated) in the 1024-byte value buffer;
//   - a set takes a 32-bit integer in the buffer's first 4 bytes, a 32-bit float for the scalar
//     volumes ("VolumeScalarControl", "AAVolumeScalarControl");
//   - the extra buffer, where a property has one, holds a 32-bit channel (-1 for the microphone
//     volumes, 0 for the monitor volumes), or three words 4, -1, 0 for
//     "VirtualSurroundEffectControl".
// Implementations: the machine's (ALSA mixer and PipeWire filter chain) and a simulated one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx::audio {

inline constexpr size_t kValueBufferSize = 1024;
inline constexpr size_t kFeatureBufferSize = 2048;

using ValueBuffer = std::array<uint8_t, kValueBufferSize>;
using ExtraBuffer = std::array<uint8_t, kValueBufferSize>;

enum class Flow : int { Output = 0, Input = 1 };

// The 16-byte endpoint record: an identifier, the endpoint type, a third word the library uses
// as it likes, and the state (1: active).
struct AudioDeviceRecord {
    int32_t id = -1;
    int32_t type = 0;
    int32_t third = 0;
    int32_t state = 0;
    bool operator==(const AudioDeviceRecord&) const = default;
};
static_assert(sizeof(AudioDeviceRecord) == 16);

// Endpoint types the headset's code looks for: outputs of type 1, else 12, 7, 4; input type 2.
inline constexpr int32_t kTypeHeadphones = 1;
inline constexpr int32_t kTypeMicrophone = 2;
inline constexpr int32_t kStateActive = 1;

// Bits of an endpoint's first feature word ("GetSupportFeature" field 0). The voice changer bit
// is the one the headset's code tests; the others say which processing the library can apply.
inline constexpr uint32_t kFeatureEqualiser = 0x0001;    // output: "Enable_EQ_GFX", "EQ_Slider*"
inline constexpr uint32_t kFeatureSurround = 0x0002;     // output: virtual surround
inline constexpr uint32_t kFeatureRoom = 0x0004;         // output: "RFX_*"
inline constexpr uint32_t kFeatureMicEcho = 0x0100;      // input: "Enable_MICECHO"
inline constexpr uint32_t kFeatureNoise = 0x0200;        // input: "Enable_ENC_LFX"
inline constexpr uint32_t kFeatureMagicVoice = 0x20000;  // input: "Enable_MAGICVOICE"

enum class PropertyOp : int { Get = 0, Set = 1 };

class AudioConfLib {
  public:
    virtual ~AudioConfLib() = default;

    // 0 when the library is ready.
    virtual int ConfLibInit() = 0;
    // (Re)reads the endpoints of the headset's chip.
    virtual void CreateDeviceList() = 0;
    virtual int GetDeviceCount(Flow flow) = 0;
    // 0 and the record of endpoint `index` of `flow`; else a failure.
    virtual int GetDeviceById(Flow flow, int index, AudioDeviceRecord* record) = 0;
    // Reads (op Get) or writes (op Set) property `name` of `device`. `extra` may be null for
    // properties without a channel. "GetSupportFeature" writes up to kFeatureBufferSize bytes:
    // for it `value` must point at that many.
    virtual int PropertyControl(const AudioDeviceRecord& device, std::string_view name,
                                uint8_t* value, uint8_t* extra, PropertyOp op) = 0;

    // Property sets from BeginChanges to CommitChanges may be gathered and applied together at
    // the commit (a whole equaliser preset as one update of the sound processing); the
    // commit's result (0: success) says whether they took effect. Libraries that apply each set
    // at once keep these as they are.
    virtual void BeginChanges() {}
    virtual int CommitChanges() { return 0; }

    // Why processing features are missing from the feature words (shown on the controls that
    // are disabled for it); empty when they are all there.
    virtual std::string UnavailableReason() const { return {}; }

    // Whether the machine's endpoints are no longer those the last CreateDeviceList found (the
    // headset's card came or went): the caller lists them again. Cheap enough to ask every
    // few seconds.
    virtual bool EndpointsChanged() { return false; }
};

}  // namespace qx::audio
