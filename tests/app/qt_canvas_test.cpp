#include "app/qt_canvas.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <cmath>
#include <string>

#include "chart/time_axis.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

// A white image and a canvas on it; pixels are read back as $00BBGGRR colours.
class QtCanvasPixels : public ::testing::Test {
  protected:
    QtCanvasPixels() : image(64, 48, QImage::Format_RGB32) { image.fill(Qt::white); }

    QtCanvas& Canvas() {
        if (!canvas) canvas = std::make_unique<QtCanvas>(image);
        return *canvas;
    }
    // Ends painting (once) and reads a pixel.
    TColor At(int x, int y) {
        canvas.reset();
        const QRgb p = image.pixel(x, y);
        return RgbColor(qRed(p), qGreen(p), qBlue(p));
    }
    // The pixels of a row from x0 to x1 inclusive, '#' for black and '.' for white.
    std::string Row(int y, int x0, int x1) {
        std::string s;
        for (int x = x0; x <= x1; ++x)
            s += At(x, y) == clBlack ? '#' : At(x, y) == clWhite ? '.' : '?';
        return s;
    }
    std::string Column(int x, int y0, int y1) {
        std::string s;
        for (int y = y0; y <= y1; ++y)
            s += At(x, y) == clBlack ? '#' : At(x, y) == clWhite ? '.' : '?';
        return s;
    }

    QImage image;
    std::unique_ptr<QtCanvas> canvas;
};

TEST_F(QtCanvasPixels, LinesLeaveOutTheirEndPixelInEveryDirection) {
    QtCanvas& c = Canvas();
    c.MoveTo(1, 1);
    c.LineTo(6, 1);
    c.MoveTo(6, 3);  // right to left: the start pixel is drawn, the end pixel is not
    c.LineTo(1, 3);
    c.MoveTo(1, 10);
    c.LineTo(1, 5);
    c.MoveTo(10, 10);
    c.LineTo(10, 10);  // no length, no pixel
    c.MoveTo(20, 20);
    c.LineTo(25, 25);
    EXPECT_EQ(Row(1, 0, 7), ".#####..");
    EXPECT_EQ(Row(3, 0, 7), "..#####.");
    EXPECT_EQ(Column(1, 4, 11), "..#####.");  // from 10 up to 6
    EXPECT_EQ(At(10, 10), clWhite);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(At(20 + i, 20 + i), clBlack) << i;
    EXPECT_EQ(At(25, 25), clWhite);
}

TEST_F(QtCanvasPixels, ShallowLinesFollowTheIdealLine) {
    QtCanvas& c = Canvas();
    c.MoveTo(0, 0);
    c.LineTo(10, 3);  // 0.3 pixels down per step
    // Nearest rows of 0.3 x; the tie at x = 5 (1.5) stays on the start's side.
    const int expected[] = {0, 0, 1, 1, 1, 1, 2, 2, 2, 3};
    for (int x = 0; x < 10; ++x) {
        const int y = expected[x];
        EXPECT_EQ(At(x, y), clBlack) << x;
        EXPECT_EQ(At(x, y + 1), clWhite) << x;
    }
    EXPECT_EQ(At(10, 3), clWhite);
}

TEST_F(QtCanvasPixels, ConsecutiveLinesCloseAnOutline) {
    QtCanvas& c = Canvas();
    c.MoveTo(2, 2);
    c.LineTo(8, 2);
    c.LineTo(8, 6);
    c.LineTo(2, 6);
    c.LineTo(2, 2);
    EXPECT_EQ(Row(2, 1, 9), ".#######.");
    EXPECT_EQ(Row(4, 1, 9), ".#.....#.");
    EXPECT_EQ(Row(6, 1, 9), ".#######.");
}

TEST_F(QtCanvasPixels, FillRectLeavesOutRightAndBottomEdges) {
    QtCanvas& c = Canvas();
    c.Brush().Color = clBlack;
    c.FillRect(TRect{2, 2, 5, 4});
    c.FillRect(TRect{15, 14, 12, 12});  // corners reversed
    EXPECT_EQ(Row(2, 1, 6), ".###..");
    EXPECT_EQ(Row(3, 1, 6), ".###..");
    EXPECT_EQ(Row(4, 1, 6), "......");
    EXPECT_EQ(Row(12, 11, 16), ".###..");
    EXPECT_EQ(Row(13, 11, 16), ".###..");
    EXPECT_EQ(Row(14, 11, 16), "......");
}

