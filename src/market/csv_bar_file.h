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

// Bars of a file, oldest first, kept in the pieces they were read in: a big file is read by
// several threads, and joining their pieces would copy every bar once more.
class RawBarList {
  public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const RawBar& operator[](std::size_t i) const {
        for (const std::vector<RawBar>& piece : pieces_) {
            if (i < piece.size()) return piece[i];
            i -= piece.size();
        }
        return pieces_.back().back();  // out of range: callers check size() first
    }
    void Append(std::vector<RawBar> piece) {
        size_ += piece.size();
        if (!piece.empty()) pieces_.push_back(std::move(piece));
    }
    void Clear() {
        pieces_.clear();
        size_ = 0;
    }
    // The bars as one vector (the pieces are given up).
    std::vector<RawBar> TakeAll();

  private:
    std::vector<std::vector<RawBar>> pieces_;
    std::size_t size_ = 0;
};

// Reads a CSV file of bars with a header naming its columns, in any order and letter case:
// Date (YYYY-MM-DD, optionally followed by "T" or a blank and the time), Time (HH:MM or
// HH:MM:SS, fractions of a second dropped), Open, High, Low, Close, Volume; other columns
// such as "Adj Close" are ignored. Date and Close are required; missing Open, High and Low
// take the close, missing Volume is 0.
//
// Bad lines are skipped with a warning naming the file and line; times that go backwards are
// reported once and the bars sorted by time (stable, so every bar stays exactly once).
// Returns the bars oldest first; false (with a warning) when the header is unusable.
bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings);

// How a big file is shared out among threads: stretches of at least MinPieceBytes, at most
// one per core (Threads, 0: as many as the machine has).
// ReadChunkBytes: how much of a file a thread reads at a time. QuickLines: lines of the usual
// layout are read by a quicker reader first (same results; off only to compare the two).
struct CsvParseOptions {
    std::size_t MinPieceBytes = std::size_t{4} << 20;
    unsigned Threads = 0;
    std::size_t ReadChunkBytes = std::size_t{1} << 20;
    bool QuickLines = true;
};
bool ParseCsvBars(std::string_view content, std::string_view fileName, std::vector<RawBar>& out,
                  std::ostream& warnings, const CsvParseOptions& options);

// The same for the file at `path`, read in pieces instead of whole. False (and no bars) when
// the file cannot be read; a file without a usable header gives a warning and no bars.
bool ReadCsvBarFile(const std::string& path, std::string_view fileName, RawBarList& out,
                    std::ostream& warnings, const CsvParseOptions& options = {});

}  // namespace vela
