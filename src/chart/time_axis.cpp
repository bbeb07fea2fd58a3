#include "chart/time_axis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string_view>

#include "geometry/value_mapping.h"
#include "text/calendar.h"
#include "text/date_time_text.h"
#include "text/short_text.h"

namespace vela {

namespace {

constexpr std::size_t kMaxLabelLength = 20;
constexpr std::size_t kMaxCaptionLength = 32;

constexpr std::int32_t kLabelEscapement = 540;
constexpr TColor kLabelColor = 0x525152;
constexpr TColor kMajorLabelColor = 0x00008C;
constexpr TColor kLabelledTickColor = clRed;
constexpr TColor kWeekendColor = clYellow;
constexpr TColor kGridColor = clGray;
constexpr TColor kCaptionColor = clBlue;

struct DecodedTime {
    std::int32_t Year = 0;
    std::int32_t Month = 0;
    std::int32_t Day = 0;
    double Hours = 0;
};

DecodedTime Decode(double t) {
    DecodedTime d;
    DecodeCenturiesDate(t, d.Year, d.Month, d.Day, d.Hours);
    return d;
}

// Whole parts of k-ths of an hour differ (k = 6: 10 minutes, 60: minutes, 360: 10 seconds).
bool PartChanged(double h, double hPrev, double k) {
    const double a = std::trunc((h - std::trunc(h)) * k);
    const double b = std::trunc((hPrev - std::trunc(hPrev)) * k);
    return a != b;
}

std::string YearText(std::int64_t y) {
    return std::to_string(y);
}

std::string_view ShortMonth(std::int32_t m) {
    if (m < 1 || m > 12) return {};
    return kMonthNames[static_cast<std::size_t>(m)].substr(0, 3);
}

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t RoundToInt64(double v) {
    const double r = std::nearbyint(v);
    if (!(r > -9.0e18 && r < 9.0e18)) return 0;
    return static_cast<std::int64_t>(r);
}

// The label texts of one pixel, built only when a rule asks for them.
class LabelParts {
  public:
    LabelParts(const DecodedTime& d, const DisplaySettings& settings)
        : d_(d), settings_(settings) {}

    std::string Year() const { return YearText(d_.Year); }
    // Mon "." DD, or DD "." Mon with the day first.
    std::string MonthNameDay() const {
        const std::string dd = TwoDigitText(d_.Day);
        const std::string_view mon = ShortMonth(d_.Month);
        return settings_.MonthFirst ? std::string(mon) + "." + dd : dd + "." + std::string(mon);
    }
    // MM "." DD, or DD "." MM with the day first.
    std::string MonthDay() const {
        const std::string mm = TwoDigitText(d_.Month);
        const std::string dd = TwoDigitText(d_.Day);
        return settings_.MonthFirst ? mm + "." + dd : dd + "." + mm;
    }
    // Mon ".01", or "01." Mon with the day first.
    std::string MonthStart() const {
        const std::string_view mon = ShortMonth(d_.Month);
        return settings_.MonthFirst ? std::string(mon) + ".01" : "01." + std::string(mon);
    }
    std::string Hour() const { return Clock(false); }
    std::string HourMinute() const { return Clock(true); }
    // The whole minute shown by HourMinute.
    std::int32_t Minute() const {
        double clock = 0;
        std::string_view ap;
        Split(clock, ap);
        return static_cast<std::int32_t>(std::trunc((clock - std::trunc(clock)) * 60));
    }

  private:
    void Split(double& clock, std::string_view& ap) const {
        clock = d_.Hours;
        ap = {};
        if (settings_.TwelveHour) {
            bool afternoon = false;
            SplitTwelveHour(afternoon, clock, d_.Hours, settings_);
            ap = afternoon ? " PM" : " AM";
        }
    }
    std::string Clock(bool withMinute) const {
        double clock = 0;
        std::string_view ap;
        Split(clock, ap);
        std::string out = TwoDigitText(static_cast<std::int32_t>(std::trunc(clock)));
        out += ':';
        if (withMinute)
            out += TwoDigitText(
                static_cast<std::int32_t>(std::trunc((clock - std::trunc(clock)) * 60)));
        else
            out += "00";
        out += ap;
        return out;
    }

