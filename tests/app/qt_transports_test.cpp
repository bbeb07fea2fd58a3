#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/loopback_exchange.h"
#include "app/qt_http_transport.h"
#include "app/qt_websocket_transport.h"

namespace vela::app {
namespace {

using loopback::HttpAnswer;
using loopback::PumpFor;
using loopback::WaitUntil;

// A port on 127.0.0.1 that nobody listens on: one the system just handed out and took back.
std::string RefusingAddress(const std::string& scheme) {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const std::string address = scheme + "://127.0.0.1:" + std::to_string(probe.serverPort());
    probe.close();
    return address;
}

// ---- HTTP

class QtHttpTransportTest : public ::testing::Test {
  protected:
    // One GET, waited for; the request is cancelled when no answer comes, so nothing later
    // writes into this frame.
    HttpResponse GetAndWait(const std::string& url, std::int64_t timeoutMs = 2000) {
        std::optional<HttpResponse> got;
        const auto id = http.Get(url, timeoutMs, [&](const HttpResponse& r) { got = r; });
        EXPECT_FALSE(got) << "done ran inside Get";
        if (!WaitUntil([&] { return got.has_value(); })) {
            http.Cancel(id);
            ADD_FAILURE() << "no answer from " << url;
            return {};
        }
        return *got;
    }

