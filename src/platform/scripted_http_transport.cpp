#include "platform/scripted_http_transport.h"

#include <algorithm>

namespace vela {

ScriptedHttpTransport::~ScriptedHttpTransport() {
    for (auto& [id, p] : pending_)
        for (const MessageLoop::TimerId t : p.Timers) loop_.CancelTimer(t);
}

HttpTransport::RequestId ScriptedHttpTransport::Get(const std::string& url, std::int64_t timeoutMs,
                                                    Done done) {
    Requests.push_back(url);
    const RequestId id = next_++;
    Open& p = pending_[id];
    p.OnDone = std::move(done);
    mostInFlight_ = std::max(mostInFlight_, pending_.size());
    Answer answer = server_ ? server_(url) : Answer{};
    if (!answer.Hang && answer.DelayMs < timeoutMs) {
        p.Timers.push_back(
            loop_.StartTimer(std::max<std::int64_t>(answer.DelayMs, 0),
                             [this, id, r = std::move(answer.Response)] { Finish(id, r); }));
    }
    HttpResponse timedOut;
    timedOut.Error = "no answer within " + std::to_string(timeoutMs / 1000) + " s";
    p.Timers.push_back(loop_.StartTimer(timeoutMs, [this, id, timedOut] { Finish(id, timedOut); }));
    return id;
}

void ScriptedHttpTransport::Cancel(RequestId id) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return;
    for (const MessageLoop::TimerId t : it->second.Timers) loop_.CancelTimer(t);
    pending_.erase(it);
}

void ScriptedHttpTransport::Finish(RequestId id, const HttpResponse& response) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return;
    Done done = std::move(it->second.OnDone);
    Cancel(id);
    if (done) done(response);
}

}  // namespace vela