    const DecodedTime& d_;
    const DisplaySettings& settings_;
};

bool IsTenthOrTwentieth(std::int32_t d) {
    return d == 10 || d == 20;
}

bool IsOddFrom3To31(std::int32_t d) {
    return d >= 3 && d <= 31 && d % 2 != 0;
}

}  // namespace

int TimeAxisLevel(double span) {
    const double b = span * 36525;
    if (!(b < 300)) return 0;  // also not a number
    if (b < 0.000001) return 110;
    if (b < 0.000005) return 100;
    if (b < 0.00001) return 91;
    if (b < 0.0002) return 92;
    if (b <= 0.0005) return 93;
    if (b < 0.002) return 7;
    if (b < 0.0032) return 71;
    if (b < 0.012) return 72;
    if (b < 0.05) return 6;
    if (b < 0.12) return 51;
    if (b < 0.3) return 5;
    if (b < 0.8) return 4;
    if (b < 1.4) return 31;
    if (b < 2.6) return 3;
    if (b < 19) return 2;
    return 1;
}

bool IsMarkedDay(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    if (day > DaysInMonth(year, month)) return false;
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    // 1 January 1970 was a Thursday; 0 = Sunday .. 6 = Saturday.
    const std::int64_t weekday = ((days % 7) + 7 + 4) % 7;
    return weekday == 0 || weekday == 6;
}

TimeAxisTick TimeAxisLabel(int level, TimeAxisCaptionSet& set, double t, double step,
                           const DisplaySettings& settings) {
    TimeAxisTick tick;
    const DecodedTime now = Decode(t);
    const DecodedTime prev = Decode(t - step);
    if (now.Year >= 1) tick.Mark = IsMarkedDay(now.Year, now.Month, now.Day);

    const LabelParts parts(now, settings);
    const bool yearChanged = now.Year != prev.Year;
    const bool monthChanged = now.Month != prev.Month;
    const bool dayChanged = now.Day != prev.Day;
    const bool hourChanged = std::trunc(now.Hours) != std::trunc(prev.Hours);
    const double hour = std::trunc(now.Hours);
    auto partChanged = [&](double k) { return PartChanged(now.Hours, prev.Hours, k); };
    auto label = [&](std::string text, std::int32_t major = 0) {
        tick.Text = std::move(text);
        tick.Major = major;
    };
    auto addMonthDay = [&] {
        set.set(1);
        set.set(2);
    };
    // Levels 6 and finer: a year or a day boundary.
    auto dayCaption = [&] {
        if (yearChanged)
            set.set(0);
        else if (dayChanged)
            addMonthDay();
    };

    switch (level) {
        case 0: {
            // Before the era the labels sit where the year changes towards the future.
            const bool beforeEra = now.Year <= 0;
            std::int64_t y = now.Year;
            std::int64_t other = beforeEra ? Decode(t + step).Year : prev.Year;
            const bool changed = y != other;
            if (beforeEra) {
                y = y < 0 ? -y : y;
                other = other < 0 ? -other : other;
            }
            if (changed && (y % 100 == 0 || (other % 100 > 50 && y % 100 < 50)))
                label(beforeEra ? YearText((y + 99) / 100 * 100) + " BC" : YearText(y - y % 100));
            else if (changed && (y % 50 == 0 || (other % 50 > 25 && y % 50 < 25)))
                label("**");
            set.set(0);
            break;
        }
        case 1:
            if (yearChanged && now.Year % 10 == 0)
                label(parts.Year(), now.Year % 50 == 0 ? 1 : 0);
            else if (yearChanged && now.Year % 5 == 0)
                label("**");
            else if (yearChanged)
                label("*");
            set.set(0);
            break;
        case 2:
            if (yearChanged)
                label(parts.Year(), now.Year % 10 == 0 ? 1 : 0);
            else if (monthChanged)
                label("*");
            set.set(0);
            break;
        case 3:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (monthChanged)
                label(std::string(ShortMonth(now.Month)));
            set.set(yearChanged ? 0 : 1);
            break;
        case 31:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (monthChanged)
                label(std::string(ShortMonth(now.Month)));
            else if (dayChanged && IsTenthOrTwentieth(now.Day))
                label("**");
            if (yearChanged)
                set.set(0);
            else if (monthChanged)
                addMonthDay();
            break;
        case 4:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (monthChanged)
                label(parts.MonthStart());
            else if (dayChanged && IsTenthOrTwentieth(now.Day))
                label("**");
            else if (dayChanged)
                label("*");
            if (yearChanged) set.set(0);
            if (monthChanged || (dayChanged && IsTenthOrTwentieth(now.Day))) addMonthDay();
            break;
        case 5:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (monthChanged)
                label(parts.MonthStart(), 1);
            else if (dayChanged && IsTenthOrTwentieth(now.Day))
                label(parts.MonthDay());
            else if (dayChanged)
                label("*");
            if (yearChanged)
                set.set(0);
            else if (monthChanged || (dayChanged && IsTenthOrTwentieth(now.Day)))
                addMonthDay();
            break;
        case 51:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (monthChanged)
                label(std::string(ShortMonth(now.Month)));
            else if (dayChanged && (IsOddFrom3To31(now.Day) ||
                                    (now.Day == 1 && prev.Day != 29 && prev.Day != 31)))
                label(parts.MonthNameDay());
            else if (dayChanged)
                label("*");
            if (yearChanged) {
                set.set(0);
            } else if (!monthChanged) {
                if (dayChanged || IsOddFrom3To31(now.Day) || now.Day == 1) addMonthDay();
            }
            break;
        case 6:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (dayChanged)
                label(parts.MonthNameDay());
            dayCaption();
            break;
        case 72:
        case 71:
        case 7:
        case 93:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (dayChanged)
                label(parts.MonthNameDay(), 1);
            else if (level == 72 && hourChanged && (hour == 6 || hour == 12 || hour == 18))
                label(parts.Hour());
            else if (level == 71 && hourChanged && std::fmod(hour, 2) == 0)
                label(parts.Hour());
            else if (level != 72 && level != 71 && hourChanged)
                label(parts.Hour());
            else if (hourChanged)
                label("*");
            else if (level == 7 && partChanged(6))
                label("**");
            else if (level == 93 && partChanged(6))
                label(parts.HourMinute(), parts.Minute() == 0 ? 1 : 0);
            else if (level == 93 && partChanged(60))
                label("*");
            dayCaption();
            break;
        case 92:
        case 91:
        case 100:
        case 110:
            if (yearChanged)
                label(parts.Year(), 1);
            else if (dayChanged)
                label(parts.MonthDay(), 1);
            else if (hourChanged)
                label(parts.Hour());
            else if (level == 92 && partChanged(12))
                label(parts.HourMinute());
            else if (partChanged(60))
                label(level == 92 ? std::string("*") : parts.HourMinute());
            else if (level == 110 && partChanged(360))
                label("*");
            dayCaption();
            break;
        default:
            break;
    }
    if (tick.Text.size() > kMaxLabelLength) tick.Text.resize(kMaxLabelLength);
    return tick;
}

void DrawTimeAxis(Canvas& canvas, const TRect& r, const PixelTimeFunction& pixelTime,
                  bool showCaption, const std::optional<TRect>& grid, const std::string& fontName,
                  double shift, double tmax, double tmin, const DisplaySettings& settings) {
    CanvasPen& pen = canvas.Pen();
    canvas.Font().Style = FontStyles{};
    pen.Color = clBlack;
    pen.Width = 1;
    const std::int32_t dpi = canvas.PixelsPerInch();
    if (r.Right == r.Left) return;

    const double width = static_cast<double>(static_cast<std::int64_t>(r.Right) - r.Left);
    const int level = pixelTime ? TimeAxisLevel(dpi * 0.7 / 96 * 3 * (tmax - tmin) / width)
                                : TimeAxisLevel((tmax - tmin) * (dpi / 96.0 * 3) / width);

    // Every tick length and font size derives from the size unit c.
    const std::int64_t c = RoundToInt64(
        static_cast<double>((static_cast<std::int64_t>(r.Bottom) - r.Top) / 10) * 0.85);

    CanvasFont regular;
    regular.Name = "Arial";
    regular.Height = Clamp32(2 * c);
    regular.Width = Clamp32(c);
    regular.Escapement = kLabelEscapement;
    regular.Weight = 10;
    regular.Color = kLabelColor;
    CanvasFont bold = regular;
    bold.Height = Clamp32(RoundToInt64(2.0 * static_cast<double>(c) * 1.05));
    bold.Width = Clamp32(RoundToInt64(static_cast<double>(c) * 1.05));
    bold.Weight = 800;
    bold.Color = kMajorLabelColor;

    const CanvasFont entryFont = canvas.Font();
    canvas.Font() = regular;
    canvas.SetBackgroundTransparent(true);

    // Shift is in hours; the axis moves labels and caption alike.
    const double shiftCenturies = shift * (1.0 / 36525) / 24;
    std::int32_t captionYear = 0;
    std::int32_t captionMonth = 0;
    std::int32_t captionDay = 0;
    double captionHours = 0;
    DecodeCenturiesDate(tmin + shiftCenturies, captionYear, captionMonth, captionDay, captionHours);

    canvas.MoveTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Top);
    const double step = (tmax - tmin) / width;
    std::int64_t lastLabel = -1000000;
    const std::int64_t aw = canvas.TextWidth("a");

