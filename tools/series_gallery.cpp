// Draws every drawing member of the series library on one sample series into a labelled PNG
// sheet, so a person can look at all of them at once:
//
//   vela-series-gallery FILE.png
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/qt_canvas.h"
#include "series/double_list.h"
#include "series/integer_list.h"

namespace {

using vela::Canvas;
using vela::TRect;
using vela::TVegaDoubleList;

constexpr int kCellWidth = 320;
constexpr int kCellHeight = 190;
constexpr int kColumns = 4;
constexpr vela::TColor kMinus = 0x3030E0;  // red
constexpr vela::TColor kPlus = 0x20A020;   // green
constexpr vela::TColor kBasis = 0xFFFFFF;

struct Sample {
    TVegaDoubleList Items;
    TVegaDoubleList Times;
    TVegaDoubleList Positive;
    vela::TVegaIntegerList Buy, Sell, Levels;
    Sample() {
        for (int i = 0; i < 120; ++i) {
            const double v = 3 * std::sin(i / 9.0) + std::sin(i / 2.3) + (i % 17 == 0 ? 1.5 : 0);
            Items.Add(i == 40 || i == 41 || i == 90 ? vela::kNullValue : v);
            Times.Add(i + (i >= 60 ? 20 : 0));  // a gap after 60 items
            Positive.Add(5 + v);
            Levels.Add(static_cast<std::int32_t>(50 + 45 * std::sin(i / 7.0)));
        }
        for (int i = 8; i < 120; i += 28) Buy.Add(i);
        for (int i = 22; i < 120; i += 28) Sell.Add(i);
    }
};

struct Member {
    std::string Name;
    std::function<void(Sample&, Canvas&, const TRect&)> Draw;
};

std::vector<Member> Members() {
    const int last = 119;
    const double t1 = 139;
    return {
        {"Draw", [](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw(c, r); }},
        {"DrawNoGap", [](Sample& s, Canvas& c, const TRect& r) { s.Items.DrawNoGap(c, r); }},
        {"Draw1 (-5..5)", [](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw1(c, r, -5, 5); }},
        {"Draw1Rescaled (by time)",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.Draw1Rescaled(c, r, -5, 5, 0, t1, s.Times);
         }},
        {"Draw2 (20..100)",
         [](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw2(c, r, 20, 100); }},
        {"Draw2NoGap (20..100)",
         [](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw2NoGap(c, r, 20, 100); }},
        {"Draw2Rescaled (20..100)",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.Draw2Rescaled(c, r, 20, 100, 0, t1, s.Times);
         }},
        {"Draw2Rescaled1 (step < 5)",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.Draw2Rescaled1(c, r, 0, t1, s.Times, 5);
         }},
        {"Draw2Rescaled10 (step < 5)",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.Draw2Rescaled10(c, r, 0, t1, -5, 5, s.Times, 5);
         }},
        {"Draw2SkipNULL (skips 0)",
         [=](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw2SkipNULL(c, r, 0, last, 0); }},
        {"Draw3 (-5..5)",
         [=](Sample& s, Canvas& c, const TRect& r) { s.Items.Draw3(c, r, 0, last, -5, 5); }},
        {"Draw3BuySell",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.Draw3BuySell(c, r, 0, last, -5, 5, s.Buy, s.Sell);
         }},
        {"DrawDifferentColor",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawDifferentColor(c, r, kMinus, kPlus);
         }},
        {"DrawDifferentColor1",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawDifferentColor1(c, r, kMinus, kPlus, -5, 5, 0, last);
         }},
        {"DrawDifferentColor10",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawDifferentColor10(c, r, kMinus, kPlus);
         }},
        {"DrawColored1",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawColored1(c, r, kMinus, kPlus, -5, 5, 0, last);
         }},
        {"DrawColoredBar",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawColoredBar(c, r, kMinus, kPlus, kBasis);
         }},
        {"DrawColoredBar1 (20..100)",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawColoredBar1(c, r, kMinus, kPlus, 20, 100, kBasis);
         }},
        {"DrawColoredBar1Rescaled",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawColoredBar1Rescaled(c, r, kMinus, kPlus, 0, last, 0, t1, s.Times, kBasis);
         }},
        {"DrawColoredBar1UniColor",
         [=](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawColoredBar1UniColor(c, r, kMinus, kPlus, 0, last, kBasis);
         }},
        {"DrawFire (mixed signs)",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Items.DrawFire(c, r, 0, 59, 0x0000FF, 0xFF0000, 0xFFFFFF);
         }},
        {"DrawFire (all positive)",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Positive.DrawFire(c, r, 0, 59, 0x0000FF, 0xFF0000, 0xFFFFFF);
         }},
        {"IntegerList DrawColoredBar",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Levels.DrawColoredBar(c, r, 0, 100, 0xFFFFFF, 0x800000);
         }},
        {"IntegerList DrawColoredBarLocal",
         [](Sample& s, Canvas& c, const TRect& r) {
             s.Levels.DrawColoredBarLocal(c, r, 0, 100, 0xFFFFFF, 0x800000, 30, 60);
         }},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-series-gallery FILE.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<Member> members = Members();
    const int rows = (static_cast<int>(members.size()) + kColumns - 1) / kColumns;
    QImage sheet(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    vela::app::QtCanvas canvas(sheet);
    Sample sample;
    for (std::size_t k = 0; k < members.size(); ++k) {
        const int x = static_cast<int>(k % kColumns) * kCellWidth;
        const int y = static_cast<int>(k / kColumns) * kCellHeight;
        canvas.Pen() = vela::CanvasPen{0xC0C0C0, vela::PenStyle::Solid, 1, vela::PenMode::Copy};
        canvas.Brush().Color = 0xFFFFFF;
        canvas.Rectangle(TRect{x + 4, y + 20, x + kCellWidth - 4, y + kCellHeight - 4});
        canvas.Font().Height = -12;
        canvas.Font().Color = 0x000000;
        canvas.SetBackgroundTransparent(true);
        canvas.TextOut(x + 6, y + 3, members[k].Name);
        canvas.Pen().Color = 0x808000;  // the chart's teal
        members[k].Draw(sample, canvas,
                        TRect{x + 10, y + 26, x + kCellWidth - 10, y + kCellHeight - 10});
    }
    if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "vela-series-gallery: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
