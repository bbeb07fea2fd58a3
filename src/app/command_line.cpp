#include "app/command_line.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "chart/chart_view.h"
#include "market/interval_table.h"
#include "market/price_alerts.h"

namespace vela::app {

namespace {

bool ParseInt(const std::string& text, int min, int max, int& value) {
    int v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || v < min || v > max)
        return false;
    value = v;
    return true;
}

bool ParseSize(const std::string& text, int& w, int& h) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), 16, 10000, w) && ParseInt(text.substr(x + 1), 16, 10000, h);
}

// "sma:20,ema:50,rsi:14": at most three averages and one RSI, windows 1 to 100000.
bool ParseOverlays(const std::string& text, ChartExtras& extras, std::string& error) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        const auto colon = item.find(':');
        int window = 0;
        if (colon == std::string::npos || !ParseInt(item.substr(colon + 1), 1, 100000, window)) {
            error =
                "--overlay takes items KIND:WINDOW (sma, ema or rsi; window 1 to 100000) "
                "separated by commas, not \"" +
                item + "\"";
            return false;
        }
        const std::string kind = item.substr(0, colon);
        if (kind == "rsi") {
            if (extras.RsiWindow > 0) {
                error = "--overlay takes one rsi item";
                return false;
            }
            extras.RsiWindow = window;
        } else if (kind == "sma" || kind == "ema") {
            if (extras.Averages.size() >= 3) {
                error = "--overlay takes at most three moving averages";
                return false;
            }
            extras.Averages.push_back(ChartAverage{kind == "sma" ? 0 : 1, window});
        } else {
            error = "unknown overlay \"" + kind + "\"; use sma, ema or rsi";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            out.Help = true;
        } else if (a == "--hl") {
            out.HighLow = true;
        } else if (a == "--volume") {
            out.Extras.Volume = true;
        } else if (a == "--log") {
            out.Extras.LogScale = true;
        } else if (a == "--full-axis") {
            out.Extras.FullTimeAxis = true;
        } else if (a == "--style") {
            if (!value(v)) return false;
            if (v == "line") {
                out.Extras.Style = BarStyle::Line;
            } else if (v == "ohlc") {
                out.Extras.Style = BarStyle::Ohlc;
            } else if (v == "candles") {
                out.Extras.Style = BarStyle::Candles;
            } else {
                error = "--style takes line, ohlc or candles, not \"" + v + "\"";
                return false;
            }
        } else if (a == "--overlay") {
            if (!value(v)) return false;
            out.Extras.Averages.clear();
            out.Extras.RsiWindow = 0;
            if (!ParseOverlays(v, out.Extras, error)) return false;
        } else if (a == "--alert") {
            if (!value(v)) return false;
            std::string_view rest = v;
            while (true) {
                const std::size_t comma = rest.find(',');
                std::string why;
                const auto level = ParseAlertLevel(rest.substr(0, comma), &why);
                if (!level) {
                    error = "--alert takes price levels separated by commas: " + why;
                    return false;
                }
                out.AlertLevels.push_back(*level);
                if (comma == std::string_view::npos) break;
                rest.remove_prefix(comma + 1);
            }
        } else if (a == "--alert-command") {
            if (!value(v)) return false;
            if (v.empty()) {
                error = "--alert-command needs a program";
                return false;
            }
            out.AlertCommand = v;
        } else if (a == "--feed") {
            if (!value(v)) return false;
            out.Feeds.push_back(v);
        } else if (a == "--stream") {
            if (!value(v)) return false;
            int n = 0;
            if (!ParseInt(v, 1, 86400, n)) {
                error = "--stream takes whole seconds from 1 to 86400, not \"" + v + "\"";
                return false;
            }
            out.StreamSeconds = n;
        } else if (a == "--snapshot") {
            if (!value(v)) return false;
            out.SnapshotDir = v;
        } else if (a == "--desktop") {
            if (!value(v)) return false;
            out.DesktopFile = v;
        } else if (a == "--size") {
            if (!value(v)) return false;
            if (!ParseSize(v, out.Width, out.Height)) {
                error = "--size takes WIDTHxHEIGHT, each 16 to 10000 pixels, not \"" + v + "\"";
                return false;
            }
        } else if (a == "--symbol") {
            if (!value(v)) return false;
            out.Symbol = v;
        } else if (a == "--interval") {
            if (!value(v)) return false;
            const int index = IntervalIndexOfItem(v);
            if (index < 0) {
                error = "unknown interval \"" + v + "\"; use one of:";
                for (const auto& e : kIntervalTable) error += " \"" + std::string(e.Item) + "\"";
                return false;
            }
            out.IntervalIndex = index;
        } else if (a == "--bars") {
            if (!value(v)) return false;
            int n = 0;
            if (!ParseInt(v, 1, 3000000, n)) {
                error = "--bars takes a whole number from 1 to 3000000, not \"" + v + "\"";
                return false;
            }
            out.Bars = n;
        } else if (a == "--view") {
            if (!value(v)) return false;
            const auto span = ParseViewText(v, 3000000);
            if (!span) {
                error = "--view takes N or N@K, whole numbers of bars, not \"" + v + "\"";
                return false;
            }
            out.ViewBars = span->Width;
            out.ViewBack = span->Back;
        } else if (a == "--period") {
            if (!value(v)) return false;
            int n = 0;
            if (!ParseInt(v, 0, 600, n)) {
                error = "--period takes whole seconds from 0 to 600, not \"" + v + "\"";
                return false;
            }
            out.Period = n;
        } else {
            error = "unknown option \"" + a + "\" (see --help)";
            return false;
        }
    }
    return true;
}

