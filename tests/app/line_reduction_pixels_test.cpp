// The series lines reach the canvas reduced to a few points per pixel column; the pictures
// must be exactly those of drawing every segment on its own.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/qt_canvas.h"
#include "geometry/value_mapping.h"
#include "series/double_list.h"
#include "series/segment_reference.h"

namespace vela::app {
namespace {

constexpr double kNull = kNullValue;

// Every segment on its own, straight from the definition of the two members.
void SegmentByPosition(Canvas& canvas, const TRect& r, const std::vector<double>& items,
                       double ymin, double ymax) {
    if (!(ymax > ymin)) return;
    const auto n = static_cast<std::int32_t>(items.size());
    for (std::int32_t i = 0; i + 1 < n; ++i) {
        const double a = items[static_cast<std::size_t>(i)];
        const double b = items[static_cast<std::size_t>(i) + 1];
        if (a == kNull || b == kNull) continue;
        canvas.MoveTo(ValueToPixel(r.Left, r.Right, 0, n - 1, i),
                      ValueToPixel(r.Bottom, r.Top, ymin, ymax, a));
        canvas.LineTo(ValueToPixel(r.Left, r.Right, 0, n - 1, i + 1),
                      ValueToPixel(r.Bottom, r.Top, ymin, ymax, b));
    }
}

void SegmentByTime(Canvas& canvas, const TRect& r, const std::vector<double>& items, double ymin,
                   double ymax, double tmin, double tmax, const std::vector<double>& times) {
    if (!(ymax > ymin)) return;
    const std::size_t n = std::min(items.size(), times.size());
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double a = items[i];
        const double b = items[i + 1];
        const double t = times[i];
        if (a == kNull || b == kNull || !((tmin - t) * (tmax - t) <= 0)) continue;
        canvas.MoveTo(ValueToPixel(r.Left, r.Right, tmin, tmax, t),
                      ValueToPixel(r.Bottom, r.Top, ymin, ymax, a));
        canvas.LineTo(ValueToPixel(r.Left, r.Right, tmin, tmax, times[i + 1]),
                      ValueToPixel(r.Bottom, r.Top, ymin, ymax, b));
    }
}

TVegaDoubleList ListOf(const std::vector<double>& items) {
    TVegaDoubleList list;
    for (double v : items) list.Add(v);
    return list;
}

struct LineCase {
    int Width = 0;
    int Height = 0;
    TRect Box;
    std::vector<double> Items;
    std::vector<double> Times;  // empty: placed by position
    double YMin = 0;
    double YMax = 0;
    double TMin = 0;
    double TMax = 0;
    PenMode Mode = PenMode::Copy;
    bool StripedBackground = false;

