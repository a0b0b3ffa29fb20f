// The light threads against the simulated devices: the pace of their passes, their rest while
// nothing is drawn, the frame the keyboard receives in its host-driven effects (proven by the
// keyboard's frame memory and command log), frames replaced while a configuration write runs,
// the pause after a refused frame, and the stop.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controls/device_key_button.h"
#include "core/diagnostics.h"
#include "core/paths.h"
#include "device_window_fixture.h"
#include "devices/base/device_option_ui.h"
#include "devices/base/led_picture.h"
#include "devices/keyboard/orvane_keyboard_device.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/light_thread.h"
#include "lighting/lighting_sources.h"
#include "sim/keyboard_firmware.h"
#include "sim/keyboard_layout.h"
#include "sim/sim_control.h"

namespace qx::devices {
namespace {

using lighting::LightThread;
using test::DeviceWindow;
using test::WaitUntil;

constexpr uint8_t kStreamCommand = 0x12;

// --- the loop on its own

TEST(LightThreadLoop, EveryTimedPassCountsOneTickOfTheEnginesClock) {
    // The engines count a tick when their clock moved on by a tick: a loop that woke early
    // would lose ticks (and slow every effect), one that woke every millisecond would waste the
    // processor. Each pass of a ticking loop counts exactly one.
    lighting::StepTicker ticker;
    std::atomic<uint32_t> counted{0};
    std::atomic<int> passes{0};
    LightThread thread;
    thread.Start(
        [&] {
            const int pass = passes.fetch_add(1);
            if (pass == 0) {
                ticker.Start(lighting::ProgramTickSource().NowMs());
            } else {
                ticker.Count(lighting::ProgramTickSource().NowMs());
                counted.store(ticker.Counter());
            }
            return pass < 12 ? LightThread::Next::Tick : LightThread::Next::Rest;
        },
        "test-light", "test light ended");
    ASSERT_TRUE(WaitUntil([&] { return passes.load() == 13; }));
    EXPECT_EQ(counted.load(), 12u);
    EXPECT_EQ(thread.Stop(), LightThread::kEndedLine);
}

TEST(LightThreadLoop, ARestLastsUntilAWakeAndTheStopJoins) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    auto sink = [](std::string_view line, void* context) {
        auto* target = static_cast<std::pair<std::vector<std::string>*, std::mutex*>*>(context);
        std::lock_guard lock(*target->second);
        target->first->emplace_back(line);
    };
    std::pair<std::vector<std::string>*, std::mutex*> context{&lines, &linesMutex};
    SetDebugSink(sink, &context);

