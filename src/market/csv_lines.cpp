#include "market/csv_lines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "market/csv_fields.h"
#include "text/line_ends.h"

namespace vela::csv {

namespace {

constexpr std::size_t kMaxReportedLines = 20;

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
        // Lines of one day follow each other: the date is worked out once.
        if (!haveDate_ || std::memcmp(p, lastDate_.data(), lastDate_.size()) != 0) {
            if (!ScanDate(p, end, days_)) return false;
            std::memcpy(lastDate_.data(), p, lastDate_.size());
            haveDate_ = true;
        }
        std::int32_t secondOfDay = 0;
        bool withSeconds = false;
        p = ScanClock(p + 11, end, secondOfDay, withSeconds);
        if (p == nullptr || p == end || *p != ',') return false;
        bar.Sec = days_ * 86400 + secondOfDay;
        ++p;
        return Number(p, end, bar.Open, false) && Number(p, end, bar.High, false) &&
               Number(p, end, bar.Low, false) && Number(p, end, bar.Close, false) &&
               Number(p, end, bar.Volume, true);
    }

  private:
    // A plain decimal ending at a comma (or, for the last column, also at the end of the
    // line); anything else gives up.
    static bool Number(const char*& p, const char* end, double& value, bool last) {
        p = ScanPlainDecimal(p, end, value);
        if (p == nullptr) return false;
        if (p == end) return last;
        if (*p != ',') return false;
        ++p;
        return true;
    }

    std::array<char, 10> lastDate_{};
    bool haveDate_ = false;
    std::int64_t days_ = 0;
};

// Prices beyond this are no market's: a line holding one is malformed.
constexpr double kMaxPrice = 1e12;

bool PricesUsable(const RawBar& b) {
    const auto usable = [](double v) { return std::fabs(v) <= kMaxPrice; };  // NaN is not
    return usable(b.Open) && usable(b.High) && usable(b.Low) && usable(b.Close);
}

// High at or above low, open and close between them. Zero and negative prices are fine.
bool PricesAgree(const RawBar& b) {
    return b.Low <= b.High && b.Low <= b.Open && b.Open <= b.High && b.Low <= b.Close &&
           b.Close <= b.High;
}

// The general reading of one line; false when it is malformed.
bool ReadLine(std::string_view line, const ColumnMap& map, RawBar& bar) {
    LineFields fields;
    const auto& column = map.column;
    const std::size_t n = SplitFields(line, fields);
    if (n <= static_cast<std::size_t>(map.last)) return false;
    auto field = [&](int c) { return Trim(fields[static_cast<std::size_t>(column[c])]); };
    bool hadTime = false;
    if (!ParseDate(field(kDate), bar.Sec, hadTime)) return false;
    if (column[kTime] >= 0) {
        std::int64_t tod = 0;
        if (hadTime || !ParseTime(field(kTime), tod)) return false;
        bar.Sec += tod;
    }
    if (!ParseNumber(field(kClose), bar.Close)) return false;
    bar.Open = bar.High = bar.Low = bar.Close;
    return (column[kOpen] < 0 || ParseNumber(field(kOpen), bar.Open)) &&
           (column[kHigh] < 0 || ParseNumber(field(kHigh), bar.High)) &&
           (column[kLow] < 0 || ParseNumber(field(kLow), bar.Low)) &&
           (column[kVolume] < 0 || ParseNumber(field(kVolume), bar.Volume));
}

}  // namespace

HeaderScan ScanHeader(std::string_view content, bool complete, ColumnMap& map,
                      std::size_t& bodyStart, std::size_t& headerLines) {
    std::size_t pos = 0;
    if (content.size() >= 3 && std::memcmp(content.data(), "\xEF\xBB\xBF", 3) == 0) pos = 3;
    headerLines = 0;
    LineEndFinder ends(content);
    while (pos < content.size()) {
        const std::size_t end = ends.Next(pos);
        ++headerLines;
        // A line ends within the window when its line end stands there, or the file ends
        // there: the same answer however much of the file beyond the window `content` holds.
        if (end < content.size()
                ? end >= kHeaderWindowBytes
                : end > kHeaderWindowBytes || (!complete && end == kHeaderWindowBytes))
            return HeaderScan::TooLong;
        // The line's end is not read yet, or it is a CR whose LF may still follow.
        if (!complete &&
            (end == content.size() || (content[end] == '\r' && end + 1 == content.size())))
            return HeaderScan::NeedMore;
        const std::string_view line = content.substr(pos, end - pos);
        pos = AfterLineEnd(content, end);
        if (Trim(line).empty()) continue;
        LineFields fields;
        const std::size_t n = SplitFields(line, fields);
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
        bodyStart = pos;
        return HeaderScan::Found;
    }
    return complete ? HeaderScan::Empty : HeaderScan::NeedMore;
}

