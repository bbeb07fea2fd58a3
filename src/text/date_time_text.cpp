#include "text/date_time_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "text/calendar.h"
#include "text/short_text.h"

namespace vela {

void SplitTwelveHour(bool& afternoon, double& hours, double h, const DisplaySettings& settings) {
    afternoon = h >= 12;
    hours = afternoon ? h - 12 : h;
    if (settings.NoonAsTwelve && hours < 1) hours += 12;
}

namespace {

enum class TimeUnit { None, Minute, Second };

TimeUnit UnitOfLayout(int layout) {
    switch (layout) {
        case 0:
        case 5:
        case 102:
            return TimeUnit::Second;
        case 1:
        case 2:
        case 3:
        case 7:
        case 12:
            return TimeUnit::Minute;
        default:
            return TimeUnit::None;
    }
}

// The calendar date one day after y-m-d, by way of century time so that the Julian-Gregorian
// switch is honoured (4 October 1582 is followed by 15 October).
void NextDay(std::int32_t& y, std::int32_t& m, std::int32_t& d) {
    const double next = DateToCenturies(y, m, d, 36.0);  // noon of the following day
    double hours = 0;
    double hms = 0;
    DecodeCenturies(next, y, m, d, hours, hms);
}

// Builds the text in a buffer on the stack and appends it to the string in one step: a
// table of a million bars formats one date per line.
class TextBuilder {
  public:
    explicit TextBuilder(std::string& text) : text_(text) {}
    ~TextBuilder() { text_.append(buf_, static_cast<std::size_t>(end_ - buf_)); }
    TextBuilder(const TextBuilder&) = delete;
    TextBuilder& operator=(const TextBuilder&) = delete;

    TextBuilder& Char(char c) {
        if (end_ < buf_ + kSize) *end_++ = c;
        return *this;
    }
    TextBuilder& Text(std::string_view s) {
        const std::size_t n = std::min(s.size(), static_cast<std::size_t>(buf_ + kSize - end_));
        end_ = std::copy_n(s.data(), n, end_);
        return *this;
    }
    TextBuilder& Int(std::int32_t n) {
        end_ = std::to_chars(end_, buf_ + kSize, n).ptr;
        return *this;
    }
    // At least two digits with a leading zero.
    TextBuilder& Two(std::int32_t n) {
        if (n >= 0 && n < 100 && end_ + 2 <= buf_ + kSize) {
            *end_++ = static_cast<char>('0' + n / 10);
            *end_++ = static_cast<char>('0' + n % 10);
            return *this;
        }
        return Int(n);
    }

