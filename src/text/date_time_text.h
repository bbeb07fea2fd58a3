#pragma once

#include <string>

#include "text/century_times.h"
#include "text/display_settings.h"

namespace vela {

// Splits decimal hours into the 12-hour clock: afternoon from 12 on, hours below 1 become 12
// when noon-as-twelve is on.
void SplitTwelveHour(bool& afternoon, double& hours, double h,
                     const DisplaySettings& settings = kDisplaySettings);

// An instant in century time as text in one of the layouts 0-7, 10-12, 20, 21, 101, 102;
// any other layout gives "". Times are rounded to the shown unit (ties to even) and the carry
// passes into the hour and the date.
std::string DateTimeToText(int layout, char separator, double t,
                           const DisplaySettings& settings = kDisplaySettings);

// The same text appended to `text`; decoding a long run of instants with one decoder is cheap.
void AppendDateTimeText(std::string& text, int layout, char separator, double t,
                        const DisplaySettings& settings, CenturyTimeDecoder& decoder);

}  // namespace vela