    std::string Describe() const {
        std::ostringstream os;
        os.precision(17);
        os << Width << "x" << Height << " box " << Box.Left << "," << Box.Top << "," << Box.Right
           << "," << Box.Bottom << " y " << YMin << ".." << YMax;
        if (!Times.empty()) os << " t " << TMin << ".." << TMax;
        os << " mode " << (Mode == PenMode::Mask ? "mask" : "copy") << " items";
        for (double v : Items) os << " " << v;
        if (!Times.empty()) {
            os << " times";
            for (double t : Times) os << " " << t;
        }
        return os.str();
    }
};

QImage Blank(const LineCase& c) {
    QImage image(c.Width, c.Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (c.StripedBackground)
        for (int y = 0; y < c.Height; y += 3)
            for (int x = 0; x < c.Width; ++x) image.setPixel(x, y, qRgb(40 * (x % 7), 90, 200));
    return image;
}

void SetUpPen(Canvas& canvas, const LineCase& c) {
    canvas.Pen().Color = 0x808000;
    canvas.Pen().Mode = c.Mode;
}

QImage Reference(const LineCase& c) {
    QImage image = Blank(c);
    QtCanvas canvas(image);
    SetUpPen(canvas, c);
    if (c.Times.empty())
        SegmentByPosition(canvas, c.Box, c.Items, c.YMin, c.YMax);
    else
        SegmentByTime(canvas, c.Box, c.Items, c.YMin, c.YMax, c.TMin, c.TMax, c.Times);
    return image;
}

QImage Drawn(const LineCase& c) {
    QImage image = Blank(c);
    QtCanvas canvas(image);
    SetUpPen(canvas, c);
    const TVegaDoubleList list = ListOf(c.Items);
    if (c.Times.empty())
        list.Draw1(canvas, c.Box, c.YMin, c.YMax);
    else
        list.Draw1Rescaled(canvas, c.Box, c.YMin, c.YMax, c.TMin, c.TMax, ListOf(c.Times));
    return image;
}

void ExpectSamePixels(const LineCase& c) {
    const QImage expected = Reference(c);
    const QImage actual = Drawn(c);
    ASSERT_TRUE(expected == actual) << c.Describe();
}

// Walks inside one column whose last row is reached only at the end, or left again, with and
// without a segment leaving the column afterwards.
TEST(LineReductionPixels, WalksWithinOneColumn) {
    const std::vector<std::vector<double>> walks{
        {5, 3},          {3, 5},          {0, 5, 3, 5},    {0, 5, 3, 5, 5}, {5, 0, 2, 0},
        {2, 2, 2},       {1, 4, 1, 4, 1}, {3, 0, 5, 2},    {3, 0, 5, 5, 0}, {0, 5, 0, 5, 2},
        {4, 4, 0, 0, 4}, {2, 0, 4, 4, 2}, {0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {1, 0, 1, 0, 1}};
    for (const auto& walk : walks) {
        for (const bool leaves : {false, true}) {
            for (const bool gapAfter : {false, true}) {
                LineCase c;
                c.Width = 12;
                c.Height = 12;
                // 400 positions over 3 pixels: the walk sits in the middle column.
                c.Items.assign(400, kNull);
                std::copy(walk.begin(), walk.end(), c.Items.begin() + 150);
                if (leaves) c.Items[150 + walk.size() + (gapAfter ? 1 : 0)] = 0;
                if (leaves) c.Items[399] = 5;
                c.Box = TRect{2, 1, 5, 7};
                c.YMin = 0;
                c.YMax = 5;
                ExpectSamePixels(c);
            }
        }
    }
}

class RandomLines {
  public:
    explicit RandomLines(std::uint32_t seed) : gen_(seed) {}

    LineCase Next() {
        LineCase c;
        c.Width = Int(4, 48);
        c.Height = Int(4, 40);
        c.Box.Left = Int(-4, c.Width / 2);
        c.Box.Right = Chance(0.1) ? Int(-4, c.Width + 4) : c.Box.Left + Int(0, c.Width);
        c.Box.Top = Int(-4, c.Height / 2);
        c.Box.Bottom = Chance(0.1) ? Int(-4, c.Height + 4) : c.Box.Top + Int(0, c.Height);
        c.Mode = Chance(0.2) ? PenMode::Mask : PenMode::Copy;
        c.StripedBackground = c.Mode == PenMode::Mask || Chance(0.1);

        const int size = Chance(0.3) ? Int(2, 12) : Chance(0.6) ? Int(12, 300) : Int(300, 3000);
        const double nulls = Chance(0.5) ? 0 : Chance(0.5) ? 0.03 : 0.4;
        const int levels = Chance(0.4) ? Int(2, 6) : 0;  // few distinct values: many ties
        double walk = Real(-1, 1);
        for (int i = 0; i < size; ++i) {
            double v = 0;
            if (levels > 0) {
                v = Int(0, levels - 1);
            } else if (Chance(0.5)) {
                walk += Real(-0.3, 0.3);
                v = walk;
            } else {
                v = Real(-1, 1);
            }
            c.Items.push_back(Chance(nulls) ? kNull : v);
        }
        // Now and then a value that maps to no ordinary pixel.
        if (Chance(0.05)) c.Items[static_cast<std::size_t>(Int(0, size - 1))] = Odd();
        double lo = 1e300;
        double hi = -1e300;
        for (double v : c.Items)
            if (v != kNull) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        if (lo > hi) lo = hi = 0;
        const double span = hi - lo;
        // Mostly the data's own range; sometimes a narrower one that lines leave.
        c.YMin = Chance(0.8) ? lo - span * Real(0, 0.2) : lo + span * Real(0, 0.5);
        c.YMax = Chance(0.8) ? hi + span * Real(0, 0.2) : hi - span * Real(0, 0.5);
        if (Chance(0.03)) c.YMax = c.YMin;
        if (Chance(0.02)) c.YMax = c.YMin + 1e-300;  // beyond any ordinary pixel

        if (Chance(0.5)) {
            double t = Real(-10, 10);
            for (int i = 0; i < size; ++i) {
                // Mostly forward with gaps, sometimes backward.
                t += Chance(0.05) ? Real(-5, 20) : Chance(0.1) ? 0 : Real(0, 1);
                c.Times.push_back(t);
            }
            if (Chance(0.05)) c.Times[static_cast<std::size_t>(Int(0, size - 1))] = Odd();
            if (Chance(0.2)) c.Times.resize(static_cast<std::size_t>(Int(0, size)));
            const double first = c.Times.empty() ? 0 : c.Times.front();
            const double last = c.Times.empty() ? 1 : c.Times.back();
            c.TMin = Chance(0.7) ? first : first + (last - first) * Real(-0.2, 0.5);
            c.TMax = Chance(0.7) ? last : last - (last - first) * Real(-0.2, 0.5);
        }
        return c;
    }

  private:
    double Odd() {
        const double odd[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e18};
        return odd[Int(0, 4)];
    }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen_); }
    double Real(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(gen_);
    }
    bool Chance(double p) { return std::bernoulli_distribution(p)(gen_); }

    std::mt19937 gen_;
};

TEST(LineReductionPixels, RandomSeriesDrawTheSamePixels) {
    RandomLines lines(20240611);
    for (int k = 0; k < 4000; ++k) {
        const LineCase c = lines.Next();
        SCOPED_TRACE(k);
        ExpectSamePixels(c);
        if (HasFatalFailure()) return;
    }
}

// Every segment member, reduced per pixel column with a plain pen, draws the pixels of its
// definition drawn segment by segment: dense random walks with nulls, zeros and sign changes
// (so colour runs of the coloured members start and end inside columns).
TEST(LineReductionPixels, EverySegmentMemberDrawsItsDefinitionsPixels) {
    std::mt19937 rng(99);
    for (int round = 0; round < 40; ++round) {
        const int n = 50 + static_cast<int>(rng() % 3000);
        std::vector<double> items, times;
        double v = 5, t = 0;
        for (int i = 0; i < n; ++i) {
            v += static_cast<double>(static_cast<int>(rng() % 2001) - 1000) / 500.0;
            const int kind = static_cast<int>(rng() % 50);
            items.push_back(kind == 0 ? kNull : kind == 1 ? 0.0 : v);
            times.push_back(t);
            t += rng() % 40 == 0 ? 3.0 : 0.01;
        }
        TVegaDoubleList timeList = ListOf(times);
        const int width = 20 + static_cast<int>(rng() % 200);
        const int height = 20 + static_cast<int>(rng() % 150);
        const TRect box{2, 3, width - 3, height - 2};
        for (const test::SegmentMember& m : test::SegmentMembers()) {
            SCOPED_TRACE(m.Name + " round " + std::to_string(round));
            QImage expected(width, height, QImage::Format_RGB32);
            QImage actual(width, height, QImage::Format_RGB32);
            expected.fill(Qt::white);
            actual.fill(Qt::white);
            {
                QtCanvas canvas(expected);
                canvas.Pen().Color = 0x808000;
                m.Reference(items, canvas, box, times);
            }
            {
                QtCanvas canvas(actual);
                canvas.Pen().Color = 0x808000;
                TVegaDoubleList list = ListOf(items);
                m.Draw(list, canvas, box, timeList);
            }
            ASSERT_TRUE(expected == actual);
        }
    }
}

}  // namespace
}  // namespace vela::app
