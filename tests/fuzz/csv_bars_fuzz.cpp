// Any file content must parse without a crash, and the bars that come out are in time order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <vector>

#include "market/csv_bar_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<vela::RawBar> bars;
    std::ostringstream warnings;
    vela::ParseCsvBars(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.csv",
                       bars, warnings);
    for (std::size_t i = 1; i < bars.size(); ++i)
        if (bars[i - 1].Sec > bars[i].Sec) std::abort();
    return 0;
}
