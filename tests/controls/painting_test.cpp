#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/audio_record.h"
#include "controls/chart_view.h"
#include "controls/circle_progress.h"
#include "controls/redio_macro_button.h"
#include "ui/color_palette.h"

namespace qx::controls {
namespace {

bool Near(const QColor& a, const QColor& b, int tolerance = 8) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class CircleProgressTest : public ::testing::Test {
  protected:
    CircleProgressTest() {
        ring.resize(100, 100);
        ring.setRange(0, 100);
        ring.SetBkColor(Qt::blue);
        ring.SetForeColor(Qt::red);
    }
    QColor At(int x, int y) { return test::Render(&ring).pixelColor(x, y); }
    CCircleProgressUI ring;
};

TEST_F(CircleProgressTest, FullValueDrawsTheWholeRingAndKeepsTheWhiteCentre) {
    ring.setValue(100);
    EXPECT_DOUBLE_EQ(ring.SweepDegrees(), 360.0);
    for (QPoint p : {QPoint(50, 4), QPoint(4, 50), QPoint(96, 50), QPoint(50, 96)})
        EXPECT_TRUE(Near(At(p.x(), p.y()), Qt::red)) << p.x() << "," << p.y();
    EXPECT_TRUE(Near(At(50, 50), Qt::white));
}

TEST_F(CircleProgressTest, ZeroDrawsOnlyTheBackgroundAndTheWhiteDisc) {
    ring.setValue(0);
    EXPECT_DOUBLE_EQ(ring.SweepDegrees(), 0.0);
    for (QPoint p : {QPoint(50, 4), QPoint(4, 50), QPoint(96, 50), QPoint(50, 96)})
        EXPECT_TRUE(Near(At(p.x(), p.y()), Qt::blue)) << p.x() << "," << p.y();
    EXPECT_TRUE(Near(At(50, 50), Qt::white));
}

TEST_F(CircleProgressTest, HalfRunsClockwiseFromTheBottom) {
    ring.setValue(50);
    EXPECT_TRUE(Near(At(4, 50), Qt::red));    // six to twelve o'clock through nine
    EXPECT_TRUE(Near(At(96, 50), Qt::blue));  // the other half is still background
    ring.setRange(10, 10);                    // an empty range draws no pie
    EXPECT_DOUBLE_EQ(ring.SweepDegrees(), 0.0);
}

TEST(AudioRecord, BarsRiseFromTheBottomAndAFullValueFillsTheHeight) {
    CAudioRecordUI record;
    record.resize(40, 64);
    EXPECT_EQ(record.Values()[255], 255);
    EXPECT_EQ(record.Values()[256], 0) << "the rest starts at zero";
    const std::array<int32_t, 4> block{8192, 4096, 0, -100000};
    record.SetValues(block);
    const QImage picture = test::Render(&record);
    EXPECT_TRUE(Near(picture.pixelColor(0, 1), Qt::black)) << "8192 fills the height";
    EXPECT_TRUE(Near(picture.pixelColor(2, 20), Qt::white));
    EXPECT_TRUE(Near(picture.pixelColor(2, 40), Qt::black)) << "half from the bottom";
    EXPECT_TRUE(Near(picture.pixelColor(1, 40), Qt::white)) << "bars two pixels apart";
    EXPECT_TRUE(Near(picture.pixelColor(6, 30), Qt::white)) << "a negative value draws nothing";
}

TEST(ChartView, PieGivesTheNineteenthItemTheFirstColourAgain) {
    CChartViewUI chart;
    chart.resize(210, 110);
    chart.SetShowText(false);
    // 18 items of 1 take the lower half (clockwise from three o'clock), the 19th the upper one.
    for (int i = 0; i < 18; ++i) chart.AddItem(QString::number(i), 1);
    chart.AddItem("nineteenth", 18);
    const QImage image = test::Render(&chart);
    // The pie is the largest square that fits: 100 x 100 at (5, 5).
    EXPECT_TRUE(Near(image.pixelColor(55, 20), CChartViewUI::PaletteColour(0)));
    EXPECT_TRUE(Near(image.pixelColor(55, 20), QColor(63, 150, 245)));
    EXPECT_EQ(CChartViewUI::PaletteColour(17), QColor(136, 38, 18));
}

TEST(ChartView, NothingOrOnlyZeroValuesPaintWithoutSlices) {
    CChartViewUI chart;
    chart.resize(200, 100);
    const QImage empty = test::Render(&chart);
    chart.AddItem("zero", 0);
    chart.SetView("histpgram");
    test::Render(&chart);  // no division by a zero total or largest value
    chart.SetView("pie");
    const QImage zero = test::Render(&chart);
    EXPECT_FALSE(Near(zero.pixelColor(50, 50), CChartViewUI::PaletteColour(0)));
    EXPECT_FALSE(empty.isNull());
}

TEST(RedioMacroButton, PulsesBetween80And255InStepsOf20) {
    CRedioMacroButtonUI button;
    EXPECT_FALSE(button.IsRunning());
    button.SetRunning(true);
    std::vector<int> fades;
    for (int i = 0; i < 20; ++i) {
        button.Step();
        fades.push_back(button.Fade());
    }
    const std::vector<int> expected = {100, 120, 140, 160, 180, 200, 220, 240, 255, 235,
                                       215, 195, 175, 155, 135, 115, 95,  80,  100, 120};
    EXPECT_EQ(fades, expected);
}

TEST(ColorPalette, PickingAColourRaisesColorchangedWithIt) {
    test::Harness h;
    auto* palette = h.Add<ui::CColorPaletteUI>("deng_Color_Pallet", QRect(0, 0, 200, 120));
    palette->SetSelectColor(0xFF0099FFu);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF0099FFu);
    EXPECT_TRUE(h.Of("colorchanged").empty());                     // setting is not picking
    test::Mouse(palette, QEvent::MouseButtonPress, QPoint(0, 0));  // hue 0, full saturation
    test::Mouse(palette, QEvent::MouseButtonRelease, QPoint(0, 0));
    const auto seen = h.Of("colorchanged");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(static_cast<quint32>(seen[0].wParam), palette->GetSelectColor());
    EXPECT_EQ(QColor::fromRgba(palette->GetSelectColor()), QColor(255, 0, 0));
}

}  // namespace
}  // namespace qx::controls
