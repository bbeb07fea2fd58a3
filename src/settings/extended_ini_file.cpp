#include "settings/extended_ini_file.h"

#include <algorithm>

#include "text/number_text.h"
#include "text/short_text.h"
#include "text/words.h"

namespace vela {

namespace {

CharSet ControlsAnd(char extra) {
    CharSet set;
    for (int c = 0; c <= 32; ++c) set.set(static_cast<std::size_t>(c));
    set.set(static_cast<unsigned char>(extra));
    return set;
}

const CharSet& NumberDelims() {
    static const CharSet set = ControlsAnd(',');
    return set;
}

const CharSet& DoubleDelims() {
    static const CharSet set = ControlsAnd(';');
    return set;
}

// Calls f(word) for the words of s in order, as WordCount and ExtractWord number them, in one
// pass (so a long list is not quadratic); stops early when f returns false.
template <typename F>
void ForEachWord(std::string_view s, const CharSet& delims, F&& f) {
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && InCharSet(delims, s[i])) ++i;
        if (i >= s.size()) return;
        const std::size_t start = i;
        while (i < s.size() && !InCharSet(delims, s[i])) ++i;
        if (!f(s.substr(start, i - start))) return;
    }
}

template <typename T>
std::string IntegerList(std::span<const T> values) {
    std::string text;
    for (const T v : values) {
        text += std::to_string(static_cast<std::int32_t>(v));
        text += ',';
    }
    return text;
}

// Narrow kinds keep the low bits of the 32-bit value (300 -> 44, -1 -> 255 for bytes).
template <typename T>
T LowBits(std::int32_t v) {
    return static_cast<T>(static_cast<std::uint32_t>(v));
}

template <typename T>
void CopyDefaults(std::span<const T> defaults, std::span<T> values) {
    const std::size_t n = std::min(defaults.size(), values.size());
    for (std::size_t i = 0; i < n; ++i) values[i] = defaults[i];
}

template <typename T>
void ReadIntegerList(const std::string& text, std::span<const T> defaults, std::span<T> values) {
    CopyDefaults(defaults, values);
    std::size_t k = 0;
    ForEachWord(text, NumberDelims(), [&](std::string_view word) {
        if (k >= values.size()) return false;
        std::int32_t v = 0;
        if (ParseInt32(word, v))
            values[k] = LowBits<T>(v);
        else if (k < defaults.size())
            values[k] = defaults[k];
        ++k;
        return true;
    });
}

TByteSet ParseSet(std::string_view text) {
    TByteSet set;
    ForEachWord(text, NumberDelims(), [&](std::string_view word) {
        std::int32_t v = 255;
        if (!ParseInt32(word, v)) v = 255;
        const std::uint8_t member = LowBits<std::uint8_t>(v);
        if (member != 255) set.set(member);
        return true;
    });
    return set;
}

}  // namespace

void TSpecIniFile::WriteDouble(std::string_view Section, std::string_view Ident, double D) {
    WriteString(Section, Ident, RemoveChar(RealToFixedText(19, 10, D), ' '));
}

double TSpecIniFile::ReadDouble(std::string_view Section, std::string_view Ident, double DefaultD,
                                double& D) {
    double value = 0;
    D = TextToDouble(ReadString(Section, Ident, ""), value) ? value : DefaultD;
    return D;
}

void TSpecIniFile::WriteArrayDouble(std::string_view Section, std::string_view Ident,
                                    std::span<const double> Values) {
    // Always ".", so that the file reads back whatever the locale.
    std::string text;
    for (const double v : Values) {
        text += FloatToGeneralText(v, 15);
        text += ';';
    }
    WriteString(Section, Ident, text);
}

void TSpecIniFile::WriteArrayInteger(std::string_view Section, std::string_view Ident,
                                     std::span<const std::int32_t> Values) {
    WriteString(Section, Ident, IntegerList(Values));
}

void TSpecIniFile::WriteArrayWord(std::string_view Section, std::string_view Ident,
                                  std::span<const std::uint16_t> Values) {
    WriteString(Section, Ident, IntegerList(Values));
}

void TSpecIniFile::WriteArrayByte(std::string_view Section, std::string_view Ident,
                                  std::span<const std::uint8_t> Values) {
    WriteString(Section, Ident, IntegerList(Values));
}

