#include "market/csv_feed.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>
#include <system_error>

namespace vela {

namespace {

// A symbol names a file inside the folder, never a path out of it.
bool UsableAsFileName(const std::string& symbol) {
    return !symbol.empty() && symbol != "." && symbol != ".." &&
           symbol.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

// Reads and parses one file; runs on a worker thread for big files, so it touches nothing
// but its arguments and reports into its result.
CsvFeed::FileContent ReadAndParse(const std::filesystem::path& path) {
    CsvFeed::FileContent result;
    std::ostringstream warnings;
    try {
        auto parsed = std::make_shared<std::vector<RawBar>>();
        if (ReadCsvBarFile(path.string(), path.string(), *parsed, warnings))
            result.Bars = std::move(parsed);
        else
            warnings << path.string() << ": cannot be read; no bars\n";
    } catch (const std::exception& e) {
        result.Bars = nullptr;
        warnings << path.string() << ": cannot be loaded (" << e.what() << "); no bars\n";
    }
    result.Warnings = warnings.str();
    return result;
}

}  // namespace

struct CsvFeed::FileLoad {
    std::shared_future<FileContent> Content;
    bool Reported = false;  // its warnings were written
};

struct CsvFeed::CsvRequest : FeedRequests::Request {
    std::shared_ptr<FileLoad> Load;
    std::int32_t Wanted = 0;
    std::shared_ptr<const std::vector<RawBar>> Raw;
    std::size_t Released = 0;  // raw bars taken into Bars so far
    BarInterval Interval;
    DayWindow Window;
    std::int64_t LastBucket = 0;

    // The bucket a raw bar belongs to; false when its time of day is outside the window.
    bool BucketOf(const RawBar& b, std::int64_t& bucket) const {
        const std::int64_t day = FloorDiv(b.Sec, 86400);
        const std::int64_t sod = b.Sec - day * 86400;
        if (sod < Window.Start || sod >= Window.End) return false;
        bucket = day * 86400 + (Interval.Daily ? 0 : sod / Interval.Seconds * Interval.Seconds);
        return true;
    }

