#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/message_loop.h"

namespace vela {

struct FeedChoice {
    std::shared_ptr<MarketFeed> Feed;  // empty on error
    std::string Error;                 // why not, for the user
};

// Makes the feed a start-up option names:
//   sim[:SEED][,start=YYYY-MM-DDTHH:MM:SS][,delay=MS]   the simulated market (the default)
//   csv:DIR[,replay=MS][,hold=N][,label=end]            CSV files of bars in DIR
// Options follow the last commas that start a known option, so folder names may hold commas.
FeedChoice MakeFeed(std::string_view spec, MessageLoop& loop, Clock& clock,
                    std::ostream* warnings = nullptr);
// The same on the process-wide message loop and clock.
FeedChoice MakeFeed(std::string_view spec);

}  // namespace vela
