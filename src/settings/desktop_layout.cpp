#include "settings/desktop_layout.h"

#include <algorithm>

namespace vela {

std::string ChangeFileExt(std::string_view fileName, std::string_view ext) {
    const auto slash = fileName.rfind('/');
    const auto nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const auto dot = fileName.rfind('.');
    const auto cut = dot != std::string_view::npos && dot >= nameStart ? dot : fileName.size();
    std::string out(fileName.substr(0, cut));
    out += ext;
    return out;
}

std::string DesktopControlsSection(int i) {
    return "W_" + std::to_string(i);
}

std::string DesktopFormSection(int i) {
    return "FORM_" + std::to_string(i);
}

int ClampDesktopCount(std::int32_t count) {
    return std::clamp(count, 0, kMaxDesktopWindows);
}

DesktopBounds ClampDesktopBounds(DesktopBounds b) {
    b.W = std::clamp(b.W, kMinDesktopSize, kMaxDesktopSize);
    b.H = std::clamp(b.H, kMinDesktopSize, kMaxDesktopSize);
    b.L = std::clamp(b.L, -kMaxDesktopOffset, kMaxDesktopOffset);
    b.T = std::clamp(b.T, -kMaxDesktopOffset, kMaxDesktopOffset);
    return b;
}

DesktopBounds BringIntoArea(DesktopBounds b, int areaWidth, int areaHeight) {
    const bool outside = b.L >= areaWidth || b.T >= areaHeight || b.L + b.W <= 0 || b.T + b.H <= 0;
    if (!outside) return b;
    b.L = std::clamp(b.L, 0, std::max(0, areaWidth - b.W));
    b.T = std::clamp(b.T, 0, std::max(0, areaHeight - b.H));
    return b;
}

std::string CheckListValue(const std::vector<std::pair<std::string, bool>>& items) {
    std::string out;
    for (const auto& [text, checked] : items)
        if (checked) out += text + "~";
    return out;
}

bool CheckListItemChecked(std::string_view value, std::string_view item) {
    std::string needle(item);
    needle += '~';
    return value.find(needle) != std::string_view::npos;
}

}  // namespace vela
