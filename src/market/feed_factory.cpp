#include "market/feed_factory.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include "market/csv_feed.h"
#include "market/sim_feed.h"
#include "text/calendar.h"

namespace vela {

namespace {

struct Option {
    std::string_view Key;
    std::string_view Value;
};

// Splits "body,key=value,key=value" where keys are among `known`; the body keeps every
// comma that does not start a known option.
std::string_view SplitOptions(std::string_view spec, std::initializer_list<std::string_view> known,
                              std::vector<Option>& options) {
    for (;;) {
        const std::size_t comma = spec.rfind(',');
        if (comma == std::string_view::npos) return spec;
        const std::string_view tail = spec.substr(comma + 1);
        const std::size_t eq = tail.find('=');
        if (eq == std::string_view::npos) return spec;
        const std::string_view key = tail.substr(0, eq);
        bool isKnown = false;
        for (const std::string_view k : known) isKnown = isKnown || k == key;
        if (!isKnown) return spec;
        options.insert(options.begin(), Option{key, tail.substr(eq + 1)});
        spec = spec.substr(0, comma);
    }
}

bool ParseCount(std::string_view s, std::int64_t max, std::int32_t& out) {
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < 0 || v > max)
        return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

// YYYY-MM-DDTHH:MM:SS (or a blank instead of T; seconds optional).
bool ParseInstant(std::string_view s, double& days) {
    if (s.size() < 16 || s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != ' ') ||
        s[13] != ':')
        return false;
    auto num = [&](std::size_t at, std::size_t n, std::int32_t& v) {
        const auto [end, ec] = std::from_chars(s.data() + at, s.data() + at + n, v);
        return ec == std::errc() && end == s.data() + at + n;
    };
    CivilDateTime c;
    if (!num(0, 4, c.Year) || !num(5, 2, c.Month) || !num(8, 2, c.Day) || !num(11, 2, c.Hour) ||
        !num(14, 2, c.Minute))
        return false;
    if (s.size() == 19) {
        if (s[16] != ':' || !num(17, 2, c.Second)) return false;
    } else if (s.size() != 16) {
        return false;
    }
    if (c.Year < 1900 || c.Year > 9999 || c.Month < 1 || c.Month > 12 || c.Day < 1 || c.Hour > 23 ||
        c.Minute > 59 || c.Second > 59)
        return false;
    days = EncodePlatformDateTime(c);
    CivilDateTime back;
    // Rejects 31 April and the like: the date must come back as written.
    return DecodePlatformDateTime(days, back) && back.Day == c.Day && back.Month == c.Month;
}

FeedChoice Fail(std::string text) {
    return FeedChoice{nullptr, std::move(text)};
}

FeedChoice MakeSim(std::string_view rest, MessageLoop& loop, Clock& clock) {
    SimFeedOptions o;
    bool first = true;
    while (!rest.empty() || first) {
        const std::size_t comma = rest.find(',');
        const std::string_view token = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t eq = token.find('=');
        if (eq == std::string_view::npos) {
            if (first && !token.empty()) {
                const auto [end, ec] =
                    std::from_chars(token.data(), token.data() + token.size(), o.Seed);
                if (ec != std::errc() || end != token.data() + token.size())
                    return Fail("sim feed: the seed \"" + std::string(token) +
                                "\" is not a whole number");
            } else if (!first || !token.empty()) {
                return Fail("sim feed: \"" + std::string(token) +
                            "\" is not an option (start=, delay=)");
            }
        } else {
            const std::string_view key = token.substr(0, eq);
            const std::string_view value = token.substr(eq + 1);
            if (key == "start") {
                double days = 0;
                if (!ParseInstant(value, days))
                    return Fail("sim feed: start \"" + std::string(value) +
                                "\" is not YYYY-MM-DDTHH:MM:SS");
                o.Start = days;
            } else if (key == "delay") {
                if (!ParseCount(value, 3'600'000, o.ReadyDelayMs))
                    return Fail("sim feed: delay \"" + std::string(value) +
                                "\" is not a number of milliseconds");
            } else {
                return Fail("sim feed: unknown option \"" + std::string(key) +
                            "\" (start=, delay=)");
            }
        }
        first = false;
    }
    return FeedChoice{std::make_shared<SimFeed>(o, loop, clock), {}};
}

FeedChoice MakeCsv(std::string_view rest, MessageLoop& loop, Clock& clock, std::ostream* warnings) {
    std::vector<Option> options;
    const std::string_view folder = SplitOptions(rest, {"replay", "hold", "label"}, options);
    if (folder.empty()) return Fail("csv feed: name a folder, as in csv:/path/to/bars");
    CsvFeedOptions o;
    o.Folder = std::string(folder);
    if (warnings != nullptr) o.Warnings = warnings;
    for (const Option& opt : options) {
        if (opt.Key == "label") {
            if (opt.Value != "start" && opt.Value != "end")
                return Fail("csv feed: label \"" + std::string(opt.Value) +
                            "\" is neither start nor end");
            o.LabelEnd = opt.Value == "end";
            continue;
        }
        std::int32_t& target = opt.Key == "replay" ? o.ReplayMs : o.Hold;
        if (!ParseCount(opt.Value, 2'000'000'000, target))
            return Fail("csv feed: " + std::string(opt.Key) + " \"" + std::string(opt.Value) +
                        "\" is not a whole number");
    }
    if (o.ReplayMs == 0 && o.Hold >= 0) return Fail("csv feed: hold needs replay=MS");
    std::error_code ec;
    std::filesystem::directory_iterator it(o.Folder, ec);
    if (ec) return Fail("csv feed: cannot read the folder \"" + o.Folder + "\": " + ec.message());
    return FeedChoice{std::make_shared<CsvFeed>(std::move(o), loop, clock), {}};
}

}  // namespace

FeedChoice MakeFeed(std::string_view spec, MessageLoop& loop, Clock& clock,
                    std::ostream* warnings) {
    if (spec == "sim") return MakeSim({}, loop, clock);
    if (spec.starts_with("sim:")) return MakeSim(spec.substr(4), loop, clock);
    if (spec.starts_with("sim,")) return MakeSim(spec.substr(3), loop, clock);
    if (spec.starts_with("csv:")) return MakeCsv(spec.substr(4), loop, clock, warnings);
    return Fail("unknown feed \"" + std::string(spec) +
                "\": use sim, sim:SEED or csv:DIR (with ,replay=MS to stream the newest bars)");
}

FeedChoice MakeFeed(std::string_view spec) {
    return MakeFeed(spec, CurrentMessageLoop(), CurrentClock());
}

}  // namespace vela
