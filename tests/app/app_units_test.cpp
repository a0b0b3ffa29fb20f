// The window-free pieces of start-up: command line, single-instance lock, display rule, the
// tool-query layout and the worker table's orderly stop.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "app/app_options.h"
#include "app/display_fit.h"
#include "app/private_fonts.h"
#include "app/tool_query.h"
#include "app/worker_table.h"
#include "core/event.h"

namespace qx::app {
namespace {

TEST(AppOptions, ReadsSimulateAndScreenshotAndRefusesTheRest) {
    AppOptions options = ParseAppOptions({"--simulate", "--screenshot", "shot.png"});
    EXPECT_EQ(options.simulation, sim::SimulationMode::Basic);
    EXPECT_EQ(options.screenshotPath, "shot.png");
    EXPECT_TRUE(options.error.isEmpty());

    EXPECT_EQ(ParseAppOptions({"--screenshot=a.png"}).screenshotPath, "a.png");
    EXPECT_FALSE(ParseAppOptions({"--screenshot"}).error.isEmpty());
    EXPECT_FALSE(ParseAppOptions({"--screenshot="}).error.isEmpty());
    EXPECT_FALSE(ParseAppOptions({"--bogus"}).error.isEmpty());
    EXPECT_EQ(ParseAppOptions({"--simulate=all"}).simulation, sim::SimulationMode::All);
    EXPECT_FALSE(ParseAppOptions({"--simulate=most"}).error.isEmpty());
    EXPECT_TRUE(ParseAppOptions({"-h"}).help);
}

TEST(PrivateFonts, LoadsWhatIsThereAndRemovesItAtTheEnd) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath("Font"));
    const QString source = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!QFile::exists(source)) GTEST_SKIP() << "no DejaVu font on this machine";
    ASSERT_TRUE(QFile::copy(source, data.filePath("Font/Quenta-Regular.otf")));
    // A file that is not a font is skipped.
    QFile broken(data.filePath("Font/NotoSansThai-Regular.ttf"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a font");
    broken.close();

    const int before = int(QFontDatabase::families().size());
    {
        PrivateFonts fonts(data.path());
        EXPECT_EQ(fonts.LoadedCount(), 1);
    }
    EXPECT_EQ(int(QFontDatabase::families().size()), before);
    PrivateFonts none(data.filePath("missing"));
    EXPECT_EQ(none.LoadedCount(), 0);
}

TEST(DisplayFit, LargeMonitorsRunAt144AndTheRestAt96) {
    struct Case {
        QSize monitor;
        int dpi;
    };
    const Case cases[] = {
        {{1920, 1080}, 144}, {{1366, 768}, 96},  {{1500, 1080}, 96},
        {{1920, 960}, 96},   {{1501, 961}, 144}, {{0, 0}, 96},
    };
    for (const Case& c : cases) EXPECT_EQ(DisplayDpiFor(c.monitor), c.dpi) << c.monitor.width();
    EXPECT_EQ(WindowSizeAt(96), QSize(1000, 640));
    EXPECT_EQ(WindowSizeAt(144), QSize(1500, 960));
    EXPECT_TRUE(IsSupportedDpi(168));
    EXPECT_FALSE(IsSupportedDpi(100));
}

int32_t ValueAt(const QByteArray& data, int index) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData()) + index * 4;
    return static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

TEST(ToolQuery, AnswerHoldsTheVersionAndTheFourEntryRows) {
    const QByteArray data = BuildToolQueryAnswer(DeviceEntryRowsForTools());
    ASSERT_EQ(data.size(), 1024);
    const std::array<int32_t, 17> expected = {2,      3,      0, 2, 4,  //
                                              0,      0,      2,        // mouse
                                              0x3A5C, 0x7031, 1,        // keyboard
                                              0,      0,      3,        // mouse pad
                                              0x0C76, 0x1630, 7};       // headset
    for (int i = 0; i < 256; ++i) {
        const int32_t want = i < int(expected.size()) ? expected[size_t(i)] : 0;
        EXPECT_EQ(ValueAt(data, i), want) << "value " << i;
    }
    // Little-endian on the wire, whatever the host.
    EXPECT_EQ(uint8_t(data[8 * 4]), 0x5C);
    EXPECT_EQ(uint8_t(data[8 * 4 + 1]), 0x3A);
}

TEST(ToolQuery, RowsThatDoNotFitAreLeftOut) {
    std::vector<ToolQueryRow> rows(100, ToolQueryRow{1, 2, 3});
    const QByteArray data = BuildToolQueryAnswer(rows);
    ASSERT_EQ(data.size(), 1024);
    EXPECT_EQ(ValueAt(data, 4), 83);
    EXPECT_EQ(ValueAt(data, 5 + 3 * 82 + 2), 3);
    EXPECT_EQ(ValueAt(data, 255), 0);
}

TEST(WorkerTable, StopAllJoinsAWorkerThatWaitsForThePump) {
    WorkerTable table;
    Event exit(true);
    std::atomic<bool> handedOver{false};
    std::atomic<bool> pumpRan{false};
    std::thread worker;
    ASSERT_TRUE(table.Start(
        WorkerTable::kDiscovery,
        [&] {
            worker = std::thread([&] {
                exit.Wait(Event::kInfinite);
                // Like a blocking hand-over to the UI thread: only the pump releases it.
                while (!pumpRan) std::this_thread::yield();
                handedOver = true;
            });
        },
        [&] {
            exit.Set();
            worker.join();
        }));
    EXPECT_FALSE(table.Start(WorkerTable::kDiscovery, {}, [] {}));
    EXPECT_FALSE(table.Start(WorkerTable::kSize, {}, [] {}));
    EXPECT_TRUE(table.Started(WorkerTable::kDiscovery));
    table.StopAll([&] { pumpRan = true; });
    EXPECT_TRUE(handedOver);
    EXPECT_FALSE(table.Started(WorkerTable::kDiscovery));
}

}  // namespace
}  // namespace qx::app
