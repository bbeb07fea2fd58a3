#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

// Where step markers go: the main window's diagnostics memo. A sink that goes away unsets
// itself, so a marker written after the memo is gone writes nothing.
class TraceSink {
  public:
    TraceSink() = default;
    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;
    virtual ~TraceSink();
    // Appends one line at the end of the memo.
    virtual void AppendLine(const std::string& line) = 0;
};

// The process-wide memo of the trace markers; unset until the main window sets it.
void SetTraceMemo(TraceSink* memo);
TraceSink* TraceMemo();

// Handles all pending messages, then appends the marker (at most 255 bytes) to the memo.
void TraceMark(std::string_view marker);

// The folder of the running program, ending in the path separator.
std::string AppFolder();
// The folder part of a program path, ending in exactly one separator ("" gives "./").
std::string FolderOfProgramPath(std::string_view programPath);

// Handles messages until more than ms milliseconds have passed on the monotonic clock and a
// message has arrived after the last handling of the pending ones.
void WaitPumping(std::int32_t ms);

// Delivers a message synchronously to every form registered when the broadcast starts and
// still registered when its turn comes, once each. Negative messages are not sent.
void BroadcastToForms(std::int32_t msg, std::uint16_t wparam, std::int32_t lparam);

}  // namespace vela