    std::atomic<int> passes{0};
    LightThread thread;
    thread.Start(
        [&] {
            passes.fetch_add(1);
            return LightThread::Next::Rest;
        },
        "test-light", "KB灯光线程设定退出");
    ASSERT_TRUE(WaitUntil([&] { return passes.load() == 1; }));
    QThread::msleep(60);
    EXPECT_EQ(passes.load(), 1) << "a resting loop ran again without being woken";
    thread.Wake();
    EXPECT_TRUE(WaitUntil([&] { return passes.load() == 2; }));
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(thread.Stop(), LightThread::kEndedLine);
    EXPECT_FALSE(thread.Running());
    EXPECT_EQ(thread.Stop(), "") << "a second stop has nothing to wait for";
    SetDebugSink(nullptr, nullptr);
    std::lock_guard lock(linesMutex);
    ASSERT_GE(lines.size(), 2u);
    // The thread says it ends before the stopper says how the wait ended.
    EXPECT_NE(lines[lines.size() - 2].find("KB灯光线程设定退出"), std::string::npos);
    EXPECT_NE(lines.back().find("线程退出：：对象处于激发状态"), std::string::npos);
}

// --- the keyboard

class KeyboardLight : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::remove_all(UserDeviceFolder("keyboard")); }

    // The keyboard plugged, its first contact done and its light thread started.
    static COrvaneKeyboardDevice* Contact(DeviceWindow& w, const char* device = "keyboard") {
        w.Start();
        EXPECT_TRUE(w.bus.Plug(device));
        w.Pass();
        auto* keyboard = dynamic_cast<COrvaneKeyboardDevice*>(w.controller->Keyboards().front());
        EXPECT_TRUE(WaitUntil([&] { return keyboard->KeyList().size() == 170; }, 8000));
        EXPECT_TRUE(WaitUntil([&] { return keyboard->LightThreadRunning(); }));
        w.Settle();
        return keyboard;
    }

    // The effect chosen as the lighting panel does: in the light settings, then applied.
    static void SetEffect(COrvaneKeyboardDevice* keyboard, uint8_t effect) {
        std::array<uint32_t, 4> words = keyboard->GetLightSettings();
        words[0] = (words[0] & ~0xFFu) | effect;
        words[0] = (words[0] & ~0xFF00u) | 4u << 8;  // full brightness
        keyboard->StoreLightSettings(words[0], words[1], words[2], words[3]);
        keyboard->Post([keyboard] { keyboard->ApplyLighting(); });
        ASSERT_TRUE(keyboard->Worker().WaitIdle(3000));
    }

    // The colour of the host-colour effect, as the audio capture program sends it.
    static void FeedColour(COrvaneKeyboardDevice* keyboard, int red, int green, int blue) {
        auto* engine = dynamic_cast<lighting::KeyboardLighting*>(keyboard->Lighting());
        ASSERT_NE(engine, nullptr);
        const std::array<int32_t, 6> values = {red, green, blue, 0, 0, 0};
        engine->FeedAudioBands(values);
    }

    // The keyboard shown in the host-colour effect, its keys styled as the skin styles them: a
    // transparent face with a white legend, the lights showing through.
    static COrvaneKeyboardDevice* ShownInHostColour(DeviceWindow& w) {
        COrvaneKeyboardDevice* keyboard = Contact(w);
        w.window->show();
        EXPECT_TRUE(WaitUntil([&] { return keyboard->PictureShown(); }));
        EXPECT_NE(keyboard->LedPicture(), nullptr);
        SetEffect(keyboard, 30);
        keyboard->SelectPanel()->setStyleSheet(QStringLiteral(
            "*[skinrole=\"key\"] { background: transparent; border: none; color: #ffffff; }"));
        return keyboard;
    }

    // The host-colour effect chosen and fed: true once its frame is in the keyboard's memory.
    static bool Streaming(const DeviceWindow& w, COrvaneKeyboardDevice* keyboard) {
        SetEffect(keyboard, 30);
        FeedColour(keyboard, 1, 2, 3);
        return WaitUntil([&] { return FrameMemoryIs(w, keyboard, 0, 1, 2); });
    }

    static std::vector<uint8_t> FrameMemory(const DeviceWindow& w) {
        return w.bus.Keyboard()->ReadMemory(sim::Region::Frame, 0,
                                            sim::KeyboardFirmware::kFrameSize);
    }

    static std::vector<sim::LoggedRequest> StreamPackets(const DeviceWindow& w,
                                                         const char* device) {
        std::vector<sim::LoggedRequest> packets;
        for (const sim::LoggedRequest& request : w.bus.Requests(device).requests) {
            if (request.Command() == kStreamCommand) packets.push_back(request);
        }
        return packets;
    }

    // Whether the frame memory holds the colour at the position of every key of the keyboard.
    static bool FrameMemoryIs(const DeviceWindow& w, const COrvaneKeyboardDevice* keyboard,
                              uint8_t red, uint8_t green, uint8_t blue) {
        const std::vector<uint8_t> memory = FrameMemory(w);
        for (uint8_t position : keyboard->PositionMaps().colour) {
            if (position == kNoPosition) continue;
            const size_t at = 3 * size_t{position};
            if (memory[at] != red || memory[at + 1] != green || memory[at + 2] != blue)
                return false;
        }
        return true;
    }
};

