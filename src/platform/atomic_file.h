#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

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
    // Closes the file (always); false with the reason when what was written did not all reach it.
    virtual bool Close(std::FILE* file, std::error_code& ec);
    // Puts from in the place of to in one step.
    virtual bool Rename(const std::string& from, const std::string& to, std::error_code& ec);
};

// The real disk.
FileWriteOps& DiskFileOps();

// Writes content to path so that path holds either its old content or all of the new one:
// the bytes go to a new temporary file in the same folder, which is then renamed over path.
// Returns false (and leaves path untouched) when any step fails; error, when given, then says
// which step failed and why, naming the file.
//
// Temporaries are named ".vela-tmp-HHHH-RRRR": HHHH a hash of the target's name, RRRR random;
// short, so that any name a folder can hold can be replaced. A write of a target first removes
// that target's temporaries left behind by a save that was killed, once they are
// kStaleTemporaryAge old (by the folder's own clock): a save in progress keeps touching its
// temporary, so another process's running save is never disturbed.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr, FileWriteOps& ops = DiskFileOps());

// The same for content too big to hold at once: `write` puts it into the stream in pieces.
// When it returns false or throws, or the stream fails, path stays untouched (an exception
// reaches the caller).
bool WriteFileAtomicallyStreamed(const std::string& path,
                                 const std::function<bool(std::ostream&)>& write,
                                 std::string* error = nullptr, FileWriteOps& ops = DiskFileOps());

inline constexpr std::chrono::minutes kStaleTemporaryAge{10};

// The name of a temporary for the target named targetName, with the given random part; and
// whether a file name is one of the temporaries of that target.
std::string TemporaryName(std::string_view targetName, std::string_view randomPart);
bool IsTemporaryOf(std::string_view fileName, std::string_view targetName);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace vela
