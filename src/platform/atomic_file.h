#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace vela {

// Writes content to path so that path holds either its old content or all of the new one:
// the bytes go to a temporary file in the same folder, which is then renamed over path.
// Returns false (and leaves path untouched) when any step fails.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// The same for content too big to hold at once: `write` puts it into the stream in pieces.
// When it returns false or throws, or the stream fails, path stays untouched (an exception
// reaches the caller).
bool WriteFileAtomicallyStreamed(const std::string& path,
                                 const std::function<bool(std::ostream&)>& write);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace vela
