#include "market/feed_factory.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include "market/binance_protocol.h"
#include "market/csv_feed.h"
#include "market/network_feed.h"
#include "market/sim_feed.h"
#include "text/calendar.h"

namespace vela {

namespace {

// How a whole number option reads.
enum class Count { Ok, NotANumber, OutOfRange };

// A whole number from 0 to max; a sign or more digits than fit are out of range, not
// "not a number".
Count ParseCount(std::string_view s, std::int64_t max, std::int32_t& out) {
    const bool negative = s.starts_with('-');
    const std::string_view digits = negative ? s.substr(1) : s;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return Count::NotANumber;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (negative || ec != std::errc() || v > max) return Count::OutOfRange;
    out = static_cast<std::int32_t>(v);
    return Count::Ok;
}

// The user's text and what is wrong with it; empty when it reads.
std::string CountError(Count c, std::string_view what, std::string_view text, std::int64_t max,
                       std::string_view unit) {
    if (c == Count::Ok) return {};
    std::string error = std::string(what) + " \"" + std::string(text) + "\" ";
    if (c == Count::NotANumber) return error + "is not a whole number";
    return error + "is out of range (0 to " + std::to_string(max) + std::string(unit) + ")";
}

// YYYY-MM-DDTHH:MM:SS (or a blank instead of T; seconds optional); what is wrong with it for
// the user, or empty.
std::string ParseInstant(std::string_view s, double& days) {
    const std::string shape = "\"" + std::string(s) + "\" is not YYYY-MM-DDTHH:MM:SS";
    if (s.size() < 16 || s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != ' ') ||
        s[13] != ':')
        return shape;
    auto num = [&](std::size_t at, std::size_t n, std::int32_t& v) {
        const auto [end, ec] = std::from_chars(s.data() + at, s.data() + at + n, v);
        return ec == std::errc() && end == s.data() + at + n;
    };
    CivilDateTime c;
    if (!num(0, 4, c.Year) || !num(5, 2, c.Month) || !num(8, 2, c.Day) || !num(11, 2, c.Hour) ||
        !num(14, 2, c.Minute))
        return shape;
    if (s.size() == 19) {
        if (s[16] != ':' || !num(17, 2, c.Second)) return shape;
    } else if (s.size() != 16) {
        return shape;
    }
    // The simulated market's calendar starts with the platform's century.
    if (c.Year < 1900 || c.Year > 9999)
        return "\"" + std::string(s) + "\": the year " + std::to_string(c.Year) +
               " is out of range (1900 to 9999)";
    if (c.Month < 1 || c.Month > 12 || c.Day < 1 || c.Hour > 23 || c.Minute > 59 || c.Second > 59)
        return shape;
    days = EncodePlatformDateTime(c);
    CivilDateTime back;
    // Rejects 31 April and the like: the date must come back as written.
    if (!DecodePlatformDateTime(days, back) || back.Day != c.Day || back.Month != c.Month)
        return shape;
    return {};
}

FeedChoice Fail(std::string text) {
    return FeedChoice{nullptr, std::move(text)};
}

FeedChoice MakeSim(const FeedSpecParts& parts, const FeedServices& services) {
    SimFeedOptions o;
    if (!parts.Body.empty()) {
        const std::string_view seed = parts.Body;
        const bool negative = seed.starts_with('-');
        const std::string_view digits = negative ? seed.substr(1) : seed;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), o.Seed);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return Fail("sim feed: the seed \"" + std::string(seed) + "\" is not a whole number");
        if (negative || ec != std::errc())
            return Fail("sim feed: the seed \"" + std::string(seed) +
                        "\" is out of range (0 to 18446744073709551615)");
    }
    for (const FeedOption& opt : parts.Options) {
        if (opt.Key == "start") {
            double days = 0;
            if (const std::string error = ParseInstant(opt.Value, days); !error.empty())
                return Fail("sim feed: start " + error);
            o.Start = days;
            continue;
        }
        constexpr std::int64_t kMaxDelayMs = 3'600'000;
        const Count c = ParseCount(opt.Value, kMaxDelayMs, o.ReadyDelayMs);
        if (c == Count::NotANumber)
            return Fail("sim feed: delay \"" + std::string(opt.Value) +
                        "\" is not a number of milliseconds");
        if (c == Count::OutOfRange)
            return Fail("sim feed: " + CountError(c, "delay", opt.Value, kMaxDelayMs, " ms"));
    }
    auto feed = std::make_shared<SimFeed>(o, services.Loop, services.Clock, services.MarketClock);
    feed->SetReportStream(services.Reports);
    return FeedChoice{std::move(feed), {}};
}

FeedChoice MakeCsv(const FeedSpecParts& parts, const FeedServices& services) {
    if (parts.Body.empty()) return Fail("csv feed: name a folder, as in csv:/path/to/bars");
    CsvFeedOptions o;
    o.Folder = std::string(parts.Body);
    o.Warnings = services.Reports;
    for (const FeedOption& opt : parts.Options) {
        if (opt.Key == "label") {
            if (opt.Value != "start" && opt.Value != "end")
                return Fail("csv feed: label \"" + std::string(opt.Value) +
                            "\" is neither start nor end");
            o.LabelEnd = opt.Value == "end";
            continue;
        }
        constexpr std::int64_t kMax = 2'000'000'000;
        const bool replay = opt.Key == "replay";
        if (const std::string error =
                CountError(ParseCount(opt.Value, kMax, replay ? o.ReplayMs : o.Hold), opt.Key,
                           opt.Value, kMax, replay ? " ms" : " bars");
            !error.empty())
            return Fail("csv feed: " + error);
    }
    if (o.ReplayMs == 0 && o.Hold >= 0) return Fail("csv feed: hold needs replay=MS");
    std::error_code ec;
    std::filesystem::directory_iterator it(o.Folder, ec);
    if (ec) return Fail("csv feed: cannot read the folder \"" + o.Folder + "\": " + ec.message());
    return FeedChoice{std::make_shared<CsvFeed>(std::move(o), services.Loop, services.MarketTime()),
                      {}};
}