TEST_F(KeyboardLight, TheStreamedFrameCarriesTheComputedColoursAtTheKeysPositions) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    SetEffect(keyboard, 30);
    // Every LED its own colour, drawn over the effect by the per-key list.
    std::vector<lighting::LedEffectRecord> list(170);
    for (int i = 0; i < 170; ++i) {
        list[static_cast<size_t>(i)] = {
            .type = lighting::kOverlayStatic,
            .brightness = 4,
            .colour = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 100},
            .enabled = 1};
    }
    keyboard->Lighting()->SetLedEffectList(list);

    // LEDs whose key has a position of its own in the keyboard's layout.
    const KeyPositionMap positions = keyboard->PositionMaps().colour;
    std::array<int, 256> users{};
    for (uint8_t position : positions) ++users[position];
    std::vector<int> checked;
    for (int i = 0; i < 170; ++i) {
        const uint8_t position = positions[static_cast<size_t>(i)];
        if (position != kNoPosition && users[position] == 1) checked.push_back(i);
    }
    ASSERT_GT(checked.size(), 100u);
    auto expected = [](int i) {
        return std::array<uint8_t, 3>{static_cast<uint8_t>(i * 255 >> 8),
                                      static_cast<uint8_t>((255 - i) * 255 >> 8),
                                      static_cast<uint8_t>(100 * 255 >> 8)};
    };
    auto arrived = [&] {
        const std::vector<uint8_t> memory = FrameMemory(w);
        for (int i : checked) {
            const size_t at = 3 * size_t{positions[static_cast<size_t>(i)]};
            const std::array<uint8_t, 3> colour = {memory[at], memory[at + 1], memory[at + 2]};
            if (colour != expected(i)) return false;
        }
        return true;
    };
    ASSERT_TRUE(WaitUntil(arrived)) << "the keyboard's frame memory did not get the frame";
    // Three bytes at three times the position of the key in the keyboard's own layout.
    for (int i : checked)
        EXPECT_EQ(positions[static_cast<size_t>(i)],
                  sim::KeyboardPositionOf(static_cast<size_t>(i)));

    const std::vector<sim::LoggedRequest> packets = StreamPackets(w, "keyboard");
    ASSERT_FALSE(packets.empty());
    for (const sim::LoggedRequest& packet : packets) {
        EXPECT_TRUE(packet.ChecksumValid());
        EXPECT_NE(packet.writer, std::this_thread::get_id()) << "a frame was sent on the UI thread";
        EXPECT_LE(packet.Offset() + packet.Length(), 170 * 3) << "beyond the keyboard's keys";
    }
}

TEST_F(KeyboardLight, TheKeyboardBehindItsReceiverGetsNoFrameButItsPictureAnimates) {
    const auto rows = test::KeyboardReceiverRows();
    DeviceWindow w(rows);
    COrvaneKeyboardDevice* keyboard = Contact(w, "keyboard-receiver");
    ASSERT_TRUE(keyboard->Receiver());
    w.window->show();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->PictureShown(); }));
    SetEffect(keyboard, 30);
    FeedColour(keyboard, 10, 200, 30);

    auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->LedButtons()[0].data());
    ASSERT_NE(key, nullptr);
    // The key's colour as the button takes it: red | blue << 8 | green << 16, level 255.
    const quint32 shown = 10u | 30u << 8 | 200u << 16;
    EXPECT_TRUE(WaitUntil([&] { return key->LightColour() == shown && key->LightLevel() == 255; }))
        << "the picture did not show the frame";
    w.Settle();
    EXPECT_TRUE(StreamPackets(w, "keyboard-receiver").empty()) << "a frame went over the radio";
    EXPECT_EQ(keyboard->StreamStatistics().sent, 0u);
}

