// The machine's audio library against a fake headset card: an alsa-lib external control plugin
// that this folder builds, opened through a configuration of the test's own (no real card, no
// root). What the headset's code sets must land in the card's controls in the library's value
// forms, and a card that comes and goes must be found again.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "audio/alsa_audio_lib.h"
#include "audio/audio_property.h"
#include "audio/headset_audio.h"
#include "fake_ctl_plugin.h"

namespace qx::audio {
namespace {

constexpr int kCardIndex = 7;

long Card(const char* control, unsigned channel = 0) {
    return qx580_fake_ctl_value(control, channel);
}

class AlsaMixer : public ::testing::Test {
  protected:
    void SetUp() override { qx580_fake_ctl_reset(); }

    // The library on the fake card; `control` names one of the configuration's cards.
    std::shared_ptr<AlsaAudioLib> Library(const std::string& control = "headset") {
        location = std::make_shared<std::optional<AlsaAudioLib::CardLocation>>(
            AlsaAudioLib::CardLocation{kCardIndex, control});
        AlsaAudioLib::Options options;
        options.findCard = [where = location] { return *where; };
        options.controlConfig = std::string("ctl_type.qx580fake { lib \"") + QX580_FAKE_CTL_PATH +
                                "\" }\n"
                                "ctl.headset { type qx580fake }\n"
                                "ctl.headset_nomonitor { type qx580fake monitor false }\n";
        options.usePipeWire = false;
        return std::make_shared<AlsaAudioLib>(std::move(options));
    }

    // Where the library's finder says the card is (nothing: unplugged).
    std::shared_ptr<std::optional<AlsaAudioLib::CardLocation>> location;
};

TEST_F(AlsaMixer, MicrophoneAndMonitorLevelsAndMutesReachTheCardsControls) {
    auto lib = Library();
    HeadsetAudio audio(lib);
    const StartReport& report = audio.Start();
    ASSERT_TRUE(report.hasOutput) << lib->MixerError();
    ASSERT_TRUE(audio.Ready());
    EXPECT_EQ(audio.Output().type, kTypeHeadphones);
    EXPECT_EQ(audio.Input().type, kTypeMicrophone);

    // Levels 0-100 go as scalars 0.0-1.0 and land on the control's steps (capture 0-23,
    // side-tone 0-31), rounded to the nearest.
    struct Level {
        int level;
        long micRaw;
        long monitorRaw;
    };
    for (const Level& c :
         {Level{0, 0, 0}, Level{50, 12, 16}, Level{40, 9, 12}, Level{100, 23, 31}}) {
        ASSERT_TRUE(audio.SetMicLevel(c.level)) << c.level;
        ASSERT_TRUE(audio.SetMonitorLevel(c.level)) << c.level;
        EXPECT_EQ(Card("Mic Capture Volume"), c.micRaw) << c.level;
        EXPECT_EQ(Card("Mic Playback Volume"), c.monitorRaw) << c.level;
    }
    ASSERT_TRUE(audio.SetMicLevel(50));
    ASSERT_TRUE(audio.SetMonitorLevel(40));

    ASSERT_TRUE(audio.SetMicMuted(true));
    EXPECT_EQ(Card("Mic Capture Switch"), 0);
    ASSERT_TRUE(audio.SetMonitorMuted(false));  // the card starts with the side-tone off
    EXPECT_EQ(Card("Mic Playback Switch"), 1);
    // Neither touched the headphones.
    EXPECT_EQ(Card("Headphone Playback Volume", 0), 20);
    EXPECT_EQ(Card("Headphone Playback Volume", 1), 30);
    EXPECT_EQ(Card("Headphone Playback Switch", 0), 1);

    // Read back in the profile's forms: scalar × 100 truncated, 1 = not muted.
    const std::optional<AudioState> state = audio.ReadState();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->micInSelect, 0);
    EXPECT_EQ(state->micInValue, 52);  // 12 / 23
    EXPECT_TRUE(state->monitorPath);
    EXPECT_EQ(state->micMoniterSelect, 1);
    EXPECT_EQ(state->micMoniterValue, 38);  // 12 / 31

