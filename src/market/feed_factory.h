#pragma once

#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/http_transport.h"
#include "platform/message_loop.h"
#include "platform/websocket_transport.h"

namespace vela {

// What a feed may use of the platform. Network feeds need the transports; without them a
// network feed cannot be made.
struct FeedServices {
    MessageLoop& Loop;
    vela::Clock& Clock;
    std::ostream* Reports = &std::cerr;  // where reports go besides the listener; nullptr: nowhere
    HttpTransport* Http = nullptr;
    WebSocketTransport* WebSocket = nullptr;
    // The clock simulated and replayed markets run on, when it is not Clock (a snapshot holds
    // it still while its windows load).
    vela::Clock* MarketClock = nullptr;

    vela::Clock& MarketTime() const { return MarketClock != nullptr ? *MarketClock : Clock; }
};

struct FeedChoice {
    std::shared_ptr<MarketFeed> Feed;  // empty on error
    std::string Error;                 // why not, for the user
};

// A feed text: NAME, then ":BODY" and/or ",key=value" options.
struct FeedOption {
    std::string_view Key;
    std::string_view Value;
};
struct FeedSpecParts {
    std::string_view Body;
    std::vector<FeedOption> Options;
};

// One kind of feed the program can make.
struct FeedKind {
    std::string_view Name;               // as written before ':' or ','
    std::string_view Label;              // how its messages begin
    std::vector<std::string_view> Keys;  // the options it takes
    // A body may hold commas (a folder name): options are the last comma-separated items
    // that start with a known key; an item before them that looks like KEY=VALUE with an
    // unknown key is refused as an unknown option unless the body with it names a folder.
    bool BodyHoldsCommas = false;
    FeedChoice (*Make)(const FeedSpecParts& parts, const FeedServices& services) = nullptr;
};

// Every kind of feed, the default first.
const std::vector<FeedKind>& FeedKinds();
// The kind a feed text names (the NAME before ':' or ','), or nullptr.
const FeedKind* FeedKindOf(std::string_view spec);

// Makes the feed a start-up option names:
//   sim[:SEED][,start=YYYY-MM-DDTHH:MM:SS][,delay=MS]   the simulated market (the default)
//   csv:DIR[,replay=MS][,hold=N][,label=end]            CSV files of bars in DIR
//   binance[,rest=URL][,ws=URL][,tz=UTC]               Binance's public spot market data
FeedChoice MakeFeed(std::string_view spec, const FeedServices& services);
// The same on the process-wide message loop and clock, without network transports.
FeedChoice MakeFeed(std::string_view spec);

}  // namespace vela