TEST_F(KeyboardLight, FramesAreReplacedNotQueuedWhileAConfigurationWriteRuns) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    ASSERT_TRUE(Streaming(w, keyboard));

    // A configuration write that takes its time holds the worker.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> writing{false};
    std::atomic<int> written{0};
    keyboard->Post([keyboard, released, &writing, &written] {
        writing.store(true);
        released.wait();
        written.store(keyboard->WriteSystemBlock(0, 0, 1, 0, 0));
    });
    ASSERT_TRUE(WaitUntil([&] { return writing.load(); }));
    ASSERT_TRUE(w.bus.ClearRequests("keyboard"));
    const uint64_t droppedBefore = keyboard->StreamStatistics().dropped;
    for (int colour : {40, 80, 120, 160}) {
        FeedColour(keyboard, colour, colour, colour);
        ASSERT_TRUE(WaitUntil([&] { return keyboard->Frame().leds[0].red == colour; }));
    }
    EXPECT_TRUE(StreamPackets(w, "keyboard").empty()) << "a frame went out during the write";
    release.set_value();
    ASSERT_TRUE(WaitUntil([&] { return FrameMemoryIs(w, keyboard, 159, 159, 159); }));
    ASSERT_TRUE(keyboard->Worker().WaitIdle(3000));
    EXPECT_EQ(written.load(), kResultSuccess);

    // The write went first, then the newest frame once; the older ones were given up.
    const std::vector<sim::LoggedRequest> log = w.bus.Requests("keyboard").requests;
    const std::vector<sim::LoggedRequest> frames = StreamPackets(w, "keyboard");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().Command(), 0x01) << "the configuration write came first";
    EXPECT_EQ(frames.size(), (170u * 3 + 55) / 56) << "more than one frame was sent";
    EXPECT_GE(keyboard->StreamStatistics().dropped - droppedBefore, 3u);
}

TEST_F(KeyboardLight, ARefusedFramePausesTheStreamAndGoesAgain) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    ASSERT_TRUE(Streaming(w, keyboard));
    ASSERT_TRUE(keyboard->Worker().WaitIdle(3000));
    ASSERT_TRUE(w.bus.ClearRequests("keyboard"));
    ASSERT_TRUE(sim::SetDeviceFault(w.bus, "keyboard", "status-ff", 1).Ok());
    FeedColour(keyboard, 64, 128, 255);
    ASSERT_TRUE(WaitUntil([&] { return FrameMemoryIs(w, keyboard, 63, 127, 254); }));
    EXPECT_EQ(keyboard->StreamStatistics().failed, 1u);
    const std::vector<sim::LoggedRequest> frames = StreamPackets(w, "keyboard");
    ASSERT_GE(frames.size(), 2u);
    // The refused first packet, then the frame again after the pause.
    EXPECT_GE(frames[1].timeMs - frames[0].timeMs, 199u);
}

// A frame that the keyboard never answers does not hold up the end of the device: the exchange
// gives way at once instead of waiting out its time-out.
TEST_F(KeyboardLight, ShutdownDoesNotWaitOutAFrameTheKeyboardNeverAnswers) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    ASSERT_TRUE(Streaming(w, keyboard));
    ASSERT_TRUE(w.bus.ClearRequests("keyboard"));
    w.bus.CommandFirmware("keyboard")->InjectSilence(0, kStreamCommand);
    FeedColour(keyboard, 9, 9, 9);
    ASSERT_TRUE(WaitUntil([&] { return !StreamPackets(w, "keyboard").empty(); }));
    QElapsedTimer clock;
    clock.start();
    keyboard->Shutdown();
    EXPECT_LT(clock.elapsed(), DeviceLink::kCableTimeoutMs / 2)
        << "the end waited for the unanswered frame";
    EXPECT_FALSE(keyboard->LightThreadRunning());
}

