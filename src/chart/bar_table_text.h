#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>

#include "text/century_times.h"

namespace vela {

// The lines of the Table page: a bar's time (layout 0, "." between the parts of the date),
// two blanks and its close. A run of lines shares one decoder.
void AppendBarTableLine(std::string& text, double time, double close, CenturyTimeDecoder& decoder);
std::string BarTableLine(double time, double close);

// Every line, newest bar first, each ending in "\n"; times and closes are oldest first (the
// shorter of the two sets the number of lines). Blocks of lines are formatted on worker
// threads and written in order, so a million lines never make one big string. False when
// the stream failed.
bool WriteBarTableLines(std::ostream& out, std::span<const double> times,
                        std::span<const double> closes);

}  // namespace vela
