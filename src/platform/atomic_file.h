#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vela {

// The file operations a safe replace is made of. The writer below goes through them only, so
// tests can make one of them fail as a full disk or a folder that refuses the rename would.
// Implementations must allow calls from several threads at once.
class FileWriteOps {
  public:
    virtual ~FileWriteOps() = default;
    // Creates path for writing only when no file of that name exists yet (never opens an
    // existing one); null with the reason when it cannot.
    virtual std::FILE* CreateNew(const std::string& path, std::error_code& ec);
    // Writes all size bytes; false with the reason when any of them did not go out.
    virtual bool Write(std::FILE* file, const char* data, std::size_t size, std::error_code& ec);
    // Makes what was written to the file reach the disk itself, so that a crash or a power cut
    // after the rename cannot leave the new name with lost content.
    virtual bool Sync(std::FILE* file, std::error_code& ec);
    // Closes the file (always); false with the reason when what was written did not all reach it.
    virtual bool Close(std::FILE* file, std::error_code& ec);
    // Puts from in the place of to in one step.
    virtual bool Rename(const std::string& from, const std::string& to, std::error_code& ec);
    // Makes the folder's entries (a rename into it) reach the disk. An empty folder is ".".
    virtual bool SyncFolder(const std::string& folder, std::error_code& ec);
    // Gives the existing file a second name, link, which must be new.
    virtual bool Link(const std::string& existing, const std::string& link, std::error_code& ec);
};

// The real disk.
FileWriteOps& DiskFileOps();

// Writes content to path so that path holds either its old content or all of the new one:
// the bytes go to a new temporary file in the same folder, which is synced to the disk and then
// renamed over path; the folder is synced after the rename. Returns false (and leaves path
// untouched) when any step fails; error, when given, then says which step failed and why,
// naming the file.
//
// One failure comes after the replace: when the folder cannot be synced, path already holds
// the new content, but a crash may still bring back the old. That is reported as a failure
// (false, and the error says the file was replaced), so that the caller keeps the content it
// holds as not yet safe and the user hears of the failing disk; saving again does no harm.
//
// When path is a symbolic link, the file at the end of its chain of links is replaced (the
// temporary is made in that file's folder), so a file kept behind a link stays behind it; a
// link to a file that is not there yet creates that file. Links that loop are refused. A
// file without write permission (by its mode, even to a user whom the system lets write
// anything, or for this user) is refused as read-only, as an editor does.
//
// Temporaries are named ".vela-tmp-HHHH-RRRR": HHHH a hash of the target's name, RRRR random;
// short, so that any name a folder can hold can be replaced. A write into a folder first
// removes the temporaries there that saves which were killed left behind, whatever their
// target, once they are kStaleTemporaryAge old (by the folder's own clock): a save in progress
// keeps touching its temporary, so another process's running save is never disturbed. Names
// of the older form are removed only when they are the target's own, as names of that form
// could be a user's.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr, FileWriteOps& ops = DiskFileOps());

// The same for content too big to hold at once: `write` puts it into the stream in pieces.
// When it returns false or throws, or the stream fails, path stays untouched (an exception
// reaches the caller).
bool WriteFileAtomicallyStreamed(const std::string& path,
                                 const std::function<bool(std::ostream&)>& write,
                                 std::string* error = nullptr, FileWriteOps& ops = DiskFileOps());

// Several files replaced as one: the new content of each is written into a temporary beside
// its target first (the writes may run on different threads at once, one per file), and
// Commit renames them over their targets only when every one was wholly written; otherwise
// every temporary is removed and every target keeps its old content. Each file is treated as
// WriteFileAtomically treats its one (links, read-only files, syncs, stale temporaries).
class AtomicFileSet {
  public:
    explicit AtomicFileSet(std::vector<std::string> paths, FileWriteOps& ops = DiskFileOps());
    AtomicFileSet(const AtomicFileSet&) = delete;
    AtomicFileSet& operator=(const AtomicFileSet&) = delete;
    // Removes the temporaries of a set that was not committed: nothing is replaced.
    ~AtomicFileSet();

    // Writes the new content of the file of the given index (in the order of the paths) into
    // its temporary; false with the reason, naming the file, when that fails. An exception of
    // `write` reaches the caller, and the file counts as not written.
    bool Write(std::size_t index, std::string_view content, std::string* error = nullptr);
    bool WriteStreamed(std::size_t index, const std::function<bool(std::ostream&)>& write,
                       std::string* error = nullptr);
    // Marks the file as one whose content could not be made, for the reason given.
    void Fail(std::size_t index, std::string reason);

    // Replaces every target when every file was written. Returns one message per file, in the
    // order of the paths, that was not replaced (or whose folder could not be synced after);
    // empty when all were replaced. Should a rename fail part way, the targets renamed before
    // it get their old content back (kept under a second name until the end), so the set is
    // still replaced whole or not at all, unless the folder cannot even give that second name.
    std::vector<std::string> Commit();

  private:
    struct File {
        std::string path;       // as the caller named it
        std::string target;     // the file that is replaced: path with its links followed
        std::string temporary;  // the new content, while it is not in place
        std::string error;      // why it was not written
        bool written = false;
    };
    void RemoveTemporaries();

    FileWriteOps& ops_;
    std::vector<File> files_;
};

inline constexpr std::chrono::minutes kStaleTemporaryAge{10};

// The name of a temporary for the target named targetName, with the given random part;
// whether a file name is one of the temporaries of that target; and whether it is a temporary
// of the current form for any target.
std::string TemporaryName(std::string_view targetName, std::string_view randomPart);
bool IsTemporaryOf(std::string_view fileName, std::string_view targetName);
bool IsTemporary(std::string_view fileName);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace vela