FeedChoice MakeBinance(const FeedSpecParts& parts, const FeedServices& services) {
    if (!parts.Body.empty())
        return Fail("binance feed: \"" + std::string(parts.Body) +
                    "\" is not an option (rest=, ws=, tz=)");
    std::string rest = BinanceProtocol::kDefaultRest;
    std::string ws = BinanceProtocol::kDefaultStreams;
    NetworkFeedOptions o;
    for (const FeedOption& opt : parts.Options) {
        const std::string value(opt.Value);
        if (opt.Key == "tz") {
            if (value != "UTC" && value != "utc" && value != "local")
                return Fail("binance feed: tz \"" + value + "\" is neither UTC nor local");
            o.Utc = value != "local";
            continue;
        }
        const bool web = opt.Key == "ws";
        const bool fits = web ? value.starts_with("ws://") || value.starts_with("wss://")
                              : value.starts_with("http://") || value.starts_with("https://");
        if (!fits)
            return Fail("binance feed: " + std::string(opt.Key) + " \"" + value + "\" is not a " +
                        (web ? "ws:// or wss://" : "http:// or https://") + " address");
        (web ? ws : rest) = value;
    }
    if (services.Http == nullptr || services.WebSocket == nullptr)
        return Fail("binance feed: this program has no network transport");
    auto feed =
        std::make_shared<NetworkFeed>(std::make_unique<BinanceProtocol>(rest, ws), o, services.Loop,
                                      services.Clock, *services.Http, *services.WebSocket);
    feed->SetReportStream(services.Reports);
    return FeedChoice{std::move(feed), {}};
}

std::string KeyList(const FeedKind& kind) {
    std::string list;
    for (const std::string_view k : kind.Keys)
        list += (list.empty() ? "" : ", ") + std::string(k) + "=";
    return list;
}

// A word of letters, digits and underscores that starts with a letter, as option names are.
bool LooksLikeKey(std::string_view key) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return !key.empty() && letter(key.front()) &&
           std::all_of(key.begin(), key.end(), [&letter](char c) {
               return letter(c) || (c >= '0' && c <= '9') || c == '_';
           });
}

bool IsFolder(std::string_view path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(std::string(path)), ec);
}

// Splits what follows the name into the body and the options; the error for the user, or
// empty.
std::string SplitSpec(std::string_view rest, const FeedKind& kind, FeedSpecParts& out) {
    const std::string label(kind.Label);
    for (;;) {
        const std::size_t comma = rest.rfind(',');
        const std::string_view tail =
            comma == std::string_view::npos ? rest : rest.substr(comma + 1);
        const std::size_t eq = tail.find('=');
        if (eq == std::string_view::npos) break;
        const std::string_view key = tail.substr(0, eq);
        if (std::find(kind.Keys.begin(), kind.Keys.end(), key) == kind.Keys.end()) {
            // A folder may be named "a,b=c": such an item is taken for an option only when
            // the folder as written is not there, and then it is a mistaken one.
            if (kind.BodyHoldsCommas && (!LooksLikeKey(key) || IsFolder(rest))) break;
            return label + ": unknown option \"" + std::string(key) + "\" (" + KeyList(kind) + ")";
        }
        out.Options.insert(out.Options.begin(), FeedOption{key, tail.substr(eq + 1)});
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(0, comma);
    }
    if (!kind.BodyHoldsCommas) {
        if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
            const std::string_view extra = rest.substr(comma + 1);
            return label + ": \"" + std::string(extra.substr(0, extra.find(','))) +
                   "\" is not an option (" + KeyList(kind) + ")";
        }
    }
    out.Body = rest;
    return {};
}

}  // namespace

const std::vector<FeedKind>& FeedKinds() {
    static const std::vector<FeedKind> kinds = {
        {"sim", "sim feed", {"start", "delay"}, false, MakeSim},
        {"csv", "csv feed", {"replay", "hold", "label"}, true, MakeCsv},
        {"binance", "binance feed", {"rest", "ws", "tz"}, false, MakeBinance},
    };
    return kinds;
}

const FeedKind* FeedKindOf(std::string_view spec) {
    const std::string_view name = spec.substr(0, spec.find_first_of(":,"));
    for (const FeedKind& kind : FeedKinds())
        if (kind.Name == name) return &kind;
    return nullptr;
}

FeedChoice MakeFeed(std::string_view spec, const FeedServices& services) {
    const FeedKind* kind = FeedKindOf(spec);
    if (kind == nullptr) {
        return Fail("unknown feed \"" + std::string(spec) +
                    "\": use sim, sim:SEED, csv:DIR (with ,replay=MS to stream the newest bars) "
                    "or binance");
    }
    std::string_view rest = spec.substr(kind->Name.size());
    if (!rest.empty()) rest.remove_prefix(1);  // the ':' or ','
    FeedSpecParts parts;
    if (std::string error = SplitSpec(rest, *kind, parts); !error.empty()) return Fail(error);
    return kind->Make(parts, services);
}

FeedChoice MakeFeed(std::string_view spec) {
    return MakeFeed(spec, FeedServices{CurrentMessageLoop(), CurrentClock()});
}

}  // namespace vela