// One widget draws the picture's LEDs from the frame: the grabbed picture shows the frame's colour
// where the key is, and nothing is painted while the window is in the tray.
TEST_F(KeyboardLight, ThePictureDrawsTheFramesColoursAtTheKeysAndNothingWhileHidden) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = ShownInHostColour(w);
    ASSERT_NE(keyboard->LedPicture(), nullptr);
    QWidget* led = keyboard->LedButtons()[0];
    ASSERT_NE(led, nullptr);
    EXPECT_TRUE(led->isHidden()) << "the LED button still paints itself";
    const QPoint centre = led->mapTo(keyboard->SelectPanel(), led->rect().center());
    struct Case {
        int red, green, blue;
    };
    for (const Case c : {Case{10, 200, 30}, Case{220, 20, 40}, Case{0, 30, 250}}) {
        FeedColour(keyboard, c.red, c.green, c.blue);
        const uint32_t word = static_cast<uint32_t>(c.red | c.green << 8 | c.blue << 16);
        ASSERT_TRUE(WaitUntil([&] {
            return keyboard->LedPicture()->ShownColour(0) == word &&
                   keyboard->LedPicture()->ShownLevel(0) == 255;
        })) << c.red;
        const QColor shown = keyboard->LedPicture()->grab().toImage().pixelColor(centre);
        // The strongest channel of the frame's colour is the strongest one in the picture.
        const int strongest = std::max({c.red, c.green, c.blue});
        const int got = strongest == c.red ? shown.red()
                                           : (strongest == c.green ? shown.green() : shown.blue());
        EXPECT_GE(got, std::max({shown.red(), shown.green(), shown.blue()})) << c.red;
        EXPECT_GE(got, 100) << c.red << " the key is not lit in the picture";
    }

    w.window->hide();
    ASSERT_TRUE(WaitUntil([&] { return !keyboard->PictureShown(); }));
    w.Settle();
    const int paints = keyboard->LedPicture()->Paints();
    for (int red : {40, 80, 120}) {
        FeedColour(keyboard, red, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return keyboard->Frame().leds[0].red == red; }));
    }
    QThread::msleep(100);
    w.Settle();
    EXPECT_EQ(keyboard->LedPicture()->Paints(), paints) << "the picture was painted in the tray";
    ASSERT_TRUE(WaitUntil([&] { return FrameMemoryIs(w, keyboard, 119, 0, 0); }))
        << "the keyboard stopped getting frames in the tray";
}

// While something else wakes the window's thread often (the capture program's colours, here a
// timer feeding them), the picture follows the frames on those wakes: at most once per frame
// interval, and the last colour is shown.
TEST_F(KeyboardLight, ThePictureFollowsTheFramesOnWakesItDidNotAskFor) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = ShownInHostColour(w);
    CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(keyboard->LedPicture(), nullptr);
    const int passingBefore = entry->PaintsInPassing();
    const int paintsBefore = keyboard->LedPicture()->Paints();
    int fed = 0;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        ++fed;
        FeedColour(keyboard, fed % 256, 255 - fed % 256, 7);
    });
    feeder.start(4);
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(600, &loop, &QEventLoop::quit);
    loop.exec();
    feeder.stop();
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(entry->PaintsInPassing() - passingBefore, 3) << fed << " colours fed";
    // Not on every wake: at most one paint for each 25 ms (the 33 ms interval, 8 ms early).
    EXPECT_LE(keyboard->LedPicture()->Paints() - paintsBefore, elapsed / 24 + 2);
    const uint32_t last = static_cast<uint32_t>(fed % 256 | (255 - fed % 256) << 8 | 7 << 16);
    EXPECT_TRUE(WaitUntil([&] { return keyboard->LedPicture()->ShownColour(0) == last; }));
}

