#pragma once

#include <string>
#include <string_view>

namespace vela {

// Writes content to path so that path holds either its old content or all of the new one:
// the bytes go to a temporary file in the same folder, which is then renamed over path.
// Returns false (and leaves path untouched) when any step fails.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace vela
