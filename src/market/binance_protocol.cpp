#include "market/binance_protocol.h"

#include <simdjson.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace vela {

namespace {

namespace sj = simdjson;

constexpr std::int64_t kSecondMs = 1000;
constexpr std::int64_t kMinuteMs = 60 * kSecondMs;
constexpr std::int64_t kDayMs = 86400 * kSecondMs;

// The kline intervals of the exchange that the chart's intervals are built from, finest
// first. It has more (3m, 30m, 4h ...), but every chart interval is exact from these.
struct NativeInterval {
    std::string_view Name;
    std::int64_t Ms;
};
constexpr std::array<NativeInterval, 6> kNative = {{
    {"1s", kSecondMs},
    {"1m", kMinuteMs},
    {"5m", 5 * kMinuteMs},
    {"15m", 15 * kMinuteMs},
    {"1h", 60 * kMinuteMs},
    {"1d", kDayMs},
}};

std::string Trimmed(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t\r\n\v\f");
    if (a == std::string_view::npos) return {};
    const std::size_t b = s.find_last_not_of(" \t\r\n\v\f");
    return std::string(s.substr(a, b - a + 1));
}

constexpr std::array<std::string_view, 9> kFieldNames = {
    "open time", "open", "high", "low", "close", "volume", "", "", "trade count"};

// The fast reading of a page: On Demand, in one pass, for a page that is all well-formed
// klines. It gives up (false) at the first thing out of the ordinary, since On Demand must
// not go on after an error; the checked reading then takes the page.
bool FastKlines(std::string_view body, std::vector<Kline>& out) {
    // One parser per thread: reusing its buffers is most of what makes the parse fast.
    thread_local sj::ondemand::parser parser;
    const sj::padded_string padded(body);
    sj::ondemand::document doc;
    sj::ondemand::array items;
    if (parser.iterate(padded).get(doc) != sj::SUCCESS || doc.get_array().get(items) != sj::SUCCESS)
        return false;
    for (auto item : items) {
        sj::ondemand::array fields;
        if (item.get_array().get(fields) != sj::SUCCESS) return false;
        Kline k;
        std::size_t n = 0;
        for (auto field : fields) {
            sj::ondemand::value v;
            if (field.get(v) != sj::SUCCESS) return false;
            sj::error_code e = sj::SUCCESS;
            switch (n) {
                case 0:
                    e = v.get_int64().get(k.OpenMs);
                    break;
                case 1:
                    e = v.get_double_in_string().get(k.Open);
                    break;
                case 2:
                    e = v.get_double_in_string().get(k.High);
                    break;
                case 3:
                    e = v.get_double_in_string().get(k.Low);
                    break;
                case 4:
                    e = v.get_double_in_string().get(k.Close);
                    break;
                case 5:
                    e = v.get_double_in_string().get(k.Volume);
                    break;
                case 8:
                    e = v.get_int64().get(k.Trades);
                    break;
                default:
                    break;
            }
            if (e != sj::SUCCESS) return false;
            // The quote volume and the taker fields after the trade count are not used.
            if (++n > 8) break;
        }
        if (n < 9 || !std::isfinite(k.Open) || !std::isfinite(k.High) || !std::isfinite(k.Low) ||
            !std::isfinite(k.Close) || !std::isfinite(k.Volume))
            return false;
        out.push_back(k);
    }
    return true;
}

// The whole text is checked first, so that any item can be looked at, and left out with a
// reason, without harm.
sj::dom::parser& CheckedParser() {
    thread_local sj::dom::parser parser;
    return parser;
}

bool DecimalOf(sj::dom::element v, double& out) {
    std::string_view text;
    if (v.get_string().get(text) != sj::SUCCESS || text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

// [openTime, "open", "high", "low", "close", "volume", closeTime, "quote", trades, ...]
bool KlineOf(sj::dom::array fields, Kline& k, std::string& why) {
    const std::size_t n = fields.size();
    if (n < 9) {
        why = "has " + std::to_string(n) + " fields, not the 12 of a kline";
        return false;
    }
    for (std::size_t i = 0; i < 9; ++i) {
        const sj::dom::element v = fields.at(i).value_unsafe();
        bool ok = true;
        switch (i) {
            case 0:
                ok = v.get_int64().get(k.OpenMs) == sj::SUCCESS;
                break;
            case 1:
                ok = DecimalOf(v, k.Open);
                break;
            case 2:
                ok = DecimalOf(v, k.High);
                break;
            case 3:
                ok = DecimalOf(v, k.Low);
                break;
            case 4:
                ok = DecimalOf(v, k.Close);
                break;
            case 5:
                ok = DecimalOf(v, k.Volume);
                break;
            case 8:
                ok = v.get_int64().get(k.Trades) == sj::SUCCESS;
                break;
            default:
                break;
        }
        if (!ok) {
            why = "has a " + std::string(kFieldNames[i]) + " that is not a number";
            return false;
        }
    }
    return true;
}

bool DecimalField(sj::dom::object o, std::string_view key, double& out) {
    sj::dom::element v;
    return o.at_key(key).get(v) == sj::SUCCESS && DecimalOf(v, out);
}

}  // namespace

BinanceProtocol::BinanceProtocol(std::string rest, std::string streams)
    : rest_(std::move(rest)), streams_(std::move(streams)) {
    while (!rest_.empty() && rest_.back() == '/') rest_.pop_back();
    while (!streams_.empty() && streams_.back() == '/') streams_.pop_back();
}

std::string BinanceProtocol::Symbol(std::string_view typed, std::string& why) const {
    std::string s = Trimmed(typed);
    bool ok = !s.empty() && s.size() <= 20;
    for (char& c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c))) ok = false;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (ok) return s;
    // Said as typed, and never put into a URL.
    why = "binance: " + std::string(typed) + " is not a Binance symbol; write BTCUSDT";
    return {};
}

