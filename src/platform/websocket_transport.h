#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vela {

// One open (or opening) WebSocket connection. Destroying it closes it; no handler runs after.
class WebSocketConnection {
  public:
    virtual ~WebSocketConnection() = default;
    virtual void SendText(const std::string& text) = 0;
};

// What a connection tells its owner, on the user-interface thread through the message loop.
struct WebSocketHandlers {
    std::function<void()> Opened;
    std::function<void(const std::string& text)> Text;
    // The connection ended or could not be opened; runs once, and nothing runs after it.
    std::function<void(const std::string& reason)> Closed;
};

// Opens WebSocket connections. The transport answers the server's pings itself, with a pong
// that carries the ping's payload, as the protocol asks.
class WebSocketTransport {
  public:
    virtual ~WebSocketTransport() = default;
    virtual std::unique_ptr<WebSocketConnection> Open(const std::string& url,
                                                      WebSocketHandlers handlers) = 0;
};

}  // namespace vela