    const double cos54 = std::cos(54.0 * std::numbers::pi / 180.0);
    const double sin54 = std::sin(54.0 * std::numbers::pi / 180.0);
    const std::int64_t top = r.Top;
    const bool weekendLevel = level == 4 || level == 5 || level == 6 || level == 51;
    TimeAxisCaptionSet set;

    for (std::int64_t x = r.Right; x >= r.Left; --x) {
        const std::int32_t px = static_cast<std::int32_t>(x);
        TimeAxisTick tick;
        if (!pixelTime) {
            const double t =
                static_cast<double>(LinearMap(static_cast<long double>(tmin) + shiftCenturies,
                                              static_cast<long double>(tmax) + shiftCenturies,
                                              r.Left, r.Right, static_cast<long double>(x)));
            tick = TimeAxisLabel(level, set, t, step, settings);
        } else {
            double scratch = 0;
            const double t = pixelTime(px, scratch) + shiftCenturies;
            const double tLeft = pixelTime(Clamp32(x - 1), scratch) + shiftCenturies;
            tick = TimeAxisLabel(level, set, t, t - tLeft, settings);
            // Pixels without an instant decode to 1899; labels that would touch are dropped.
            if (tick.Text.find("1899") != std::string::npos)
                tick.Text.clear();
            else if (!tick.Text.empty() && std::abs(x - lastLabel) < aw)
                tick.Text.clear();
            if (!tick.Text.empty() && tick.Text != "*") lastLabel = x;
        }

        if (weekendLevel && !pixelTime && tick.Mark) {
            const CanvasPen saved = pen;
            pen.Color = kWeekendColor;
            pen.Mode = PenMode::Mask;
            canvas.MoveTo(px, Clamp32(top + 1));
            canvas.LineTo(px, Clamp32(top + 1 + std::max<std::int64_t>(7, c / 3)));
            pen.Color = saved.Color;
            pen.Mode = saved.Mode;
        }

        if (tick.Text == "*") {
            canvas.MoveTo(px, r.Top);
            canvas.LineTo(px, Clamp32(top + 2 * c / 3));
        } else if (tick.Text == "**") {
            canvas.MoveTo(px, r.Top);
            canvas.LineTo(px, Clamp32(top + 4 * c / 3));
        } else if (!tick.Text.empty()) {
            pen.Color = kLabelledTickColor;
            canvas.MoveTo(px, r.Top);
            canvas.LineTo(px, Clamp32(top + 12 * c / 7));
            pen.Color = clBlack;
            // The text rises at 54 degrees and ends just below its tick.
            const double w = canvas.TextWidth(tick.Text);
            const std::int64_t h2 = 2 * c / 2;
            const std::int64_t tx =
                x - h2 - RoundToInt64(w * cos54) + RoundToInt64(static_cast<double>(h2) * cos54);
            const std::int64_t ty = top + 2 * c + RoundToInt64(w * sin54);
            if (tick.Major == 1) {
                canvas.Font() = bold;
                canvas.TextOut(Clamp32(tx), Clamp32(ty), tick.Text);
                canvas.Font() = regular;
            } else {
                canvas.TextOut(Clamp32(tx), Clamp32(ty), tick.Text);
            }
        }

        if (grid && tick.Major >= 1) {
            const CanvasPen saved = pen;
            pen.Color = kGridColor;
            pen.Style = PenStyle::DashDot;
            canvas.MoveTo(px, grid->Bottom);
            canvas.LineTo(px, grid->Top);
            pen.Color = saved.Color;
            pen.Style = saved.Style;
        }
    }

