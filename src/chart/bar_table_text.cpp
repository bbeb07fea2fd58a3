#include "chart/bar_table_text.h"

#include <algorithm>
#include <deque>
#include <future>
#include <system_error>
#include <thread>
#include <vector>

#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela {

void AppendBarTableLine(std::string& text, double time, double close, CenturyTimeDecoder& decoder) {
    AppendDateTimeText(text, 0, '.', time, kDisplaySettings, decoder);
    text += "  ";
    AppendRealText(text, 0, close);
}

std::string BarTableLine(double time, double close) {
    std::string text = DateTimeToText(0, '.', time);
    text += "  ";
    AppendRealText(text, 0, close);
    return text;
}

bool WriteBarTableLines(std::ostream& out, std::span<const double> times,
                        std::span<const double> closes) {
    const std::size_t lines = std::min(times.size(), closes.size());
    constexpr std::size_t kBlockLines = std::size_t{1} << 15;
    const std::size_t blocks = (lines + kBlockLines - 1) / kBlockLines;
    auto format = [&](std::size_t block, std::string& buffer) {
        const std::size_t first = block * kBlockLines;
        const std::size_t end = std::min(lines, first + kBlockLines);
        // Built in a string of the thread's own: the buffers lie side by side, and two
        // threads updating neighbouring string sizes would share a cache line.
        std::string text = std::move(buffer);
        text.clear();
        CenturyTimeDecoder decoder;
        for (std::size_t row = first; row < end; ++row) {
            const std::size_t i = lines - 1 - row;
            AppendBarTableLine(text, times[i], closes[i], decoder);
            text += '\n';
        }
        buffer = std::move(text);
    };
    auto write = [&out](const std::string& text) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return static_cast<bool>(out);
    };

    const std::size_t workers =
        std::min<std::size_t>(blocks, std::max(1U, std::thread::hardware_concurrency()));
    // Buffers are made here and used over and over: memory a worker thread allocates and
    // another frees is not reused as well, and fresh memory costs page faults.
    std::vector<std::string> buffers(workers + 1);
    for (std::string& b : buffers) b.reserve(kBlockLines * 40);
    if (workers <= 1) {
        for (std::size_t block = 0; block < blocks; ++block) {
            format(block, buffers[0]);
            if (!write(buffers[0])) return false;
        }
        return static_cast<bool>(out);
    }
    // As many blocks in the making as there are cores; the oldest is written while the others
    // are formatted. A buffer comes round again only after its block was written.
    std::deque<std::future<void>> pending;
    std::size_t written = 0;
    auto writeOldest = [&] {
        pending.front().get();
        pending.pop_front();
        return write(buffers[written++ % buffers.size()]);
    };
    for (std::size_t block = 0; block < blocks; ++block) {
        std::string& buffer = buffers[block % buffers.size()];
        try {
            pending.push_back(std::async(std::launch::async,
                                         [&format, block, &buffer] { format(block, buffer); }));
        } catch (const std::system_error&) {
            // No thread to be had: this block is made here, after the ones before it.
            while (!pending.empty())
                if (!writeOldest()) return false;
            format(block, buffer);
            ++written;
            if (!write(buffer)) return false;
            continue;
        }
        if (pending.size() >= workers && !writeOldest()) return false;
    }
    while (!pending.empty())
        if (!writeOldest()) return false;
    return static_cast<bool>(out);
}

}  // namespace vela
