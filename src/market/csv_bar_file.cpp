#include "market/csv_bar_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <system_error>
#include <thread>

#include "text/calendar.h"

namespace vela {

namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kPlatformEpochDays = -25569;
constexpr std::size_t kMaxReportedLines = 20;

enum Column { kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume, kColumns };

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

// Reads exactly `digits` decimal digits.
bool Digits(std::string_view s, std::size_t at, std::size_t digits, int& value) {
    if (at + digits > s.size()) return false;
    int v = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    value = v;
    return true;
}

int DaysInMonth(int y, int m) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

// HH:MM or HH:MM:SS with an optional fraction that is dropped.
bool ParseTime(std::string_view s, std::int64_t& secondOfDay) {
    int h = 0, mi = 0, se = 0;
    std::size_t at = 0;
    if (s.size() >= 2 && s[1] == ':') {
        if (!Digits(s, 0, 1, h)) return false;
        at = 1;
    } else {
        if (!Digits(s, 0, 2, h)) return false;
        at = 2;
    }
    if (at >= s.size() || s[at] != ':' || !Digits(s, at + 1, 2, mi)) return false;
    at += 3;
    if (at < s.size()) {
        if (s[at] != ':' || !Digits(s, at + 1, 2, se)) return false;
        at += 3;
        if (at < s.size()) {
            if (s[at] != '.') return false;
            for (std::size_t i = at + 1; i < s.size(); ++i)
                if (s[i] < '0' || s[i] > '9') return false;
        }
    }
    if (h > 23 || mi > 59 || se > 59) return false;
    secondOfDay = h * 3600 + mi * 60 + se;
    return true;
}

// YYYY-MM-DD, optionally followed by "T" or blanks and a time.
bool ParseDate(std::string_view s, std::int64_t& sec, bool& hadTime) {
    int y = 0, m = 0, d = 0;
    if (!Digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, m) || s[7] != '-' ||
        !Digits(s, 8, 2, d))
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
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
    const std::int64_t days =
        DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kPlatformEpochDays;
    sec = days * 86400 + tod;
    return true;
}

// Plain decimals of at most 15 digits ("1234.56"): the digits as an integer and a power of
// ten up to 1e15 are both exact doubles, so their one correctly rounded division gives the
// very value a full conversion gives. Anything else is left to the full conversion.
bool ParsePlainDecimal(std::string_view s, double& value) {
    static constexpr std::array<double, 16> kPowers{1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr std::size_t kMaxDigits = 15;
    std::size_t i = 0;
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) ++i;
    std::int64_t digits = 0;
    std::size_t count = 0;
    auto readDigits = [&] {
        const std::size_t before = count;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            if (++count > kMaxDigits) return std::size_t{0};
            digits = digits * 10 + (s[i] - '0');
        }
        return count - before;
    };
    if (readDigits() == 0) return false;
    std::size_t fraction = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        fraction = readDigits();
        if (fraction == 0) return false;
    }
    if (i != s.size() || count > kMaxDigits) return false;
    const double v = static_cast<double>(digits) / kPowers[fraction];
    value = negative ? -v : v;
    return true;
}

bool ParseNumber(std::string_view s, double& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    if (ParsePlainDecimal(s, value)) return true;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(value);
}

// Splits a line at commas into at most `count` fields, without allocating. A plain walk
// over the bytes: the fields are short, and a search call per field costs more.
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

}  // namespace