bool BinanceProtocol::Plan(const BarInterval& interval, IntervalPlan& plan) const {
    const std::int64_t wanted = interval.Daily ? kDayMs : interval.Seconds * kSecondMs;
    if (wanted <= 0) return false;
    // The coarsest native interval that divides the wanted one exactly.
    for (auto it = kNative.rbegin(); it != kNative.rend(); ++it) {
        if (wanted % it->Ms != 0) continue;
        plan.Base = std::string(it->Name);
        plan.BaseMs = it->Ms;
        plan.BucketMs = wanted;
        plan.Daily = interval.Daily || wanted == kDayMs;
        return true;
    }
    return false;
}

std::string BinanceProtocol::KlinesUrl(const std::string& symbol, const IntervalPlan& plan,
                                       std::int64_t startMs, std::int64_t endMs,
                                       std::int32_t limit) const {
    std::string url = rest_ + "/api/v3/klines?symbol=" + symbol + "&interval=" + plan.Base;
    if (startMs >= 0) url += "&startTime=" + std::to_string(startMs);
    if (endMs >= 0) url += "&endTime=" + std::to_string(endMs);
    return url + "&limit=" + std::to_string(limit);
}

void BinanceProtocol::ParseKlines(std::string_view body, KlinePage& page) const {
    page.Klines.reserve(static_cast<std::size_t>(MaxKlinesPerRequest()));
    if (FastKlines(body, page.Klines)) return;
    page.Klines.clear();
    ParseKlinesChecked(body, page);
}

void BinanceProtocol::ParseKlinesChecked(std::string_view body, KlinePage& page) const {
    sj::dom::element doc;
    sj::dom::array items;
    if (CheckedParser().parse(body.data(), body.size()).get(doc) != sj::SUCCESS ||
        doc.get_array().get(items) != sj::SUCCESS) {
        page.Malformed = true;
        page.Problems.push_back("the answer is not a list of klines");
        return;
    }
    std::size_t index = 0;
    std::string why;
    for (const sj::dom::element item : items) {
        ++index;
        sj::dom::array fields;
        Kline k;
        if (item.get_array().get(fields) != sj::SUCCESS) {
            why = "is not a list";
        } else if (KlineOf(fields, k, why)) {
            page.Klines.push_back(k);
            continue;
        }
        page.Problems.push_back("kline " + std::to_string(index) + " " + why + "; left out");
    }
}

