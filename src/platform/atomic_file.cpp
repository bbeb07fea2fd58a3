#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <streambuf>
#include <utility>
#include <vector>

namespace vela {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryPrefix = ".vela-tmp-";
constexpr std::size_t kHashDigits = 4;
constexpr std::size_t kRandomChars = 4;
constexpr std::string_view kRandomAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
// How often a name already taken is drawn again before the write gives up.
constexpr int kNameAttempts = 64;

std::error_code LastError() {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

// FNV-1a folded to 16 bits, as four hex digits. A clash only means that a write also clears
// another target's stale temporaries, which are garbage all the same.
std::string NameHash(std::string_view name) {
    std::uint32_t h = 2166136261u;
    for (const char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    h = (h >> 16) ^ (h & 0xFFFFu);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out(kHashDigits, '0');
    for (std::size_t i = kHashDigits; i-- > 0; h >>= 4) out[i] = kHex[h & 0xFu];
    return out;
}

bool AllOf(std::string_view s, bool (*test)(char)) {
    return !s.empty() && std::all_of(s.begin(), s.end(), test);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsRandomChar(char c) {
    return kRandomAlphabet.find(c) != std::string_view::npos;
}

// Earlier versions named a temporary after its target: name ".tmp-" stamp "-" counter.
bool IsOldTemporaryOf(std::string_view fileName, std::string_view targetName) {
    if (fileName.size() <= targetName.size() || fileName.substr(0, targetName.size()) != targetName)
        return false;
    std::string_view rest = fileName.substr(targetName.size());
    if (rest.substr(0, 5) != ".tmp-") return false;
    rest.remove_prefix(5);
    const std::size_t dash = rest.find('-');
    return dash != std::string_view::npos && AllOf(rest.substr(0, dash), IsDigit) &&
           AllOf(rest.substr(dash + 1), IsDigit);
}

std::uint64_t Seed() {
    auto seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
        // No entropy source: the clock alone still differs between tries.
    }
    return seed;
}

std::string RandomPart(std::mt19937_64& random) {
    std::string out(kRandomChars, '0');
    for (char& c : out) c = kRandomAlphabet[random() % kRandomAlphabet.size()];
    return out;
}

// Removes the target's temporaries that a killed save left behind. Their age is measured
// against the fresh temporary `own`, so the folder's clock (perhaps a server's) judges both.
void RemoveStaleTemporaries(const fs::path& folder, std::string_view targetName,
                            const fs::path& own) {
    std::error_code ec;
    const fs::file_time_type now = fs::last_write_time(own, ec);
    if (ec) return;
    const std::string ownName = own.filename().string();
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == ownName || !IsTemporaryOf(name, targetName)) continue;
        std::error_code e;
        if (it->symlink_status(e).type() != fs::file_type::regular) continue;
        const fs::file_time_type when = fs::last_write_time(it->path(), e);
        if (e || now - when < kStaleTemporaryAge) continue;
        fs::remove(it->path(), e);
    }
}

// An output stream's buffer that hands its bytes to the file operations.
class OpsStreamBuf : public std::streambuf {
  public:
    OpsStreamBuf(FileWriteOps& ops, std::FILE* file)
        : ops_(ops), file_(file), buffer_(std::size_t{1} << 16) {
        Reset();
    }
    const std::error_code& Error() const { return ec_; }