void AllowQuickLines(ColumnMap& map, bool allowed) {
    map.quick = allowed && map.column == std::array<int, kColumns>{kDate, kTime,  kOpen,  kHigh,
                                                                   kLow,  kClose, kVolume};
}

void WarnNoHeader(std::ostream& warnings, std::string_view fileName) {
    warnings << fileName << ": no header with Date and Close columns; file skipped\n";
}

void WarnHeaderScan(std::ostream& warnings, std::string_view fileName, HeaderScan scan,
                    std::size_t headerLines) {
    if (scan == HeaderScan::TooLong)
        warnings << fileName << ":" << headerLines << ": no header within the first "
                 << kHeaderWindowBytes / 1024 << " KiB; file skipped\n";
    else
        WarnNoHeader(warnings, fileName);
}

void ParseLines(std::string_view text, const ColumnMap& map, LinesResult& result) {
    std::vector<RawBar>& out = result.bars;
    QuickLineReader quick;
    std::size_t pos = 0;
    std::size_t lineNo = result.lines;
    LineEndFinder ends(text);
    while (pos < text.size()) {
        const std::size_t end = ends.Next(pos);
        const std::string_view line = text.substr(pos, end - pos);
        pos = AfterLineEnd(text, end);
        ++lineNo;
        RawBar bar;
        bool read = map.quick && quick.Read(line, bar);
        if (!read) {
            if (Trim(line).empty()) {
                result.skippedLines.push_back(lineNo);
                continue;
            }
            bar = RawBar{};
            read = ReadLine(line, map, bar);
        }
        if (!read || !PricesUsable(bar)) {
            if (++result.malformed <= kMaxReportedLines) result.malformedLines.push_back(lineNo);
            result.skippedLines.push_back(lineNo);
            continue;
        }
        if (!PricesAgree(bar) && ++result.inconsistent <= kMaxReportedLines)
            result.inconsistentLines.push_back(lineNo);
        if (bar.Volume < 0 && ++result.negativeVolume <= kMaxReportedLines)
            result.negativeVolumeLines.push_back(lineNo);
        if (out.empty()) result.firstBarLine = lineNo;
        if (result.backwardsAt == 0 && !out.empty() && bar.Sec < out.back().Sec)
            result.backwardsAt = lineNo;
        out.push_back(bar);
    }
    result.lines = lineNo;
}

