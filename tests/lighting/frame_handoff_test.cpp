// A light thread steps and publishes while other threads read frames, press keys and feed
// levels; built with ThreadSanitizer, which fails the run on any data race.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lighting/keyboard_lighting.h"
#include "lighting/lighting_sources.h"

namespace qx::lighting {
namespace {

// In the colour cycle every LED shows the same colour: a frame that mixes two is torn.
bool Whole(const LightFrame& frame) {
    for (int i = 1; i < frame.size; ++i) {
        if (!(frame.leds[i] == frame.leds[0])) return false;
    }
    return true;
}

TEST(FrameHandOff, ReadersNeverSeeATornFrame) {
    SeededRandSource random(3);
    LightingModuleState module;
    ManualTickSource clock;  // only the light thread moves it
    KeyboardLighting engine({&clock, &random, &module, 1});
    LightSettings s;
    s.effectId = 40;
    s.colourful = 1;
    engine.ApplySettings(s);

    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            LightFrame frame;
            std::uint64_t last = 0;
            while (!done.load()) {
                const std::uint64_t generation = engine.ReadFrame(frame);
                if (generation == 0) continue;
                if (generation < last) torn.fetch_add(1);
                last = generation;
                if (!Whole(frame)) torn.fetch_add(1);
                reads.fetch_add(1);
            }
        });
    }
    std::thread writer([&] {
        for (int i = 0; i < 3000; ++i) {
            clock.Advance(1);
            engine.Pass();
        }
    });
    writer.join();
    done.store(true);
    for (auto& t : readers) t.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

TEST(FrameHandOff, KeyEventsFeedsAndSettingsArriveFromOtherThreads) {
    SeededRandSource random(5);
    LightingModuleState module;
    ManualTickSource clock;
    KeyboardLighting engine({&clock, &random, &module, 1});
    LightSettings s;
    s.effectId = 8;
    engine.ApplySettings(s);

    std::atomic<bool> done{false};
    std::thread keys([&] {
        for (int i = 0; !done.load(); ++i) {
            engine.OnLedKeyEvent(40 + i % 30, i % 2 == 0 ? kKeyDown : kKeyUp);
            const std::int32_t levels[25] = {2000, 2000, 2000};
            engine.FeedAudioLevels(levels);
            const std::int32_t bands[6] = {1, 2, 3, 4, 5, 6};
            engine.FeedAudioBands(bands);
        }
    });
    std::thread ui([&] {
        const std::uint8_t ids[] = {8, 9, 29, 10, 44, 18, 0};
        for (int i = 0; !done.load(); ++i) {
            LightSettings next = s;
            next.effectId = ids[i % 7];
            engine.ApplySettings(next);
            const LedEffectRecord record{kOverlayBlink, 4, 4, 1, {}, 1};
            engine.SetLedEffectList({&record, 1});
            const TimedEffectEntry entry{kPlayRolling, 4, 4, 1, {}, 5};
            engine.SetTimedEffects({&entry, 1});
            LightFrame frame;
            engine.ReadFrame(frame);
        }
    });
    std::thread light([&] {
        for (int i = 0; i < 3000; ++i) {
            clock.Advance(1);
            engine.Pass();
        }
        done.store(true);
    });
    light.join();
    keys.join();
    ui.join();
    SUCCEED();  // the sanitizer reports any race and fails the run
}

}  // namespace
}  // namespace qx::lighting
