#include "platform/atomic_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vela {

namespace fs = std::filesystem;

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    return WriteFileAtomicallyStreamed(path, [content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return true;
    });
}

bool WriteFileAtomicallyStreamed(const std::string& path,
                                 const std::function<bool(std::ostream&)>& write) {
    static std::atomic<unsigned> counter{0};
    const fs::path target(path);
    if (target.filename().empty()) return false;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path temp =
        target.parent_path() / (target.filename().string() + ".tmp-" + std::to_string(stamp) + "-" +
                                std::to_string(counter.fetch_add(1)));
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        bool written = false;
        try {
            written = write(out);
        } catch (...) {
            out.close();
            fs::remove(temp, ec);
            throw;
        }
        out.flush();
        if (!written || !out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    // Keep the permissions the user gave the old file.
    if (const auto st = fs::status(target, ec); !ec && fs::exists(st))
        fs::permissions(temp, st.permissions(), fs::perm_options::replace, ec);
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    content.assign(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), size);
    return static_cast<bool>(in) || in.eof();
}

}  // namespace vela
