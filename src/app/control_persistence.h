#pragma once

#include <string_view>
#include <vector>

#include "chart/chart_state.h"
#include "market/price_alerts.h"

class QObject;

namespace vela {
class TSpecIniFile;
}

namespace vela::app {

// Stores each control's state under its object name in the section, encoded by its kind
// (colour combo box, time and integer mask edits, page control, check box, combo box, spin
// box, numeric edit, list box, scroll bar, check list box, single-line edit, memo, rich edit,
// shape, track bar). Controls of any other kind, and unnamed ones (an empty key would erase
// the section), write nothing.
void WriteControls(TSpecIniFile& ini, std::string_view Section,
                   const std::vector<QObject*>& Controls);

// Sets each control to what its key holds, its current state being the default, so a
// missing key leaves it as it was (except check list boxes, which are unchecked, and memos
// and rich edits, which are emptied). Null entries are skipped.
void ReadControls(TSpecIniFile& ini, std::string_view Section,
                  const std::vector<QObject*>& Controls);

// A chart window's extras under keys of their own after the controls' keys. All off, they
// are written only over keys an earlier save left, so such a section keeps the controls'
// keys alone; missing keys read as off.
void WriteChartExtras(TSpecIniFile& ini, std::string_view Section, const ChartExtras& extras);
ChartExtras ReadChartExtras(TSpecIniFile& ini, std::string_view Section);
// The chart's view as ViewText writes it, under a key of its own after the specified ones;
// a whole history adds no key to a desktop that had none.
void WriteChartView(TSpecIniFile& ini, std::string_view Section, const std::string& view);
std::string ReadChartView(TSpecIniFile& ini, std::string_view Section);
// The chart's price alerts, under a key of their own after the specified ones: each its
// level and state, "3830 armed;3840 fired below 3840.5". No alerts add no key to a desktop
// that had none; a missing key reads as none, and unreadable entries are left out.
void WriteChartAlerts(TSpecIniFile& ini, std::string_view Section,
                      const std::vector<PriceAlert>& alerts);
std::vector<PriceAlert> ReadChartAlerts(TSpecIniFile& ini, std::string_view Section);
std::string AlertsValue(const std::vector<PriceAlert>& alerts);
std::vector<PriceAlert> AlertsFromValue(std::string_view value);

}  // namespace vela::app
