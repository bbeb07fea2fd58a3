#include "app/flicker_free_paint_box.h"

#include <gtest/gtest.h>
#include <QTest>

#include <QImage>
#include <QPainter>
#include <stdexcept>

#include "app/chart_render.h"
#include "app/qt_canvas.h"
#include "chart/chart_painting.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

TColor At(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return RgbColor(qRed(p), qGreen(p), qBlue(p));
}

// What the widget puts on screen: rendered into an image prefilled with grey, without a
// background of Qt's own, so whatever the paint leaves alone stays grey.
QImage OnScreen(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(QColor(0x80, 0x80, 0x80));
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

TEST(FlickerFreePaintBox, NeverErasesAndStartsAt100By100) {
    TFlickerFreePaintBox box;
    EXPECT_TRUE(box.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(box.testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_EQ(box.size(), QSize(100, 100));
    EXPECT_EQ(box.focusPolicy(), Qt::NoFocus);
}

TEST(FlickerFreePaintBox, WithoutAHandlerNothingIsPainted) {
    TFlickerFreePaintBox box;
    box.resize(30, 20);
    EXPECT_TRUE(box.ComposeFrame().isNull());
    const QImage shown = OnScreen(box);
    EXPECT_EQ(At(shown, 0, 0), clGray);
    EXPECT_EQ(At(shown, 29, 19), clGray);
}

TEST(FlickerFreePaintBox, FrameStartsFromItsColourAndFontAndComesInOnePiece) {
    TFlickerFreePaintBox box;
    box.resize(40, 30);
    box.SetColor(clAqua);
    CanvasFont font;
    font.Name = "Liberation Sans";
    font.Height = -17;
    box.SetFrameFont(font);
    int calls = 0;
    box.SetOnPaint([&](TFlickerFreePaintBox& sender, Canvas& canvas) {
        ++calls;
        EXPECT_EQ(&sender, &box);
        EXPECT_EQ(canvas.Font(), font);
        EXPECT_EQ(canvas.Brush().Color, clAqua);
        EXPECT_EQ(canvas.PixelsPerInch(), 96);
        canvas.Brush().Color = clRed;
        canvas.FillRect(TRect{0, 0, 10, 10});
    });
    const QImage shown = OnScreen(box);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shown.size(), QSize(40, 30));
    EXPECT_EQ(At(shown, 0, 0), clRed);
    EXPECT_EQ(At(shown, 9, 9), clRed);
    EXPECT_EQ(At(shown, 10, 10), clAqua);  // the fill leaves out its right and bottom edges
    EXPECT_EQ(At(shown, 39, 29), clAqua);
    EXPECT_TRUE(box.ComposeFrame() == shown);
}

TEST(FlickerFreePaintBox, FailingHandlerKeepsTheLastFrame) {
    TFlickerFreePaintBox box;
    box.resize(20, 20);
    box.SetOnPaint([](TFlickerFreePaintBox&, Canvas& canvas) {
        canvas.Brush().Color = clBlue;
        canvas.FillRect(TRect{0, 0, 20, 20});
        throw std::runtime_error("broken series");
    });
    EXPECT_THROW(box.ComposeFrame(), std::runtime_error);
    const QImage shown = OnScreen(box);
    EXPECT_EQ(At(shown, 5, 5), clGray);  // nothing half-drawn reaches the screen
}

TEST(ComposeFrame, EmptyOrImpossibleSizesGiveNoImage) {
    int calls = 0;
    const auto draw = [&](Canvas&) { ++calls; };
    EXPECT_TRUE(ComposeFrame(QSize(0, 10), clWhite, CanvasFont{}, draw).isNull());
    EXPECT_TRUE(ComposeFrame(QSize(10, -1), clWhite, CanvasFont{}, draw).isNull());
    EXPECT_EQ(calls, 0);
}

ChartState MinuteChart(int bars) {
    ChartState s;
    const double day = 2.737850787e-05;
    s.dT = day / 1440;
    const double start = DateToCenturies(2012, 6, 18, 9.5);
    for (int i = 0; i < bars; ++i) {
        const double p = 100 + (i % 17) * 0.25;
        s.LClose.Add(p);
        s.LHigh.Add(p + 0.5);
        s.LLow.Add(p - 0.5);
        s.LTime.Add(start + i * s.dT);
    }
    s.ILastPrice = bars - 1;
    s.LastClose = s.LClose[bars - 1];
    s.LastCloseTime = s.LTime[bars - 1];
    s.DeltaClose = s.LClose[bars - 1] - s.LClose[bars - 2];
    for (int i = 1; i <= 15; ++i) {
        s.LClose.Add(kNullValue);
        s.LHigh.Add(kNullValue);
        s.LLow.Add(kNullValue);
        s.LTime.Add(s.LastCloseTime + i * s.dT);
    }
    s.IFirstBarInDay = 0;
    s.Intraday = true;
    s.DayTMin = s.LTime[0];
    s.DayTMax = s.LastCloseTime + 15 * s.dT;
    return s;
}

TEST(RenderChart, SameFrameAsThePaintBox) {
    const ChartState state = MinuteChart(300);
    TFlickerFreePaintBox box;
    box.resize(441, 294);
    ChartStatus boxStatus;
    box.SetOnPaint([&](TFlickerFreePaintBox& sender, Canvas& canvas) {
        FlickerFreePaintBox1Paint(state, canvas, TRect{0, 0, sender.width(), sender.height()},
                                  boxStatus);
    });
    ChartStatus status;
    const QImage image = RenderChart(state, 441, 294, &status);
    ASSERT_EQ(image.size(), QSize(441, 294));
    EXPECT_TRUE(image == OnScreen(box));
    EXPECT_EQ(status.Text, boxStatus.Text);
    EXPECT_EQ(status.TextColor, 0x008000);
    EXPECT_EQ(At(image, 0, 0), clWhite);
    EXPECT_EQ(At(image, 63, 4), 0xD7FFFF);    // inside the plot
    EXPECT_EQ(At(image, 100, 211), clBlack);  // the line above the time axis
}

TEST(RenderChart, BlankChartLeavesTheStatusAlone) {
    ChartStatus status{"kept", clNavy, clNavy};
    const QImage image = RenderChart(ChartState{}, 50, 40, &status);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(At(image, 25, 20), clWhite);
    EXPECT_EQ(status.Text, "kept");
    EXPECT_TRUE(RenderChart(MinuteChart(10), 0, 0, &status).isNull());
    EXPECT_EQ(status.Text, "kept");
    EXPECT_FALSE(RenderChart(MinuteChart(10), 200, 100, nullptr).isNull());
}

}  // namespace
}  // namespace vela::app

