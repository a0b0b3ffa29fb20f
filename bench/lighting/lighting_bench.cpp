// The cost of one step of every effect and of one overlay pass over 170 LEDs. A counting
// allocator checks that neither allocates: a run that does is reported as an error.
#include <benchmark/benchmark.h>

#include <vector>

#include "counting_allocator.h"
#include "lighting/effect_catalogue.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/preview_lighting.h"

namespace {

using namespace qx::lighting;

struct Bench {
    ManualTickSource clock{1000};
    SeededRandSource random{7};
    LightingModuleState module;
};

// Keeps the effect alive: keys for the key effects, levels for the sound styles.
void Feed(KeyboardLighting& engine, long i) {
    if (i % 8 == 0) engine.OnLedKeyEvent(51, (i / 8) % 2 == 0 ? kKeyDown : kKeyUp);
    if (engine.CurrentEffect().feed == EffectFeed::SoundLevels) {
        std::int32_t levels[kSoundLevelCount];
        for (int j = 0; j < kSoundLevelCount; ++j)
            levels[j] = static_cast<std::int32_t>((i * 37 + j * 91) % 2400);
        engine.FeedAudioLevels(levels);
    }
}

void ReportAllocations(benchmark::State& state, long before) {
    const long allocated = qx::bench::AllocationCount() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated != 0) state.SkipWithError("a step allocated memory");
}

void KeyboardStep(benchmark::State& state) {
    const int id = static_cast<int>(state.range(0));
    const int style = static_cast<int>(state.range(1));
    Bench b;
    KeyboardLighting engine({&b.clock, &b.random, &b.module});
    LightSettings s;
    s.effectId = static_cast<std::uint8_t>(id);
    s.colourful = 1;
    engine.ApplySettings(s);
    AudioLightSettings audio;
    audio.style = static_cast<std::uint8_t>(style);
    audio.foregroundColourful = 1;
    engine.SetAudioLightSettings(audio);
    const TimedEffectEntry entry{kPlayRolling, 4, 4, 1, {}, 100};
    engine.SetTimedEffects({&entry, 1});
    long i = 0;
    const long before = qx::bench::AllocationCount();
    for (auto _ : state) {
        Feed(engine, i++);
        b.clock.Advance(16);
        engine.Step();
        benchmark::DoNotOptimize(engine.Frame());
    }
    ReportAllocations(state, before);
}

// Every effect of the keyboard's catalogue; the sound effect once per sound style.
void KeyboardStepArgs(benchmark::internal::Benchmark* bench) {
    for (const EffectInfo& e : Effects(EffectFamily::Keyboard)) {
        const int styles = e.feed == EffectFeed::SoundLevels ? 7 : 1;
        for (int style = 0; style < styles; ++style) bench->Args({e.id, style});
    }
}
BENCHMARK(KeyboardStep)->Apply(KeyboardStepArgs)->ArgNames({"effect", "style"});

template <typename Engine>
void PreviewStep(benchmark::State& state) {
    Bench b;
    Engine engine(kPadLedCount, {&b.clock, &b.random, &b.module});
    LightSettings s;
    s.effectId = static_cast<std::uint8_t>(state.range(0));
    s.colourful = 1;
    engine.ApplySettings(s);
    const long before = qx::bench::AllocationCount();
    for (auto _ : state) {
        b.clock.Advance(16);
        engine.Step();
        benchmark::DoNotOptimize(engine.Frame());
    }
    ReportAllocations(state, before);
}
template <EffectFamily Family>
void PreviewStepArgs(benchmark::internal::Benchmark* bench) {
    for (const EffectInfo& e : Effects(Family)) bench->Arg(e.id);
}
BENCHMARK_TEMPLATE(PreviewStep, MouseLighting)
    ->Apply(PreviewStepArgs<EffectFamily::Mouse>)
    ->ArgName("effect");
BENCHMARK_TEMPLATE(PreviewStep, PadLighting)
    ->Apply(PreviewStepArgs<EffectFamily::Pad>)
    ->ArgName("effect");

void OverlayPass(benchmark::State& state) {
    Bench b;
    KeyboardLighting engine({&b.clock, &b.random, &b.module});
    std::vector<LedEffectRecord> list(kMaxLeds);
    for (int i = 0; i < kMaxLeds; ++i) {
        list[i] = {static_cast<std::uint8_t>(i % 5),
                   4,
                   static_cast<std::uint8_t>(i % 5),
                   static_cast<std::uint8_t>(i % 2),
                   {10, 20, 30},
                   1};
    }
    engine.SetLedEffectList(list);
    const long before = qx::bench::AllocationCount();
    for (auto _ : state) {
        b.clock.Advance(16);
        engine.ApplyOverlayPass();
        benchmark::DoNotOptimize(engine.Frame());
    }
    ReportAllocations(state, before);
}
BENCHMARK(OverlayPass);

void PassAndPublish(benchmark::State& state) {
    Bench b;
    KeyboardLighting engine({&b.clock, &b.random, &b.module});
    LightSettings s;
    s.effectId = 9;
    engine.ApplySettings(s);
    LightFrame frame;
    const long before = qx::bench::AllocationCount();
    for (auto _ : state) {
        b.clock.Advance(16);
        engine.Pass();
        benchmark::DoNotOptimize(engine.ReadFrame(frame));
    }
    ReportAllocations(state, before);
}
BENCHMARK(PassAndPublish);

// Proves the counter sees allocations at all, so that the zeros above mean something.
void CounterSeesAllocations(benchmark::State& state) {
    const long before = qx::bench::AllocationCount();
    for (auto _ : state) {
        std::vector<int> v(16);
        benchmark::DoNotOptimize(v.data());
    }
    const long allocated = qx::bench::AllocationCount() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated == 0) state.SkipWithError("the counting allocator counted nothing");
}
BENCHMARK(CounterSeesAllocations);

}  // namespace

BENCHMARK_MAIN();
