#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>

#include "geometry/value_mapping.h"
#include "platform/canvas.h"
#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/list_error.h"

namespace vela {

namespace {

// How the coloured-column members differ: where a column's edges lie, and its colour.
enum class ColumnColour { Gradient, Uni };

struct ColumnRule {
    ColumnColour Colour;
    // Edges by time (TimeList) instead of by position over XMin..XMax.
    const TVegaDoubleList* TimeList = nullptr;
    double TTMin = 0;
    double TTMax = 0;
};

TColor ColumnColourOf(ColumnColour rule, double c, double lo, double hi, TColor minus, TColor plus,
                      TColor basis) {
    if (rule == ColumnColour::Uni) {
        if (c > 0) return plus;
        if (c < 0) return minus;
        return basis;
    }
    return c > 0 ? GradientColor(basis, plus, 0, hi, c)
                 : GradientColor(basis, minus, 0, std::fabs(lo), std::fabs(c));
}

// One column per pair of neighbouring non-null items over XMin..XMax, the full height of R.
void DrawColumns(const TVegaDoubleList& list, Canvas& canvas, const TRect& R, TColor minus,
                 TColor plus, std::int32_t XMin, std::int32_t XMax, TColor basis,
                 const ColumnRule& rule) {
    double lo = 0, hi = 0;
    list.GetMinMax(lo, hi);
    // A flat list is measured from 0.
    if (hi == lo && hi != 0) lo = 0;
    const CanvasPen saved = canvas.Pen();
    canvas.Pen().Width = 1;
    if (hi > lo && XMax - 1 >= XMin) {
        for (std::int32_t i = XMin; i <= XMax - 1; ++i) {
            const double a = list.GetItem(i);
            const double b = list.GetItem(i + 1);
            if (a == kNullValue || b == kNullValue) continue;
            const double c = (a + b) / 2;
            const TColor colour = ColumnColourOf(rule.Colour, c, lo, hi, minus, plus, basis);
            std::int32_t x1 = 0, x2 = 0;
            if (rule.TimeList != nullptr) {
                x1 = ValueToPixel(R.Left, R.Right, rule.TTMin, rule.TTMax,
                                  rule.TimeList->GetItem(i));
                x2 = ValueToPixel(R.Left, R.Right, rule.TTMin, rule.TTMax,
                                  rule.TimeList->GetItem(i + 1));
            } else {
                x1 = ValueToPixel(R.Left, R.Right, XMin, XMax, i);
                x2 = ValueToPixel(R.Left, R.Right, XMin, XMax, i + 1);
            }
            if (x1 == x2) {
                canvas.Pen().Color = colour;
                canvas.MoveTo(x1, R.Bottom);
                canvas.LineTo(x1, R.Top);
            } else {
                canvas.Brush().Color = colour;
                canvas.FillRect(TRect{x1, R.Top, x2, R.Bottom});
            }
        }
    }
    canvas.Pen().Width = saved.Width;
    canvas.Pen().Color = saved.Color;
}

}  // namespace

void TVegaDoubleList::DrawColoredBar(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                                     TColor BasisColor) const {
    DrawColoredBar1(Canv, R, cl_Minus, cl_Plus, 0, Count() - 1, BasisColor);
}

void TVegaDoubleList::DrawColoredBar1(Canvas& Canv, const TRect& R, TColor cl_Minus, TColor cl_Plus,
                                      std::int32_t XMin, std::int32_t XMax,
                                      TColor BasisColor) const {
    DrawColumns(*this, Canv, R, cl_Minus, cl_Plus, XMin, XMax, BasisColor,
                ColumnRule{ColumnColour::Gradient});
}

void TVegaDoubleList::DrawColoredBar1Rescaled(Canvas& Canv, const TRect& R, TColor cl_Minus,
                                              TColor cl_Plus, std::int32_t XMin, std::int32_t XMax,
                                              double TTMin, double TTMax,
                                              const TVegaDoubleList& TimeList,
                                              TColor BasisColor) const {
    DrawColumns(*this, Canv, R, cl_Minus, cl_Plus, XMin, XMax, BasisColor,
                ColumnRule{ColumnColour::Gradient, &TimeList, TTMin, TTMax});
}

void TVegaDoubleList::DrawColoredBar1UniColor(Canvas& Canv, const TRect& R, TColor cl_Minus,
                                              TColor cl_Plus, std::int32_t XMin, std::int32_t XMax,
                                              TColor BasisColor) const {
    DrawColumns(*this, Canv, R, cl_Minus, cl_Plus, XMin, XMax, BasisColor,
                ColumnRule{ColumnColour::Uni});
}

void TVegaDoubleList::Draw3BuySell(Canvas& Canv, const TRect& R, std::int32_t XMin,
                                   std::int32_t XMax, double YMin, double YMax,
                                   const TVegaIntegerList& L_Buy,
                                   const TVegaIntegerList& L_Sell) const {
    if (FList.empty()) return;
    Draw3(Canv, R, XMin, XMax, YMin, YMax);
    const TColor pen = Canv.Pen().Color;
    // A triangle whose tip touches the value: from below (dy > 0) or from above (dy < 0).
    const auto markers = [&](const TVegaIntegerList& at, std::int32_t last, std::int32_t dy) {
        for (std::int32_t i = XMin; i <= last; ++i) {
            if (at.IndexOf(i) < 0) continue;
            const double v = GetItem(i);
            if (v == kNullValue) continue;
            const std::int32_t x = ValueToPixel(R.Left, R.Right, XMin, XMax, i);
            const std::int32_t y = ValueToPixel(R.Bottom, R.Top, YMin, YMax, v);
            const TPoint tip{x, y};
            const std::array<TPoint, 4> triangle{tip, TPoint{x + 4, y + dy}, TPoint{x - 4, y + dy},
                                                 tip};
            Canv.Polygon(triangle);
        }
    };
    Canv.Pen().Color = RgbColor(0, 0x80, 0);
    Canv.Brush().Color = RgbColor(0, 0xFF, 0);
    markers(L_Buy, XMax, 5);
    Canv.Pen().Color = RgbColor(0xFF, 0, 0);
    Canv.Brush().Color = RgbColor(0xFF, 0x92, 0x85);
    // The span's last position gets no sell marker.
    markers(L_Sell, XMax - 1, -5);
    Canv.Pen().Color = pen;
}

void TVegaDoubleList::DrawFire(Canvas& Canv, const TRect& R, std::int32_t XMin, std::int32_t XMax,
                               TColor MaxPlusColor, TColor MaxMinusColor, TColor ZeroColor) const {
    double vmin = 0, vmax = 0;
    GetMinMaxWithNullSpan(vmin, vmax, kNullValue, XMin, XMax);
    // All values on one side of zero: the bars stand on the smallest.
    const double base = vmin * vmax > 0 ? vmin : 0;
    if (vmin == vmax) return;
    // From here on a failure ends the drawing silently, leaving what was drawn.
    try {
        constexpr std::int32_t kLevels = 27;
        if (XMax == XMin) return;  // no column step
        std::int32_t w = static_cast<std::int32_t>(std::nearbyint(
            static_cast<double>(R.Right - R.Left) / static_cast<double>(XMax - XMin)));
        if (w == 0) w = 1;
        if (w >= 3) ++w;
        const std::int32_t y0 = ValueToPixel(R.Bottom, R.Top, vmin, vmax, base);
        std::array<TColor, kLevels + 1> up{};
        std::array<TColor, kLevels + 1> down{};
        for (std::int32_t k = 0; k <= kLevels; ++k) {
            up[static_cast<std::size_t>(k)] = GradientColor(ZeroColor, MaxPlusColor, 0, kLevels, k);
            down[static_cast<std::size_t>(k)] =
                GradientColor(ZeroColor, MaxMinusColor, 0, kLevels, k);
        }
        const std::int32_t hw = std::max(1, static_cast<std::int32_t>(std::nearbyint(w * 1.5 / 2)));
        for (std::int32_t i = XMin; i <= XMax; ++i) {
            const double v = GetItem(i);
            if (v == kNullValue) continue;
            const std::int32_t xc = ValueToPixel(R.Left, R.Right, XMin, XMax, i);
            double share = 0;
            std::int32_t h = 0;
            std::int32_t start = y0;
            std::int32_t sign = 1;  // cells grow downwards
            const std::array<TColor, kLevels + 1>* table = &down;
            if (v > base && base >= 0) {
                share = (v - base) / ((vmax - base) * 1.001);
                h = ValueToPixel(0, y0 - R.Top, base, vmax, v);
                sign = -1;
                table = &up;
            } else if (vmin != base) {
                share = std::fabs(v - base) / (std::fabs(vmin - base) * 1.001);
                h = std::abs(ValueToPixel(0, R.Bottom - y0, base, vmin, v));
            } else if (vmax != base && base < 0) {
                share = std::fabs(v - vmax) / (std::fabs(vmax - base) * 1.001);
                h = std::abs(ValueToPixel(0, R.Bottom - R.Top, vmax, vmin, v));
                start = R.Top;
            } else {
                continue;
            }
            const double cells = std::trunc(share * (kLevels + 1));
            if (!(cells >= 0 && cells <= kLevels)) return;  // cannot be: the drawing ends
            const auto n = static_cast<std::int32_t>(cells);
            const std::int32_t s = h / (n + 1);
            for (std::int32_t k = 0; k <= n; ++k) {
                Canv.Brush().Color = (*table)[static_cast<std::size_t>(k)];
                const std::int32_t from = start + sign * s * k;
                const std::int32_t to = k == n ? start + sign * h : start + sign * s * (k + 1);
                Canv.FillRect(TRect{xc - hw, from, xc + hw, to});
            }
        }
    } catch (const std::exception&) {
        // What was drawn stays; nothing is reported.
    }
}

}  // namespace vela