    canvas.Font() = entryFont;
    canvas.Font().Name = fontName;
    canvas.Font().Height = Clamp32(3 * c);

    std::string caption;
    const std::string monthName =
        captionMonth >= 1 && captionMonth <= 12
            ? std::string(kMonthNames[static_cast<std::size_t>(captionMonth)])
            : std::string();
    if (set[0]) {
        // The labels name the year themselves.
    } else if (set[1]) {
        caption = YearText(captionYear);
    } else if (set[2]) {
        caption = monthName + " " + YearText(captionYear);
    } else {
        caption = YearText(captionDay) + " " + monthName + " " + YearText(captionYear);
    }
    if (caption.size() > kMaxCaptionLength) caption.resize(kMaxCaptionLength);

    canvas.Font().Color = kCaptionColor;
    if (showCaption && !caption.empty()) {
        const std::int64_t cw = canvas.TextWidth(caption);
        const std::int64_t ch = canvas.TextHeight(caption);
        const std::int64_t left = r.Left;
        canvas.TextOut(Clamp32(left + (static_cast<std::int64_t>(r.Right) - left - cw) / 2),
                       Clamp32(static_cast<std::int64_t>(r.Bottom) - ch), caption);
    }
    canvas.Font().Color = entryFont.Color;
}

}  // namespace vela