namespace {

struct ColumnMap {
    std::array<int, kColumns> column;
    int last = 0;
    // Lines may be tried by the quick reader first (the columns are in its order).
    bool quick = false;
};

// The usual layout, Date,Time,Open,High,Low,Close,Volume with plain fields, read in one walk
// over the line without splitting and trimming it first. It gives up at anything unusual
// (blanks, quotes, a date with its time, long or signed numbers, a bad value) and the general
// reading then decides, so a line gives the same bar or the same report either way.
class QuickLineReader {
  public:
    bool Read(std::string_view line, RawBar& bar) {
        const char* p = line.data();
        const char* const end = p + line.size();
        if (end - p < 11 || p[10] != ',') return false;
        if (!haveDate_ || std::memcmp(p, lastDate_.data(), lastDate_.size()) != 0) {
            int y = 0, m = 0, d = 0;
            if (!Digits(line, 0, 4, y) || p[4] != '-' || !Digits(line, 5, 2, m) || p[7] != '-' ||
                !Digits(line, 8, 2, d))
                return false;
            if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
            days_ = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) -
                    kPlatformEpochDays;
            std::memcpy(lastDate_.data(), p, lastDate_.size());
            haveDate_ = true;
        }
        p += 11;
        int h = 0, mi = 0, se = 0;
        if (end - p >= 2 && IsDigit(p[0]) && p[1] == ':') {
            h = p[0] - '0';
            p += 1;
        } else if (end - p >= 3 && IsDigit(p[0]) && IsDigit(p[1]) && p[2] == ':') {
            h = (p[0] - '0') * 10 + (p[1] - '0');
            p += 2;
        } else {
            return false;
        }
        if (end - p < 4 || !IsDigit(p[1]) || !IsDigit(p[2])) return false;
        mi = (p[1] - '0') * 10 + (p[2] - '0');
        p += 3;
        if (*p == ':') {
            if (end - p < 4 || !IsDigit(p[1]) || !IsDigit(p[2])) return false;
            se = (p[1] - '0') * 10 + (p[2] - '0');
            p += 3;
        }
        if (p == end || *p != ',' || h > 23 || mi > 59 || se > 59) return false;
        ++p;
        bar.Sec = days_ * 86400 + h * 3600 + mi * 60 + se;
        return Number(p, end, bar.Open, false) && Number(p, end, bar.High, false) &&
               Number(p, end, bar.Low, false) && Number(p, end, bar.Close, false) &&
               Number(p, end, bar.Volume, true);
    }

  private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    // What ParsePlainDecimal reads, ending at a comma (or, for the last column, also at the
    // end of the line); anything else gives up.
    static bool Number(const char*& p, const char* end, double& value, bool last) {
        static constexpr std::array<double, 16> kPowers{
            1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const bool negative = p != end && *p == '-';
        if (negative) ++p;
        std::int64_t digits = 0;
        int count = 0;
        const char* start = p;
        for (; p != end && IsDigit(*p); ++p) {
            if (++count > 15) return false;
            digits = digits * 10 + (*p - '0');
        }
        if (p == start) return false;
        int fraction = 0;
        if (p != end && *p == '.') {
            ++p;
            const char* first = p;
            for (; p != end && IsDigit(*p); ++p) {
                if (++count > 15) return false;
                digits = digits * 10 + (*p - '0');
            }
            fraction = static_cast<int>(p - first);
            if (fraction == 0) return false;
        }
        if (p != end) {
            if (*p != ',') return false;
            ++p;
        } else if (!last) {
            return false;
        }
        const double v = static_cast<double>(digits) / kPowers[static_cast<std::size_t>(fraction)];
        value = negative ? -v : v;
        return true;
    }

    std::array<char, 10> lastDate_{};
    bool haveDate_ = false;
    std::int64_t days_ = 0;
};

// Looks for the header, the first line that is not blank, from the start of `content`.
enum class HeaderScan { Found, Unusable, NeedMore };
HeaderScan ScanHeader(std::string_view content, bool complete, ColumnMap& map,
                      std::size_t& bodyStart, std::size_t& lineNo) {
    std::size_t pos = 0;
    if (content.size() >= 3 && std::memcmp(content.data(), "\xEF\xBB\xBF", 3) == 0) pos = 3;
    lineNo = 0;
    while (pos < content.size()) {
        const std::size_t nl = content.find('\n', pos);
        if (nl == std::string_view::npos && !complete) return HeaderScan::NeedMore;
        const std::size_t end = nl == std::string_view::npos ? content.size() : nl;
        std::string_view line = content.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trim(line).empty()) continue;
        std::array<std::string_view, 64> fields;
        const std::size_t n = std::min(SplitFields(line, fields), fields.size());
        static constexpr std::array<std::string_view, kColumns> kNames{
            "date", "time", "open", "high", "low", "close", "volume"};
        auto& column = map.column;
        column.fill(-1);
        for (std::size_t i = 0; i < n; ++i) {
            for (int c = 0; c < kColumns; ++c) {
                if (column[c] < 0 &&
                    EqualsNoCase(Trim(fields[i]), kNames[static_cast<std::size_t>(c)]))
                    column[c] = static_cast<int>(i);
            }
        }
        if (column[kDate] < 0 || column[kClose] < 0) return HeaderScan::Unusable;
        map.last = *std::max_element(column.begin(), column.end());
        bodyStart = std::min(pos, content.size());
        return HeaderScan::Found;
    }
    return complete ? HeaderScan::Unusable : HeaderScan::NeedMore;
}

