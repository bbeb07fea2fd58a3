#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace vela {

// Text files end their lines with LF, CR LF or, from old editors, CR alone; all three are
// line ends, and CR LF is one.

// Finds the line ends of a text from front to back. Each kind of end is searched for on its
// own and remembered, so a text without CRs (or without LFs) is not searched again and again
// for them: the walk stays linear however the lines end.
class LineEndFinder {
  public:
    explicit LineEndFinder(std::string_view text)
        : text_(text), lf_(Find('\n', 0)), cr_(Find('\r', 0)) {}

    // The first CR or LF at or after pos, or the text's size.
    std::size_t Next(std::size_t pos) {
        if (lf_ < pos) lf_ = Find('\n', pos);
        if (cr_ < pos) cr_ = Find('\r', pos);
        return std::min(lf_, cr_);
    }

  private:
    std::size_t Find(char c, std::size_t pos) const {
        if (pos >= text_.size()) return text_.size();
        const void* at = std::memchr(text_.data() + pos, c, text_.size() - pos);
        return at == nullptr
                   ? text_.size()
                   : static_cast<std::size_t>(static_cast<const char*>(at) - text_.data());
    }

    std::string_view text_;
    std::size_t lf_;
    std::size_t cr_;
};

// Where the next line starts after the line end at `end` (a CR, an LF, or the text's size).
inline std::size_t AfterLineEnd(std::string_view text, std::size_t end) {
    if (end >= text.size()) return text.size();
    const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return end + (crLf ? 2 : 1);
}

// Calls f with every line of text, without its line end. A line end at the very end of the
// text does not start another (empty) line.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    LineEndFinder ends(text);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = ends.Next(pos);
        f(text.substr(pos, end - pos));
        pos = AfterLineEnd(text, end);
    }
}

}  // namespace vela