void TSpecIniFile::WriteArrayShortInt(std::string_view Section, std::string_view Ident,
                                      std::span<const std::int8_t> Values) {
    WriteString(Section, Ident, IntegerList(Values));
}

void TSpecIniFile::ReadArrayDouble(std::string_view Section, std::string_view Ident,
                                   std::span<const double> Defaults, std::span<double> Values) {
    CopyDefaults(Defaults, Values);
    const std::string text = ReadString(Section, Ident, "");
    std::size_t k = 0;
    ForEachWord(text, DoubleDelims(), [&](std::string_view word) {
        if (k >= Values.size()) return false;
        double v = 0;
        if (TextToDouble(word, v)) Values[k] = v;  // otherwise the default stays
        ++k;
        return true;
    });
}

void TSpecIniFile::ReadArrayInteger(std::string_view Section, std::string_view Ident,
                                    std::span<const std::int32_t> Defaults,
                                    std::span<std::int32_t> Values) {
    ReadIntegerList(ReadString(Section, Ident, ""), Defaults, Values);
}

void TSpecIniFile::ReadArrayWord(std::string_view Section, std::string_view Ident,
                                 std::span<const std::uint16_t> Defaults,
                                 std::span<std::uint16_t> Values) {
    ReadIntegerList(ReadString(Section, Ident, ""), Defaults, Values);
}

void TSpecIniFile::ReadArrayByte(std::string_view Section, std::string_view Ident,
                                 std::span<const std::uint8_t> Defaults,
                                 std::span<std::uint8_t> Values) {
    ReadIntegerList(ReadString(Section, Ident, ""), Defaults, Values);
}

void TSpecIniFile::ReadArrayShortInt(std::string_view Section, std::string_view Ident,
                                     std::span<const std::int8_t> Defaults,
                                     std::span<std::int8_t> Values) {
    ReadIntegerList(ReadString(Section, Ident, ""), Defaults, Values);
}

void TSpecIniFile::WriteByteSet(std::string_view Section, std::string_view Ident,
                                const TByteSet& I) {
    std::string text;
    for (std::size_t m = 0; m < I.size(); ++m) {
        if (!I.test(m)) continue;
        text += std::to_string(m);
        text += ',';
    }
    WriteString(Section, Ident, text);
}

void TSpecIniFile::ReadByteSet(std::string_view Section, std::string_view Ident, TByteSet& I) {
    I = ParseSet(ReadString(Section, Ident, ""));
}

void TSpecIniFile::WriteMiniSet(std::string_view Section, std::string_view Ident,
                                const TByteSet& I) {
    if (I.none())
        WriteString(Section, Ident, "*");
    else
        WriteByteSet(Section, Ident, I);
}

void TSpecIniFile::ReadMiniSet(std::string_view Section, std::string_view Ident,
                               const TByteSet& Default, TByteSet& I) {
    const std::string text = ReadString(Section, Ident, "");
    I = text.empty() ? Default : ParseSet(text);
}

void TSpecIniFile::WriteStrings(std::string_view Section, std::string_view Ident,
                                const std::vector<std::string>& A, char Delimer) {
    std::string text;
    for (const std::string& line : A) {
        text += Delimer;
        text += line;
    }
    WriteString(Section, Ident, text);
}

void TSpecIniFile::ReadStrings(std::string_view Section, std::string_view Ident,
                               std::vector<std::string>& A, char Delimer) {
    A.clear();
    CharSet delims;
    delims.set(static_cast<unsigned char>(Delimer));
    ForEachWord(ReadString(Section, Ident, ""), delims, [&](std::string_view word) {
        A.emplace_back(word);
        return true;
    });
}

void TSpecIniFile::Clear() {
    SelectedClear("");
}

void TSpecIniFile::SelectedClear(std::string_view TheItemBegins) {
    // Walks the sections themselves: only real headers count, whatever their length, and
    // only sections holding lines need erasing.
    const TSectionList& sections = SectionNames();
    for (std::ptrdiff_t i = 0; i < sections.Count(); ++i) {
        if (sections.GetSectionItems(i).Empty()) continue;
        const std::string& name = sections.Strings(i);
        if (TheItemBegins.empty() || std::string_view(name).starts_with(TheItemBegins))
            EraseSection(name);
    }
}

}  // namespace vela
