#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/chart_state.h"

namespace vela::app {

struct CommandLine {
    // Every --feed in order; the first serves bare symbols. None: the simulated market.
    std::vector<std::string> Feeds;
    std::optional<std::string> SnapshotDir;
    std::optional<std::string> DesktopFile;
    int Width = 800;
    int Height = 500;
    std::optional<std::string> Symbol;
    std::optional<int> IntervalIndex;
    std::optional<int> Bars;
    std::optional<int> Period;
    // With --snapshot: how long every window streams after its run before the files are
    // written.
    std::optional<int> StreamSeconds;
    bool HighLow = false;
    // --view N[@K]: the N bars ending K bars before the newest (K 0: the newest, following).
    std::optional<int> ViewBars;
    int ViewBack = 0;
    ChartExtras Extras;  // --style, --volume, --overlay, --log, --full-axis
    // --alert LEVEL[,LEVEL...]: price alerts on every window of a snapshot.
    std::vector<double> AlertLevels;
    // --alert-command PROGRAM: run for every fired alert with its fields as arguments.
    std::optional<std::string> AlertCommand;
    bool Help = false;
};

// Parses the arguments after the program name. False with a one-line error for an unknown
// option, a missing or malformed value.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

std::string UsageText();

}  // namespace vela::app