TEST_F(QtCanvasPixels, RectangleOutlinesAndFillsInsideItsBounds) {
    QtCanvas& c = Canvas();
    c.Brush().Color = clRed;
    c.Rectangle(TRect{2, 2, 7, 6});
    EXPECT_EQ(Row(2, 1, 8), ".#####..");
    EXPECT_EQ(Row(5, 1, 8), ".#####..");
    EXPECT_EQ(At(4, 3), clRed);
    EXPECT_EQ(At(6, 3), clBlack);
    EXPECT_EQ(At(7, 3), clWhite);
    EXPECT_EQ(At(4, 6), clWhite);
}

TEST_F(QtCanvasPixels, PolygonFilledAndOutlined) {
    QtCanvas& c = Canvas();
    c.Pen().Color = clGreen;
    c.Brush().Color = clLime;
    const TPoint marker[] = {{20, 20}, {24, 25}, {16, 25}, {20, 20}};
    c.Polygon(marker);
    EXPECT_EQ(At(20, 20), clGreen);  // the tip
    EXPECT_EQ(At(20, 23), clLime);   // inside
    EXPECT_EQ(At(18, 25), clGreen);  // the base
    EXPECT_EQ(At(20, 26), clWhite);
    EXPECT_EQ(At(25, 25), clWhite);
    EXPECT_EQ(At(20, 19), clWhite);
}

TEST_F(QtCanvasPixels, ColoursAreBgrIntegers) {
    QtCanvas& c = Canvas();
    c.Brush().Color = 0x0000FF;  // red
    c.FillRect(TRect{0, 0, 1, 1});
    c.Brush().Color = 0xFF0000;  // blue
    c.FillRect(TRect{1, 0, 2, 1});
    c.Brush().Color = 0x808000;  // teal
    c.FillRect(TRect{2, 0, 3, 1});
    canvas.reset();
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(2, 0) & 0xFFFFFF, 0x008080u);
}

TEST_F(QtCanvasPixels, MaskModeAndsWithThePixelsBelow) {
    QtCanvas& c = Canvas();
    c.Brush().Color = 0xD7FFFF;
    c.FillRect(TRect{0, 0, 10, 5});
    c.Brush().Color = clBlue;
    c.FillRect(TRect{0, 5, 10, 10});
    c.Pen().Color = clYellow;
    c.Pen().Mode = PenMode::Mask;
    c.MoveTo(3, 0);
    c.LineTo(3, 10);
    EXPECT_EQ(At(3, 1), 0x00FFFF);  // $D7FFFF and $00FFFF
    EXPECT_EQ(At(3, 7), clBlack);   // $FF0000 and $00FFFF
    EXPECT_EQ(At(3, 12), clWhite);  // beyond the end
    EXPECT_EQ(At(4, 1), 0xD7FFFF);
}

TEST_F(QtCanvasPixels, StyledLinesUseThePlatformPatterns) {
    QtCanvas& c = Canvas();
    c.SetBackgroundTransparent(true);
    c.Pen().Style = PenStyle::DashDot;
    c.MoveTo(0, 1);
    c.LineTo(48, 1);
    c.SetBackgroundTransparent(false);
    c.Brush().Color = clRed;
    c.Pen().Style = PenStyle::Dot;
    c.MoveTo(0, 3);
    c.LineTo(12, 3);
    EXPECT_EQ(Row(1, 0, 47), "#########......###......#########......###......");
    EXPECT_EQ(At(0, 3), clBlack);
    EXPECT_EQ(At(3, 3), clRed);  // gaps take the brush colour on an opaque background
    EXPECT_EQ(At(6, 3), clBlack);
    EXPECT_EQ(At(12, 3), clWhite);
}

TEST_F(QtCanvasPixels, LinesFarOutsideTheImageAreClipped) {
    QtCanvas& c = Canvas();
    c.MoveTo(-2000000000, 5);
    c.LineTo(2000000000, 5);
    c.MoveTo(10, -2000000000);
    c.LineTo(10, 2000000000);
    EXPECT_EQ(At(0, 5), clBlack);
    EXPECT_EQ(At(63, 5), clBlack);
    EXPECT_EQ(At(10, 0), clBlack);
    EXPECT_EQ(At(10, 47), clBlack);
}

TEST(QtCanvasFonts, ArialIsLiberationSans) {
    CanvasFont font;
    font.Name = "Arial";
    EXPECT_EQ(QFontInfo(ToQFont(font)).family(), QStringLiteral("Liberation Sans"));
}

