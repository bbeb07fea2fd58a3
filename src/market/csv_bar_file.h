#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// One bar of a file, its time in whole seconds since 30 December 1899 00:00.
struct RawBar {
    std::int64_t Sec = 0;
    double Open = 0;
    double High = 0;
    double Low = 0;
    double Close = 0;
    double Volume = 0;
};

// Reads a CSV file of bars with a header naming its columns, in any order and letter case:
// Date (YYYY-MM-DD, optionally followed by "T" or a blank and the time), Time (HH:MM or
// HH:MM:SS, fractions of a second dropped), Open, High, Low, Close, Volume; other columns
// such as "Adj Close" are ignored. Date and Close are required; missing Open, High and Low
// take the close, missing Volume is 0.
//
// Bad lines are skipped with a warning naming the file and line, among them prices beyond
// +-1e12; a bar whose high is below its low, or whose open or close lies outside them, is
// reported and kept (it is the user's data; zero and negative prices are fine). Times that
// go backwards are reported once and the bars sorted by time (stable, so every bar stays
// exactly once).
// Returns the bars oldest first; false (with a warning) when the header is unusable; true and
// no bars, without a word, for a text of nothing but blank lines.
//
// ParseCsvBars reads the whole text in one pass on this thread: the plain reading that the
// file reader below is checked against. With quickLines, lines of the usual layout are tried
// by a quicker reader first (same results).
bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings, bool quickLines = false);

// What a reading did, for those who check its work.
struct CsvReadStats {
    std::uint64_t BytesRead = 0;
};

// How a big file is shared out among threads: stretches of at least MinPieceBytes, at most
// one per core (Threads, 0: as many as the machine has). ReadChunkBytes: how much of a file a
// thread reads at a time. QuickLines: lines of the usual layout are read by a quicker reader
// first (same results; off only to compare the two). The header is looked for in the first
// 64 KiB only: a file whose lines up to it do not end there is refused without reading on.
struct CsvReadOptions {
    std::size_t MinPieceBytes = std::size_t{4} << 20;
    unsigned Threads = 0;
    std::size_t ReadChunkBytes = std::size_t{1} << 20;
    bool QuickLines = true;
    CsvReadStats* Stats = nullptr;  // filled in when given
};

// The same for the file at `path`, read in pieces on several threads, never held whole.
// False (and no bars) when the file cannot be read; a file without a usable header gives a
// warning and no bars.
bool ReadCsvBarFile(const std::string& path, std::string_view fileName, std::vector<RawBar>& out,
                    std::ostream& warnings, const CsvReadOptions& options = {});

}  // namespace vela