    ASSERT_TRUE(audio.SetMicMuted(false));
    EXPECT_EQ(Card("Mic Capture Switch"), 1);
    ASSERT_TRUE(audio.SetMonitorMuted(true));
    EXPECT_EQ(Card("Mic Playback Switch"), 0);
}

TEST_F(AlsaMixer, VolumesInDecibelsLimitsAndChannels) {
    auto lib = Library();
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const AudioDeviceRecord in = audio.Input();
    const AudioDeviceRecord out = audio.Output();

    // The limits come from the card's dB scales: capture -12 dB in 23 steps of 2 dB,
    // side-tone -34.5 dB in 31 steps of 1.5 dB.
    EXPECT_EQ(GetText(*lib, in, "GetMinVol"), "-12");
    EXPECT_EQ(GetText(*lib, in, "GetMaxVol"), "34");
    EXPECT_EQ(GetText(*lib, in, "GetVolStep"), "2");
    EXPECT_EQ(GetText(*lib, in, "GetAAMinVol"), "-34.5");
    EXPECT_EQ(GetText(*lib, in, "GetAAMaxVol"), "12");
    EXPECT_EQ(GetText(*lib, in, "GetAAVolStep"), "1.5");

    ASSERT_TRUE(SetInt(*lib, in, "VolumeControl", 6, Extra::Channel(kMicChannel)));
    EXPECT_EQ(Card("Mic Capture Volume"), 9);
    EXPECT_EQ(GetText(*lib, in, "VolumeControl", Extra::Channel(kMicChannel)), "6");
    ASSERT_TRUE(SetInt(*lib, in, "AAVolumeControl", -3, Extra::Channel(kMonitorChannel)));
    EXPECT_EQ(Card("Mic Playback Volume"), 21);
    // Beyond the scale: its end.
    ASSERT_TRUE(SetInt(*lib, in, "VolumeControl", 100, Extra::Channel(kMicChannel)));
    EXPECT_EQ(Card("Mic Capture Volume"), 23);

    // The output's volume and mute move both channels; a get reads the channel asked for.
    EXPECT_EQ(GetText(*lib, out, "VolumeScalarControl", Extra::Channel(1)), NumberText(30.0 / 37));
    EXPECT_EQ(GetText(*lib, out, "VolumeScalarControl", Extra::Channel(0)), NumberText(20.0 / 37));
    EXPECT_EQ(GetText(*lib, out, "VolumeScalarControl", Extra::Channel(-1)), NumberText(20.0 / 37));
    ASSERT_TRUE(SetFloat(*lib, out, "VolumeScalarControl", 0.25f, Extra::Channel(-1)));
    EXPECT_EQ(Card("Headphone Playback Volume", 0), 9);
    EXPECT_EQ(Card("Headphone Playback Volume", 1), 9);
    ASSERT_TRUE(SetInt(*lib, out, "MuteControl", 1));
    EXPECT_EQ(Card("Headphone Playback Switch", 0), 0);
    EXPECT_EQ(Card("Headphone Playback Switch", 1), 0);
    EXPECT_EQ(GetText(*lib, out, "MuteControl"), "1");

    // The side-tone's names belong to the input; the output refuses them.
    EXPECT_FALSE(SetInt(*lib, out, "AAMuteControl", 1));
    EXPECT_FALSE(GetText(*lib, out, "GetAAMaxVol"));
}

TEST_F(AlsaMixer, WithoutPipeWireOnlyTheMixerIsOfferedAndTheRestIsRefused) {
    auto lib = Library();
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    const FeatureAvailability a = audio.Availability();
    EXPECT_TRUE(a.microphone);
    EXPECT_TRUE(a.monitor);
    EXPECT_FALSE(a.equaliser);
    EXPECT_FALSE(a.surround);
    EXPECT_FALSE(a.voiceChanger);
    EXPECT_NE(a.reason.find("turned off"), std::string::npos) << a.reason;
    EXPECT_EQ(audio.OutputFeatures()[0], 0u);
    EXPECT_FALSE(audio.EnableEqualiser(true));
    EXPECT_FALSE(audio.SetBand(0, 5));
    EXPECT_FALSE(audio.EnableSurround(true));
    EXPECT_FALSE(audio.EnableVoiceChanger(true));
    EXPECT_FALSE(audio.SelectVoice(2));
}

TEST_F(AlsaMixer, ACardWithoutSideToneHasNoMonitorPath) {
    auto lib = Library("headset_nomonitor");
    HeadsetAudio audio(lib);
    ASSERT_TRUE(audio.Start().hasOutput) << lib->MixerError();
    EXPECT_FALSE(GetText(*lib, audio.Input(), "GetAAMaxVol"));
    const std::optional<AudioState> state = audio.ReadState();
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->monitorPath);
    EXPECT_FALSE(audio.Availability().monitor) << "its controls are disabled";
    EXPECT_TRUE(audio.Availability().microphone);
    EXPECT_FALSE(audio.SetMonitorLevel(80));
    EXPECT_EQ(Card("Mic Playback Volume"), 10) << "left as the driver set it";
    EXPECT_TRUE(audio.SetMicLevel(100));
    EXPECT_EQ(Card("Mic Capture Volume"), 23);
}