TEST(QtCanvasFonts, HeightsWeightsAndResolution) {
    QImage image(200, 100, QImage::Format_RGB32);
    QtCanvas canvas(image);
    EXPECT_EQ(canvas.PixelsPerInch(), 96);

    canvas.Font().Height = -20;  // em height = Qt pixel size
    EXPECT_EQ(ToQFont(canvas.Font()).pixelSize(), 20);
    const int emCell = canvas.TextHeight("H");
    EXPECT_GE(emCell, 22);  // the cell adds Arial's ascent and descent above the em
    EXPECT_LE(emCell, 23);
    canvas.Font().Height = 20;  // cell height
    EXPECT_EQ(ToQFont(canvas.Font()).pixelSize(), 18);
    EXPECT_GE(canvas.TextHeight("H"), 19);
    EXPECT_LE(canvas.TextHeight("H"), 21);

    canvas.Font().Height = -20;
    const int regular = canvas.TextWidth("abcdefghij");
    canvas.Font().Weight = 800;
    EXPECT_TRUE(QFontInfo(ToQFont(canvas.Font())).bold());
    EXPECT_GT(canvas.TextWidth("abcdefghij"), regular);
    canvas.Font().Weight = 10;
    EXPECT_FALSE(QFontInfo(ToQFont(canvas.Font())).bold());
    EXPECT_EQ(canvas.TextWidth("abcdefghij"), regular);

    // An average character width of about twice the face's own doubles the text.
    canvas.Font().Width = static_cast<int>(std::lround(20 * 904.0 / 2048.0 * 2));
    const int wide = canvas.TextWidth("abcdefghij");
    EXPECT_GT(wide, regular * 17 / 10);
    EXPECT_LT(wide, regular * 23 / 10);
}

// The ink of dark pixels: bounding box of everything that is not white.
QRect Ink(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

TEST(QtCanvasText, TopOfTheCellAtY) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    int cell = 0;
    {
        QtCanvas canvas(image);
        canvas.Font().Height = -40;
        canvas.SetBackgroundTransparent(true);
        cell = canvas.TextHeight("H");
        canvas.TextOut(10, 30, "H");
    }
    const QRect ink = Ink(image);
    // A capital sits between the cell's internal leading and its baseline.
    EXPECT_GE(ink.top(), 30 + 4);
    EXPECT_LE(ink.top(), 30 + 10);
    EXPECT_LE(ink.bottom(), 30 + cell);
    EXPECT_GE(ink.bottom(), 30 + cell - 12);
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.left(), 15);
}

TEST(QtCanvasText, OpaqueBackgroundFillsTheCellWithTheBrush) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    int w = 0, h = 0;
    {
        QtCanvas canvas(image);
        canvas.Brush().Color = clYellow;
        canvas.Font().Height = -20;
        w = canvas.TextWidth("a b");
        h = canvas.TextHeight("a b");
        canvas.TextOut(10, 10, "a b");
    }
    EXPECT_EQ(Ink(image), QRect(10, 10, w, h));
}

TEST(QtCanvasText, EscapementRotatesCounterClockwiseAboutTheCellCorner) {
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    int w = 0;
    {
        QtCanvas canvas(image);
        canvas.SetBackgroundTransparent(true);
        canvas.Font().Height = -20;
        canvas.Font().Escapement = 540;
        w = canvas.TextWidth("HHHHHHHHHH");
        canvas.TextOut(50, 250, "HHHHHHHHHH");
    }
    const QRect ink = Ink(image);
    const double c = std::cos(54 * M_PI / 180), s = std::sin(54 * M_PI / 180);
    // The text rises to the right from (50, 250): its far end lies w along the 54-degree line.
    EXPECT_NEAR(ink.top(), 250 - w * s, 8);
    EXPECT_NEAR(ink.right(), 50 + w * c + 20 * s, 8);
    EXPECT_GE(ink.left(), 50 - 2);
    EXPECT_LE(ink.bottom(), 250 + 20);
}

// The time axis on real pixels: tick lengths count on lines leaving out their end pixel.
TEST(QtCanvasTimeAxis, TickLengthsInPixels) {
    QImage image(441, 294, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double minute = 1.0 / 36525.0 / 1440.0;
    const double tmin = DateToCenturies(2012, 6, 20, 14.0) - 300.6 * minute;
    {
        QtCanvas canvas(image);
        DrawTimeAxis(canvas, TRect{62, 211, 432, 288}, {}, true, std::nullopt, "Arial", 0,
                     tmin + 444 * minute, tmin);
    }
    auto at = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return RgbColor(qRed(p), qGreen(p), qBlue(p));
    };
    // Minor tick at 15:00: four black pixels from the axis line down.
    for (int y = 211; y < 215; ++y) EXPECT_EQ(at(363, y), clBlack) << y;
    EXPECT_EQ(at(363, 215), clWhite);
    // Labelled tick at 14:00: ten red pixels.
    for (int y = 211; y < 221; ++y) EXPECT_EQ(at(313, y), clRed) << y;
    EXPECT_NE(at(313, 221), clRed);
    // The axis line ends before its right end.
    EXPECT_EQ(at(431, 211), clBlack);
    EXPECT_EQ(at(432, 211), clWhite);
    EXPECT_EQ(at(62, 211), clBlack);
}

}  // namespace
}  // namespace vela::app
