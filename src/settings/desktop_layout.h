#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vela {

// The extension of desktop files and the default desktop's name.
inline constexpr std::string_view kDesktopExt = ".dsc_1";
inline constexpr std::string_view kDefaultDesktopName = "default_dsc.dsc_1";

// Replaces what follows the last "." of the file name (the part after the last "/") by ext,
// the "." included; appends ext when the name has no ".". A name such as ".foo" is all
// extension.
std::string ChangeFileExt(std::string_view fileName, std::string_view ext);

// Section names of window i of a desktop.
std::string DesktopControlsSection(int i);  // "W_" i
std::string DesktopFormSection(int i);      // "FORM_" i
inline constexpr std::string_view kDesktopOptionsSection = "OPTIONS";

// More windows than anyone arranges by hand; a corrupted count must not open millions.
inline constexpr int kMaxDesktopWindows = 64;
inline constexpr int kMinDesktopSize = 50;
inline constexpr int kMaxDesktopSize = 16000;
inline constexpr int kMaxDesktopOffset = 16000;

int ClampDesktopCount(std::int32_t count);

// A window's outer bounds within the frame's client area.
struct DesktopBounds {
    int W = 0;
    int H = 0;
    int L = 0;
    int T = 0;
    bool operator==(const DesktopBounds&) const = default;
};

// Sizes into 50..16000, positions into -16000..16000.
DesktopBounds ClampDesktopBounds(DesktopBounds b);
// A window lying entirely outside an area of areaWidth x areaHeight is moved just inside it
// (as far as its size allows); one that shows at least a pixel stays where it is.
DesktopBounds BringIntoArea(DesktopBounds b, int areaWidth, int areaHeight);

// A check list box as one value: the text of every checked item followed by "~", in order.
std::string CheckListValue(const std::vector<std::pair<std::string, bool>>& items);
// Whether an item reads back checked: its text followed by "~" occurs anywhere in the value.
bool CheckListItemChecked(std::string_view value, std::string_view item);

}  // namespace vela
