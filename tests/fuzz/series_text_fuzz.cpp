// Any text given to the series text forms is read without fault, and what the double list
// reads it writes back to the same count.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/list_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto column = static_cast<std::int32_t>(static_cast<std::int8_t>(data[0]));
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    vela::TVegaDoubleList list;
    const std::int32_t count = list.FromProfStr(text);
    if (count != list.Count()) std::abort();
    vela::TVegaDoubleList back;
    if (back.FromProfStr(list.ProfStr()) != count) std::abort();

    list.FromProfStrMatrix(text, column);

    // Each range may add a million values; a short text keeps the run within memory.
    vela::TVegaIntegerList integers;
    try {
        integers.InitFromString(text.substr(0, 200));
    } catch (const vela::ListDivisionByZeroError&) {
    }
    return 0;
}
