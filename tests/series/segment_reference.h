#pragma once

// The segment members of the series drawing written out plainly from their definitions:
// every segment drawn on its own with ValueToPixel, the pen colour set before each one. The
// members must draw what these draw (segment by segment with a styled pen, the same pixels
// with a plain one).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/canvas.h"
#include "series/double_list.h"
#include "series/integer_list.h"

namespace vela::test {

struct SegmentMember {
    std::string Name;
    // Draws with the member.
    std::function<void(TVegaDoubleList&, Canvas&, const TRect&, const TVegaDoubleList&)> Draw;
    // Draws the same from the definition.
    std::function<void(const std::vector<double>&, Canvas&, const TRect&,
                       const std::vector<double>&)>
        Reference;
};

inline double Nul() {
    return kNullValue;
}

inline void WholeRange(const std::vector<double>& v, double& lo, double& hi) {
    lo = 1e300;
    hi = -1e300;
    for (double x : v)
        if (x != kNullValue) lo = std::min(lo, x), hi = std::max(hi, x);
}

inline void SpanRange(const std::vector<double>& v, std::int32_t a, std::int32_t b, double& lo,
                      double& hi) {
    lo = 1e300;
    hi = -1e300;
    for (std::int32_t i = std::max(a, 0); i <= std::min<std::int32_t>(b, v.size() - 1); ++i)
        if (v[i] != kNullValue) lo = std::min(lo, v[i]), hi = std::max(hi, v[i]);
}

inline TColor SignRule(double a, double b, TColor minus, TColor plus) {
    if (a > 0 && b > 0) return plus;
    if (a < 0 && b < 0) return minus;
    if (std::fabs(a) > std::fabs(b)) return a >= 0 ? plus : minus;
    return b >= 0 ? plus : minus;
}

// Segments i = first .. last - 1 joining items i and i + 1 when both are non-null and
// keep(i) agrees; colour(a, b) < 0 keeps the pen's colour.
inline void ReferenceSegments(const std::vector<double>& v, Canvas& c, std::int32_t first,
                              std::int32_t last, const std::function<std::int32_t(int)>& x,
                              const TRect& r, double lo, double hi,
                              const std::function<bool(int)>& keep,
                              const std::function<TColor(double, double)>& colour = nullptr) {
    for (std::int32_t i = first; i < last; ++i) {
        const double a = v[i], b = v[i + 1];
        if (a == kNullValue || b == kNullValue || !keep(i)) continue;
        if (colour) c.Pen().Color = colour(a, b);
        c.MoveTo(x(i), ValueToPixel(r.Bottom, r.Top, lo, hi, a));
        c.LineTo(x(i + 1), ValueToPixel(r.Bottom, r.Top, lo, hi, b));
    }
}

// A line through the points of first .. last that drawable accepts.
inline void ReferencePolyline(const std::vector<double>& v, Canvas& c, std::int32_t first,
                              std::int32_t last, const TRect& r, double xlo, double xhi, double lo,
                              double hi, const std::function<bool(int)>& drawable) {
    bool started = false;
    for (std::int32_t i = first; i <= last; ++i) {
        if (!drawable(i)) continue;
        const std::int32_t x = ValueToPixel(r.Left, r.Right, xlo, xhi, i);
        const std::int32_t y = ValueToPixel(r.Bottom, r.Top, lo, hi, v[i]);
        if (started)
            c.LineTo(x, y);
        else
            c.MoveTo(x, y);
        started = true;
    }
}

// Every segment member, on the span 1 .. n - 2 where it takes one, the range 0 .. 10 where it
// is given, the time window 2 .. 8 and a largest time step of 1.5 where it has them.
inline std::vector<SegmentMember> SegmentMembers() {
    using V = const std::vector<double>&;
    constexpr TColor minus = 0x0000FF, plus = 0x00FF00;
    constexpr double given0 = 0, given1 = 10, t0 = 2, t1 = 8, step = 1.5;
    const auto pos = [](const TRect& r, double a, double b) {
        return [=](int i) { return ValueToPixel(r.Left, r.Right, a, b, i); };
    };
    const auto all = [](int) { return true; };
    const auto last = [](V v) { return static_cast<std::int32_t>(v.size()) - 1; };
    std::vector<SegmentMember> m;
    m.push_back({"Draw", [](auto& l, Canvas& c, const TRect& r, auto&) { l.Draw(c, r); },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     double lo, hi;
                     WholeRange(v, lo, hi);
                     if (hi > lo)
                         ReferenceSegments(v, c, 0, last(v), pos(r, 0, last(v)), r, lo, hi, all);
                 }});
    m.push_back(
        {"Draw1", [](auto& l, Canvas& c, const TRect& r, auto&) { l.Draw1(c, r, given0, given1); },
         [=](V v, Canvas& c, const TRect& r, V) {
             ReferenceSegments(v, c, 0, last(v), pos(r, 0, last(v)), r, given0, given1, all);
         }});
    m.push_back(
        {"Draw2",
         [=](auto& l, Canvas& c, const TRect& r, auto&) { l.Draw2(c, r, 1, l.Count() - 2); },
         [=](V v, Canvas& c, const TRect& r, V) {
             double lo, hi;
             SpanRange(v, 1, last(v) - 1, lo, hi);
             if (hi > lo)
                 ReferenceSegments(v, c, 1, last(v) - 1, pos(r, 1, last(v) - 1), r, lo, hi, all);
         }});
    m.push_back({"Draw3",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.Draw3(c, r, 1, l.Count() - 2, given0, given1);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     ReferenceSegments(v, c, 1, last(v) - 1, pos(r, 1, last(v) - 1), r, given0,
                                       given1, all);
                 }});
    m.push_back({"Draw1Rescaled",
                 [=](auto& l, Canvas& c, const TRect& r, auto& t) {
                     l.Draw1Rescaled(c, r, given0, given1, t0, t1, t);
                 },
                 [=](V v, Canvas& c, const TRect& r, V t) {
                     const auto n = static_cast<std::int32_t>(std::min(v.size(), t.size()));
                     ReferenceSegments(
                         v, c, 0, n - 1,
                         [&](int i) { return ValueToPixel(r.Left, r.Right, t0, t1, t[i]); }, r,
                         given0, given1, [&](int i) { return (t0 - t[i]) * (t1 - t[i]) <= 0; });
                 }});
    m.push_back({"Draw2Rescaled",
                 [=](auto& l, Canvas& c, const TRect& r, auto& t) {
                     l.Draw2Rescaled(c, r, 1, l.Count() - 2, t0, t1, t);
                 },
                 [=](V v, Canvas& c, const TRect& r, V t) {
                     double lo, hi;
                     SpanRange(v, 1, last(v) - 1, lo, hi);
                     if (hi > lo)
                         ReferenceSegments(
                             v, c, 1, last(v) - 1,
                             [&](int i) { return ValueToPixel(r.Left, r.Right, t0, t1, t[i]); }, r,
                             lo, hi, all);
                 }});
    const auto timeWindow = [=](V v, Canvas& c, const TRect& r, V t, double lo, double hi) {
        const auto n = static_cast<std::int32_t>(std::min(v.size(), t.size()));
        ReferenceSegments(
            v, c, 0, n - 1, [&](int i) { return ValueToPixel(r.Left, r.Right, t0, t1, t[i]); }, r,
            lo, hi,
            [&](int i) {
                const bool out0 = (t0 - t[i]) * (t1 - t[i]) >= 0;
                const bool out1 = (t0 - t[i + 1]) * (t1 - t[i + 1]) >= 0;
                return !(out0 && out1) && std::fabs(t[i + 1] - t[i]) < step;
            });
    };
    m.push_back(
        {"Draw2Rescaled10",
         [=](auto& l, Canvas& c, const TRect& r, auto& t) {
             l.Draw2Rescaled10(c, r, t0, t1, given0, given1, t, step);
         },
         [=](V v, Canvas& c, const TRect& r, V t) { timeWindow(v, c, r, t, given0, given1); }});
    m.push_back({"Draw2Rescaled1",
                 [=](auto& l, Canvas& c, const TRect& r, auto& t) {
                     l.Draw2Rescaled1(c, r, t0, t1, t, step);
                 },
                 [=](V v, Canvas& c, const TRect& r, V t) {
                     double lo = 1e22, hi = -1e22;
                     for (std::size_t i = 0; i < std::min(v.size(), t.size()); ++i)
                         if (v[i] != kNullValue && (t0 - t[i]) * (t1 - t[i]) < 0)
                             lo = std::min(lo, v[i]), hi = std::max(hi, v[i]);
                     if (hi > lo) timeWindow(v, c, r, t, lo, hi);
                 }});
    m.push_back({"DrawDifferentColor",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.DrawDifferentColor(c, r, minus, plus);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     double lo, hi;
                     WholeRange(v, lo, hi);
                     if (hi > lo)
                         ReferenceSegments(
                             v, c, 0, last(v), pos(r, 0, last(v)), r, lo, hi, all,
                             [=](double a, double b) { return SignRule(a, b, minus, plus); });
                 }});
    m.push_back({"DrawDifferentColor10",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.DrawDifferentColor10(c, r, minus, plus);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     double lo, hi;
                     WholeRange(v, lo, hi);
                     if (hi > lo)
                         ReferenceSegments(v, c, 0, last(v), pos(r, 0, last(v)), r, lo, hi, all,
                                           [=](double a, double b) {
                                               return GradientColor(minus, plus, lo, hi,
                                                                    (a + b) / 2);
                                           });
                 }});
    m.push_back({"DrawDifferentColor1",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.DrawDifferentColor1(c, r, minus, plus, given0, given1, 1, l.Count() - 2);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     ReferenceSegments(
                         v, c, 1, last(v) - 1, pos(r, 1, last(v) - 1), r, given0, given1, all,
                         [=](double a, double b) { return SignRule(a, b, minus, plus); });
                 }});
    m.push_back({"DrawColored1",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.DrawColored1(c, r, minus, plus, given0, given1, 1, l.Count() - 2);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     ReferenceSegments(v, c, 1, last(v) - 1, pos(r, 1, last(v) - 1), r, given0,
                                       given1, all, [=](double a, double b) {
                                           return GradientColor(minus, plus, given0, given1,
                                                                (a + b) / 2);
                                       });
                 }});
    m.push_back({"DrawNoGap", [](auto& l, Canvas& c, const TRect& r, auto&) { l.DrawNoGap(c, r); },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     double lo, hi;
                     WholeRange(v, lo, hi);
                     if (hi > lo)
                         ReferencePolyline(v, c, 0, last(v), r, 0, last(v), lo, hi,
                                           [&](int i) { return v[i] != kNullValue; });
                 }});
    m.push_back(
        {"Draw2NoGap",
         [=](auto& l, Canvas& c, const TRect& r, auto&) { l.Draw2NoGap(c, r, 1, l.Count() - 2); },
         [=](V v, Canvas& c, const TRect& r, V) {
             double lo, hi;
             SpanRange(v, 1, last(v) - 1, lo, hi);
             if (hi > lo)
                 ReferencePolyline(v, c, 1, last(v) - 1, r, 1, last(v) - 1, lo, hi,
                                   [&](int i) { return v[i] != kNullValue; });
         }});
    m.push_back({"Draw2SkipNULL",
                 [=](auto& l, Canvas& c, const TRect& r, auto&) {
                     l.Draw2SkipNULL(c, r, 1, l.Count() - 2, 0.0);
                 },
                 [=](V v, Canvas& c, const TRect& r, V) {
                     double lo, hi;
                     SpanRange(v, 1, last(v) - 1, lo, hi);
                     if (hi > lo)
                         ReferencePolyline(
                             v, c, 1, last(v) - 1, r, 1, last(v) - 1, lo, hi,
                             [&](int i) { return v[i] != kNullValue && v[i] != 0.0; });
                 }});
    return m;
}

}  // namespace vela::test
