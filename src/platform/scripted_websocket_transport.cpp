#include "platform/scripted_websocket_transport.h"

namespace vela {

namespace {

class ScriptedConnection : public WebSocketConnection {
  public:
    explicit ScriptedConnection(std::shared_ptr<ScriptedWebSocketTransport::Peer> peer)
        : peer_(std::move(peer)) {}
    ~ScriptedConnection() override {
        peer_->Closed = true;
        peer_->Open = false;
        peer_->Handlers = {};
    }
    void SendText(const std::string& text) override { peer_->Sent.push_back(text); }

  private:
    std::shared_ptr<ScriptedWebSocketTransport::Peer> peer_;
};

}  // namespace

std::unique_ptr<WebSocketConnection> ScriptedWebSocketTransport::Open(const std::string& url,
                                                                      WebSocketHandlers handlers) {
    auto peer = std::make_shared<Peer>();
    peer->Url = url;
    peer->Handlers = std::move(handlers);
    Peers.push_back(peer);
    std::weak_ptr<Peer> weak = peer;
    const bool refuse = Refuse;
    if (Silent) return std::make_unique<ScriptedConnection>(std::move(peer));
    loop_.Post([weak, refuse] {
        const std::shared_ptr<Peer> p = weak.lock();
        if (!p || p->Closed) return;
        if (refuse) {
            auto closed = std::move(p->Handlers.Closed);
            p->Handlers = {};
            if (closed) closed("connection refused");
            return;
        }
        p->Open = true;
        // Copied: the handler may close the connection, which clears the handlers.
        const auto opened = p->Handlers.Opened;
        if (opened) opened();
    });
    return std::make_unique<ScriptedConnection>(std::move(peer));
}

void ScriptedWebSocketTransport::Send(Peer& peer, const std::string& text) {
    std::weak_ptr<Peer> weak;
    for (const auto& p : Peers)
        if (p.get() == &peer) weak = p;
    loop_.Post([weak, text] {
        const std::shared_ptr<Peer> p = weak.lock();
        if (!p || !p->Open) return;
        const auto received = p->Handlers.Text;
        if (received) received(text);
    });
}

void ScriptedWebSocketTransport::Drop(Peer& peer, const std::string& reason) {
    std::weak_ptr<Peer> weak;
    for (const auto& p : Peers)
        if (p.get() == &peer) weak = p;
    loop_.Post([weak, reason] {
        const std::shared_ptr<Peer> p = weak.lock();
        if (!p || !p->Open) return;
        p->Open = false;
        auto closed = std::move(p->Handlers.Closed);
        p->Handlers = {};
        if (closed) closed(reason);
    });
}

}  // namespace vela
