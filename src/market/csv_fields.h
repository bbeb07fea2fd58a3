#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vela::csv {

// The fields of a CSV line of bars. The Scan primitives read a field from `p` and return
// where they stopped, or nullptr when the text there is not such a field; the quick reader
// of the usual layout and the general reader both build on them, so a field reads the same
// whichever reader takes the line.

// Exactly ten bytes "YYYY-MM-DD" of a real date (years 1..9999, not one of the ten days of
// October 1582 that the calendar left out) to days since 30 December 1899; false for
// anything else.
bool ScanDate(const char* p, const char* end, std::int64_t& platformDays);

// [H]H:MM with an optional :SS, hours 0..23, minutes and seconds 0..59.
const char* ScanClock(const char* p, const char* end, std::int32_t& secondOfDay, bool& withSeconds);

// A plain decimal of at most 15 digits: an optional "-", digits, optionally "." and more
// digits ("1234.56"). The digits as an integer and a power of ten up to 1e15 are both exact
// doubles, so their one correctly rounded division gives the very value a full conversion
// gives. Anything else is left to the full conversion.
const char* ScanPlainDecimal(const char* p, const char* end, double& value);

// Whole fields, as the general reader sees them after trimming.
// HH:MM or HH:MM:SS with an optional fraction of a second that is dropped.
bool ParseTime(std::string_view s, std::int64_t& secondOfDay);
// YYYY-MM-DD, optionally followed by "T" or blanks and a time; seconds since 30 December 1899.
bool ParseDate(std::string_view s, std::int64_t& sec, bool& hadTime);
// A finite number in any form std::from_chars reads, with an optional leading "+".
bool ParseNumber(std::string_view s, double& value);

// Blanks, tabs, quotes and a carriage return around a field.
std::string_view Trim(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Splits a line at commas into at most N fields, without allocating; returns the number of
// fields the line has (which may be more than N). A plain walk over the bytes: the fields
// are short, and a search call per field costs more.
template <std::size_t N>
std::size_t SplitFields(std::string_view line, std::array<std::string_view, N>& fields) {
    std::size_t n = 0;
    const char* start = line.data();
    const char* const end = start + line.size();
    for (const char* p = start; p != end; ++p) {
        if (*p != ',') continue;
        if (n < N) fields[n] = std::string_view(start, static_cast<std::size_t>(p - start));
        ++n;
        start = p + 1;
    }
    if (n < N) fields[n] = std::string_view(start, static_cast<std::size_t>(end - start));
    return n + 1;
}

// The fields of a line however many it has: the usual few without allocating, those after
// the first 64 in a list.
class LineFields {
  public:
    std::string_view operator[](std::size_t i) const {
        return i < kHeld ? held_[i] : more_[i - kHeld];
    }

  private:
    friend std::size_t SplitFields(std::string_view line, LineFields& fields);
    static constexpr std::size_t kHeld = 64;
    std::array<std::string_view, kHeld> held_;
    std::vector<std::string_view> more_;
};

// Splits a line at commas into all of its fields; returns how many there are.
std::size_t SplitFields(std::string_view line, LineFields& fields);

}  // namespace vela::csv
