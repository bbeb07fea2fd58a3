#include "app/loopback_exchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>
#include <algorithm>
#include <map>
#include <stdexcept>

namespace vela::app::loopback {

bool WaitUntil(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;  // wakes the wait below when nothing else happens
    tick.start(5);
    while (!condition()) {
        if (clock.elapsed() >= ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // Sockets given up go with deleteLater, which a bare processEvents leaves queued.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void PumpFor(int ms) {
    WaitUntil([] { return false; }, ms);
}

namespace {

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 418:
            return "I'm a teapot";
        case 429:
            return "Too Many Requests";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

std::string PathAndQuery(const QUrl& url) {
    std::string path = url.path(QUrl::FullyEncoded).toStdString();
    if (path.empty()) path = "/";
    if (url.hasQuery()) path += "?" + url.query(QUrl::FullyEncoded).toStdString();
    return path;
}

}  // namespace

// ---- REST face

struct HttpServer::Impl {
    struct Client {
        QByteArray Buffer;
        bool Busy = false;  // a request is taken and not answered yet
        bool CloseAfter = false;
    };

    explicit Impl(HttpResponder r) : responder(std::move(r)) {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] { Accept(); });
        if (!server.listen(QHostAddress::LocalHost, 0))
            throw std::runtime_error("loopback HTTP server: " + server.errorString().toStdString());
    }

    ~Impl() {
        server.close();
        for (auto& [socket, client] : clients) {
            socket->disconnect();  // its destructor would report the end to this, half gone
            socket->abort();
            delete socket;
        }
    }

    void Accept() {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            ++connections;
            clients.emplace(socket, Client{});
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const auto it = clients.find(socket);
                if (it == clients.end()) return;
                it->second.Buffer += socket->readAll();
                Serve(socket);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                const auto it = clients.find(socket);
                if (it != clients.end()) {
                    if (it->second.Busy) --inProgress;
                    clients.erase(it);
                }
                socket->disconnect();
                socket->deleteLater();
            });
        }
    }

    // Takes the next whole request off the connection's buffer, unless one is being answered.
    void Serve(QTcpSocket* socket) {
        const auto it = clients.find(socket);
        if (it == clients.end()) return;
        Client& client = it->second;
        if (client.Busy) return;
        const qsizetype headEnd = client.Buffer.indexOf("\r\n\r\n");
        if (headEnd < 0) return;
        const QList<QByteArray> lines = client.Buffer.left(headEnd).split('\n');
        const QList<QByteArray> requestLine = lines.front().trimmed().split(' ');
        qsizetype bodyLength = 0;
        bool close = requestLine.size() > 2 && requestLine[2] == "HTTP/1.0";
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon < 0) continue;
            const QByteArray name = lines[i].left(colon).trimmed().toLower();
            const QByteArray value = lines[i].mid(colon + 1).trimmed().toLower();
            if (name == "connection") close = value == "close";
            if (name == "content-length") bodyLength = value.toLongLong();
        }
        if (client.Buffer.size() < headEnd + 4 + bodyLength) return;  // the body is on its way
        client.Buffer.remove(0, headEnd + 4 + bodyLength);
        client.Busy = true;
        client.CloseAfter = close;
        mostInProgress = std::max(mostInProgress, ++inProgress);

        HttpAnswer answer;
        if (requestLine.size() < 3 || requestLine[0] != "GET") {
            answer.Status = requestLine.size() < 3 ? 400 : 405;
        } else {
            const std::string target = requestLine[1].toStdString();
            requests.push_back(target);
            if (responder)
                answer = responder(target);
            else
                answer.Status = 404;
        }
        if (answer.Hang) return;
        if (answer.DelayMs > 0) {
            QTimer::singleShot(answer.DelayMs, socket,
                               [this, socket, answer] { Respond(socket, answer); });
            return;
        }
        Respond(socket, answer);
    }

    void Respond(QTcpSocket* socket, const HttpAnswer& answer) {
        const auto it = clients.find(socket);
        if (it == clients.end()) return;
        std::string head = "HTTP/1.1 " + std::to_string(answer.Status) + " " +
                           ReasonPhrase(answer.Status) + "\r\n";
        head += "Content-Length: " + std::to_string(answer.Body.size()) + "\r\n";
        for (const auto& [name, value] : answer.Headers) head += name + ": " + value + "\r\n";
        if (it->second.CloseAfter) head += "Connection: close\r\n";
        head += "\r\n";
        socket->write(head.data(), static_cast<qint64>(head.size()));
        socket->write(answer.Body.data(), static_cast<qint64>(answer.Body.size()));
        it->second.Busy = false;
        --inProgress;
        if (it->second.CloseAfter) {
            socket->disconnectFromHost();  // after what was written; may end the client here
            return;
        }
        Serve(socket);  // a request that came while this one was answered
    }

    QTcpServer server;
    HttpResponder responder;
    std::map<QTcpSocket*, Client> clients;
    std::vector<std::string> requests;
    int inProgress = 0;
    int mostInProgress = 0;
    int connections = 0;
};

