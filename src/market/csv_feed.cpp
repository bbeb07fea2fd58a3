#include "market/csv_feed.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <future>
#include <limits>
#include <sstream>
#include <system_error>

namespace vela {

namespace {

// A symbol names a file inside the folder, never a path out of it.
bool UsableAsFileName(const std::string& symbol) {
    return !symbol.empty() && symbol != "." && symbol != ".." &&
           symbol.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

// An intraday bar length, spelled the way the chart window names intervals.
std::string DescribeSeconds(std::int64_t seconds) {
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds) + " s";
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Where a symbol's bars are: its file, or else the one file whose name matches ignoring
// case. Empty when there is none; `note` says what was found.
std::filesystem::path FindFile(const std::string& folder, const std::string& symbol,
                               std::string& note) {
    namespace fs = std::filesystem;
    const fs::path exact = fs::path(folder) / (symbol + ".csv");
    if (!UsableAsFileName(symbol)) {
        note = "csv feed: \"" + symbol + "\" cannot name a file in " + folder + "; no bars\n";
        return {};
    }
    std::error_code ec;
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) {
        // Something by that name is there: a file is read, anything else named for what it
        // is. A FIFO is never opened: opening one waits for a writer.
        std::error_code followed;
        const fs::file_status target = fs::status(exact, followed);
        if (target.type() == fs::file_type::regular) return exact;
        std::string what;
        if (followed == std::errc::too_many_symbolic_link_levels) {
            what = "a link that loops";
        } else if (target.type() == fs::file_type::not_found) {
            std::error_code linkError;
            const fs::path to = fs::read_symlink(exact, linkError);
            what = "a link to " + (linkError ? std::string("nowhere") : to.string()) +
                   ", which is not there";
        } else if (target.type() == fs::file_type::directory) {
            what = "a folder";
        } else if (target.type() == fs::file_type::fifo) {
            what = "a FIFO";
        } else if (target.type() == fs::file_type::socket) {
            what = "a socket";
        } else if (target.type() == fs::file_type::block ||
                   target.type() == fs::file_type::character) {
            what = "a device";
        } else {
            what = "something that cannot be looked at (" + followed.message() + ")";
        }
        note = exact.string() + " is " + what + ", not a file; no bars\n";
        return {};
    }
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(it->path().filename().string(), exact.filename().string()) &&
            it->is_regular_file(ec))
            matches.push_back(it->path());
    }
    std::sort(matches.begin(), matches.end());
    if (matches.size() == 1) {
        note = exact.string() + ": no such file; using " + matches.front().string() + "\n";
        return matches.front();
    }
    note = "no file " + exact.string();
    if (matches.size() > 1) {
        note += " (several files match ignoring case:";
        for (const fs::path& m : matches) note += " " + m.filename().string();
        note += ")";
    }
    note += "; no bars\n";
    return {};
}

// Reads and parses one file; runs on a worker thread for big files, so it touches nothing
// but its arguments and reports into its result.
CsvFeed::FileContent ReadAndParse(const std::filesystem::path& path, bool labelEnd) {
    CsvFeed::FileContent result;
    std::ostringstream warnings;
    try {
        auto series = std::make_shared<CsvSeries>();
        if (ReadCsvBarFile(path.string(), path.string(), series->Bars, warnings)) {
            if (series->Bars.empty()) {
                // Said as such: an empty file has no spacing to refuse an interval by.
                warnings << path.string() << " holds no bars\n";
            } else {
                DetectSpacing(*series);
                if (labelEnd && !series->Daily)
                    for (RawBar& b : series->Bars) b.Sec -= series->SpacingSeconds;
                result.Series = std::move(series);
            }
        } else {
            warnings << path.string() << ": cannot be read; no bars\n";
        }
    } catch (const std::exception& e) {
        result.Series = nullptr;
        warnings << path.string() << ": cannot be loaded (" << e.what() << "); no bars\n";
    }
    result.Warnings = warnings.str();
    return result;
}

}  // namespace

void DetectSpacing(CsvSeries& series) {
    // Gaps come in long runs of one length: counted run by run.
    std::unordered_map<std::int64_t, std::size_t> counts;
    std::int64_t gap = 0;
    std::size_t run = 0;
    const std::vector<RawBar>& bars = series.Bars;
    for (std::size_t i = 1; i < bars.size(); ++i) {
        const std::int64_t g = bars[i].Sec - bars[i - 1].Sec;
        if (g <= 0 || FloorDiv(bars[i].Sec, 86400) != FloorDiv(bars[i - 1].Sec, 86400)) continue;
        if (g != gap) {
            if (run > 0) counts[gap] += run;
            gap = g;
            run = 0;
        }
        ++run;
    }
    if (run > 0) counts[gap] += run;
    series.Daily = counts.empty();
    series.SpacingSeconds = 86400;
    std::size_t best = 0;
    for (const auto& [g, n] : counts)
        if (n > best || (n == best && g < series.SpacingSeconds)) {
            best = n;
            series.SpacingSeconds = g;
        }
}

