#include "market/csv_bar_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string_view>
#include <system_error>
#include <thread>

#include "market/csv_lines.h"

namespace vela {

namespace {

// A file read piece by piece; every thread has its own.
class FileReader {
  public:
    FileReader(const std::string& path, std::atomic<std::uint64_t>& bytesRead)
        : in_(path, std::ios::binary), bytesRead_(bytesRead) {}
    bool Ok() const { return static_cast<bool>(in_); }
    // Reads up to `n` bytes at `offset` into `to`; the number read (fewer at the end).
    std::size_t ReadAt(std::uint64_t offset, char* to, std::size_t n) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        if (!in_) return 0;
        in_.read(to, static_cast<std::streamsize>(n));
        const auto got = static_cast<std::size_t>(in_.gcount());
        bytesRead_ += got;
        return got;
    }

  private:
    std::ifstream in_;
    std::atomic<std::uint64_t>& bytesRead_;
};

// The first line start after `from`: past the first line end at or after it (a CR LF taken
// whole), or `size`. Stretches start there, so none begins inside a CR LF.
std::uint64_t NextLineStart(FileReader& file, std::uint64_t from, std::uint64_t size) {
    char window[4096];
    while (from < size) {
        const std::size_t got = file.ReadAt(from, window, sizeof window);
        if (got == 0) break;
        const std::size_t end = std::string_view(window, got).find_first_of("\r\n");
        if (end != std::string_view::npos) {
            const std::uint64_t after = from + end + 1;
            if (window[end] == '\n') return after;
            char next = 0;
            if (end + 1 < got)
                next = window[end + 1];
            else if (after < size && file.ReadAt(after, &next, 1) != 1)
                next = 0;
            return next == '\n' ? after + 1 : after;
        }
        from += got;
    }
    return size;
}

// How much of a piece holds whole lines: up to just past its last line end, except that a CR
// at the very end may still be followed by its LF in the next piece. 0: no whole line yet.
std::size_t WholeLines(std::string_view text) {
    std::size_t limit = text.size();
    if (limit > 0 && text[limit - 1] == '\r') --limit;
    if (limit == 0) return 0;
    const std::size_t last = text.find_last_of("\r\n", limit - 1);
    return last == std::string_view::npos ? 0 : last + 1;
}

// Bars a stretch of text may hold: about a line per 48 bytes.
std::size_t BarsIn(std::uint64_t bytes) {
    return static_cast<std::size_t>(bytes / 48 + 1);
}

// Parses the stretch [from, end) of the file, reading it `chunk` bytes at a time. False
// when the file shrank or could not be read any more.
bool ParseStretch(const std::string& path, std::uint64_t from, std::uint64_t end, std::size_t chunk,
                  const csv::ColumnMap& map, csv::LinesResult& r,
                  std::atomic<std::uint64_t>& bytesRead) {
    FileReader reader(path, bytesRead);
    std::string buffer;
    std::size_t held = 0;  // bytes of an unfinished line kept from the last piece
    std::uint64_t at = from;
    while (at < end) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(chunk, held), end - at));
        buffer.resize(held + want);
        const std::size_t got = reader.ReadAt(at, buffer.data() + held, want);
        if (got == 0) return false;
        at += got;
        const std::string_view text(buffer.data(), held + got);
        const std::size_t whole = at < end ? WholeLines(text) : text.size();
        if (whole == 0) {
            held += got;  // one long line: read on
            continue;
        }
        csv::ParseLines(text.substr(0, whole), map, r);
        held = text.size() - whole;
        std::memmove(buffer.data(), buffer.data() + whole, held);
    }
    if (held > 0) csv::ParseLines(std::string_view(buffer.data(), held), map, r);
    return true;
}

}  // namespace

bool ReadCsvBarFile(const std::string& path, std::string_view fileName, std::vector<RawBar>& out,
                    std::ostream& warnings, const CsvReadOptions& options) {
    out.clear();
    std::atomic<std::uint64_t> bytesRead = 0;
    // Told however the reading ends.
    struct Tell {
        const std::atomic<std::uint64_t>& bytes;
        CsvReadStats* stats;
        ~Tell() {
            if (stats != nullptr) stats->BytesRead = bytes;
        }
    } tell{bytesRead, options.Stats};
    std::error_code ec;
    // Looked at before it is opened: opening a FIFO would wait for a writer.
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) return false;
    FileReader file(path, bytesRead);
    if (!file.Ok()) return false;
    const std::size_t chunk = std::max<std::size_t>(options.ReadChunkBytes, 1);

    // The header lies within the window at the file's start (and one byte more, for the LF
    // of a CR at its end): read once, and never more of a file that has none there.
    const auto headBytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, csv::kHeaderWindowBytes + 1));
    std::string head(headBytes, '\0');
    head.resize(file.ReadAt(0, head.data(), headBytes));
    if (head.size() < headBytes) return false;  // shrank, or nothing readable
    csv::ColumnMap map;
    std::size_t bodyStart = 0;
    std::size_t headerLines = 0;
    const csv::HeaderScan scan =
        csv::ScanHeader(head, head.size() >= size, map, bodyStart, headerLines);
    if (scan == csv::HeaderScan::Empty) return true;
    if (scan != csv::HeaderScan::Found) {
        csv::WarnHeaderScan(warnings, fileName,
                            scan == csv::HeaderScan::NeedMore ? csv::HeaderScan::Unusable : scan,
                            headerLines);
        return true;
    }
    csv::AllowQuickLines(map, options.QuickLines);

    // Stretches of whole lines of about equal size, at most one per core.
    const std::uint64_t body = size - std::min<std::uint64_t>(bodyStart, size);
    const std::size_t cores =
        options.Threads > 0 ? options.Threads : std::max(1U, std::thread::hardware_concurrency());
    const std::size_t count = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        body / std::max<std::size_t>(options.MinPieceBytes, 1), 1, cores));
    std::vector<std::uint64_t> starts{bodyStart};
    for (std::size_t k = 1; k < count; ++k)
        starts.push_back(NextLineStart(
            file, std::max<std::uint64_t>(starts.back(), bodyStart + body / count * k), size));
    starts.push_back(size);

    std::vector<csv::LinesResult> results(count);
    // The first stretch's list is made big enough for the whole file: the others are then
    // appended to it without moving it.
    results[0].bars.reserve(BarsIn(body));
    std::atomic<bool> failed = false;
    auto parse = [&](std::size_t k) {
        if (k > 0) results[k].bars.reserve(BarsIn(starts[k + 1] - starts[k]));
        if (!ParseStretch(path, starts[k], starts[k + 1], chunk, map, results[k], bytesRead))
            failed = true;
    };
    {
        std::vector<std::future<void>> others;
        // Whatever happens here, the others finish before `results` goes away.
        struct Join {
            std::vector<std::future<void>>& futures;
            ~Join() {
                for (std::future<void>& f : futures)
                    if (f.valid()) f.wait();
            }
        } join{others};
        for (std::size_t k = 1; k < count; ++k) {
            try {
                others.push_back(std::async(std::launch::async, parse, k));
            } catch (const std::system_error&) {
                parse(k);  // no thread to be had: this stretch is parsed here
            }
        }
        parse(0);
        for (std::future<void>& f : others) f.get();
    }
    // The file shrank or cannot be read any more: no half a file.
    if (failed) return false;
    csv::JoinStretches(results, headerLines, fileName, out, warnings);
    return true;
}

}  // namespace vela
