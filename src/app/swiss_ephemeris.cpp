#include "app/swiss_ephemeris.h"

#include <dlfcn.h>

#include <filesystem>

namespace vela::app {

const char* const SwissEphemeris::kEntryNames[kEntryCount] = {
    "swe_julday",  "swe_calc",    "swe_close",  "swe_set_ephe_path", "swe_get_planet_name",
    "swe_nod_aps", "swe_fixstar", "swe_deltat", "swe_house_pos"};

const char* const SwissEphemeris::kLibraryNames[] = {"libswe.so", "libswe.so.2", nullptr};

namespace {
constexpr int kCloseEntry = 2;
}

SwissEphemeris::~SwissEphemeris() {
    Close();
    if (handle_ != nullptr) dlclose(handle_);
}

void SwissEphemeris::Bind(const std::string& folder) {
    if (handle_ != nullptr) return;
    for (const char* const* name = kLibraryNames; *name != nullptr; ++name) {
        const std::string path = folder + *name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) continue;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) break;
    }
    if (handle_ == nullptr) return;
    for (int i = 0; i < kEntryCount; ++i) entries_[i] = dlsym(handle_, kEntryNames[i]);
}

int SwissEphemeris::EntriesFound() const {
    int n = 0;
    for (void* e : entries_) n += e != nullptr;
    return n;
}

void SwissEphemeris::Close() {
    if (closed_ || handle_ == nullptr || entries_[kCloseEntry] == nullptr) return;
    closed_ = true;
    using CloseFn = void (*)();
    reinterpret_cast<CloseFn>(entries_[kCloseEntry])();
}

}  // namespace vela::app