// Lets the quick reader try the lines when the columns stand in its order.
void AllowQuickLines(ColumnMap& map, const CsvParseOptions& options) {
    map.quick =
        options.QuickLines &&
        map.column == std::array<int, kColumns>{kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume};
}

// One stretch of whole lines of the file after the header, parsed on its own, possibly in
// several calls. Line numbers count from the stretch's first line (1).
struct PieceResult {
    std::vector<RawBar> bars;
    std::size_t lines = 0;
    std::size_t malformed = 0;
    std::vector<std::size_t> malformedLines;  // the first kMaxReportedLines
    std::size_t backwardsAt = 0;              // 0: the times never go back
    std::size_t firstBarLine = 0;
};

// Parses the lines of `text`, which ends at the end of a line (or of the file), into result.
void ParseLines(std::string_view text, const ColumnMap& map, PieceResult& result) {
    std::array<std::string_view, 64> fields;
    const auto& column = map.column;
    std::vector<RawBar>& out = result.bars;
    QuickLineReader quick;
    std::size_t pos = 0;
    std::size_t lineNo = result.lines;
    auto take = [&](const RawBar& bar) {
        if (out.empty()) result.firstBarLine = lineNo;
        if (result.backwardsAt == 0 && !out.empty() && bar.Sec < out.back().Sec)
            result.backwardsAt = lineNo;
        out.push_back(bar);
    };
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        RawBar bar;
        if (map.quick && quick.Read(line, bar)) {
            take(bar);
            continue;
        }
        bar = RawBar{};
        if (line.empty() || Trim(line).empty()) continue;
        const std::size_t n = SplitFields(line, fields);
        bool ok = n > static_cast<std::size_t>(map.last);
        bool hadTime = false;
        if (ok)
            ok = ParseDate(Trim(fields[static_cast<std::size_t>(column[kDate])]), bar.Sec, hadTime);
        if (ok && column[kTime] >= 0) {
            std::int64_t tod = 0;
            ok = !hadTime && ParseTime(Trim(fields[static_cast<std::size_t>(column[kTime])]), tod);
            bar.Sec += tod;
        }
        auto number = [&](int c, double& v) {
            return ParseNumber(Trim(fields[static_cast<std::size_t>(column[c])]), v);
        };
        if (ok) ok = number(kClose, bar.Close);
        if (ok) {
            bar.Open = bar.High = bar.Low = bar.Close;
            if (column[kOpen] >= 0) ok = number(kOpen, bar.Open);
            if (ok && column[kHigh] >= 0) ok = number(kHigh, bar.High);
            if (ok && column[kLow] >= 0) ok = number(kLow, bar.Low);
            if (ok && column[kVolume] >= 0) ok = number(kVolume, bar.Volume);
        }
        if (!ok) {
            if (++result.malformed <= kMaxReportedLines) result.malformedLines.push_back(lineNo);
            continue;
        }
        take(bar);
    }
    result.lines = lineNo;
}

