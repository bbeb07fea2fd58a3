#pragma once

#include <memory>
#include <string>

#include "platform/websocket_transport.h"

namespace vela::app {

// WebSocket connections over QWebSocket, with Qt's TLS defaults for wss. QWebSocket answers
// the server's pings itself. Handlers run from queued calls, so none runs inside Open, and
// the owner may destroy a connection from inside any of its handlers.
class QtWebSocketTransport : public WebSocketTransport {
  public:
    std::unique_ptr<WebSocketConnection> Open(const std::string& url,
                                              WebSocketHandlers handlers) override;
};

}  // namespace vela::app