struct CsvFeed::FileLoad {
    std::shared_future<FileContent> Content;
    std::string Name;       // the file, for reports
    bool Reported = false;  // its warnings were said
    bool ReplayEndSaid = false;
};

struct CsvFeed::CsvRequest : FeedRequests::Request {
    std::shared_ptr<FileLoad> Load;
    std::int32_t Wanted = 0;
    std::shared_ptr<const CsvSeries> Series;  // null: nothing to serve
    std::size_t Hold = 0;                     // the newest bars the replay releases one by one
    std::size_t Released = 0;                 // raw bars taken into Bars so far
    BarInterval Interval;
    DayWindow Window;
    std::int64_t LastBucket = 0;
    // Every raw bar is a bar of its own, at its own time: the released raw bars are served
    // as they stand, and Bars stays empty.
    bool InPlace = false;

    // The bucket a raw bar belongs to; false when its time of day is outside the window.
    bool BucketOf(const RawBar& b, std::int64_t& bucket) const {
        const std::int64_t day = FloorDiv(b.Sec, 86400);
        const std::int64_t sod = b.Sec - day * 86400;
        if (sod < Window.Start || sod >= Window.End) return false;
        bucket = day * 86400 + (Interval.Daily ? 0 : sod / Interval.Seconds * Interval.Seconds);
        return true;
    }

    // Whether each raw bar is its own bucket, starting at its own time: then Take would copy
    // them one for one (the file's times ascend and none repeats).
    bool EachBarOwnBucket(const std::vector<RawBar>& raw) const {
        return std::all_of(raw.begin(), raw.end(), [this](const RawBar& b) {
            std::int64_t bucket = 0;
            return BucketOf(b, bucket) && bucket == b.Sec;
        });
    }

    // The bars served so far (raw bars when served in place).
    std::size_t Served() const { return InPlace ? Released : Bars.size(); }

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

CsvFeed::CsvFeed(CsvFeedOptions options, MessageLoop& loop, Clock& clock)
    : options_(std::move(options)), loop_(loop), clock_(clock) {
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
    std::string note;
    const std::filesystem::path path = FindFile(options_.Folder, symbol, note);
    load->Name = path.string();
    std::error_code ec;
    const std::uintmax_t size = path.empty() ? 0 : std::filesystem::file_size(path, ec);
    const bool labelEnd = options_.LabelEnd;
    bool started = false;
    if (!path.empty() && !ec && size >= options_.BackgroundLoadBytes) {
        // A real feed answers a big request later; loading on other cores meanwhile lets the
        // requester's wait for readiness overlap the work.
        try {
            load->Content = std::async(std::launch::async, [path, labelEnd, note] {
                                FileContent content = ReadAndParse(path, labelEnd);
                                content.Warnings.insert(0, note);
                                return content;
                            }).share();
            started = true;
            loading_.push_back(load);
            if (watch_ == 0) StartWatch();
        } catch (const std::system_error&) {
            // No thread to be had: load it here and now.
        }
    }
    if (!started) {
        FileContent content = path.empty() ? FileContent{} : ReadAndParse(path, labelEnd);
        content.Warnings.insert(0, note);
        std::promise<FileContent> done;
        done.set_value(std::move(content));
        load->Content = done.get_future().share();
    }
    cache_[symbol] = load;
    return load;
}

std::shared_ptr<const CsvSeries> CsvFeed::Finish(FileLoad& load) {
    const FileContent& content = load.Content.get();
    if (!load.Reported) {
        load.Reported = true;
        Report(content.Warnings);
    }
    return content.Series;
}

std::shared_ptr<const CsvSeries> CsvFeed::Load(const std::string& symbol) {
    return Finish(*StartLoad(symbol));
}

std::int32_t CsvFeed::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                     const std::string& interval, std::int32_t /*btType*/,
                                     std::int32_t numBars, std::int32_t startTime,
                                     std::int32_t endTime) {
    auto r = std::make_unique<CsvRequest>();
    ReadRequest(interval, startTime, endTime, DayWindow{}, r->Interval, r->Window);
    if (!startMs_) startMs_ = clock_.SteadyMs();
    r->Sink = &sink;
    if (SaysBlankSymbol(symbol, "csv")) {
        r->Ready = true;
        return Open(std::move(r));
    }
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
    r.Series = Finish(*r.Load);
    if (r.Series) {
        const CsvSeries& file = *r.Series;
        const bool finer =
            !r.Interval.Daily && (file.Daily || r.Interval.Seconds < file.SpacingSeconds);
        if (finer) {
            Report(r.Load->Name + " holds " +
                   (file.Daily ? "daily" : DescribeSeconds(file.SpacingSeconds)) + " bars; " +
                   DescribeSeconds(r.Interval.Seconds) + " is finer; no bars");
            r.Series = nullptr;
        }
    }
    if (r.Series) {
        const std::size_t n = r.Series->Bars.size();
        if (options_.ReplayMs > 0) {
            r.Hold = options_.Hold < 0
                         ? std::min<std::size_t>(100, n / 2)
                         : std::min<std::size_t>(static_cast<std::size_t>(options_.Hold), n);
        }
        r.InPlace = options_.ServeInPlace && r.EachBarOwnBucket(r.Series->Bars);
        // At most one bar per raw bar; trimmed below when the buckets gathered many.
        if (!r.InPlace) r.Bars.reserve(n);
        CatchUp(r);
        if (r.Bars.size() < r.Bars.capacity() / 2) r.Bars.shrink_to_fit();
        // Opened after the replay's end: all at once, and said why nothing streams.
        if (r.Hold > 0 && r.Released == n) SayReplayEnded(*r.Load);
    }
    const std::size_t wanted = r.Wanted > 0 ? static_cast<std::size_t>(r.Wanted) : 0;
    r.First = r.Served() - std::min(wanted, r.Served());
    r.Ready = true;
    if (r.Series && r.Released < r.Series->Bars.size()) ScheduleTick();
}