TEST_F(AlsaMixer, ACardThatComesLaterOrGoesAndComesBackIsFoundAgain) {
    auto lib = Library();
    const AlsaAudioLib::CardLocation card = **location;
    location->reset();  // not plugged in yet
    HeadsetAudio audio(lib);
    EXPECT_FALSE(audio.Start().hasOutput);
    EXPECT_FALSE(audio.Ready());
    EXPECT_FALSE(audio.Availability().microphone);
    EXPECT_FALSE(audio.SetMicLevel(30));
    EXPECT_FALSE(audio.EndpointsChanged()) << "nothing came";

    *location = card;
    EXPECT_TRUE(audio.EndpointsChanged());
    EXPECT_TRUE(audio.Restart().hasOutput) << lib->MixerError();
    EXPECT_FALSE(audio.EndpointsChanged());
    ASSERT_TRUE(audio.SetMicLevel(100));
    EXPECT_EQ(Card("Mic Capture Volume"), 23);

    // Unplugged: the calls fail instead of reaching a card that is not there.
    qx580_fake_ctl_set_present(0);
    location->reset();
    EXPECT_TRUE(audio.EndpointsChanged());
    EXPECT_FALSE(audio.Restart().hasOutput);
    EXPECT_FALSE(audio.SetMicLevel(50));
    EXPECT_NE(audio.Availability().reason, "");

    // Back with its driver's values: opened afresh and set again.
    qx580_fake_ctl_set_present(1);
    *location = card;
    EXPECT_TRUE(audio.EndpointsChanged());
    EXPECT_TRUE(audio.Restart().hasOutput);
    EXPECT_EQ(Card("Mic Capture Volume"), 8);
    ASSERT_TRUE(audio.SetMicLevel(50));
    EXPECT_EQ(Card("Mic Capture Volume"), 12);
    EXPECT_EQ(qx580_fake_ctl_opens(), 2);
}

TEST_F(AlsaMixer, ACardThatDoesNotOpenIsTriedAFewTimesNotForever) {
    auto lib = Library("not_in_the_configuration");
    HeadsetAudio audio(lib);
    EXPECT_FALSE(audio.Start().hasOutput);
    EXPECT_NE(lib->MixerError(), "");
    EXPECT_NE(audio.Availability().reason, "");
    int tries = 0;
    while (audio.EndpointsChanged() && tries < 20) {
        EXPECT_FALSE(audio.Restart().hasOutput);
        ++tries;
    }
    EXPECT_EQ(tries, 5);
}

}  // namespace
}  // namespace qx::audio
