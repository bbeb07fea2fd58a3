// Any file content must parse without a crash, the bars that come out are in time order with
// every time once, and the quick reader of the usual layout gives what the general reader
// gives, to the bit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>
#include <vector>

#include "market/csv_bar_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    std::vector<vela::RawBar> plain;
    std::ostringstream plainWarnings;
    vela::ParseCsvBars(content, "fuzz.csv", plain, plainWarnings);
    for (std::size_t i = 1; i < plain.size(); ++i)
        if (plain[i - 1].Sec >= plain[i].Sec) std::abort();
    std::vector<vela::RawBar> quick;
    std::ostringstream quickWarnings;
    vela::ParseCsvBars(content, "fuzz.csv", quick, quickWarnings, true);
    if (quick.size() != plain.size() || quickWarnings.str() != plainWarnings.str()) std::abort();
    for (std::size_t i = 0; i < plain.size(); ++i)
        if (std::memcmp(&quick[i], &plain[i], sizeof(vela::RawBar)) != 0) std::abort();
    return 0;
}