namespace vela::app {
namespace {

// An overlay repaint shows the last composed frame; a full repaint, even one merged with an
// overlay repaint, composes again, so a changed chart is never covered by an old frame.
TEST(FlickerFreePaintBox, OverlayRepaintsReuseTheFrameUnlessTheWholeBoxIsDue) {
    TFlickerFreePaintBox box;
    box.resize(30, 20);
    int calls = 0;
    TColor fill = clBlue;
    box.SetOnPaint([&](TFlickerFreePaintBox&, Canvas& canvas) {
        ++calls;
        canvas.Brush().Color = fill;
        canvas.FillRect(TRect{0, 0, 30, 20});
    });
    QPoint mark(-1, -1);
    box.SetOnOverlay([&](Canvas& canvas) {
        canvas.Brush().Color = clRed;
        if (mark.x() >= 0) canvas.FillRect(TRect{mark.x(), mark.y(), mark.x() + 1, mark.y() + 1});
    });
    const auto render = [&](const QRegion& region) {
        QImage image(box.size(), QImage::Format_RGB32);
        image.fill(Qt::gray);
        // A source region is drawn with its top left corner at the target offset.
        const QPoint at = region.isEmpty() ? QPoint() : region.boundingRect().topLeft();
        box.render(&image, at, region, QWidget::RenderFlags());
        return image;
    };
    render(QRegion());
    ASSERT_EQ(calls, 1);

    fill = clGreen;  // would show if the frame were composed again
    mark = QPoint(5, 6);
    box.UpdateOverlay(QRect(5, 6, 1, 1));
    QImage shown = render(QRect(0, 6, 30, 1));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(At(shown, 5, 6), clRed);
    EXPECT_EQ(At(shown, 6, 6), clBlue);

    box.UpdateOverlay(QRect(5, 6, 1, 1));
    shown = render(QRegion());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(At(shown, 6, 6), clGreen);
    EXPECT_EQ(At(shown, 5, 6), clRed);

    // A partial repaint nobody asked for as an overlay composes, as the box always did.
    fill = clAqua;
    shown = render(QRect(0, 0, 10, 10));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(At(shown, 1, 1), clAqua);
}

TEST(FlickerFreePaintBox, AFullUpdateOfAPartlyHiddenBoxComposesDespiteAnOverlayAfterIt) {
    // The box reaches past its window: what Qt repaints is only the part that can be seen.
    QWidget window;
    window.resize(20, 20);
    auto* box = new TFlickerFreePaintBox(&window);
    box->setGeometry(0, 0, 30, 20);
    int calls = 0;
    box->SetOnPaint([&](TFlickerFreePaintBox&, Canvas&) { ++calls; });
    box->SetOnOverlay([](Canvas&) {});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const int before = calls;
    ASSERT_GE(before, 1);
    // A new chart, then the crosshair placed over it, as a zoom with the crosshair on does.
    box->update();
    box->UpdateOverlay(QRect(5, 6, 1, 1));
    for (int i = 0; i < 20 && calls == before; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(5);
    }
    EXPECT_EQ(calls, before + 1);
}

}  // namespace
}  // namespace vela::app