// The picture draws the keys' faces over the lights: a key's legend shows whatever the light
// under it, and the light shows around the legend.
TEST_F(KeyboardLight, TheKeysFacesShowOverTheLightsOfThePicture) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = ShownInHostColour(w);
    ASSERT_NE(keyboard->LedPicture(), nullptr);
    QWidget* led = keyboard->LedButtons()[0];
    ASSERT_NE(led, nullptr);
    // The key over LED 0.
    const QPoint centre = led->mapTo(keyboard->SelectPanel(), led->rect().center());
    controls::CDeviceKeyButtonUI* key = nullptr;
    for (auto* k : keyboard->SelectPanel()->findChildren<controls::CDeviceKeyButtonUI*>()) {
        if (k != led && k->isVisible() &&
            QRect(k->mapTo(keyboard->SelectPanel(), QPoint(0, 0)), k->size()).contains(centre))
            key = k;
    }
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->FaceDrawnBelow());
    key->setText(QStringLiteral("W"));
    const QPixmap* face = key->Face();
    ASSERT_NE(face, nullptr) << "the key draws no face";
    const QImage faceImage = face->toImage();
    QPoint legend(-1, -1), clear(-1, -1);
    for (int y = 0; y < faceImage.height(); ++y) {
        for (int x = 0; x < faceImage.width(); ++x) {
            const int alpha = qAlpha(faceImage.pixel(x, y));
            if (alpha == 255 && legend.x() < 0) legend = QPoint(x, y);
        }
    }
    const QPoint keyOrigin = key->mapTo(keyboard->SelectPanel(), QPoint(0, 0));
    const QPoint ledCentre = centre - keyOrigin;
    // A pixel near the LED's centre that the legend leaves clear.
    for (int r = 0; r <= 6 && clear.x() < 0; ++r) {
        for (int dy = -r; dy <= r && clear.x() < 0; ++dy) {
            for (int dx = -r; dx <= r && clear.x() < 0; ++dx) {
                const QPoint p = ledCentre + QPoint(dx, dy);
                if (faceImage.rect().contains(p) && qAlpha(faceImage.pixel(p)) == 0) clear = p;
            }
        }
    }
    ASSERT_GE(legend.x(), 0) << "the face has no opaque pixel";
    ASSERT_GE(clear.x(), 0) << "the legend covers the LED's centre";

    std::vector<QColor> atLegend, atClear;
    for (const std::array<int, 3> c : {std::array{250, 0, 0}, std::array{0, 0, 250}}) {
        FeedColour(keyboard, c[0], c[1], c[2]);
        const uint32_t word = static_cast<uint32_t>(c[0] | c[1] << 8 | c[2] << 16);
        ASSERT_TRUE(WaitUntil([&] { return keyboard->LedPicture()->ShownColour(0) == word; }));
        const QImage panel = keyboard->SelectPanel()->grab().toImage();
        atLegend.push_back(panel.pixelColor(keyOrigin + legend));
        atClear.push_back(panel.pixelColor(keyOrigin + clear));
    }
    EXPECT_EQ(atLegend[0], QColor(255, 255, 255)) << "the legend is not drawn over the light";
    EXPECT_EQ(atLegend[1], QColor(255, 255, 255));
    EXPECT_GT(atClear[0].red(), atClear[0].blue()) << "the light does not show around the legend";
    EXPECT_GT(atClear[1].blue(), atClear[1].red());
}

// While frames stream, the replies to their packets would wake the notification thread eight
// times a frame: it is parked and the light thread takes the notifications on its passes. They
// must arrive all the same, and once the stream ends the thread reads again.
TEST_F(KeyboardLight, NotificationsArriveWhileFramesStreamAndAfterwards) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    SetEffect(keyboard, 30);
    int red = 0;
    const auto streamUntil = [&](const std::function<bool()>& done) {
        return WaitUntil([&] {
            FeedColour(keyboard, ++red % 200 + 20, 0, 0);
            return done();
        });
    };
    ASSERT_TRUE(streamUntil([&] { return keyboard->NotificationsParked(); }))
        << "the notification thread was not parked while frames streamed";
    for (const uint16_t code : {uint16_t{0x402}, uint16_t{0x401}, uint16_t{0x402}}) {
        const uint64_t before = keyboard->StreamStatistics().sent;
        w.bus.Keyboard()->PressKey(0x04);
        w.bus.Keyboard()->SendNotification(code);
        EXPECT_TRUE(streamUntil([&] { return keyboard->LastNotificationCode() == code; }))
            << "a notification was lost while frames streamed";
        // It may come before the next frame: the frames go on after it.
        EXPECT_TRUE(streamUntil([&] { return keyboard->StreamStatistics().sent > before; }));
        EXPECT_TRUE(keyboard->NotificationsParked());
    }

    // The stream ends with the effect: the thread reads again, and a notification arrives
    // without any light pass to take it.
    SetEffect(keyboard, 40);
    ASSERT_TRUE(WaitUntil([&] { return !keyboard->NotificationsParked(); }));
    SetEffect(keyboard, 5);
    w.bus.Keyboard()->SendSyncRequest();  // 0x401
    EXPECT_TRUE(WaitUntil([&] { return keyboard->LastNotificationCode() == 0x401; }));
}