    loopback::HttpServer server;
    QtHttpTransport http;
};

TEST_F(QtHttpTransportTest, EveryStatusIsAnAnswerWithItsBodyAndHeaders) {
    struct Case {
        int Status;
        const char* Header;  // as the server spells it
        const char* Value;
        const char* Body;
    };
    const Case cases[] = {
        {200, "X-MBX-USED-WEIGHT-1M", "7", "[[1718897400000,\"64000.1\"]]"},
        {429, "Retry-After", "3", "{\"code\":-1003,\"msg\":\"Too many requests\"}"},
        {418, "Retry-After", "120", "{\"code\":-1003}"},
        {400, "Content-Type", "application/json", "{\"code\":-1121,\"msg\":\"Invalid symbol.\"}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Status);
        server.SetResponder([&c](const std::string&) {
            return HttpAnswer::Of(c.Status, c.Body).WithHeader(c.Header, c.Value);
        });
        const HttpResponse r = GetAndWait(server.RestUrl() + "/api/v3/klines?symbol=BTCUSDT");
        EXPECT_EQ(r.Status, c.Status);
        EXPECT_EQ(r.Error, "");
        EXPECT_EQ(r.Body, c.Body);
        EXPECT_EQ(r.Header(QByteArray(c.Header).toLower().toStdString()), c.Value);
        EXPECT_EQ(r.Header("content-length"), std::to_string(std::string(c.Body).size()));
    }
    EXPECT_EQ(server.Requests(),
              std::vector<std::string>(std::size(cases), "/api/v3/klines?symbol=BTCUSDT"));
    EXPECT_EQ(server.Connections(), 1) << "one kept-alive connection for requests in turn";
}

TEST_F(QtHttpTransportTest, NoAnswerIsAnErrorWithoutStatus) {
    server.SetResponder([](const std::string&) { return HttpAnswer::Hanging(); });
    struct Case {
        const char* Name;
        std::string Url;
        const char* Reason;
    };
    const Case cases[] = {
        {"refused", RefusingAddress("http") + "/api/v3/ping", "connection refused"},
        {"hanging", server.RestUrl() + "/api/v3/ping", "timed out after 300 ms"},
        {"not a web address", "gopher://127.0.0.1/", "unsupported URL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const HttpResponse r = GetAndWait(c.Url, 300);
        EXPECT_EQ(r.Status, 0);
        EXPECT_NE(r.Error.find(c.Reason), std::string::npos) << r.Error;
        EXPECT_EQ(r.Body, "");
    }
}

TEST_F(QtHttpTransportTest, FollowsARedirectOnTheSameServer) {
    server.SetResponder([](const std::string& path) {
        return path == "/old" ? HttpAnswer::Of(301).WithHeader("Location", "/new")
                              : HttpAnswer::Of(200, "moved");
    });
    const HttpResponse r = GetAndWait(server.RestUrl() + "/old");
    EXPECT_EQ(r.Status, 200);
    EXPECT_EQ(r.Body, "moved");
    // Qt now and then sends the redirected GET twice on its connection before following it,
    // so only the ends are certain.
    const std::vector<std::string> asked = server.Requests();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked.front(), "/old");
    EXPECT_EQ(asked.back(), "/new");
}

TEST_F(QtHttpTransportTest, CancelledAndAbandonedRequestsStaySilent) {
    server.SetResponder([](const std::string& path) {
        return path == "/hang" ? HttpAnswer::Hanging() : HttpAnswer::Of(200, path).After(50);
    });
    int calls = 0;
    const auto count = [&](const HttpResponse&) { ++calls; };
    http.Cancel(http.Get(server.RestUrl() + "/quick", 2000, count));
    http.Cancel(http.Get(server.RestUrl() + "/hang", 2000, count));
    http.Cancel(12345);  // unknown: ignored
    // Cancelled from another request's done, its own answer on the way or already queued.
    HttpTransport::RequestId second = 0;
    http.Get(server.RestUrl() + "/first", 2000, [&](const HttpResponse&) { http.Cancel(second); });
    second = http.Get(server.RestUrl() + "/first", 2000, count);
    PumpFor(300);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(server.InProgress(), 0) << "the hanging request's connection was closed";

    // A transport destroyed with requests in flight calls nobody, and may go from a done.
    auto owned = std::make_unique<QtHttpTransport>();
    owned->Get(server.RestUrl() + "/hang", 2000, count);
    owned->Get(server.RestUrl() + "/slow", 2000, [&](const HttpResponse&) { owned.reset(); });
    ASSERT_TRUE(WaitUntil([&] { return owned == nullptr; }));
    PumpFor(100);
    EXPECT_EQ(calls, 0);
}

TEST_F(QtHttpTransportTest, SeveralRequestsAreInFlightAtOnce) {
    server.SetResponder(
        [](const std::string& path) { return HttpAnswer::Of(200, path).After(200); });
    const std::vector<std::string> paths = {"/a", "/b", "/c", "/d"};
    std::vector<std::string> bodies;
    for (const std::string& path : paths)
        http.Get(server.RestUrl() + path, 2000,
                 [&bodies](const HttpResponse& r) { bodies.push_back(r.Body); });
    ASSERT_TRUE(WaitUntil([&] { return bodies.size() == paths.size(); }));
    std::sort(bodies.begin(), bodies.end());
    EXPECT_EQ(bodies, paths);
    // Qt opens up to six connections to one server, so all four were asked at once.
    EXPECT_EQ(server.MostInProgress(), static_cast<int>(paths.size()));
}

// ---- the stand-in itself

TEST(LoopbackHttpServerTest, AnswersPipelinedRequestsInOrderAndHonoursConnectionClose) {
    loopback::HttpServer server([](const std::string& path) {
        return HttpAnswer::Of(200, path).After(path == "/1" ? 50 : 0);
    });
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost,
                         QUrl(QString::fromStdString(server.RestUrl())).port());
    ASSERT_TRUE(WaitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));
    client.write(
        "GET /1 HTTP/1.1\r\nHost: x\r\n\r\nGET /2?q=1 HTTP/1.1\r\nHost: x\r\n"
        "Connection: close\r\n\r\n");
    QByteArray answers;
    ASSERT_TRUE(WaitUntil([&] {
        answers += client.readAll();
        return client.state() == QAbstractSocket::UnconnectedState;
    }));
    answers += client.readAll();
    const qsizetype first = answers.indexOf("\r\n\r\n/1");
    const qsizetype second = answers.indexOf("\r\n\r\n/2?q=1");
    EXPECT_TRUE(answers.startsWith("HTTP/1.1 200 OK\r\n")) << answers.toStdString();
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_TRUE(answers.contains("Connection: close"));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/1", "/2?q=1"}));
    EXPECT_EQ(server.MostInProgress(), 1) << "one connection answers one request at a time";
}

// ---- WebSocket

// What a connection told its owner.
struct Heard {
    int Opened = 0;
    std::vector<std::string> Texts;
    std::vector<std::string> Closed;