// How many stretches a body of `bytes` is cut into.
std::size_t StretchCount(std::size_t bytes, const CsvParseOptions& options) {
    const std::size_t cores =
        options.Threads > 0 ? options.Threads : std::max(1U, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(bytes / std::max<std::size_t>(options.MinPieceBytes, 1), 1,
                                   cores);
}

// Runs parse(k) for every stretch, the first on this thread, and joins the stretches' bars
// and reports in file order, so the result does not depend on where the file was cut.
template <typename Parse>
void ParseStretches(std::size_t count, std::size_t headerLines, std::string_view fileName,
                    Parse parse, RawBarList& out, std::ostream& warnings) {
    std::vector<PieceResult> results(count);
    {
        std::vector<std::future<void>> others;
        for (std::size_t k = 1; k < count; ++k) {
            try {
                others.push_back(std::async(std::launch::async, [&, k] { parse(k, results[k]); }));
            } catch (const std::system_error&) {
                parse(k, results[k]);  // no thread to be had: this stretch is parsed here
            }
        }
        // Whatever happens here, the others finish before `results` goes away.
        struct Join {
            std::vector<std::future<void>>& futures;
            ~Join() {
                for (std::future<void>& f : futures)
                    if (f.valid()) f.wait();
            }
        } join{others};
        parse(0, results[0]);
        for (std::future<void>& f : others) f.get();
    }

    std::size_t malformed = 0;
    std::size_t backwardsAt = 0;
    std::size_t base = headerLines;  // lines before the current stretch
    const RawBar* previous = nullptr;
    for (const PieceResult& r : results) {
        for (const std::size_t line : r.malformedLines)
            if (++malformed <= kMaxReportedLines)
                warnings << fileName << ":" << base + line << ": malformed line skipped\n";
        malformed += r.malformed - r.malformedLines.size();
        if (backwardsAt == 0 && previous != nullptr && !r.bars.empty() &&
            r.bars.front().Sec < previous->Sec)
            backwardsAt = base + r.firstBarLine;
        if (backwardsAt == 0 && r.backwardsAt != 0) backwardsAt = base + r.backwardsAt;
        if (!r.bars.empty()) previous = &r.bars.back();
        base += r.lines;
    }
    if (malformed > kMaxReportedLines)
        warnings << fileName << ": " << malformed - kMaxReportedLines
                 << " more malformed lines skipped\n";

    out.Clear();
    for (PieceResult& r : results) out.Append(std::move(r.bars));
    if (backwardsAt != 0) {
        warnings << fileName << ":" << backwardsAt
                 << ": time goes backwards; bars sorted by time\n";
        std::vector<RawBar> all = out.TakeAll();
        std::stable_sort(all.begin(), all.end(),
                         [](const RawBar& a, const RawBar& b) { return a.Sec < b.Sec; });
        out.Append(std::move(all));
    }
}

// Bars a stretch may hold: about a line per 48 bytes.
std::size_t ReserveFor(std::size_t stretchBytes) {
    return stretchBytes / 48 + 1;
}

void WarnNoHeader(std::ostream& warnings, std::string_view fileName) {
    warnings << fileName << ": no header with Date and Close columns; file skipped\n";
}

}  // namespace

std::vector<RawBar> RawBarList::TakeAll() {
    std::vector<RawBar> all;
    if (pieces_.size() == 1) {
        all = std::move(pieces_.front());
    } else {
        all.reserve(size_);
        for (const std::vector<RawBar>& piece : pieces_)
            all.insert(all.end(), piece.begin(), piece.end());
    }
    Clear();
    return all;
}

bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings) {
    return ParseCsvBars(content, fileName, out, warnings, CsvParseOptions{});
}

bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings, const CsvParseOptions& options) {
    out.clear();
    ColumnMap map;
    std::size_t bodyStart = 0;
    std::size_t headerLines = 0;
    if (ScanHeader(content, true, map, bodyStart, headerLines) != HeaderScan::Found) {
        WarnNoHeader(warnings, fileName);
        return false;
    }
    AllowQuickLines(map, options);
    // Stretches of whole lines of about equal size.
    const std::string_view body = content.substr(bodyStart);
    const std::size_t count = StretchCount(body.size(), options);
    std::vector<std::string_view> pieces;
    for (std::size_t k = 1, start = 0; k <= count; ++k) {
        std::size_t end = body.size();
        if (k < count) {
            const std::size_t nl = body.find('\n', std::max(start, body.size() / count * k));
            end = nl == std::string_view::npos ? body.size() : nl + 1;
        }
        pieces.push_back(body.substr(start, end - start));
        start = end;
    }
    RawBarList bars;
    ParseStretches(
        count, headerLines, fileName,
        [&](std::size_t k, PieceResult& r) {
            r.bars.reserve(ReserveFor(pieces[k].size()));
            ParseLines(pieces[k], map, r);
        },
        bars, warnings);
    out = bars.TakeAll();
    return true;
}

