#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/big_ini_file.h"

namespace vela {

// A set of the values 0..255.
using TByteSet = std::bitset<256>;

// The INI file with typed values: doubles, arrays of numbers, sets of small integers, lists of
// lines, and the erasing of many sections at once. Every value goes through WriteString and
// ReadString, so the file syntax and the moments of writing are those of TBigIniFile.
class TSpecIniFile : public TBigIniFile {
  public:
    using TBigIniFile::TBigIniFile;

    // Fixed point with 10 decimals and "." ("12.3015000000"); "0" below 1e-50 in magnitude.
    void WriteDouble(std::string_view Section, std::string_view Ident, double D);
    // "." or the first "," as the decimal point; DefaultD when missing or not a number. The
    // result is stored in D and returned.
    double ReadDouble(std::string_view Section, std::string_view Ident, double DefaultD, double& D);

    // Each element followed by "," ("1,-2,3,"); doubles in the general number format, always
    // with ".", each followed by ";".
    void WriteArrayDouble(std::string_view Section, std::string_view Ident,
                          std::span<const double> Values);
    void WriteArrayInteger(std::string_view Section, std::string_view Ident,
                           std::span<const std::int32_t> Values);
    void WriteArrayWord(std::string_view Section, std::string_view Ident,
                        std::span<const std::uint16_t> Values);
    void WriteArrayByte(std::string_view Section, std::string_view Ident,
                        std::span<const std::uint8_t> Values);
    void WriteArrayShortInt(std::string_view Section, std::string_view Ident,
                            std::span<const std::int8_t> Values);

    // Values starts as a copy of Defaults (as far as both reach); then word k of the value
    // sets element k-1. A word that does not convert leaves the default; integers keep their
    // low 8 or 16 bits for the narrow kinds (300 reads as 44 into a byte array).
    void ReadArrayDouble(std::string_view Section, std::string_view Ident,
                         std::span<const double> Defaults, std::span<double> Values);
    void ReadArrayInteger(std::string_view Section, std::string_view Ident,
                          std::span<const std::int32_t> Defaults, std::span<std::int32_t> Values);
    void ReadArrayWord(std::string_view Section, std::string_view Ident,
                       std::span<const std::uint16_t> Defaults, std::span<std::uint16_t> Values);
    void ReadArrayByte(std::string_view Section, std::string_view Ident,
                       std::span<const std::uint8_t> Defaults, std::span<std::uint8_t> Values);
    void ReadArrayShortInt(std::string_view Section, std::string_view Ident,
                           std::span<const std::int8_t> Defaults, std::span<std::int8_t> Values);

    // Members in ascending order, each followed by ","; the empty set is "" (byte set) or "*"
    // (mini set). Reading skips 255 and words that are not integers.
    void WriteByteSet(std::string_view Section, std::string_view Ident, const TByteSet& I);
    void ReadByteSet(std::string_view Section, std::string_view Ident, TByteSet& I);
    void WriteMiniSet(std::string_view Section, std::string_view Ident, const TByteSet& I);
    // Default when the value is missing or empty.
    void ReadMiniSet(std::string_view Section, std::string_view Ident, const TByteSet& Default,
                     TByteSet& I);

    // Every line preceded by Delimer, as one value ("~first~second").
    void WriteStrings(std::string_view Section, std::string_view Ident,
                      const std::vector<std::string>& A, char Delimer);
    // A becomes the words of the value split at runs of Delimer: empty lines do not come back
    // and a missing key gives no lines.
    void ReadStrings(std::string_view Section, std::string_view Ident, std::vector<std::string>& A,
                     char Delimer);

    // Erases every section; erased sections keep their place and are left out of the file.
    void Clear();
    // Erases the sections whose names begin with TheItemBegins (letter case counts), or every
    // section when it is empty.
    void SelectedClear(std::string_view TheItemBegins);
};

}  // namespace vela