    WebSocketHandlers Handlers() {
        return {[this] { ++Opened; }, [this](const std::string& t) { Texts.push_back(t); },
                [this](const std::string& reason) { Closed.push_back(reason); }};
    }
};

class QtWebSocketTransportTest : public ::testing::Test {
  protected:
    // Opens a connection and waits until both ends see it.
    std::unique_ptr<WebSocketConnection> OpenAndWait(Heard& heard,
                                                     const std::string& path = "/ws") {
        const int before = server.Clients();
        auto connection = transport.Open(server.WsUrl() + path, heard.Handlers());
        EXPECT_EQ(heard.Opened, 0) << "Opened ran inside Open";
        EXPECT_TRUE(WaitUntil([&] { return heard.Opened == 1 && server.Clients() == before + 1; }));
        return connection;
    }

    loopback::WebSocketServer server;
    QtWebSocketTransport transport;
};

TEST_F(QtWebSocketTransportTest, CarriesTextBothWaysOnThePathAsked) {
    Heard heard;
    const auto connection = OpenAndWait(heard, "/stream?streams=btcusdt@kline_1m/ethusdt@kline_1m");
    EXPECT_EQ(server.RequestPath(0), "/stream?streams=btcusdt@kline_1m/ethusdt@kline_1m");
    connection->SendText(R"({"method":"SUBSCRIBE","params":["btcusdt@kline_5m"],"id":1})");
    server.SendText(0, R"({"result":null,"id":1})");
    server.SendTextToAll("two");
    ASSERT_TRUE(
        WaitUntil([&] { return heard.Texts.size() == 2 && server.Received(0).size() == 1; }));
    EXPECT_EQ(heard.Texts, (std::vector<std::string>{R"({"result":null,"id":1})", "two"}));
    EXPECT_EQ(
        server.Received(0),
        std::vector<std::string>{R"({"method":"SUBSCRIBE","params":["btcusdt@kline_5m"],"id":1})"});
    EXPECT_TRUE(heard.Closed.empty());
}

TEST_F(QtWebSocketTransportTest, AnswersTheServersPingWithItsPayload) {
    Heard heard;
    const auto connection = OpenAndWait(heard);
    server.Ping(0, "1718897400000");
    server.Ping(0, "");
    ASSERT_TRUE(WaitUntil([&] { return server.Pongs(0).size() == 2; }));
    EXPECT_EQ(server.Pongs(0), (std::vector<std::string>{"1718897400000", ""}));
    EXPECT_TRUE(heard.Texts.empty());
}

TEST_F(QtWebSocketTransportTest, AnEndFromTheServerClosesOnceAndNothingFollows) {
    struct Case {
        const char* Name;
        std::function<void(loopback::WebSocketServer&)> End;
        const char* Reason;  // part of what Closed says
    };
    const Case cases[] = {
        {"normal close", [](loopback::WebSocketServer& s) { s.Close(0, 1000, "bye"); }, "bye"},
        {"policy close", [](loopback::WebSocketServer& s) { s.Close(0, 1008, "too slow"); },
         "1008"},
        {"dropped", [](loopback::WebSocketServer& s) { s.Abort(0); }, "closed the connection"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        loopback::WebSocketServer fresh;
        Heard heard;
        const auto connection = transport.Open(fresh.WsUrl(), heard.Handlers());
        ASSERT_TRUE(WaitUntil([&] { return heard.Opened == 1 && fresh.Clients() == 1; }));
        c.End(fresh);
        fresh.SendTextToAll("after the end");
        ASSERT_TRUE(WaitUntil([&] { return !heard.Closed.empty(); }));
        PumpFor(100);
        ASSERT_EQ(heard.Closed.size(), 1u);
        EXPECT_NE(heard.Closed[0], "");
        EXPECT_NE(heard.Closed[0].find(c.Reason), std::string::npos) << heard.Closed[0];
        EXPECT_TRUE(heard.Texts.empty());
        connection->SendText("into the void");  // harmless after the end
    }
}

TEST_F(QtWebSocketTransportTest, ADownServerRefusesAndMayComeBack) {
    server.StopListening();
    for (const std::string& url : {RefusingAddress("ws"), server.WsUrl()}) {
        SCOPED_TRACE(url);
        Heard heard;
        const auto connection = transport.Open(url, heard.Handlers());
        EXPECT_TRUE(heard.Closed.empty()) << "Closed ran inside Open";
        ASSERT_TRUE(WaitUntil([&] { return !heard.Closed.empty(); }));
        PumpFor(50);
        ASSERT_EQ(heard.Closed.size(), 1u);
        EXPECT_NE(heard.Closed[0].find("refused"), std::string::npos) << heard.Closed[0];
        EXPECT_EQ(heard.Opened, 0);
    }
    ASSERT_TRUE(server.Listen());
    Heard heard;
    const auto connection = OpenAndWait(heard);
    EXPECT_TRUE(heard.Closed.empty());
}

TEST_F(QtWebSocketTransportTest, TheOwnerMayDestroyTheConnectionInsideAnyHandler) {
    enum class In { Opened, Text, ClosedByServer, ClosedRefused };
    for (const In in : {In::Opened, In::Text, In::ClosedByServer, In::ClosedRefused}) {
        SCOPED_TRACE(static_cast<int>(in));
        loopback::WebSocketServer fresh;
        std::unique_ptr<WebSocketConnection> connection;
        int calls = 0;
        WebSocketHandlers handlers{[&] {
                                       ++calls;
                                       if (in == In::Opened) connection.reset();
                                   },
                                   [&](const std::string&) {
                                       ++calls;
                                       if (in == In::Text) connection.reset();
                                   },
                                   [&](const std::string&) {
                                       ++calls;
                                       connection.reset();
                                   }};
        connection = transport.Open(in == In::ClosedRefused ? RefusingAddress("ws") : fresh.WsUrl(),
                                    std::move(handlers));
        if (in == In::Text || in == In::ClosedByServer) {
            ASSERT_TRUE(WaitUntil([&] { return fresh.Clients() == 1 && calls == 1; }));
            fresh.SendText(0, "one");
            fresh.SendText(0, "two");
            if (in == In::ClosedByServer) fresh.Close(0, 1001, "going away");
        }
        ASSERT_TRUE(WaitUntil([&] { return connection == nullptr; }));
        const int expected = calls;
        PumpFor(100);
        EXPECT_EQ(calls, expected) << "a handler ran after the connection was destroyed";
        if (in != In::ClosedRefused) {
            EXPECT_TRUE(WaitUntil([&] { return fresh.OpenClients() == 0; }))
                << "the server saw the client go";
        }
    }
}

TEST_F(QtWebSocketTransportTest, DestroyingTheConnectionClosesItSilently) {
    Heard heard;
    auto connection = OpenAndWait(heard);
    server.SendText(0, "queued before the end");
    connection.reset();
    ASSERT_TRUE(WaitUntil([&] { return server.OpenClients() == 0; }));
    PumpFor(50);
    EXPECT_TRUE(heard.Texts.empty());
    EXPECT_TRUE(heard.Closed.empty());
}

}  // namespace
}  // namespace vela::app
