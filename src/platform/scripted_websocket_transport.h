#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/message_loop.h"
#include "platform/websocket_transport.h"

namespace vela {

// A WebSocket transport for tests. Each Open makes a connection the test drives: it opens
// (or is refused), receives frames, and drops; what the client sent is kept.
class ScriptedWebSocketTransport : public WebSocketTransport {
  public:
    struct Peer {
        std::string Url;
        std::vector<std::string> Sent;
        bool Open = false;    // opened and not dropped or closed
        bool Closed = false;  // closed by the client
        WebSocketHandlers Handlers;
    };

    explicit ScriptedWebSocketTransport(MessageLoop& loop) : loop_(loop) {}

    std::unique_ptr<WebSocketConnection> Open(const std::string& url,
                                              WebSocketHandlers handlers) override;

    // Refuse new connections (a server that is down).
    bool Refuse = false;
    // New connections neither open nor fail (a server that takes the connection and never
    // answers the handshake).
    bool Silent = false;
    std::vector<std::shared_ptr<Peer>> Peers;
    // The newest connection, or nullptr.
    Peer* Last() { return Peers.empty() ? nullptr : Peers.back().get(); }

    // A frame from the server, delivered through the loop.
    void Send(Peer& peer, const std::string& text);
    // The server ends the connection.
    void Drop(Peer& peer, const std::string& reason);

  private:
    MessageLoop& loop_;
};

}  // namespace vela