void JoinStretches(std::vector<LinesResult>& stretches, std::size_t headerLines,
                   std::string_view fileName, std::vector<RawBar>& out, std::ostream& warnings) {
    std::size_t malformed = 0;
    std::size_t backwardsAt = 0;
    std::size_t base = headerLines;  // lines before the current stretch
    const RawBar* previous = nullptr;
    std::size_t total = 0;
    for (const LinesResult& r : stretches) {
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
        total += r.bars.size();
    }
    if (malformed > kMaxReportedLines)
        warnings << fileName << ": " << malformed - kMaxReportedLines
                 << " more malformed lines skipped\n";
    // Bars kept but suspicious: the first few with their lines, then how many more.
    const auto reportKept = [&](std::size_t LinesResult::*count,
                                std::vector<std::size_t> LinesResult::*lines, const char* what,
                                const char* more) {
        std::size_t n = 0;
        std::size_t before = headerLines;
        for (const LinesResult& r : stretches) {
            for (const std::size_t line : r.*lines)
                if (++n <= kMaxReportedLines)
                    warnings << fileName << ":" << before + line << ": " << what << "\n";
            n += r.*count - (r.*lines).size();
            before += r.lines;
        }
        if (n > kMaxReportedLines)
            warnings << fileName << ": " << n - kMaxReportedLines << " more " << more << "\n";
    };
    reportKept(&LinesResult::inconsistent, &LinesResult::inconsistentLines,
               "high, low, open and close disagree; bar kept as it is",
               "bars whose prices disagree kept");
    reportKept(&LinesResult::negativeVolume, &LinesResult::negativeVolumeLines,
               "negative volume; bar kept as it is", "bars with a negative volume kept");

    // Where each stretch's bars and lines start, for the line of a bar found by its place.
    std::vector<std::size_t> barsBefore;
    std::vector<std::size_t> linesBefore;
    barsBefore.reserve(stretches.size());
    linesBefore.reserve(stretches.size());
    base = headerLines;
    std::size_t bars = 0;
    for (const LinesResult& r : stretches) {
        barsBefore.push_back(bars);
        linesBefore.push_back(base);
        bars += r.bars.size();
        base += r.lines;
    }
    const auto lineOf = [&](std::size_t index) {
        const std::size_t k = static_cast<std::size_t>(
            std::upper_bound(barsBefore.begin(), barsBefore.end(), index) - barsBefore.begin() - 1);
        const std::vector<std::size_t>& skipped = stretches[k].skippedLines;
        // The smallest line with index + 1 bars up to it: lines that gave none do not count.
        const std::size_t wanted = index - barsBefore[k] + 1;
        std::size_t low = wanted;
        std::size_t high = wanted + skipped.size();
        while (low < high) {
            const std::size_t mid = low + (high - low) / 2;
            const auto gaps = static_cast<std::size_t>(
                std::upper_bound(skipped.begin(), skipped.end(), mid) - skipped.begin());
            if (mid - gaps >= wanted)
                high = mid;
            else
                low = mid + 1;
        }
        return linesBefore[k] + low;
    };

    // The first stretch's list is kept and the others appended to it; a reader that made
    // it big enough for the whole file saves a reallocation.
    out.clear();
    if (!stretches.empty()) out = std::move(stretches.front().bars);
    out.reserve(total);
    for (std::size_t k = 1; k < stretches.size(); ++k) {
        out.insert(out.end(), stretches[k].bars.begin(), stretches[k].bars.end());
        std::vector<RawBar>().swap(stretches[k].bars);
    }
    if (backwardsAt != 0)
        warnings << fileName << ":" << backwardsAt
                 << ": time goes backwards; bars sorted by time\n";

    // Bars by time with their places in the file; places only when the times went back, as
    // in file order a bar's place is where it stands.
    std::vector<std::size_t> order;
    if (backwardsAt != 0) {
        order.resize(out.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&out](std::size_t a, std::size_t b) { return out[a].Sec < out[b].Sec; });
    } else if (std::adjacent_find(out.begin(), out.end(), [](const RawBar& a, const RawBar& b) {
                   return a.Sec == b.Sec;
               }) == out.end()) {
        return;  // the usual file: in order, every time once
    }
    const auto placeOf = [&order](std::size_t i) { return order.empty() ? i : order[i]; };
    std::vector<RawBar> sorted;
    if (!order.empty()) sorted.reserve(out.size());
    std::size_t kept = 0;       // bars kept so far (in place, without `order`)
    std::size_t keptPlace = 0;  // the file place of the last bar kept
    std::size_t repeats = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t place = placeOf(i);
        const RawBar& bar = out[place];
        RawBar* last = order.empty() ? (kept > 0 ? &out[kept - 1] : nullptr)
                                     : (sorted.empty() ? nullptr : &sorted.back());
        if (last == nullptr || last->Sec != bar.Sec) {
            if (order.empty())
                out[kept] = bar;
            else
                sorted.push_back(bar);
            ++kept;
            keptPlace = place;
            continue;
        }
        const bool same = last->Open == bar.Open && last->High == bar.High &&
                          last->Low == bar.Low && last->Close == bar.Close &&
                          last->Volume == bar.Volume;
        if (++repeats <= kMaxReportedLines) {
            warnings << fileName << ":" << lineOf(place);
            if (same)
                warnings << ": the bar of line " << lineOf(keptPlace) << " again; counted once\n";
            else
                warnings << ": a second bar for the time of line " << lineOf(keptPlace)
                         << "; the later line kept\n";
        }
        *last = bar;
        keptPlace = place;
    }
    if (repeats > kMaxReportedLines)
        warnings << fileName << ": " << repeats - kMaxReportedLines
                 << " more bars at a time already taken; the later line kept each time\n";
    if (order.empty())
        out.resize(kept);
    else
        out.swap(sorted);
}

}  // namespace vela::csv

namespace vela {

bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings, bool quickLines) {
    out.clear();
    csv::ColumnMap map;
    std::size_t bodyStart = 0;
    std::size_t headerLines = 0;
    const csv::HeaderScan scan = csv::ScanHeader(content, true, map, bodyStart, headerLines);
    if (scan == csv::HeaderScan::Empty) return true;  // no bars, and nothing wrong
    if (scan != csv::HeaderScan::Found) {
        csv::WarnHeaderScan(warnings, fileName, scan, headerLines);
        return false;
    }
    csv::AllowQuickLines(map, quickLines);
    std::vector<csv::LinesResult> whole(1);
    csv::ParseLines(content.substr(bodyStart), map, whole.front());
    csv::JoinStretches(whole, headerLines, fileName, out, warnings);
    return true;
}

}  // namespace vela