TEST_F(KeyboardLight, NothingIsComputedForAPictureNobodySeesInAnOnBoardEffect) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    SetEffect(keyboard, 40);  // the colour cycle, an effect the keyboard runs itself
    ASSERT_FALSE(keyboard->PictureShown());
    const lighting::LightFrame before = keyboard->Frame();
    QThread::msleep(150);
    EXPECT_EQ(keyboard->Frame(), before) << "the effect ran for a hidden picture";

    w.window->show();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->PictureShown(); }));
    EXPECT_TRUE(WaitUntil([&] { return !(keyboard->Frame() == before); }))
        << "the shown picture did not animate";
    auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(keyboard->LedButtons()[0].data());
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return key->LightLevel() == 255 && key->LightColour() != 0; }));
    EXPECT_TRUE(StreamPackets(w, "keyboard").empty()) << "an on-board effect was streamed";

    w.window->hide();
    ASSERT_TRUE(WaitUntil([&] { return !keyboard->PictureShown(); }));
    QThread::msleep(50);
    const lighting::LightFrame hidden = keyboard->Frame();
    QThread::msleep(150);
    EXPECT_EQ(keyboard->Frame(), hidden) << "the effect ran on in the tray";
}

TEST_F(KeyboardLight, AStillEffectLetsTheThreadRestUntilTheSettingsChange) {
    DeviceWindow w;
    COrvaneKeyboardDevice* keyboard = Contact(w);
    w.window->show();
    ASSERT_TRUE(WaitUntil([&] { return keyboard->PictureShown(); }));
    SetEffect(keyboard, 5);  // static: drawn once, then nothing changes
    QThread::msleep(3000);
    const lighting::LightFrame still = keyboard->Frame();
    const uint64_t passes = keyboard->LightPasses();
    QThread::msleep(300);
    EXPECT_EQ(keyboard->LightPasses(), passes) << "the thread went on waking up";
    EXPECT_EQ(keyboard->Frame(), still);
    SetEffect(keyboard, 40);
    EXPECT_TRUE(WaitUntil([&] { return !(keyboard->Frame() == still); }))
        << "the new effect did not wake the thread";
}

TEST_F(KeyboardLight, ShutdownStopsAndJoinsTheThreadWhileItStreams) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    std::pair<std::vector<std::string>*, std::mutex*> context{&lines, &linesMutex};
    SetDebugSink(
        [](std::string_view line, void* target) {
            auto* c = static_cast<std::pair<std::vector<std::string>*, std::mutex*>*>(target);
            std::lock_guard lock(*c->second);
            c->first->emplace_back(line);
        },
        &context);
    {
        DeviceWindow w;
        COrvaneKeyboardDevice* keyboard = Contact(w);
        SetEffect(keyboard, 29);
        ASSERT_TRUE(keyboard->LightThreadRunning());
        keyboard->Shutdown();
        EXPECT_FALSE(keyboard->LightThreadRunning());
    }
    SetDebugSink(nullptr, nullptr);
    std::lock_guard lock(linesMutex);
    bool threadEnded = false;
    bool waitEnded = false;
    for (const std::string& line : lines) {
        threadEnded = threadEnded || line.find("KB灯光线程设定退出") != std::string::npos;
        waitEnded = waitEnded || line.find("线程退出：：对象处于激发状态") != std::string::npos;
    }
    EXPECT_TRUE(threadEnded);
    EXPECT_TRUE(waitEnded);
}

}  // namespace
}  // namespace qx::devices