    // Takes one more raw bar of the file into the served bars.
    void Take(const RawBar& b) {
        std::int64_t bucket = 0;
        if (!BucketOf(b, bucket)) return;
        if (!Bars.empty() && bucket == LastBucket) {
            BarPrices& a = Bars.back();
            a.dHigh = std::max(a.dHigh, b.High);
            a.dLow = std::min(a.dLow, b.Low);
            a.dClose = b.Close;
            a.dVolume += b.Volume;
            return;
        }
        LastBucket = bucket;
        Bars.push_back(
            BarPrices{PlatformTimeFromSeconds(bucket), b.Open, b.High, b.Low, b.Close, b.Volume});
    }
};

CsvFeed::CsvFeed(CsvFeedOptions options, MessageLoop& loop)
    : options_(std::move(options)), loop_(loop) {
    SetReportStream(options_.Warnings);
}

CsvFeed::~CsvFeed() {
    if (timer_ != 0) loop_.CancelTimer(timer_);
}

std::int32_t CsvFeed::IsEntitled() {
    std::error_code ec;
    std::filesystem::directory_iterator it(options_.Folder, ec);
    return ec ? 0 : 1;
}

std::shared_ptr<CsvFeed::FileLoad> CsvFeed::StartLoad(const std::string& symbol) {
    if (const auto it = cache_.find(symbol); it != cache_.end()) return it->second;
    auto load = std::make_shared<FileLoad>();
    std::filesystem::path path;
    std::error_code ec;
    bool exists = false;
    if (UsableAsFileName(symbol)) {
        path = std::filesystem::path(options_.Folder) / (symbol + ".csv");
        exists = std::filesystem::is_regular_file(path, ec);
    }
    const std::uintmax_t size = exists ? std::filesystem::file_size(path, ec) : 0;
    bool started = false;
    if (exists && !ec && size >= options_.BackgroundLoadBytes) {
        // A real feed answers a big request later; loading on other cores meanwhile lets the
        // requester's wait for readiness overlap the work.
        try {
            load->Content = std::async(std::launch::async, [path] { return ReadAndParse(path); });
            started = true;
        } catch (const std::system_error&) {
            // No thread to be had: load it here and now.
        }
    }
    if (!started) {
        std::promise<FileContent> done;
        done.set_value(exists ? ReadAndParse(path) : FileContent{});
        load->Content = done.get_future().share();
    }
    cache_[symbol] = load;
    return load;
}

std::shared_ptr<const std::vector<RawBar>> CsvFeed::Finish(FileLoad& load) {
    const FileContent& content = load.Content.get();
    if (!load.Reported) {
        load.Reported = true;
        Report(content.Warnings);
    }
    return content.Bars;
}

std::shared_ptr<const std::vector<RawBar>> CsvFeed::Load(const std::string& symbol) {
    return Finish(*StartLoad(symbol));
}

std::int32_t CsvFeed::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                     const std::string& interval, std::int32_t /*btType*/,
                                     std::int32_t numBars, std::int32_t startTime,
                                     std::int32_t endTime) {
    auto r = std::make_unique<CsvRequest>();
    if (!ParseBarInterval(interval, r->Interval))
        throw HooksError("Unknown interval \"" + interval + "\"");
    if (!ResolveDayWindow(startTime, endTime, DayWindow{}, r->Window))
        throw HooksError("Invalid time range " + std::to_string(startTime) + ", " +
                         std::to_string(endTime));
    r->Sink = &sink;
    r->Wanted = numBars;
    r->Load = StartLoad(symbol);
    CsvRequest& request = *r;
    const std::int32_t handle = Open(std::move(r));
    if (request.Load->Content.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        Complete(request);
    return handle;
}

bool CsvFeed::BecomesReady(Request& base) {
    auto& r = static_cast<CsvRequest&>(base);
    if (r.Load->Content.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return false;
    Complete(r);
    return true;
}

void CsvFeed::Complete(CsvRequest& r) {
    r.Raw = Finish(*r.Load);
    if (r.Raw) {
        const std::vector<RawBar>& raw = *r.Raw;
        std::size_t hold = 0;
        if (options_.ReplayMs > 0) {
            hold = options_.Hold < 0
                       ? std::min<std::size_t>(100, raw.size() / 2)
                       : std::min<std::size_t>(static_cast<std::size_t>(options_.Hold), raw.size());
        }
        const std::size_t release = raw.size() - hold;
        // At most one bar per raw bar; trimmed below when the buckets gathered many.
        r.Bars.reserve(raw.size());
        for (; r.Released < release; ++r.Released) r.Take(raw[r.Released]);
        if (r.Bars.size() < r.Bars.capacity() / 2) r.Bars.shrink_to_fit();
    }
    const std::size_t wanted = r.Wanted > 0 ? static_cast<std::size_t>(r.Wanted) : 0;
    r.First = r.Bars.size() - std::min(wanted, r.Bars.size());
    r.Ready = true;
    const bool pending = r.Raw && r.Released < r.Raw->size();
    if (pending && timer_ == 0) timer_ = loop_.StartTimer(options_.ReplayMs, [this] { Tick(); });
}

void CsvFeed::NoRequestsLeft() noexcept {
    if (timer_ != 0) loop_.CancelTimer(timer_);
    timer_ = 0;
}

void CsvFeed::Tick() {
    timer_ = 0;
    const std::shared_ptr<MarketFeed> keepAlive = weak_from_this().lock();
    bool pending = false;
    std::vector<std::int32_t> changed;
    for (const std::int32_t handle : Handles()) {
        auto* r = static_cast<CsvRequest*>(Find(handle));
        if (r == nullptr || !r->Raw || r->Released >= r->Raw->size()) continue;
        r->Take((*r->Raw)[r->Released++]);
        changed.push_back(handle);
        pending = pending || r->Released < r->Raw->size();
    }
    if (pending) timer_ = loop_.StartTimer(options_.ReplayMs, [this] { Tick(); });
    // Told after every request moved, since a receiver may release or open requests.
    for (const std::int32_t handle : changed) Notify(handle);
}

}  // namespace vela