ExchangeFailure BinanceProtocol::Failure(const HttpResponse& r, const std::string& symbol) const {
    ExchangeFailure f;
    if (r.Status == 0) {
        f.What = ExchangeFailure::Kind::Transport;
        f.Text = r.Error.empty() ? "no answer" : r.Error;
        return f;
    }
    if (r.Status == 429 || r.Status == 418) {
        f.What = ExchangeFailure::Kind::RateLimited;
        std::int64_t seconds = 60;
        const std::string_view after = r.Header("retry-after");
        std::int64_t v = 0;
        const auto [end, ec] = std::from_chars(after.data(), after.data() + after.size(), v);
        if (!after.empty() && ec == std::errc() && end == after.data() + after.size() && v >= 0)
            seconds = std::min<std::int64_t>(v, 86400);
        f.RetryAfterMs = seconds * kSecondMs;
        f.Text = "the exchange limits requests (HTTP " + std::to_string(r.Status) + "); waiting " +
                 std::to_string(seconds) + " s as it asks";
        return f;
    }
    // {"code":-1121,"msg":"Invalid symbol."}
    std::int64_t code = 0;
    std::string_view msg;
    sj::dom::object o;
    if (CheckedParser().parse(r.Body.data(), r.Body.size()).get_object().get(o) == sj::SUCCESS) {
        if (o.at_key("code").get_int64().get(code) != sj::SUCCESS) code = 0;
        if (o.at_key("msg").get_string().get(msg) != sj::SUCCESS) msg = {};
    }
    if (code == -1121) {
        f.What = ExchangeFailure::Kind::UnknownSymbol;
        f.Text = "binance: no symbol " + symbol;
        return f;
    }
    f.Text = "HTTP " + std::to_string(r.Status);
    if (!msg.empty()) f.Text += ": " + std::string(msg.substr(0, 200));
    return f;
}

std::int32_t BinanceProtocol::UsedWeight(const HttpResponse& r) const {
    const std::string_view v = r.Header("x-mbx-used-weight-1m");
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    return !v.empty() && ec == std::errc() && end == v.data() + v.size() && n >= 0 ? n : -1;
}

std::string BinanceProtocol::StreamName(const std::string& symbol, const IntervalPlan& plan) const {
    std::string s = symbol;
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s + "@kline_" + plan.Base;
}

std::string BinanceProtocol::StreamUrl(const std::vector<std::string>& streams) const {
    std::string url = streams_ + "/stream?streams=";
    for (std::size_t i = 0; i < streams.size(); ++i) url += (i ? "/" : "") + streams[i];
    return url;
}

std::string BinanceProtocol::SubscribeMessage(const std::vector<std::string>& streams,
                                              bool subscribe, std::int64_t id) const {
    std::string m = std::string("{\"method\":\"") + (subscribe ? "SUBSCRIBE" : "UNSUBSCRIBE") +
                    "\",\"params\":[";
    for (std::size_t i = 0; i < streams.size(); ++i) m += (i ? ",\"" : "\"") + streams[i] + "\"";
    return m + "],\"id\":" + std::to_string(id) + "}";
}

bool BinanceProtocol::ParseFrame(std::string_view text, std::vector<StreamKline>& events,
                                 std::string& problem) const {
    sj::dom::object frame;
    if (CheckedParser().parse(text.data(), text.size()).get_object().get(frame) != sj::SUCCESS) {
        problem = "a stream message that is not JSON";
        return false;
    }
    // {"stream":"btcusdt@kline_1m","data":{"e":"kline","k":{...}}}, {"result":null,"id":1},
    // or {"error":{"code":2,"msg":"..."},"id":1}.
    sj::dom::object error;
    if (frame.at_key("error").get_object().get(error) == sj::SUCCESS) {
        std::string_view msg;
        if (error.at_key("msg").get_string().get(msg) != sj::SUCCESS) msg = "unknown";
        problem = "the stream server reports an error: " + std::string(msg.substr(0, 200));
        return false;
    }
    std::string_view stream;
    if (frame.at_key("stream").get_string().get(stream) != sj::SUCCESS) return true;
    sj::dom::object data;
    if (frame.at_key("data").get_object().get(data) != sj::SUCCESS) {
        problem = "a stream message without data";
        return false;
    }
    std::string_view type;
    if (data.at_key("e").get_string().get(type) != sj::SUCCESS || type != "kline") return true;
    sj::dom::object k;
    if (data.at_key("k").get_object().get(k) != sj::SUCCESS) {
        problem = "a kline event without its kline";
        return false;
    }
    StreamKline e;
    e.Stream = std::string(stream);
    bool closed = false;
    const bool ok = k.at_key("t").get_int64().get(e.K.OpenMs) == sj::SUCCESS &&
                    DecimalField(k, "o", e.K.Open) && DecimalField(k, "c", e.K.Close) &&
                    DecimalField(k, "h", e.K.High) && DecimalField(k, "l", e.K.Low) &&
                    DecimalField(k, "v", e.K.Volume) &&
                    k.at_key("n").get_int64().get(e.K.Trades) == sj::SUCCESS &&
                    k.at_key("x").get_bool().get(closed) == sj::SUCCESS;
    if (!ok) {
        problem = "a kline event of " + e.Stream + " with a missing or non-numeric field";
        return false;
    }
    e.K.Closed = closed;
    events.push_back(std::move(e));
    return true;
}

}  // namespace vela
