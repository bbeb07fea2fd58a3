#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/http_transport.h"
#include "platform/message_loop.h"

namespace vela {

// An HTTP transport for tests: a function stands in for the server, and answers go through
// the message loop as a real transport's do. A server that never answers is one whose
// function sets Hang; its requests then end with the timeout.
class ScriptedHttpTransport : public HttpTransport {
  public:
    struct Answer {
        HttpResponse Response;
        bool Hang = false;         // no answer: the request times out
        std::int64_t DelayMs = 0;  // an answer that takes this long
    };
    using Server = std::function<Answer(const std::string& url)>;

    ScriptedHttpTransport(MessageLoop& loop, Server server)
        : loop_(loop), server_(std::move(server)) {}
    ~ScriptedHttpTransport() override;

    RequestId Get(const std::string& url, std::int64_t timeoutMs, Done done) override;
    void Cancel(RequestId id) override;

    // Every URL asked for, in order.
    std::vector<std::string> Requests;
    std::size_t InFlight() const { return pending_.size(); }
    std::size_t MostInFlight() const { return mostInFlight_; }

  private:
    struct Open {
        Done OnDone;
        std::vector<MessageLoop::TimerId> Timers;
    };
    void Finish(RequestId id, const HttpResponse& response);

    MessageLoop& loop_;
    Server server_;
    std::map<RequestId, Open> pending_;
    RequestId next_ = 1;
    std::size_t mostInFlight_ = 0;
};

}  // namespace vela
