#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "market/bar_list.h"
#include "market/hooks.h"

namespace vela {

// Called after every merged update; no arguments, no result.
using TExtrernalUpdateProcedure = std::function<void()>;
// Called with the bars of each merged update (the newest ones fetched, oldest first) before
// the update procedure.
using TMergedBarsProcedure = std::function<void(std::span<const BarPrices> update)>;

// Turns one Hooks object into the bar history of one symbol and interval: requests it,
// waits for it while messages are handled, holds it oldest first in century time, and merges
// bars-changed updates at most once per update period.
class TEsignalDownloader {
  public:
    static constexpr std::int32_t kProgressMessage = 1415;
    static constexpr std::int32_t kMaxPolls = 300;
    static constexpr std::int32_t kPollMs = 100;
    static constexpr std::int32_t kUpdateBars = 100;

    TEsignalDownloader();
    TEsignalDownloader(const TEsignalDownloader&) = delete;
    TEsignalDownloader& operator=(const TEsignalDownloader&) = delete;
    // Never throws; no event reaches the lists once destruction has begun.
    ~TEsignalDownloader();

    // The process-wide Hooks object that the main window asks for entitlement.
    static void Run_Esignal_DM_Global();
    static void Free_Esignal_DM_Global() noexcept;
    static std::int32_t IsEntitled_Gloabal(std::string& info_str) noexcept;
    static THooks* GlobalHooks() { return GlobalHooks_.get(); }

    void Run_Esignal_DM();
    // Releases the request, clears the cache, disconnects and frees the Hooks object. A
    // failure of the component skips the remaining steps and reaches the caller.
    void Close_Esignal_DM();
    void Set_Info1(const std::string& _Info_Symbol, const std::string& _Info_Bar,
                   std::int32_t _Info_Update_Speed, bool _Info_Use_Specific_Time,
                   std::int32_t _Info_Specific_TimeMin, std::int32_t _Info_Specific_TimeMax,
                   TExtrernalUpdateProcedure _Info_Update_Procedure);
    void RequestHistory1(std::int32_t NBars);
    // Appends the newest NumOfBars bars (all for -1) of the current request to L1, oldest
    // first, times in century time. Component failures reach the caller; the bars appended
    // before stay.
    void GetData(TLBarList& L1, std::int32_t NumOfBars);
    // The bars-changed handler; never lets a failure escape.
    void OnBarsChanged1(THooks* ASender, std::int32_t lHandle) noexcept;
    std::int32_t IsEntitled(std::string& info_str) noexcept;
    bool IsHistoryReady();
    bool RT_Active() const { return FRT_Active; }
    void Stop_RT();

    // Fields, as the owner and the tests read them.
    bool Block_Updating = false;
    std::string Info_Symbol = "NON_SYMBOL";
    std::string Info_Bar;
    std::int32_t Info_Update_Speed = 0;
    TExtrernalUpdateProcedure Info_Update_Procedure;
    TMergedBarsProcedure OnMergedBars;
    bool Info_Use_Specific_Time = false;
    std::int32_t Info_Specific_TimeMin = 0;
    std::int32_t Info_Specific_TimeMax = 0;
    TLBarList LCurr;
    TLBarList LUpdate;
    std::unique_ptr<THooks> eSignal;
    std::int32_t Handle = -1;
    double TLastUpdated = -1.0;
    bool FRT_Active = false;
    bool Updating_Price_History = false;
    bool Break_Downloading = false;

  private:
    static std::int32_t EntitlementOf(THooks* hooks, std::string& info_str) noexcept;
    // Releases Handle unless it was released already.
    void ReleaseHandle();

    static std::unique_ptr<THooks> GlobalHooks_;

    // Stop_RT keeps Handle; this remembers that the request behind it is gone.
    bool handleReleased_ = false;
    bool closing_ = false;
    // Bumped by every RequestHistory1, so an outer wait sees that a nested one took over.
    std::uint64_t requestSerial_ = 0;
    // Cleared by the destructor: code that pumped messages checks it before touching fields,
    // since a handler run inside the pump may have freed this downloader.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vela
