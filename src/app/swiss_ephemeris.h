#pragma once

#include <string>

namespace vela::app {

// The optional Swiss Ephemeris library next to the program. Nothing in the monitor computes
// with it; start-up binds it when present and shut-down closes it once, as the program
// always has. A missing file, a failed load or a missing entry point is ignored silently.
class SwissEphemeris {
  public:
    static constexpr int kEntryCount = 9;
    static const char* const kEntryNames[kEntryCount];
    static const char* const kLibraryNames[];

    SwissEphemeris() = default;
    SwissEphemeris(const SwissEphemeris&) = delete;
    SwissEphemeris& operator=(const SwissEphemeris&) = delete;
    ~SwissEphemeris();  // calls Close, then unloads

    // Looks for the library in folder (which ends with "/") and binds it.
    void Bind(const std::string& folder);

    bool Loaded() const { return handle_ != nullptr; }
    int EntriesFound() const;
    // Calls swe_close once when it was bound; later calls do nothing.
    void Close();
    bool Closed() const { return closed_; }

  private:
    void* handle_ = nullptr;
    void* entries_[kEntryCount] = {};
    bool closed_ = false;
};

}  // namespace vela::app