namespace {

// A file read piece by piece; every thread has its own.
class FileReader {
  public:
    explicit FileReader(const std::string& path) : in_(path, std::ios::binary) {}
    bool Ok() const { return static_cast<bool>(in_); }
    // Reads up to `n` bytes at `offset` into `to`; the number read (fewer at the end).
    std::size_t ReadAt(std::uint64_t offset, char* to, std::size_t n) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        if (!in_) return 0;
        in_.read(to, static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(in_.gcount());
    }

  private:
    std::ifstream in_;
};

// The offset just past the first "\n" at or after `from`, or `size`.
std::uint64_t NextLineStart(FileReader& file, std::uint64_t from, std::uint64_t size) {
    char window[4096];
    while (from < size) {
        const std::size_t got = file.ReadAt(from, window, sizeof window);
        if (got == 0) break;
        if (const void* nl = std::memchr(window, '\n', got))
            return from + static_cast<std::size_t>(static_cast<const char*>(nl) - window) + 1;
        from += got;
    }
    return size;
}

}  // namespace

bool ReadCsvBarFile(const std::string& path, std::string_view fileName, RawBarList& out,
                    std::ostream& warnings, const CsvParseOptions& options) {
    out.Clear();
    FileReader file(path);
    if (!file.Ok()) return false;
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) return false;
    const std::size_t chunk = std::max<std::size_t>(options.ReadChunkBytes, 1);

    // The header, read in growing pieces until its line is complete.
    std::string head;
    ColumnMap map;
    std::size_t bodyStart = 0;
    std::size_t headerLines = 0;
    for (;;) {
        const std::size_t had = head.size();
        head.resize(had + chunk);
        head.resize(had + file.ReadAt(had, head.data() + had, chunk));
        const bool complete = head.size() == had || head.size() >= size;
        const HeaderScan scan = ScanHeader(head, complete, map, bodyStart, headerLines);
        if (scan == HeaderScan::Found) {
            AllowQuickLines(map, options);
            break;
        }
        if (scan == HeaderScan::Unusable || complete) {
            if (head.size() == had && had == 0 && size > 0) return false;  // nothing readable
            WarnNoHeader(warnings, fileName);
            return true;
        }
    }

    // Stretches of whole lines of about equal size; each thread reads its own in pieces, so
    // the file is never held whole.
    const std::uint64_t body = size - std::min<std::uint64_t>(bodyStart, size);
    const std::size_t count = StretchCount(static_cast<std::size_t>(body), options);
    std::vector<std::uint64_t> starts{bodyStart};
    for (std::size_t k = 1; k < count; ++k)
        starts.push_back(NextLineStart(
            file, std::max<std::uint64_t>(starts.back(), bodyStart + body / count * k), size));
    starts.push_back(size);

    std::atomic<bool> failed = false;
    ParseStretches(
        count, headerLines, fileName,
        [&](std::size_t k, PieceResult& r) {
            FileReader reader(path);
            const std::uint64_t end = starts[k + 1];
            r.bars.reserve(ReserveFor(static_cast<std::size_t>(end - starts[k])));
            std::string buffer;
            std::size_t held = 0;  // bytes of an unfinished line kept from the last piece
            std::uint64_t at = starts[k];
            while (at < end) {
                const std::size_t want = static_cast<std::size_t>(
                    std::min<std::uint64_t>(std::max(chunk, held), end - at));
                buffer.resize(held + want);
                const std::size_t got = reader.ReadAt(at, buffer.data() + held, want);
                if (got == 0) {
                    // The file shrank or cannot be read any more: no half a file.
                    failed = true;
                    break;
                }
                at += got;
                const std::string_view text(buffer.data(), held + got);
                const std::size_t lastNl = at < end ? text.rfind('\n') : text.size() - 1;
                if (lastNl == std::string_view::npos) {
                    held += got;  // one long line: read on
                    continue;
                }
                ParseLines(text.substr(0, lastNl + 1), map, r);
                held = text.size() - (lastNl + 1);
                std::memmove(buffer.data(), buffer.data() + lastNl + 1, held);
            }
            if (held > 0) ParseLines(std::string_view(buffer.data(), held), map, r);
        },
        out, warnings);
    if (failed) out.Clear();
    return !failed;
}

}  // namespace vela
