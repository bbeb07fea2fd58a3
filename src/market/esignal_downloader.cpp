#include "market/esignal_downloader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/runtime_utilities.h"
#include "text/century_times.h"

namespace vela {

namespace {

constexpr double kMillisecondInDays = 1.1574074074074074e-8;

void HandlePendingMessages() {
    CurrentMessageLoop().ProcessPendingMessages();
}

}  // namespace

std::unique_ptr<THooks> TEsignalDownloader::GlobalHooks_;

TEsignalDownloader::TEsignalDownloader() = default;

TEsignalDownloader::~TEsignalDownloader() {
    // Quiet first: no callback, no event handler, nothing pumped from here on touches us.
    Info_Update_Procedure = nullptr;
    OnMergedBars = nullptr;
    if (eSignal) eSignal->OnBarsChanged = nullptr;
    closing_ = true;
    *alive_ = false;
    try {
        Close_Esignal_DM();
    } catch (...) {
        // The component is going away with us; there is nobody left to tell.
    }
    eSignal.reset();
    // The lists go last, after nothing can deliver into them any more.
    LUpdate.Clear();
    LCurr.Clear();
}

void TEsignalDownloader::Run_Esignal_DM_Global() {
    TraceMark("A1-B1");
    try {
        // Published only once it is set up; a failure frees it.
        auto hooks = std::make_unique<THooks>();
        TraceMark("A1-B2");
        hooks->SetApplication(kApplicationKey);
        TraceMark("A1-B3");
        GlobalHooks_ = std::move(hooks);
    } catch (...) {
        GlobalHooks_.reset();
    }
    TraceMark("A1-B4");
}

void TEsignalDownloader::Free_Esignal_DM_Global() noexcept {
    GlobalHooks_.reset();
}

std::int32_t TEsignalDownloader::EntitlementOf(THooks* hooks, std::string& info_str) noexcept {
    const std::int32_t v = hooks == nullptr ? -1 : hooks->IsEntitled();
    if (v == -1 || v == 0)
        info_str = "eSignal is not intitled";
    else if (v == 1)
        info_str = "eSignal is ready";
    return v;
}

std::int32_t TEsignalDownloader::IsEntitled_Gloabal(std::string& info_str) noexcept {
    return EntitlementOf(GlobalHooks_.get(), info_str);
}

std::int32_t TEsignalDownloader::IsEntitled(std::string& info_str) noexcept {
    return EntitlementOf(eSignal.get(), info_str);
}

void TEsignalDownloader::Run_Esignal_DM() {
    try {
        auto hooks = std::make_unique<THooks>();
        hooks->SetApplication(kApplicationKey);
        hooks->OnBarsChanged = [this](THooks* sender, std::int32_t handle) {
            OnBarsChanged1(sender, handle);
        };
        if (eSignal) {
            // A second call replaces the object: its request must not keep sending events.
            eSignal->OnBarsChanged = nullptr;
            try {
                ReleaseHandle();
            } catch (...) {
            }
            handleReleased_ = true;
        }
        eSignal = std::move(hooks);
    } catch (...) {
        eSignal.reset();
    }
}

void TEsignalDownloader::ReleaseHandle() {
    if (Handle == -1 || handleReleased_ || !eSignal) return;
    // Marked first: a handle is released at most once, even when the release fails.
    handleReleased_ = true;
    eSignal->ReleaseHistory(Handle);
}

void TEsignalDownloader::Close_Esignal_DM() {
    if (!eSignal) return;
    ReleaseHandle();
    eSignal->ClearSymbolCache();
    eSignal->Disconnect();
    eSignal.reset();
}

void TEsignalDownloader::Set_Info1(const std::string& _Info_Symbol, const std::string& _Info_Bar,
                                   std::int32_t _Info_Update_Speed, bool _Info_Use_Specific_Time,
                                   std::int32_t _Info_Specific_TimeMin,
                                   std::int32_t _Info_Specific_TimeMax,
                                   TExtrernalUpdateProcedure _Info_Update_Procedure) {
    Info_Symbol = _Info_Symbol;
    Info_Bar = _Info_Bar;
    Info_Update_Speed = _Info_Update_Speed;
    Info_Use_Specific_Time = _Info_Use_Specific_Time;
    Info_Specific_TimeMin = _Info_Specific_TimeMin;
    Info_Specific_TimeMax = _Info_Specific_TimeMax;
    Info_Update_Procedure = std::move(_Info_Update_Procedure);
}

void TEsignalDownloader::RequestHistory1(std::int32_t NBars) {
    const std::shared_ptr<bool> alive = alive_;
    const std::uint64_t serial = ++requestSerial_;
    // After any pumping: stop when we were freed, or when a nested request took over (it
    // refilled LCurr and cleared Block_Updating itself).
    auto overtaken = [&] { return !*alive || serial != requestSerial_; };
    try {
        HandlePendingMessages();
        if (overtaken()) return;
        if (!eSignal) throw HooksError(kNotConnectedMessage);
        eSignal->ClearSymbolCache();
        HandlePendingMessages();
        if (overtaken()) return;

        LCurr.Clear();
        Block_Updating = true;
        Break_Downloading = false;

        if (!eSignal) throw HooksError(kNotConnectedMessage);
        // The request this one replaces would otherwise go on sending events forever.
        try {
            ReleaseHandle();
        } catch (...) {
        }
        Handle = Info_Use_Specific_Time
                     ? eSignal->RequestHistory(Info_Symbol, Info_Bar, 1, NBars,
                                               Info_Specific_TimeMin, Info_Specific_TimeMax)
                     : eSignal->RequestHistory(Info_Symbol, Info_Bar, 1, NBars, -1, -1);
        handleReleased_ = false;
        HandlePendingMessages();
        if (overtaken()) return;

        for (std::int32_t poll = 0; poll < kMaxPolls; ++poll) {
            WaitPumping(kPollMs);
            if (overtaken()) return;
            if (!eSignal) throw HooksError(kNotConnectedMessage);
            if (eSignal->IsHistoryReady(Handle) != 0) {
                GetData(LCurr, -1);
                if (overtaken()) return;
                break;
            }
            HandlePendingMessages();
            if (overtaken()) return;
            if (Break_Downloading) break;
        }
    } catch (...) {
        if (!*alive) return;
    }
    if (serial == requestSerial_) Block_Updating = false;
}

void TEsignalDownloader::GetData(TLBarList& L1, std::int32_t NumOfBars) {
    if (!eSignal) throw HooksError(kNotConnectedMessage);
    const std::shared_ptr<bool> alive = alive_;
    const std::uint64_t serial = requestSerial_;
    std::int32_t n = eSignal->GetNumBars(Handle);
    if (NumOfBars != -1) n = std::min(n, NumOfBars);
    if (n < 1) return;
    L1.Reserve(static_cast<std::int32_t>(std::min<std::int64_t>(
        std::int64_t{L1.Count()} + n, std::numeric_limits<std::int32_t>::max())));
    CenturyTimeEncoder times(n);
    for (std::int32_t i = 1 - n; i <= 0; ++i) {
        if (n > 120 && i % 50 == 0) {
            const long double share = 100.0L * (static_cast<long double>(i) + n - 1) / (n - 1);
            BroadcastToForms(kProgressMessage, 100, static_cast<std::int32_t>(std::rint(share)));
            // The receivers ran nested: they may have freed us or started another request.
            if (!*alive || serial != requestSerial_) return;
            if (!eSignal) throw HooksError(kNotConnectedMessage);
        }
        BarData b = eSignal->GetBar(Handle, i);
        const std::optional<double> time = times.Encode(b.dtTime);
        if (!time) throw HooksError("Bar " + std::to_string(i) + " has no valid time");
        b.dtTime = *time;
        L1.Add1(b);
    }
}

void TEsignalDownloader::OnBarsChanged1(THooks* /*ASender*/, std::int32_t lHandle) noexcept {
    // A nested event for the same request while one is handled is dropped: the next event
    // fetches the newest bars anyway.
    if (closing_ || Handle == -1 || lHandle != Handle || Block_Updating || Updating_Price_History)
        return;
    const std::shared_ptr<bool> alive = alive_;
    Updating_Price_History = true;
    const double now = CurrentClock().LocalNow();
    if (Info_Update_Speed == 0 ||
        std::fabs(now - TLastUpdated) > Info_Update_Speed * kMillisecondInDays) {
        // Fetched into LUpdate and committed to LCurr only when the whole fetch succeeded.
        try {
            LUpdate.Clear();
            GetData(LUpdate, kUpdateBars);
            LCurr.Update(LUpdate);
        } catch (...) {
            Updating_Price_History = false;
            return;
        }
        TLastUpdated = now;
        if (const TMergedBarsProcedure merged = OnMergedBars) {
            try {
                merged(LUpdate.Prices());
            } catch (...) {
                // As the update procedure's: never into the component's event delivery.
            }
            if (!*alive) return;
        }
        if (const TExtrernalUpdateProcedure procedure = Info_Update_Procedure) {
            try {
                procedure();
            } catch (...) {
                // The owner's failure must not reach the component's event delivery.
            }
            if (!*alive) return;
        }
    }
    FRT_Active = true;
    Updating_Price_History = false;
}

bool TEsignalDownloader::IsHistoryReady() {
    return Handle != -1 && eSignal && eSignal->IsHistoryReady(Handle) != 0;
}

void TEsignalDownloader::Stop_RT() {
    if (!FRT_Active) return;
    if (Handle != -1) {
        try {
            ReleaseHandle();
        } catch (...) {
            // A component that cannot be reached sends no more events either.
        }
    }
    FRT_Active = false;
}

}  // namespace vela
