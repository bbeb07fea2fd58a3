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

#include <fcntl.h>
#include <unistd.h>

namespace vela {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryPrefix = ".vela-tmp-";
constexpr std::size_t kHashDigits = 4;
constexpr std::size_t kRandomChars = 4;
constexpr std::string_view kRandomAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
// How often a name already taken is drawn again before the write gives up.
constexpr int kNameAttempts = 64;
// The most links followed to a target, as the system itself does: more means they loop.
constexpr int kMaxLinks = 40;

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

// Removes the temporaries that killed saves left behind in the folder. Their age is measured
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
        if (name == ownName || !(IsTemporary(name) || IsTemporaryOf(name, targetName))) continue;
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

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

bool IsFileName(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name != "." && name != "..";
}

std::string FolderOf(const fs::path& target) {
    const fs::path folder = target.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// Whether the file that is there must not be replaced. Its mode is read as an editor reads
// it: the system lets root write anything, but a file without any write permission was made so
// on purpose. For anyone else the system's answer counts (another user's file, say).
bool IsReadOnly(const fs::path& file) {
    std::error_code ec;
    const fs::file_status st = fs::status(file, ec);
    if (ec || st.type() != fs::file_type::regular) return false;  // new, or refused later
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & kWrite) == fs::perms::none) return true;
    errno = 0;
    return ::access(file.c_str(), W_OK) != 0 && errno == EACCES;
}

// The file a write of path replaces: path itself or, when it is a symbolic link, the file at
// the end of its chain, which need not exist yet. Refuses names that are no file's, links
// that loop and read-only files.
bool FindTarget(const std::string& path, fs::path& target, std::string* error) {
    target = fs::path(path);
    if (!IsFileName(target))
        return Fail(error, "cannot write " + Quoted(path) + ": not a file name", {});
    for (int links = 0;; ++links) {
        std::error_code ec;
        if (fs::symlink_status(target, ec).type() != fs::file_type::symlink) break;
        if (links == kMaxLinks)
            return Fail(error, "cannot write " + Quoted(path) + ": it is a link that loops", {});
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return Fail(error, "cannot read the link " + Quoted(path), ec);
        // Relative to the link's own folder, as the system reads it.
        target = next.is_absolute() ? next : target.parent_path() / next;
        if (!IsFileName(target))
            return Fail(error, "cannot write " + Quoted(path) + ": it links to a folder", {});
    }
    if (IsReadOnly(target)) {
        std::string text = Quoted(path) + " is read-only; not replaced";
        if (target != fs::path(path)) text += " (it links to " + Quoted(target.string()) + ")";
        return Fail(error, std::move(text), {});
    }
    return true;
}

// Gives a new file of a free temporary name beside the target, through `make` (which fails
// with file_exists for a name that is taken); never one that exists, which may be another
// save's. The path is left empty when none could be made.
bool MakeFreeName(const fs::path& target, fs::path& made, std::error_code& ec,
                  const std::function<bool(const fs::path&, std::error_code&)>& make) {
    const std::string targetName = target.filename().string();
    std::mt19937_64 random(Seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path candidate =
            target.parent_path() / TemporaryName(targetName, RandomPart(random));
        if (make(candidate, ec)) {
            made = candidate;
            return true;
        }
        if (ec != std::errc::file_exists) break;
    }
    return false;
}

// Writes the new content of target into a new temporary beside it and makes it reach the disk,
// with the old file's permissions. path is the target as the caller named it, for messages.
bool WriteTemporary(const std::string& path, const fs::path& target,
                    const std::function<bool(std::ostream&)>& write, FileWriteOps& ops,
                    TemporaryGuard& temporary, std::string* error) {
    std::FILE* created = nullptr;
    std::error_code ec;
    MakeFreeName(target, temporary.Path, ec,
                 [&ops, &created](const fs::path& p, std::error_code& e) {
                     created = ops.CreateNew(p.string(), e);
                     return created != nullptr;
                 });
    if (created == nullptr)
        return Fail(error, "cannot create a temporary file next to " + Quoted(path), ec);
    OpenTemporary file(ops, created);
    // Before the new bytes go out: on a full disk the space of killed saves is what may let
    // this one through.
    RemoveStaleTemporaries(target.parent_path(), target.filename().string(), temporary.Path);

    {
        OpsStreamBuf buffer(ops, file.Get());
        std::ostream out(&buffer);
        const bool written = write(out);  // an exception leaves through the guards
        out.flush();
        if (!written || !out || buffer.Error())
            return Fail(error, "cannot write " + Quoted(path), buffer.Error());
    }
    if (!ops.Sync(file.Get(), ec))
        return Fail(error, "cannot sync " + Quoted(path) + " to the disk", ec);
    if (!file.Close(ec)) return Fail(error, "cannot write " + Quoted(path), ec);

    // Keep the permissions the user gave the old file.
    if (const auto st = fs::status(target, ec); !ec && fs::exists(st))
        fs::permissions(temporary.Path, st.permissions(), fs::perm_options::replace, ec);
    return true;
}