bool CsvFeed::CatchUp(CsvRequest& r) {
    const std::vector<RawBar>& raw = r.Series->Bars;
    std::size_t reached = raw.size() - r.Hold;
    if (r.Hold > 0) {
        const std::int64_t ticks = (clock_.SteadyMs() - startMs_.value()) / options_.ReplayMs;
        reached += static_cast<std::size_t>(
            std::clamp<std::int64_t>(ticks, 0, static_cast<std::int64_t>(r.Hold)));
    }
    const std::size_t before = r.Released;
    if (r.InPlace)
        r.Released = std::max(r.Released, reached);
    else
        for (; r.Released < reached; ++r.Released) r.Take(raw[r.Released]);
    return r.Released != before;
}

std::int32_t CsvFeed::GetNumBars(std::int32_t handle) {
    const auto* r = static_cast<const CsvRequest*>(Find(handle));
    if (r == nullptr || !r->InPlace) return FeedRequests::GetNumBars(handle);
    return static_cast<std::int32_t>(
        std::min<std::size_t>(r->Released - r->First, std::numeric_limits<std::int32_t>::max()));
}

BarData CsvFeed::GetBar(std::int32_t handle, std::int32_t index) {
    const auto* r = static_cast<const CsvRequest*>(Find(handle));
    if (r == nullptr || !r->InPlace) return FeedRequests::GetBar(handle, index);
    const std::size_t n = r->Released - r->First;
    // index 0 is the newest bar.
    if (index > 0 || static_cast<std::size_t>(-static_cast<std::int64_t>(index)) >= n)
        throw HooksError("Bar index " + std::to_string(index) + " out of range");
    const RawBar& b =
        r->Series
            ->Bars[r->Released - 1 - static_cast<std::size_t>(-static_cast<std::int64_t>(index))];
    return BarOf(
        BarPrices{PlatformTimeFromSeconds(b.Sec), b.Open, b.High, b.Low, b.Close, b.Volume});
}

void CsvFeed::StartWatch() {
    constexpr std::int64_t kWatchMs = 50;
    const std::weak_ptr<CsvFeed*> self = self_;
    watch_ = loop_.StartTimer(kWatchMs, [self] {
        if (const std::shared_ptr<CsvFeed*> feed = self.lock()) (*feed)->WatchLoads();
    });
}

void CsvFeed::WatchLoads() {
    watch_ = 0;
    const std::shared_ptr<MarketFeed> keepAlive = weak_from_this().lock();
    std::vector<std::shared_ptr<FileLoad>> done;
    std::erase_if(loading_, [&done](const std::shared_ptr<FileLoad>& load) {
        if (load->Content.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return false;
        done.push_back(load);
        return true;
    });
    if (!loading_.empty()) StartWatch();
    // Said after the list is settled: a listener may come back into the feed.
    for (const std::shared_ptr<FileLoad>& load : done) Finish(*load);
}

void CsvFeed::SayReplayEnded(FileLoad& load) {
    load.ReplayEndSaid = true;
    Report("replay of " + load.Name + " ended");
}

void CsvFeed::ScheduleTick() {
    if (timer_ != 0) return;
    // On the replay's own beat, whenever the first request came.
    const std::int64_t elapsed =
        std::max<std::int64_t>(clock_.SteadyMs() - startMs_.value_or(clock_.SteadyMs()), 0);
    timer_ = loop_.StartTimer(options_.ReplayMs - elapsed % options_.ReplayMs, [this] { Tick(); });
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
        if (r == nullptr || !r->Ready || !r->Series) continue;
        if (CatchUp(*r)) {
            changed.push_back(handle);
            if (r->Released == r->Series->Bars.size() && !r->Load->ReplayEndSaid)
                SayReplayEnded(*r->Load);
        }
        pending = pending || r->Released < r->Series->Bars.size();
    }
    if (pending) ScheduleTick();
    // Told after every request moved, since a receiver may release or open requests.
    for (const std::int32_t handle : changed) Notify(handle);
}

}  // namespace vela
