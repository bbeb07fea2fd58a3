#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <string_view>
#include <vector>

#include "market/csv_bar_file.h"

namespace vela::csv {

enum Column { kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume, kColumns };

// Where each column stands in a line (-1: absent).
struct ColumnMap {
    std::array<int, kColumns> column{};
    int last = 0;
    // Lines may be tried by the quick reader of the usual layout first.
    bool quick = false;
};

// Lines end at LF, CR LF or a lone CR, in every reading below.

// How much of the start of a file the header search looks at. A header is a line of a few
// column names; a file whose lines up to the header do not end within this is no file of
// bars, and is refused without reading on.
constexpr std::size_t kHeaderWindowBytes = std::size_t{64} << 10;

// Looks for the header, the first line that is not blank, from the start of `content`.
// bodyStart is where the line after it starts, headerLines how many lines it took (with
// TooLong: the number of the line that runs past the window). Empty: nothing but blank
// lines. NeedMore only while `content` is shorter than the window (plus one byte, for the
// LF of a CR at its end).
enum class HeaderScan { Found, Unusable, Empty, TooLong, NeedMore };
HeaderScan ScanHeader(std::string_view content, bool complete, ColumnMap& map,
                      std::size_t& bodyStart, std::size_t& headerLines);
// Lets the quick reader try the lines when the columns stand in its order.
void AllowQuickLines(ColumnMap& map, bool allowed);
void WarnNoHeader(std::ostream& warnings, std::string_view fileName);
// The report of a scan that found no header: Unusable or TooLong.
void WarnHeaderScan(std::ostream& warnings, std::string_view fileName, HeaderScan scan,
                    std::size_t headerLines);

// One stretch of whole lines after the header, parsed on its own, possibly in several
// calls. Line numbers count from the stretch's first line (1).
struct LinesResult {
    std::vector<RawBar> bars;
    std::size_t lines = 0;
    std::size_t malformed = 0;
    std::vector<std::size_t> malformedLines;  // the first few
    // Bars kept although their prices disagree (high below low, open or close outside).
    std::size_t inconsistent = 0;
    std::vector<std::size_t> inconsistentLines;  // the first few
    // Bars kept although their volume is negative.
    std::size_t negativeVolume = 0;
    std::vector<std::size_t> negativeVolumeLines;  // the first few
    // The lines that gave no bar (blank or malformed), in order: with them every bar's line is
    // known without keeping one per bar.
    std::vector<std::size_t> skippedLines;
    std::size_t backwardsAt = 0;  // 0: the times never go back
    std::size_t firstBarLine = 0;
};

// Parses the lines of `text`, which ends at the end of a line (or of the file), into result.
void ParseLines(std::string_view text, const ColumnMap& map, LinesResult& result);

// Joins the stretches' bars in file order into `out`, reports the malformed lines and the
// first time that goes back (numbered within the file), and sorts the bars by time when it
// does. Of bars at one time the later line is kept and each repeat reported: an exact repeat
// counts once, another bar replaces the earlier. The result does not depend on where the
// file was cut.
void JoinStretches(std::vector<LinesResult>& stretches, std::size_t headerLines,
                   std::string_view fileName, std::vector<RawBar>& out, std::ostream& warnings);

}  // namespace vela::csv
