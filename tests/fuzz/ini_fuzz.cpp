// Loads arbitrary bytes as an INI file, reads every value in every typed way, writes some
// values, writes the file back and checks that what was written loads again to the same
// sections and lines.
//
// Input: the first byte picks the load options (bits 0..3) and the duplicate callback
// (bit 4); the next three bytes are lengths of a section, key and value taken from the rest
// for a write; everything after the first byte is also the file.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "settings/extended_ini_file.h"

namespace {

namespace fs = std::filesystem;

class FuzzFolder {
  public:
    FuzzFolder()
        : dir_(fs::temp_directory_path() / ("vela-ini-fuzz-" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
    }
    ~FuzzFolder() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

  private:
    fs::path dir_;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Blanked(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

void ReadEverything(vela::TSpecIniFile& ini) {
    std::vector<std::string> names;
    ini.ReadSections(names);
    if (names.size() > 64) names.resize(64);
    for (const std::string& name : names) {
        std::vector<std::string> keys;
        ini.ReadSection(name, keys);
        if (keys.size() > 64) keys.resize(64);
        for (const std::string& key : keys) {
            ini.ReadString(name, key, "");
            ini.ReadInteger(name, key, 0);
            ini.ReadBool(name, key, false);
            double d = 0;
            ini.ReadDouble(name, key, 0, d);
            std::array<std::int32_t, 4> ints{};
            ini.ReadArrayInteger(name, key, std::array<std::int32_t, 2>{1, 2}, ints);
            std::array<std::uint8_t, 3> bytes{};
            ini.ReadArrayByte(name, key, bytes, bytes);
            std::array<double, 3> doubles{};
            ini.ReadArrayDouble(name, key, doubles, doubles);
            vela::TByteSet set;
            ini.ReadByteSet(name, key, set);
            ini.ReadMiniSet(name, key, set, set);
            std::vector<std::string> lines;
            ini.ReadStrings(name, key, lines, '~');
        }
        std::vector<std::string> values;
        ini.ReadSectionValues(name, values);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzFolder folder;
    if (size < 1) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const unsigned options = static_cast<unsigned char>(input[0]);
    const std::string_view file = input.substr(1);
    const std::string path = folder.Path("in.ini");
    if (!vela::WriteFileAtomically(path, file)) return 0;

    std::vector<std::string> expected;
    {
        vela::TSpecIniFile ini("");
        ini.SetFlagDropCommentLines(options & 1);
        ini.SetFlagFilterOutInvalid(options & 2);
        ini.SetFlagDropWhiteSpace(options & 4);
        ini.SetFlagDropApostrophes(options & 8);
        if (options & 16)
            ini.SetEraseSectionCallback(
                [](const std::string&, const vela::TEntryList& first,
                   const vela::TEntryList& second) { return first.Count() >= second.Count(); });
        ini.SetFileName(path);
        ReadEverything(ini);

        // One write of a section, key and value cut from the input.
        if (file.size() >= 3) {
            std::string_view rest = file.substr(3);
            auto take = [&rest](unsigned char n) {
                const std::string_view part = rest.substr(0, n % 16);
                rest.remove_prefix(part.size());
                return part;
            };
            const std::string_view section = take(static_cast<unsigned char>(file[0]));
            const std::string_view key = take(static_cast<unsigned char>(file[1]));
            const std::string_view value = take(static_cast<unsigned char>(file[2]));
            ini.WriteString(section, key, value);
            const std::string s = Blanked(section), k = Blanked(key), v = Blanked(value);
            const bool refused = k.empty() || k.find('=') != std::string::npos ||
                                 s.find(']') != std::string::npos ||
                                 (k.front() == '[' && !v.empty() && v.back() == ']');
            if (!refused) Check(ini.ReadString(s, k, "\x01-") == v);
            ini.WriteDouble(s, "d", static_cast<double>(size) / 7);
            ini.WriteArrayInteger(s, "a", std::array<std::int32_t, 3>{-1, 0, 1});
            ini.WriteMiniSet(s, "m", vela::TByteSet().set(options & 0xFF));
            if (options & 32) ini.SelectedClear(s);
        }
        // Forces a write of everything held without changing it.
        ini.WriteString("\x02", "k", "1");
        ini.EraseSection("\x02");
        ini.ReadAll(expected);
        ini.FlushFile();
        Check(!ini.HasChanged());
    }

    std::string text;
    for (const std::string& line : expected) text += line + "\r\n";
    std::string written;
    Check(vela::ReadWholeFile(path, written));
    Check(written == text);

    vela::TBigIniFile back(path);
    std::vector<std::string> again;
    back.ReadAll(again);
    Check(again == expected);
    return 0;
}
