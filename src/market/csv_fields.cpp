#include "market/csv_fields.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "text/calendar.h"

namespace vela::csv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Exactly `digits` decimal digits at p.
bool Digits(const char* p, const char* end, int digits, int& value) {
    if (end - p < digits) return false;
    int v = 0;
    for (int i = 0; i < digits; ++i) {
        if (!IsDigit(p[i])) return false;
        v = v * 10 + (p[i] - '0');
    }
    value = v;
    return true;
}

}  // namespace

bool ScanDate(const char* p, const char* end, std::int64_t& platformDays) {
    int y = 0, m = 0, d = 0;
    if (end - p < 10 || !Digits(p, end, 4, y) || p[4] != '-' || !Digits(p + 5, end, 2, m) ||
        p[7] != '-' || !Digits(p + 8, end, 2, d))
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m) ||
        IsLeftOutByCalendarReform(y, m, d))
        return false;
    platformDays =
        DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kPlatformEpochDays;
    return true;
}

const char* ScanClock(const char* p, const char* end, std::int32_t& secondOfDay,
                      bool& withSeconds) {
    int h = 0, mi = 0, se = 0;
    if (end - p >= 2 && IsDigit(p[0]) && p[1] == ':') {
        h = p[0] - '0';
        p += 1;
    } else if (Digits(p, end, 2, h)) {
        p += 2;
    } else {
        return nullptr;
    }
    if (p == end || *p != ':' || !Digits(p + 1, end, 2, mi)) return nullptr;
    p += 3;
    withSeconds = p != end && *p == ':';
    if (withSeconds) {
        if (!Digits(p + 1, end, 2, se)) return nullptr;
        p += 3;
    }
    if (h > 23 || mi > 59 || se > 59) return nullptr;
    secondOfDay = (h * 60 + mi) * 60 + se;
    return p;
}

const char* ScanPlainDecimal(const char* p, const char* end, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int kMaxDigits = 15;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    std::int64_t digits = 0;
    int count = 0;
    auto readDigits = [&] {
        const char* first = p;
        for (; p != end && IsDigit(*p); ++p) {
            if (++count > kMaxDigits) return false;
            digits = digits * 10 + (*p - '0');
        }
        return p != first;
    };
    if (!readDigits()) return nullptr;
    const char* fractionStart = p;
    if (p != end && *p == '.') {
        ++p;
        fractionStart = p;
        if (!readDigits()) return nullptr;
    }
    const double v = static_cast<double>(digits) / kPowers[p - fractionStart];
    value = negative ? -v : v;
    return p;
}

bool ParseTime(std::string_view s, std::int64_t& secondOfDay) {
    const char* const end = s.data() + s.size();
    std::int32_t sod = 0;
    bool withSeconds = false;
    const char* p = ScanClock(s.data(), end, sod, withSeconds);
    if (p == nullptr) return false;
    if (p != end) {
        // Only a time with seconds may go on, and only with a fraction of them.
        if (!withSeconds || *p != '.') return false;
        for (++p; p != end; ++p)
            if (!IsDigit(*p)) return false;
    }
    secondOfDay = sod;
    return true;
}

bool ParseDate(std::string_view s, std::int64_t& sec, bool& hadTime) {
    std::int64_t days = 0;
    if (!ScanDate(s.data(), s.data() + s.size(), days)) return false;
    std::int64_t tod = 0;
    hadTime = false;
    if (s.size() > 10) {
        std::string_view rest = s.substr(10);
        if (rest.front() != 'T' && rest.front() != ' ') return false;
        rest.remove_prefix(1);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        if (!ParseTime(rest, tod)) return false;
        hadTime = true;
    }
    sec = days * 86400 + tod;
    return true;
}

bool ParseNumber(std::string_view s, double& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const char* const end = s.data() + s.size();
    if (ScanPlainDecimal(s.data(), end, value) == end) return true;
    const auto [stop, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && stop == end && std::isfinite(value);
}

std::size_t SplitFields(std::string_view line, LineFields& fields) {
    const std::size_t n = SplitFields(line, fields.held_);
    fields.more_.clear();
    if (n <= LineFields::kHeld) return n;
    // The rest starts after the comma that ends the last field held.
    const std::string_view& last = fields.held_.back();
    const auto restAt = static_cast<std::size_t>(last.data() + last.size() + 1 - line.data());
    fields.more_.resize(n - LineFields::kHeld);
    const std::string_view rest = line.substr(restAt);
    std::size_t start = 0;
    std::size_t k = 0;
    for (std::size_t comma = rest.find(','); comma != std::string_view::npos;
         comma = rest.find(',', start)) {
        fields.more_[k++] = rest.substr(start, comma - start);
        start = comma + 1;
    }
    fields.more_[k] = rest.substr(start);
    return n;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y))
            return false;
    }
    return true;
}

}  // namespace vela::csv