  protected:
    int_type overflow(int_type ch) override {
        if (!Drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const auto room = epptr() - pptr();
        if (n > room) {
            if (!Drain()) return 0;
            // Big pieces go out directly rather than through the buffer.
            if (n >= static_cast<std::streamsize>(buffer_.size()))
                return Put(s, static_cast<std::size_t>(n)) ? n : 0;
        }
        std::memcpy(pptr(), s, static_cast<std::size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    int sync() override { return Drain() ? 0 : -1; }

  private:
    void Reset() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    bool Drain() {
        const auto n = static_cast<std::size_t>(pptr() - pbase());
        Reset();
        return n == 0 || Put(buffer_.data(), n);
    }
    bool Put(const char* data, std::size_t n) {
        if (ec_) return false;
        return ops_.Write(file_, data, n, ec_);
    }

    FileWriteOps& ops_;
    std::FILE* file_;
    std::vector<char> buffer_;
    std::error_code ec_;
};

// The temporary's file, closed when the write leaves early.
class OpenTemporary {
  public:
    OpenTemporary(FileWriteOps& ops, std::FILE* file) : ops_(ops), file_(file) {}
    OpenTemporary(const OpenTemporary&) = delete;
    OpenTemporary& operator=(const OpenTemporary&) = delete;
    ~OpenTemporary() {
        std::error_code ignored;
        if (file_ != nullptr) ops_.Close(file_, ignored);
    }
    std::FILE* Get() const { return file_; }
    bool Close(std::error_code& ec) { return ops_.Close(std::exchange(file_, nullptr), ec); }

  private:
    FileWriteOps& ops_;
    std::FILE* file_;
};

// Removes the temporary unless it became the target.
struct TemporaryGuard {
    fs::path Path;
    bool Kept = false;
    ~TemporaryGuard() {
        std::error_code ignored;
        if (!Kept && !Path.empty()) fs::remove(Path, ignored);
    }
};

bool Fail(std::string* error, std::string text, const std::error_code& ec) {
    if (error != nullptr) {
        if (ec) text += ": " + ec.message();
        *error = std::move(text);
    }
    return false;
}

}  // namespace

std::FILE* FileWriteOps::CreateNew(const std::string& path, std::error_code& ec) {
    errno = 0;
    // "x": the file must be new, so nothing that exists is ever opened and overwritten.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        ec = LastError();
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);  // the writer buffers
    ec.clear();
    return file;
}

bool FileWriteOps::Write(std::FILE* file, const char* data, std::size_t size, std::error_code& ec) {
    errno = 0;
    if (std::fwrite(data, 1, size, file) == size) return true;
    ec = LastError();
    return false;
}

bool FileWriteOps::Close(std::FILE* file, std::error_code& ec) {
    errno = 0;
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) {
        ec = LastError();
        return false;
    }
    return true;
}

bool FileWriteOps::Rename(const std::string& from, const std::string& to, std::error_code& ec) {
    fs::rename(from, to, ec);
    return !ec;
}

FileWriteOps& DiskFileOps() {
    // Holds no state: one object serves every thread.
    static FileWriteOps disk;
    return disk;
}

std::string TemporaryName(std::string_view targetName, std::string_view randomPart) {
    std::string name(kTemporaryPrefix);
    name += NameHash(targetName);
    name += '-';
    name += randomPart;
    return name;
}

bool IsTemporaryOf(std::string_view fileName, std::string_view targetName) {
    const std::size_t hashAt = kTemporaryPrefix.size();
    const std::size_t randomAt = hashAt + kHashDigits + 1;
    if (fileName.size() == randomAt + kRandomChars &&
        fileName.substr(0, hashAt) == kTemporaryPrefix &&
        fileName.substr(hashAt, kHashDigits) == NameHash(targetName) &&
        fileName[randomAt - 1] == '-' && AllOf(fileName.substr(randomAt), IsRandomChar))
        return true;
    return IsOldTemporaryOf(fileName, targetName);
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error,
                         FileWriteOps& ops) {
    return WriteFileAtomicallyStreamed(
        path,
        [content](std::ostream& out) {
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
            return true;
        },
        error, ops);
}

bool WriteFileAtomicallyStreamed(const std::string& path,
                                 const std::function<bool(std::ostream&)>& write,
                                 std::string* error, FileWriteOps& ops) {
    const fs::path target(path);
    const std::string targetName = target.filename().string();
    if (targetName.empty() || targetName == "." || targetName == "..")
        return Fail(error, "cannot write \"" + path + "\": not a file name", {});
    const fs::path folder = target.parent_path();

    // A new file of a free name; never one that exists, which may be another save's.
    std::mt19937_64 random(Seed());
    TemporaryGuard temporary;
    std::FILE* created = nullptr;
    std::error_code ec;
    for (int attempt = 0; attempt < kNameAttempts && created == nullptr; ++attempt) {
        temporary.Path = folder / TemporaryName(targetName, RandomPart(random));
        created = ops.CreateNew(temporary.Path.string(), ec);
        if (created == nullptr && ec != std::errc::file_exists) break;
    }
    if (created == nullptr) {
        temporary.Path.clear();  // not ours
        return Fail(error, "cannot create a temporary file next to \"" + path + "\"", ec);
    }
    OpenTemporary file(ops, created);
    // Before the new bytes go out: on a full disk the space of killed saves is what may let
    // this one through.
    RemoveStaleTemporaries(folder, targetName, temporary.Path);

    {
        OpsStreamBuf buffer(ops, file.Get());
        std::ostream out(&buffer);
        const bool written = write(out);  // an exception leaves through the guards
        out.flush();
        if (!written || !out || buffer.Error())
            return Fail(error, "cannot write \"" + path + "\"", buffer.Error());
    }
    if (!file.Close(ec)) return Fail(error, "cannot write \"" + path + "\"", ec);

    // Keep the permissions the user gave the old file.
    if (const auto st = fs::status(target, ec); !ec && fs::exists(st))
        fs::permissions(temporary.Path, st.permissions(), fs::perm_options::replace, ec);
    if (!ops.Rename(temporary.Path.string(), path, ec))
        return Fail(error, "cannot replace \"" + path + "\"", ec);
    temporary.Kept = true;
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
