#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Stand-ins of an exchange on 127.0.0.1 for tests and benchmarks: a REST face (HTTP/1.1 GET)
// and a WebSocket face, each at a port the system picks. Both live on the Qt event loop of the
// calling thread, so whatever waits for them pumps that loop (WaitUntil). The namespace is not
// "testing", which would hide GoogleTest's inside vela::app.
namespace vela::app::loopback {

// Pumps the Qt event loop until condition() holds or ms pass; says whether it held.
bool WaitUntil(const std::function<bool()>& condition, int ms = 3000);
// Pumps the Qt event loop for ms, for things that must not happen.
void PumpFor(int ms);

// What the REST face answers to one request.
struct HttpAnswer {
    int Status = 200;
    std::vector<std::pair<std::string, std::string>> Headers;  // Content-Length is added
    std::string Body;
    bool Hang = false;  // take the request and never answer it
    int DelayMs = 0;    // answer after this long

    // For responders: HttpAnswer::Of(429, "{}").WithHeader("Retry-After", "3").After(50)
    static HttpAnswer Of(int status, std::string body = {}) {
        HttpAnswer a;
        a.Status = status;
        a.Body = std::move(body);
        return a;
    }
    static HttpAnswer Hanging() {
        HttpAnswer a;
        a.Hang = true;
        return a;
    }
    HttpAnswer& WithHeader(std::string name, std::string value) {
        Headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    HttpAnswer& After(int delayMs) {
        DelayMs = delayMs;
        return *this;
    }
};
using HttpResponder = std::function<HttpAnswer(const std::string& pathAndQuery)>;

// An HTTP/1.1 server for GET requests. Connections are kept alive unless the client asks for
// Connection: close; requests on one connection are answered in the order they came.
class HttpServer {
  public:
    // Without a responder every request is answered 404.
    explicit HttpServer(HttpResponder responder = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void SetResponder(HttpResponder responder);
    // "http://127.0.0.1:PORT"
    std::string RestUrl() const;
    // The path and query of every request, in the order they came.
    std::vector<std::string> Requests() const;
    // Requests taken and not answered yet (hanging ones stay until their connection goes).
    int InProgress() const;
    int MostInProgress() const;
    // Connections accepted so far.
    int Connections() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A WebSocket server without TLS. Clients are numbered from 0 in the order they connected;
// a client that has gone keeps its number, and its records stay.
class WebSocketServer {
  public:
    WebSocketServer();
    ~WebSocketServer();
    WebSocketServer(const WebSocketServer&) = delete;
    WebSocketServer& operator=(const WebSocketServer&) = delete;

    // "ws://127.0.0.1:PORT"
    std::string WsUrl() const;

    int Clients() const;  // connected so far
    int OpenClients() const;
    bool IsOpen(int client) const;
    // The path and query the client opened, e.g. "/stream?streams=btcusdt@kline_1m".
    std::string RequestPath(int client) const;
    // Text messages from the client, in order.
    std::vector<std::string> Received(int client) const;
    // Payloads of the pongs the client sent, in order.
    std::vector<std::string> Pongs(int client) const;

    void SendText(int client, const std::string& text);
    void SendTextToAll(const std::string& text);
    void Ping(int client, const std::string& payload);
    // A normal close, with a close frame.
    void Close(int client, int code = 1000, const std::string& reason = {});
    // A dropped connection: the TCP connection ends without a close frame.
    void Abort(int client);

    // New connections are refused, as by a server that is down; open ones stay (Abort them
    // too for a server that went down with its clients).
    void StopListening();
    // Listens again, on the same port; false when that failed.
    bool Listen();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Both faces of one exchange.
struct Exchange {
    HttpServer Rest;
    WebSocketServer Ws;
};

}  // namespace vela::app::loopback