std::string UsageText() {
    return R"(Usage: vela-monitor [--feed FEED] [--snapshot DIR [options]]

Opens the Vela eSignal Monitor main window. Chart windows follow one symbol and bar interval:
they download history from the feed on Run and then stream live updates.

  --feed FEED        where bars come from (may be given once per kind; the first serves
                     bare symbols, and a symbol written NAME:SYMBOL, such as BINANCE:BTCUSDT,
                     SIM:IBM or CSV:IFL8, goes to the feed NAME):
                       sim[:SEED][,start=YYYY-MM-DDTHH:MM:SS][,delay=MS]
                                         simulated market (default; SEED a whole number from
                                         0 to 2^64-1); start= runs it from that instant (years
                                         1900 to 9999) from the first request on; delay= is
                                         how long a history takes (MS ms, 0 to 3600000;
                                         default 300)
                       csv:DIR[,replay=MS][,hold=N][,label=end]
                                         one DIR/<symbol>.csv per symbol (a name differing
                                         only in letter case is found too); times mark the
                                         start of each bar, or with label=end its end; with
                                         replay the newest N bars of each file (hold=N;
                                         default 100, at most half the file) arrive live,
                                         one every MS ms, on one clock for the whole feed
                                         from its first request; the end of a file's replay
                                         is reported. DIR may hold commas; a last item
                                         KEY=VALUE with another key is refused as an unknown
                                         option unless DIR with it names a folder
                       binance[,rest=URL][,ws=URL][,tz=UTC]
                                         Binance's public spot market data (no account);
                                         REST https://data-api.binance.vision and streams
                                         wss://data-stream.binance.vision unless replaced
                                         (ws= is the base of /stream?streams=...). Bar times
                                         are shown in this computer's time zone, with tz=UTC
                                         in UTC; daily bars keep the exchange's UTC date.
                                         BINANCE:SYMBOL works without this option; nothing
                                         reaches the network unless Binance is named
  --snapshot DIR     no window: open one chart window (or the windows of --desktop), run each,
                     and write DIR/chart-<n>.txt (the table) and DIR/chart-<n>.png (the chart)
                     for n = 1, 2, ... in creation order; prints one line per window
  --desktop FILE     the desktop file (.dsc_1) whose windows to open (in the window, or for
                     the snapshot)
  --size WxH         with --snapshot: chart size in pixels (default 800x500)
  --symbol S         with --snapshot: symbol of the chart window (default $INDU)
  --interval TEXT    with --snapshot: "5s" "10s" "30s" "1 min" "2 min" "5 min" "10 min"
                     "15 min" "1 hour" "1 day" (default "1 min")
  --bars N           with --snapshot: number of bars to request (default 100)
  --period SECONDS   with --snapshot: update period (default 1)
  --stream SECONDS   with --snapshot: let every window stream that long after its run,
                     then write the files (so they hold streamed bars)
  --view N[@K]       with --snapshot: chart the newest N of the bars (following new ones),
                     or the N bars ending K bars before the newest; in a window the mouse
                     wheel zooms, dragging pans, arrows, PgUp/PgDn, +/-, Home and End move,
                     and a double click or Esc shows the whole history again
  --full-axis        with --snapshot: the time axis over the whole plot, each trading day
                     in view labelled and parted by a thin line with its date (in a window:
                     "Time axis over the whole view" in the chart's menu; on by itself
                     once the chart is zoomed or panned)
  --log              with --snapshot: a log price scale (a chart holding prices at or below
                     0 stays linear and says so in the status line)
  --hl               with --snapshot: draw the high and low lines
  --style STYLE      with --snapshot: bars as line (default), ohlc or candles
  --volume           with --snapshot: a volume pane under the bars
  --overlay LIST     with --snapshot: up to three moving averages and an RSI pane, e.g.
                     sma:20,ema:50,rsi:14 (KIND:WINDOW separated by commas)
  --alert LEVELS     with --snapshot: a price alert at each level (e.g. 3830,3845.5) on
                     every window; with --stream, each alert that fires is printed, one
                     line each in the memo's words, and all of them are written into
                     DIR/alerts.txt (in a window: "Alert at this price" and "Alerts..."
                     in the chart's menu)
  --alert-command PROGRAM
                     run PROGRAM, without a shell, for every alert that fires, with the
                     arguments symbol, interval, level, direction, time and last price
                     (e.g. BTCUSDT "1 min" 3830 "from below" "03:01:05 PM" 3830.8); never
                     twice at once for one alert; its failures are said in the memo
                     and on stderr
  --help             this text

Without a display (no DISPLAY or WAYLAND_DISPLAY) only --snapshot and --help work.
A snapshot in which some chart window got no bars still writes every window, says which got
none and why, and exits with status 3.
)";
}

}  // namespace vela::app
