#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/http_transport.h"

class QNetworkReply;
class QTimer;

namespace vela::app {

// GET requests through one QNetworkAccessManager. Redirects are followed only when they are
// no less safe than the request (https never turns into http), and certificates are checked
// as Qt does by default. Answers are delivered by queued calls, so done never runs inside Get
// or Cancel, and a request cancelled while its answer is queued stays silent.
class QtHttpTransport : public HttpTransport {
  public:
    QtHttpTransport();
    ~QtHttpTransport() override;
    QtHttpTransport(const QtHttpTransport&) = delete;
    QtHttpTransport& operator=(const QtHttpTransport&) = delete;

    RequestId Get(const std::string& url, std::int64_t timeoutMs, Done done) override;
    void Cancel(RequestId id) override;

  private:
    struct Pending {
        QNetworkReply* Reply = nullptr;
        QTimer* Deadline = nullptr;  // a child of the reply
        Done OnDone;
        std::int64_t TimeoutMs = 0;
        bool TimedOut = false;
    };
    void Finish(RequestId id);
    void Forget(Pending& pending);

    QNetworkAccessManager manager_;  // owns the replies
    QObject context_;                // receives the replies' signals; none arrive after it goes
    std::unordered_map<RequestId, Pending> pending_;
    RequestId next_ = 1;
};

}  // namespace vela::app