std::string NotSyncedMessage(const std::string& path, const std::error_code& ec) {
    std::string text = Quoted(path) +
                       " was replaced, but its folder could not be synced to the disk, so a "
                       "crash may still bring back the old file";
    if (ec) text += ": " + ec.message();
    return text;
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

bool FileWriteOps::Sync(std::FILE* file, std::error_code& ec) {
    errno = 0;
    if (std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0) return true;
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

bool FileWriteOps::SyncFolder(const std::string& folder, std::error_code& ec) {
    errno = 0;
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        ec = LastError();
        return false;
    }
    // EINVAL: a file system that cannot sync folders; nothing more can be done there.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    if (!synced) ec = LastError();
    ::close(fd);
    return synced;
}

bool FileWriteOps::Link(const std::string& existing, const std::string& link, std::error_code& ec) {
    fs::create_hard_link(existing, link, ec);
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

bool IsTemporary(std::string_view fileName) {
    const std::size_t hashAt = kTemporaryPrefix.size();
    const std::size_t randomAt = hashAt + kHashDigits + 1;
    static constexpr std::string_view kHex = "0123456789abcdef";
    return fileName.size() == randomAt + kRandomChars &&
           fileName.substr(0, hashAt) == kTemporaryPrefix &&
           AllOf(fileName.substr(hashAt, kHashDigits),
                 [](char c) { return kHex.find(c) != std::string_view::npos; }) &&
           fileName[randomAt - 1] == '-' && AllOf(fileName.substr(randomAt), IsRandomChar);
}

bool IsTemporaryOf(std::string_view fileName, std::string_view targetName) {
    if (IsTemporary(fileName))
        return fileName.substr(kTemporaryPrefix.size(), kHashDigits) == NameHash(targetName);
    return IsOldTemporaryOf(fileName, targetName);
}

AtomicFileSet::AtomicFileSet(std::vector<std::string> paths, FileWriteOps& ops) : ops_(ops) {
    files_.reserve(paths.size());
    for (std::string& path : paths) {
        File file;
        file.path = std::move(path);
        files_.push_back(std::move(file));
    }
}

AtomicFileSet::~AtomicFileSet() {
    RemoveTemporaries();
}

void AtomicFileSet::RemoveTemporaries() {
    for (File& file : files_) {
        std::error_code ignored;
        if (!file.temporary.empty()) fs::remove(file.temporary, ignored);
        file.temporary.clear();
        file.written = false;
    }
}

bool AtomicFileSet::Write(std::size_t index, std::string_view content, std::string* error) {
    return WriteStreamed(
        index,
        [content](std::ostream& out) {
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
            return true;
        },
        error);
}

bool AtomicFileSet::WriteStreamed(std::size_t index,
                                  const std::function<bool(std::ostream&)>& write,
                                  std::string* error) {
    if (index >= files_.size()) {
        if (error != nullptr) *error = "no such file to write";
        return false;
    }
    File& file = files_[index];
    if (!file.temporary.empty()) {
        std::error_code ignored;
        fs::remove(file.temporary, ignored);  // written again: the new content counts
        file.temporary.clear();
    }
    file.written = false;
    // Stays the reason should `write` throw.
    file.error = "cannot write " + Quoted(file.path);
    fs::path target;
    TemporaryGuard temporary;
    if (!FindTarget(file.path, target, &file.error) ||
        !WriteTemporary(file.path, target, write, ops_, temporary, &file.error)) {
        if (error != nullptr) *error = file.error;
        return false;
    }
    temporary.Kept = true;
    file.target = target.string();
    file.temporary = temporary.Path.string();
    file.error.clear();
    file.written = true;
    return true;
}

void AtomicFileSet::Fail(std::size_t index, std::string reason) {
    if (index >= files_.size()) return;
    File& file = files_[index];
    std::error_code ignored;
    if (!file.temporary.empty()) fs::remove(file.temporary, ignored);
    file.temporary.clear();
    file.written = false;
    file.error = std::move(reason);
}

std::vector<std::string> AtomicFileSet::Commit() {
    std::vector<std::string> messages;
    // The other file by its name alone: the message is about this one.
    const auto notReplaced = [](const File& file, const File& cause, const char* what) {
        return "cannot replace " + Quoted(file.path) + ": " +
               Quoted(fs::path(cause.path).filename().string()) + " could not be " + what +
               " with it";
    };

    const auto unwritten =
        std::find_if(files_.begin(), files_.end(), [](const File& f) { return !f.written; });
    if (unwritten != files_.end()) {
        for (const File& file : files_) {
            if (file.written)
                messages.push_back(notReplaced(file, *unwritten, "written"));
            else if (!file.error.empty())
                messages.push_back(file.error);
            else
                messages.push_back("cannot write " + Quoted(file.path) + ": nothing was written");
        }
        RemoveTemporaries();
        return messages;
    }

    // A second name for each old file, to put it back should a later rename fail. One file
    // alone needs none: its rename either happens or not.
    struct Old {
        bool existed = false;
        fs::path kept;
    };
    std::vector<Old> olds(files_.size());
    if (files_.size() > 1) {
        for (std::size_t i = 0; i < files_.size(); ++i) {
            std::error_code ec;
            const fs::path target(files_[i].target);
            olds[i].existed = fs::symlink_status(target, ec).type() != fs::file_type::not_found;
            if (!olds[i].existed) continue;
            MakeFreeName(target, olds[i].kept, ec,
                         [this, &target](const fs::path& p, std::error_code& e) {
                             return ops_.Link(target.string(), p.string(), e);
                         });
        }
    }
    const auto dropKept = [&olds] {
        for (Old& old : olds) {
            std::error_code ignored;
            if (!old.kept.empty()) fs::remove(old.kept, ignored);
        }
    };

    std::size_t renamed = 0;
    std::error_code renameError;
    for (; renamed < files_.size(); ++renamed) {
        File& file = files_[renamed];
        if (!ops_.Rename(file.temporary, file.target, renameError)) break;
        file.temporary.clear();
    }
    if (renamed < files_.size()) {
        const File& cause = files_[renamed];
        for (std::size_t i = 0; i < renamed; ++i) {
            std::error_code ec;
            // A target that was not there is taken away again.
            bool restored = false;
            if (!olds[i].existed) {
                restored = fs::remove(files_[i].target, ec) && !ec;
            } else if (!olds[i].kept.empty() &&
                       ops_.Rename(olds[i].kept.string(), files_[i].target, ec)) {
                restored = true;
                olds[i].kept.clear();
            }
            messages.push_back(restored ? notReplaced(files_[i], cause, "replaced")
                                        : Quoted(files_[i].path) + " was replaced, but " +
                                              Quoted(fs::path(cause.path).filename().string()) +
                                              " could not be replaced with it");
        }
        messages.push_back("cannot replace " + Quoted(cause.path) +
                           (renameError ? ": " + renameError.message() : std::string()));
        for (std::size_t i = renamed + 1; i < files_.size(); ++i)
            messages.push_back(notReplaced(files_[i], cause, "replaced"));
        dropKept();
        RemoveTemporaries();
        return messages;
    }
    dropKept();

    // Each folder once, after all its renames.
    std::vector<std::string> folders;
    for (const File& file : files_) {
        const std::string folder = FolderOf(file.target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    std::vector<std::string> unsynced;
    std::vector<std::error_code> why;
    for (const std::string& folder : folders) {
        std::error_code ec;
        if (!ops_.SyncFolder(folder, ec)) {
            unsynced.push_back(folder);
            why.push_back(ec);
        }
    }
    for (File& file : files_) {
        const auto it = std::find(unsynced.begin(), unsynced.end(), FolderOf(file.target));
        if (it != unsynced.end())
            messages.push_back(
                NotSyncedMessage(file.path, why[static_cast<std::size_t>(it - unsynced.begin())]));
        file.written = false;
    }
    return messages;
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
    AtomicFileSet file({path}, ops);
    if (!file.WriteStreamed(0, write, error)) return false;
    const std::vector<std::string> messages = file.Commit();
    if (messages.empty()) return true;
    if (error != nullptr) *error = messages.front();
    return false;
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