  private:
    // The longest layout (12, 12-hour clock, 11-digit year) needs under 40 characters.
    static constexpr std::size_t kSize = 96;
    std::string& text_;
    char buf_[kSize];
    char* end_ = buf_;
};

// Round to nearest, ties to even, as an integer; exact while |v| < 2^53 (always, for the
// hours of a day), without a library call.
std::int64_t RoundToInt64(long double v) {
    const long double r = std::rint(v);
    if (std::fabs(r) < 9007199254740992.0L)
        return static_cast<std::int64_t>(static_cast<double>(r));
    return std::llrint(v);
}

// The text of instant t, decoded into year, month, day and hours.
void AppendDecodedText(std::string& text, int layout, char separator, double t, std::int32_t year,
                       std::int32_t month, std::int32_t day, double hours,
                       const DisplaySettings& settings) {
    // Round the time of day to the unit shown; a carry past midnight moves the date on.
    const TimeUnit unit = UnitOfLayout(layout);
    std::int64_t minute = 0;
    std::int64_t second = 0;
    double clockHours = 0;
    if (unit != TimeUnit::None) {
        const long double perHour = unit == TimeUnit::Second ? 3600.0L : 60.0L;
        std::int64_t units = RoundToInt64(static_cast<long double>(hours) * perHour);
        const auto perDay = static_cast<std::int64_t>(perHour) * 24;
        if (units >= perDay) {
            units -= perDay;
            if (t != kNullInstant) NextDay(year, month, day);
        }
        if (unit == TimeUnit::Second) {
            second = units % 60;
            minute = units / 60 % 60;
            clockHours = static_cast<double>(units) / 3600.0;
        } else {
            minute = units % 60;
            clockHours = static_cast<double>(units) / 60.0;
        }
    }
    std::string_view ap;
    if (layout != 102 && settings.TwelveHour) {
        bool afternoon = false;
        double split = 0;
        SplitTwelveHour(afternoon, split, clockHours, settings);
        clockHours = split;
        ap = afternoon ? " PM" : " AM";
    }
    const int hh = static_cast<int>(clockHours);
    const bool mf = settings.MonthFirst;
    const std::string_view mon = month >= 1 && month <= 12
                                     ? kMonthNames[static_cast<std::size_t>(month)]
                                     : std::string_view();

    // Built piece by piece into the caller's buffer: the table page formats one line per bar.
    TextBuilder out(text);
    auto monthDay = [&](char sep) { out.Two(mf ? month : day).Char(sep).Two(mf ? day : month); };
    auto hourMinute = [&] { out.Two(hh).Char(':').Two(static_cast<std::int32_t>(minute)); };
    auto hourMinuteSecond = [&] {
        hourMinute();
        out.Char(':').Two(static_cast<std::int32_t>(second));
    };
    switch (layout) {
        case 0:
            monthDay(separator);
            out.Char(separator).Int(year).Text("  ");
            hourMinuteSecond();
            out.Text(ap);
            break;
        case 1:
            monthDay(separator);
            out.Char(separator).Int(year).Text("  ");
            hourMinute();
            out.Text(ap);
            break;
        case 2:
            hourMinute();
            out.Text(ap);
            break;
        case 3:
            monthDay(separator);
            out.Text("  ");
            hourMinute();
            out.Text(ap);
            break;
        case 4:
            monthDay(separator);
            out.Char(separator).Int(year);
            break;
        case 5:
            hourMinuteSecond();
            out.Text(ap);
            break;
        case 6:
        case 7:
            out.Text(PadLeft(IntToShortText(year), '0', 4));
            out.Two(mf ? month : day).Two(mf ? day : month);
            if (layout == 7) {
                out.Text("  ");
                hourMinute();
                out.Text(ap);
            }
            break;
        case 10:
            if (mf)
                out.Text(mon).Text("  ").Int(day).Char(' ').Int(year);
            else
                out.Int(day).Char(' ').Text(mon).Char(' ').Int(year);
            break;
        case 11:
            out.Text(mon).Char(' ').Int(year);
            break;
        case 12:
            if (mf)
                out.Text(mon).Char(' ').Two(day).Text(", ").Int(year).Char(' ');
            else
                out.Two(day).Char(' ').Text(mon).Char(' ').Int(year).Char(' ');
            hourMinute();
            out.Text(ap);
            break;
        case 20:
            monthDay('.');
            break;
        case 21:
            if (mf)
                out.Text(mon).Char('.').Two(day);
            else
                out.Two(day).Char('.').Text(mon);
            break;
        case 101:
            out.Two(month).Char('/').Two(day).Char('/').Int(year);
            break;
        case 102:
            out.Two(month).Char('/').Two(day).Char('/').Int(year).Text("   ");
            hourMinuteSecond();
            break;
        default:
            break;
    }
}

}  // namespace

std::string DateTimeToText(int layout, char separator, double t, const DisplaySettings& settings) {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    double hours = 0;
    DecodeCenturiesDate(t, year, month, day, hours);
    std::string text;
    text.reserve(32);
    AppendDecodedText(text, layout, separator, t, year, month, day, hours, settings);
    return text;
}

void AppendDateTimeText(std::string& text, int layout, char separator, double t,
                        const DisplaySettings& settings, CenturyTimeDecoder& decoder) {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    double hours = 0;
    decoder.Decode(t, year, month, day, hours);
    AppendDecodedText(text, layout, separator, t, year, month, day, hours, settings);
}

}  // namespace vela
