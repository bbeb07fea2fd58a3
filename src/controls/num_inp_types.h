#pragma once

#include <cstdint>

namespace vela {

// How the numeric edit writes its value.
enum class TNumericType : std::uint8_t { ntGeneral, ntExponent, ntFixed, ntNumber, ntCurrency };

// The kind of number the numeric edit holds.
enum class TDataType : std::uint8_t {
    dtByte,
    dtDouble,
    dtExtended,
    dtInteger,
    dtLongint,
    dtReal,
    dtShortint,
    dtSingle,
    dtWord
};

// Where a control writes its text while it has no focus.
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// The values a data type admits; the edit enforces these, not the limits of the C++ types.
struct DataTypeRange {
    long double Lowest = 0;
    long double Highest = 0;
    bool Integer = false;

    bool Contains(long double v) const { return v >= Lowest && v <= Highest; }
};

constexpr DataTypeRange RangeOf(TDataType type) {
    // Single's bound is the single-precision constant, a little below 3.4e38.
    constexpr long double kSingle = static_cast<long double>(3.4e38f);
    switch (type) {
        case TDataType::dtByte:
            return {0, 255, true};
        case TDataType::dtDouble:
            return {-1.7e308L, 1.7e308L, false};
        case TDataType::dtExtended:
            return {-1.1e4932L, 1.1e4932L, false};
        case TDataType::dtInteger:
            return {-32768, 32767, true};
        case TDataType::dtLongint:
            return {-2147483647, 2147483647, true};
        case TDataType::dtReal:
            return {-1.7e38L, 1.7e38L, false};
        case TDataType::dtShortint:
            return {-128, 127, true};
        case TDataType::dtSingle:
            return {-kSingle, kSingle, false};
        case TDataType::dtWord:
            return {0, 65535, true};
    }
    return {0, 0, false};
}

constexpr bool IsIntegerType(TDataType type) {
    return RangeOf(type).Integer;
}

}  // namespace vela
