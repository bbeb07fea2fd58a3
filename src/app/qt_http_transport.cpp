#include "app/qt_http_transport.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <utility>

namespace vela::app {

namespace {

// Errors below the content range are the network's and the proxy's: whatever status line
// came before one of them, the body is not whole, so it is not an answer.
bool NoAnswer(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

std::string Reason(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            return "connection refused";
        case QNetworkReply::HostNotFoundError:
            return "host not found";
        case QNetworkReply::RemoteHostClosedError:
            return "connection closed by the server";
        case QNetworkReply::SslHandshakeFailedError:
            return "TLS handshake failed";
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return "network unavailable";
        case QNetworkReply::ProtocolUnknownError:
            return "unsupported URL";
        default:
            if (error >= QNetworkReply::ProxyConnectionRefusedError &&
                error < QNetworkReply::ContentAccessDenied)
                return "proxy failed";
            return "no answer";
    }
}

HttpResponse Read(QNetworkReply& reply, bool timedOut, std::int64_t timeoutMs) {
    // Qt's transfer timeout aborts the reply too, and a cancelled reply is never read, so a
    // cancel here is always a timeout.
    timedOut = timedOut || reply.error() == QNetworkReply::OperationCanceledError ||
               reply.error() == QNetworkReply::TimeoutError;
    HttpResponse response;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && !timedOut && !NoAnswer(reply.error())) response.Status = status.toInt();
    if (response.Status == 0) {
        const std::string reason = timedOut ? "timed out after " + std::to_string(timeoutMs) + " ms"
                                            : Reason(reply.error());
        response.Error = reason + " (" + reply.errorString().toStdString() + ")";
        return response;
    }
    const QByteArray body = reply.readAll();
    response.Body.assign(body.constData(), static_cast<std::size_t>(body.size()));
    for (const auto& [name, value] : reply.rawHeaderPairs())
        response.Headers.emplace_back(name.toLower().toStdString(), value.toStdString());
    return response;
}

}  // namespace

QtHttpTransport::QtHttpTransport() {
    // Qt's default too; said here because following a redirect from https to http would
    // hand the query to anyone on the path.
    manager_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtHttpTransport::~QtHttpTransport() {
    for (auto& [id, pending] : pending_) Forget(pending);
    pending_.clear();
}

HttpTransport::RequestId QtHttpTransport::Get(const std::string& url, std::int64_t timeoutMs,
                                              Done done) {
    const RequestId id = next_++;
    const int ms =
        static_cast<int>(std::clamp<std::int64_t>(timeoutMs, 1, std::numeric_limits<int>::max()));
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    // The transfer timeout ends a transfer that stalls; the deadline below ends a server that
    // accepts the connection and never says anything, whatever Qt counts as a transfer.
    request.setTransferTimeout(ms);
    QNetworkReply* reply = manager_.get(request);
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, &context_, [this, id] {
        const auto it = pending_.find(id);
        if (it == pending_.end()) return;
        it->second.TimedOut = true;
        it->second.Reply->abort();  // finished follows, queued
    });
    // Headers came: an answer is on its way, and only a stall (the transfer timeout) stops it.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, deadline, &QTimer::stop);
    // Queued, so done never runs inside Get, even for a reply that fails at once.
    QObject::connect(
        reply, &QNetworkReply::finished, &context_, [this, id] { Finish(id); },
        Qt::QueuedConnection);
    pending_.emplace(id, Pending{reply, deadline, std::move(done), ms, false});
    deadline->start(ms);
    return id;
}

void QtHttpTransport::Cancel(RequestId id) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return;
    Forget(it->second);
    pending_.erase(it);
}

void QtHttpTransport::Finish(RequestId id) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return;  // cancelled while the answer was queued
    Pending pending = std::move(it->second);
    pending_.erase(it);
    const HttpResponse response = Read(*pending.Reply, pending.TimedOut, pending.TimeoutMs);
    Forget(pending);
    // Last: done may start or cancel requests, or destroy this transport.
    if (pending.OnDone) pending.OnDone(response);
}

void QtHttpTransport::Forget(Pending& pending) {
    pending.Deadline->stop();
    QObject::disconnect(pending.Reply, nullptr, &context_, nullptr);
    pending.Reply->abort();  // nothing when it has finished already
    pending.Reply->deleteLater();
}

}  // namespace vela::app
