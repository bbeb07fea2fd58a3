#include "app/qt_websocket_transport.h"

#include <QObject>
#include <QUrl>
#include <QWebSocket>
#include <utility>

namespace vela::app {

namespace {

class QtWebSocketConnection : public WebSocketConnection {
  public:
    QtWebSocketConnection(const QUrl& url, WebSocketHandlers handlers)
        : handlers_(std::move(handlers)), socket_(new QWebSocket) {
        // Queued: QWebSocket reports a bad URL inside open(), before the owner holds the
        // connection; and a handler may destroy this, which must not happen inside a signal
        // of the socket.
        QObject::connect(
            socket_, &QWebSocket::connected, &context_,
            [this] {
                if (!socket_) return;                  // a call queued before the end
                const auto opened = handlers_.Opened;  // copied: the handler may destroy this
                if (opened) opened();
            },
            Qt::QueuedConnection);
        QObject::connect(
            socket_, &QWebSocket::textMessageReceived, &context_,
            [this](const QString& message) {
                if (!socket_) return;
                const auto text = handlers_.Text;
                if (text) text(message.toStdString());
            },
            Qt::QueuedConnection);
        QObject::connect(
            socket_, &QWebSocket::disconnected, &context_, [this] { End(DisconnectReason()); },
            Qt::QueuedConnection);
        QObject::connect(
            socket_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), &context_,
            [this](QAbstractSocket::SocketError) {
                End(socket_ ? socket_->errorString().toStdString() : std::string());
            },
            Qt::QueuedConnection);
        socket_->open(url);
    }

    ~QtWebSocketConnection() override { Release(); }

    void SendText(const std::string& text) override {
        if (socket_) socket_->sendTextMessage(QString::fromStdString(text));
    }

  private:
    // A refused connection reports disconnected before its error, with the error already set;
    // only an end without any error came with a close frame.
    std::string DisconnectReason() const {
        if (!socket_) return {};
        if (socket_->error() != QAbstractSocket::UnknownSocketError)
            return socket_->errorString().toStdString();
        const std::string reason = socket_->closeReason().toStdString();
        return "closed by the server (" + std::to_string(static_cast<int>(socket_->closeCode())) +
               (reason.empty() ? "" : " " + reason) + ")";
    }

    void End(const std::string& reason) {
        if (!socket_) return;  // already ended
        const auto closed = std::move(handlers_.Closed);
        handlers_ = {};
        Release();
        if (closed) closed(reason);  // last: the handler may destroy this
    }

    // The socket may be inside one of its own signals (abort emits some), so it goes later.
    void Release() {
        if (!socket_) return;
        QObject::disconnect(socket_, nullptr, &context_, nullptr);
        socket_->abort();
        socket_->deleteLater();
        socket_ = nullptr;
    }

    WebSocketHandlers handlers_;
    QWebSocket* socket_;  // nullptr once ended
    QObject context_;     // receives the socket's signals; queued ones die with it
};

}  // namespace

std::unique_ptr<WebSocketConnection> QtWebSocketTransport::Open(const std::string& url,
                                                                WebSocketHandlers handlers) {
    return std::make_unique<QtWebSocketConnection>(QUrl(QString::fromStdString(url)),
                                                   std::move(handlers));
}

}  // namespace vela::app