HttpServer::HttpServer(HttpResponder responder)
    : impl_(std::make_unique<Impl>(std::move(responder))) {}

HttpServer::~HttpServer() = default;

void HttpServer::SetResponder(HttpResponder responder) {
    impl_->responder = std::move(responder);
}

std::string HttpServer::RestUrl() const {
    return "http://127.0.0.1:" + std::to_string(impl_->server.serverPort());
}

std::vector<std::string> HttpServer::Requests() const {
    return impl_->requests;
}

int HttpServer::InProgress() const {
    return impl_->inProgress;
}

int HttpServer::MostInProgress() const {
    return impl_->mostInProgress;
}

int HttpServer::Connections() const {
    return impl_->connections;
}

// ---- WebSocket face

struct WebSocketServer::Impl {
    struct Client {
        QWebSocket* Socket = nullptr;
        std::string Path;
        std::vector<std::string> Received;
        std::vector<std::string> Pongs;
        bool Open = true;
    };

    Impl() {
        QObject::connect(&server, &QWebSocketServer::newConnection, &server, [this] { Accept(); });
        if (!server.listen(QHostAddress::LocalHost, 0))
            throw std::runtime_error("loopback WebSocket server: " +
                                     server.errorString().toStdString());
        port = server.serverPort();
    }

    ~Impl() {
        server.close();
        for (Client& client : clients) {
            client.Socket->disconnect();
            client.Socket->abort();
            delete client.Socket;
        }
    }

    void Accept() {
        while (QWebSocket* socket = server.nextPendingConnection()) {
            socket->setParent(nullptr);  // ours; it goes with this
            const std::size_t index = clients.size();
            clients.push_back(Client{socket, PathAndQuery(socket->requestUrl()), {}, {}, true});
            QObject::connect(socket, &QWebSocket::textMessageReceived, socket,
                             [this, index](const QString& text) {
                                 clients[index].Received.push_back(text.toStdString());
                             });
            QObject::connect(socket, &QWebSocket::pong, socket,
                             [this, index](quint64, const QByteArray& payload) {
                                 clients[index].Pongs.push_back(payload.toStdString());
                             });
            QObject::connect(socket, &QWebSocket::disconnected, socket,
                             [this, index] { clients[index].Open = false; });
        }
    }

    Client* Find(int client) {
        if (client < 0 || static_cast<std::size_t>(client) >= clients.size()) return nullptr;
        return &clients[static_cast<std::size_t>(client)];
    }

    QWebSocketServer server{QStringLiteral("vela-loopback"), QWebSocketServer::NonSecureMode};
    std::vector<Client> clients;
    quint16 port = 0;
};

WebSocketServer::WebSocketServer() : impl_(std::make_unique<Impl>()) {}

WebSocketServer::~WebSocketServer() = default;

std::string WebSocketServer::WsUrl() const {
    return "ws://127.0.0.1:" + std::to_string(impl_->port);
}

int WebSocketServer::Clients() const {
    return static_cast<int>(impl_->clients.size());
}

int WebSocketServer::OpenClients() const {
    return static_cast<int>(std::count_if(impl_->clients.begin(), impl_->clients.end(),
                                          [](const Impl::Client& c) { return c.Open; }));
}

bool WebSocketServer::IsOpen(int client) const {
    const Impl::Client* c = impl_->Find(client);
    return c && c->Open;
}

std::string WebSocketServer::RequestPath(int client) const {
    const Impl::Client* c = impl_->Find(client);
    return c ? c->Path : std::string();
}

std::vector<std::string> WebSocketServer::Received(int client) const {
    const Impl::Client* c = impl_->Find(client);
    return c ? c->Received : std::vector<std::string>();
}

std::vector<std::string> WebSocketServer::Pongs(int client) const {
    const Impl::Client* c = impl_->Find(client);
    return c ? c->Pongs : std::vector<std::string>();
}

void WebSocketServer::SendText(int client, const std::string& text) {
    if (Impl::Client* c = impl_->Find(client); c && c->Open)
        c->Socket->sendTextMessage(QString::fromStdString(text));
}

void WebSocketServer::SendTextToAll(const std::string& text) {
    for (int i = 0; i < Clients(); ++i) SendText(i, text);
}

void WebSocketServer::Ping(int client, const std::string& payload) {
    if (Impl::Client* c = impl_->Find(client); c && c->Open)
        c->Socket->ping(QByteArray::fromStdString(payload));
}

void WebSocketServer::Close(int client, int code, const std::string& reason) {
    if (Impl::Client* c = impl_->Find(client); c && c->Open)
        c->Socket->close(static_cast<QWebSocketProtocol::CloseCode>(code),
                         QString::fromStdString(reason));
}

void WebSocketServer::Abort(int client) {
    if (Impl::Client* c = impl_->Find(client); c && c->Open) c->Socket->abort();
}

void WebSocketServer::StopListening() {
    impl_->server.close();
}

bool WebSocketServer::Listen() {
    return impl_->server.isListening() ||
           impl_->server.listen(QHostAddress::LocalHost, impl_->port);
}

}  // namespace vela::app::loopback
