#include "app/display_check.h"

#include <cstdlib>
#include <string_view>

namespace vela::app {

namespace {
bool IsSet(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}
}  // namespace

std::string MissingDisplayReason() {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        const std::string_view p(platform);
        if (p.starts_with("xcb") && !IsSet("DISPLAY"))
            return "QT_QPA_PLATFORM is xcb but DISPLAY is not set";
        if (p.starts_with("wayland") && !IsSet("WAYLAND_DISPLAY"))
            return "QT_QPA_PLATFORM is wayland but WAYLAND_DISPLAY is not set";
        return "";
    }
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY"))
        return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return "";
}

}  // namespace vela::app
